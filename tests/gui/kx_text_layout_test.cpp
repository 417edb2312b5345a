// Text layout without GL: pen and alignment, scaling, every line-break rule, word wrap,
// blank bytes, and a plain reference layout compared on many random strings.
#include "engine/gui/kx_text_layout.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "gui/text_test_font.h"

namespace {

TEST(TextLayout, PenAndAlignmentOfTwoBytes) {
    kx_font_t f = test_font();
    f.advance['A'] = 10.0f;
    f.advance['B'] = 12.0f;
    const struct {
        int align;
        float first_x;
    } cases[] = {{0, 0.0f}, {1, -20.0f}, {2, -10.0f}};
    for (const auto& c : cases) {
        kx_text_layout_t r;
        const auto q = drawn_quads(lay_out(f, "AB", c.align, 1.0f, 0.0f, &r));
        EXPECT_FLOAT_EQ(r.pen_x, 20.0f);
        EXPECT_EQ(r.pen_y, 0);
        ASSERT_EQ(q.size(), 2u);
        EXPECT_FLOAT_EQ(q[0].x0, c.first_x) << "align " << c.align;
        EXPECT_FLOAT_EQ(q[1].x0, c.first_x + 9.0f) << "one pixel tighter than the advance";
        EXPECT_EQ(q[0].byte, 'A');
        EXPECT_EQ(q[1].byte, 'B');
    }
}

TEST(TextLayout, VerticesHoldPositionAndTextureInTriangleOrder) {
    kx_font_t f = test_font();
    const float g[8] = {1, -9, 7, 2, 0.25f, 0.5f, 0.75f, 1.0f};
    for (int k = 0; k < 8; k++) f.glyph['x'][k] = g[k];
    const auto v = lay_out(f, "x", 0, 1.0f, 0.0f);
    const float expected[6][8] = {
        {1, -9, 0, 1, 0.25f, 0.5f, 1, 0}, {7, -9, 0, 1, 0.75f, 0.5f, 1, 0}, {1, 2, 0, 1, 0.25f, 1.0f, 1, 0},
        {7, -9, 0, 1, 0.75f, 0.5f, 1, 0}, {1, 2, 0, 1, 0.25f, 1.0f, 1, 0},  {7, 2, 0, 1, 0.75f, 1.0f, 1, 0},
    };
    for (int vert = 0; vert < 6; vert++)
        for (int k = 0; k < 8; k++) EXPECT_FLOAT_EQ(v[vert * 8 + k], expected[vert][k]) << vert << "," << k;
}

TEST(TextLayout, ScaleMultipliesFontScaleForBoxesPenAndLineHeight) {
    const struct {
        float font_scale, scale;
    } cases[] = {{1.0f, 1.0f}, {2.0f, 1.0f}, {1.0f, 1.5f}, {2.0f, 1.5f}, {0.5f, 0.5f}};
    for (const auto& c : cases) {
        const kx_font_t f = test_font(c.font_scale, 56);
        const float s = c.font_scale * c.scale;
        kx_text_layout_t r;
        const auto q = drawn_quads(lay_out(f, "ab\\c", 0, c.scale, 0.0f, &r));
        ASSERT_EQ(q.size(), 3u);
        EXPECT_FLOAT_EQ(q[0].x1 - q[0].x0, 8.0f * s);
        EXPECT_FLOAT_EQ(q[0].y1 - q[0].y0, 10.0f * s);
        EXPECT_FLOAT_EQ(q[1].x0, 10.0f * s - 1.0f);
        EXPECT_EQ(q[2].y1, static_cast<float>(static_cast<int>(56 * s * 1.2f)))
            << "line height, whole pixels";
        EXPECT_FLOAT_EQ(r.pen_x, 10.0f * s - 1.0f);
    }
}

TEST(TextLayout, LineBreakRules) {
    kx_font_t f = test_font();                 // line height 12
    f.advance['\n'] = f.advance['\r'] = 1.0f;  // break bytes add nothing to the pen
    const struct {
        std::string text;
        int lines;
        std::vector<int> quad_y;  // bottom edge of each drawn quad, in order
    } cases[] = {
        {"a\\b", 2, {0, 12}},
        {"a\r\nb", 2, {0, 12}},
        {"a\n\rb", 2, {0, 12}},
        {"a\n\nb", 3, {0, 24}},
        {"a\r\rb", 3, {0, 24}},
        {"a\nb\rc", 3, {0, 12, 24}},
        {"a\r\n\r\nb", 3, {0, 24}},  // each pair breaks once: the blank line stays
        {"a\n\r\r\nb", 3, {0, 24}},
        {"a\n\r\nb", 3, {0, 24}},  // the second \n does not pair with an \r that did not break
        {"\r\nb", 2, {12}},
        {"\\\\a", 3, {24}},
        {"a\tb", 1, {0, 0, 0}},  // a tab draws its glyph
        {"a b", 1, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        kx_text_layout_t r;
        const auto q = drawn_quads(lay_out(f, c.text, 0, 1.0f, 0.0f, &r));
        EXPECT_EQ(r.lines, c.lines);
        ASSERT_EQ(q.size(), c.quad_y.size());
        for (size_t i = 0; i < q.size(); i++) {
            EXPECT_EQ(q[i].y1, static_cast<float>(c.quad_y[i])) << i;
            if (i > 0 && c.quad_y[i] != c.quad_y[i - 1]) {
                EXPECT_EQ(q[i].x0, 0.0f) << "a new line starts at 0";
            }
        }
    }
}

TEST(TextLayout, AlignmentMeasuresAMultiLineStringAsOneLine) {
    const kx_font_t f = test_font();
    const auto q = drawn_quads(lay_out(f, "ab\\cd", 1, 1.0f, 0.0f));
    ASSERT_EQ(q.size(), 4u);
    EXPECT_FLOAT_EQ(q[0].x0, -45.0f);  // five bytes of 9 pixels, the backslash included
    EXPECT_FLOAT_EQ(q[2].x0, -45.0f);  // the second line starts at the same offset
}

TEST(TextLayout, WrapMovesTheWordAfterTheLastSpaceToTheNextLine) {
    kx_font_t f = test_font();
    f.advance[' '] = 1.0f;  // the space adds nothing, so the first word ends at 45
    kx_text_layout_t r;
    const auto q = drawn_quads(lay_out(f, "aaaaa bbb", 0, 1.0f, 50.0f, &r));
    ASSERT_EQ(q.size(), 8u);
    EXPECT_FLOAT_EQ(q[4].x0, 36.0f);
    EXPECT_EQ(q[4].y1, 0.0f);
    EXPECT_FLOAT_EQ(q[5].x0, 0.0f) << "first glyph of the wrapped word at the line start";
    EXPECT_EQ(q[5].y1, 12.0f);
    EXPECT_FLOAT_EQ(q[6].x0, 9.0f);
    EXPECT_FLOAT_EQ(q[7].x0, 18.0f);
    EXPECT_EQ(q[7].y1, 12.0f);
    EXPECT_EQ(r.lines, 2);
    EXPECT_FLOAT_EQ(r.pen_x, 27.0f);
}

TEST(TextLayout, WrapWidthsBelowOnePointZeroOneMeanNoWrap) {
    const kx_font_t f = test_font();
    std::string text;
    for (int i = 0; i < 40; i++) text += "ab ";  // 1080 pixels
    for (float wrap : {0.0f, 1.0f, 1.005f, -5.0f}) {
        kx_text_layout_t r;
        lay_out(f, text, 0, 1.0f, wrap, &r);
        EXPECT_EQ(r.lines, 1) << wrap;
    }
    kx_text_layout_t r;
    lay_out(f, text, 0, 1.0f, 1.5f, &r);
    EXPECT_GT(r.lines, 30) << "a tiny wrap width breaks at every space";
}

TEST(TextLayout, NoWrapWidthStillBreaksPast4096Pixels) {
    const kx_font_t f = test_font();
    std::string text;
    for (int i = 0; i < 200; i++) text += "abcd ";  // 9000 pixels
    kx_text_layout_t r;
    const auto q = drawn_quads(lay_out(f, text, 0, 1.0f, 0.0f, &r));
    EXPECT_EQ(r.lines, 3);
    for (const auto& g : q) EXPECT_LE(g.x1, 4096.0f + 45.0f);
}

TEST(TextLayout, WrapNeedsABreakPointAndTabsAreBreakPoints) {
    const kx_font_t f = test_font();
    kx_text_layout_t r;
    auto q = drawn_quads(lay_out(f, "abcdefghij", 0, 1.0f, 30.0f, &r));
    EXPECT_EQ(r.lines, 1) << "one long word stays on its line";
    EXPECT_FLOAT_EQ(q.back().x0, 81.0f);

    q = drawn_quads(lay_out(f, "ab\tcdef", 0, 1.0f, 30.0f, &r));
    ASSERT_EQ(q.size(), 7u);
    EXPECT_EQ(q[2].byte, '\t');
    EXPECT_EQ(q[2].y1, 0.0f) << "the tab stays on the first line";
    EXPECT_FLOAT_EQ(q[3].x0, 0.0f);
    EXPECT_EQ(q[3].y1, 12.0f);
    EXPECT_EQ(r.lines, 2);
}

TEST(TextLayout, ALineBreakForgetsTheBreakPoint) {
    const kx_font_t f = test_font();
    kx_text_layout_t r;
    // After the backslash no space has been seen, so the long second line does not wrap.
    const auto q = drawn_quads(lay_out(f, "a \\bcdefgh", 0, 1.0f, 40.0f, &r));
    EXPECT_EQ(r.lines, 2);
    EXPECT_EQ(q.back().y1, 12.0f);
}

TEST(TextLayout, BlankStringsYieldOnlyZeroVertices) {
    const kx_font_t f = test_font();
    for (const std::string& text : {std::string("     "), std::string("\n\r\\ "), std::string()}) {
        kx_text_layout_t r;
        const auto v = lay_out(f, text, 2, 1.0f, 0.0f, &r);
        for (float x : v) ASSERT_EQ(x, 0.0f);
        EXPECT_EQ(v.size(), text.size() * 48);
    }
    kx_text_layout_t r;
    lay_out(f, "    ", 0, 1.0f, 0.0f, &r);
    EXPECT_FLOAT_EQ(r.pen_x, 36.0f) << "spaces still advance the pen";
}

TEST(TextLayout, HighBytesIndexTheTablesAsUnsigned) {
    kx_font_t f = test_font();
    f.advance[0xC0] = 20.0f;
    kx_text_layout_t r;
    const auto q = drawn_quads(lay_out(f, "\xC0\xFF", 0, 1.0f, 0.0f, &r));
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[0].byte, 0xC0);
    EXPECT_EQ(q[1].byte, 0xFF);
    EXPECT_FLOAT_EQ(q[1].x0, 19.0f);
}

// Plain reference: decide every byte's line and pen first, place the quads afterwards.
std::vector<float> reference_layout(const kx_font_t& f, const std::string& s, int align, float scale,
                                    float wrap) {
    const float sc = scale * f.scale;
    const int lh = static_cast<int>(f.size * sc * 1.2f);
    const float w = wrap < 1.01f ? 4096.0f : wrap;
    float total = 0;
    for (unsigned char c : s) total += f.advance[c] * sc - 1;
    const float a = align == 1 ? -total : align == 2 ? -total / 2 : 0.0f;
    std::vector<float> px(s.size()), py(s.size());
    float pen = 0;
    int y = 0, brk = -1;
    float brk_x = 0;
    bool prev_broke = false;
    for (size_t i = 0; i < s.size(); i++) {
        const unsigned char c = s[i];
        px[i] = pen;
        py[i] = static_cast<float>(y);
        pen += f.advance[c] * sc - 1;
        if (c == ' ' || c == '\t') brk = static_cast<int>(i), brk_x = pen;
        const int prev = i ? static_cast<unsigned char>(s[i - 1]) : -1;
        const bool pair_end = (c == '\n' && prev == '\r') || (c == '\r' && prev == '\n');
        const bool broke = c == '\\' || ((c == '\n' || c == '\r') && !(pair_end && prev_broke));
        prev_broke = broke;
        if (broke) y += lh, pen = 0, brk = -1;
        if (pen > w && brk >= 0) {
            for (size_t j = brk + 1; j <= i; j++) px[j] -= brk_x, py[j] += static_cast<float>(lh);
            pen -= brk_x, y += lh, brk = -1;
        }
    }
    std::vector<float> out(s.size() * 48, 0.0f);
    for (size_t i = 0; i < s.size(); i++) {
        const unsigned char c = s[i];
        if (c == '\n' || c == '\r' || c == ' ' || c == '\\') continue;
        const float* g = f.glyph[c];
        const float xs[2] = {g[0] * sc + px[i] + a, g[2] * sc + px[i] + a};
        const float ys[2] = {g[1] * sc + py[i], g[3] * sc + py[i]};
        const int corner[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {0, 1}, {1, 1}};
        for (int k = 0; k < 6; k++) {
            float* v = &out[i * 48 + k * 8];
            v[0] = xs[corner[k][0]], v[1] = ys[corner[k][1]], v[3] = 1;
            v[4] = g[4 + 2 * corner[k][0]], v[5] = g[5 + 2 * corner[k][1]], v[6] = 1;
        }
    }
    return out;
}

TEST(TextLayout, MatchesThePlainReferenceOnRandomStrings) {
    std::mt19937 rng(1234);
    kx_font_t f = test_font(1.0f, 56);
    for (int c = 0; c < 256; c++) {
        f.advance[c] = static_cast<float>(rng() % 30);
        for (int k = 0; k < 8; k++)
            f.glyph[c][k] = static_cast<float>(static_cast<int>(rng() % 64) - 32) / 4.0f;
    }
    const char alphabet[] = "abcXYZ \t\\\n\r\xC1\xFE";
    for (int round = 0; round < 3000; round++) {
        std::string s(rng() % 120, ' ');
        for (char& ch : s) ch = alphabet[rng() % (sizeof alphabet - 1)];
        const int align = static_cast<int>(rng() % 3);
        const float scale = 0.25f * static_cast<float>(1 + rng() % 8);
        f.scale = 0.5f * static_cast<float>(1 + rng() % 4);
        const float wrap = static_cast<float>(rng() % 400);
        const auto got = lay_out(f, s, align, scale, wrap);
        const auto want = reference_layout(f, s, align, scale, wrap);
        ASSERT_EQ(got, want) << "round " << round << " " << testing::PrintToString(s);
    }
}

}  // namespace
