// Text layout without GL: pen and alignment, every line-break rule, word wrap, blank
// bytes, and a plain reference layout compared on many random strings.
#include "engine/gui/kx_text_layout.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "gui/text_test_font.h"

namespace {

TEST(TextLayout, PenAndAlignment) {
    kx_font_t f = test_font();
    f.advance['B'] = 12.0f;
    const struct {
        const char* text;
        int align;
        float first_x, pen_x;
    } cases[] = {
        {"AB", 0, 0.0f, 20.0f},
        {"AB", 1, -20.0f, 20.0f},
        {"AB", 2, -10.0f, 20.0f},
        {"ab\\cd", 1, -45.0f, 18.0f},  // a multi-line string is measured as one line, breaks included
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text << " align " << c.align);
        kx_text_layout_t r;
        const auto q = drawn_quads(lay_out(f, c.text, c.align, 1.0f, 0.0f, &r));
        EXPECT_FLOAT_EQ(r.pen_x, c.pen_x);
        EXPECT_FLOAT_EQ(q[0].x0, c.first_x);
        EXPECT_FLOAT_EQ(q[1].x0, c.first_x + 9.0f) << "one pixel tighter than the advance";
        EXPECT_EQ(q[0].byte, c.text[0]);
        if (q.size() > 2) {
            EXPECT_FLOAT_EQ(q[2].x0, c.first_x) << "the second line starts at the same offset";
        }
    }
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    while (n-- > 0) out += s;
    return out;
}

TEST(TextLayout, LineBreaksAndWordWrap) {
    kx_font_t f = test_font();                 // line height 12, pen step 9
    f.advance['\n'] = f.advance['\r'] = 1.0f;  // break bytes add nothing to the pen
    const struct {
        std::string text;
        float wrap;
        int lines;
        std::vector<int> quad_y;  // bottom edge of each drawn quad, in order; empty: not checked
    } cases[] = {
        {"a\\b", 0, 2, {0, 12}},
        {"a\r\nb", 0, 2, {0, 12}},
        {"a\n\rb", 0, 2, {0, 12}},
        {"a\n\nb", 0, 3, {0, 24}},
        {"a\r\rb", 0, 3, {0, 24}},
        {"a\nb\rc", 0, 3, {0, 12, 24}},
        {"a\r\n\r\nb", 0, 3, {0, 24}},  // each pair breaks once: the blank line stays
        {"a\n\r\r\nb", 0, 3, {0, 24}},
        {"a\n\r\nb", 0, 3, {0, 24}},  // the second \n does not pair with an \r that did not break
        {"\r\nb", 0, 2, {12}},
        {"\\\\a", 0, 3, {24}},
        {"a\tb", 0, 1, {0, 0, 0}},  // a tab draws its glyph
        {"aaaaa bbb", 50, 2, {0, 0, 0, 0, 0, 12, 12, 12}},
        {"ab\tcdef", 30, 2, {0, 0, 0, 12, 12, 12, 12}},           // a tab is a break point
        {"abcdefghij", 30, 1, {}},                                // one long word stays on its line
        {"a \\bcdefgh", 40, 2, {0, 12, 12, 12, 12, 12, 12, 12}},  // a line break forgets the break point
        {repeat("ab ", 40), 0, 1, {}},                            // wrap widths below 1.01 mean no wrap
        {repeat("ab ", 40), 1.005f, 1, {}},
        {repeat("ab ", 40), -5, 1, {}},
        {repeat("ab ", 40), 1.5f, 41, {}},  // a tiny width breaks at every space
        {repeat("abcd ", 200), 0, 3, {}},   // 9000 pixels: no wrap width still breaks past 4096
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text.substr(0, 20)) + " wrap " + std::to_string(c.wrap));
        kx_text_layout_t r;
        const auto q = drawn_quads(lay_out(f, c.text, 0, 1.0f, c.wrap, &r));
        EXPECT_EQ(r.lines, c.lines);
        if (c.quad_y.empty()) continue;
        ASSERT_EQ(q.size(), c.quad_y.size());
        for (size_t i = 0; i < q.size(); i++) {
            EXPECT_EQ(q[i].y1, static_cast<float>(c.quad_y[i])) << i;
            const bool line_start = i == 0 || c.quad_y[i] != c.quad_y[i - 1];
            EXPECT_EQ(q[i].x0, line_start ? 0.0f : q[i - 1].x0 + 9.0f) << i << ": lines start at 0";
        }
    }
}

TEST(TextLayout, BlankStringsYieldOnlyZeroVerticesButAdvanceThePen) {
    const kx_font_t f = test_font();
    for (const std::string text : {"    ", "\n\r\\ ", ""}) {
        kx_text_layout_t r;
        const auto v = lay_out(f, text, 2, 1.0f, 0.0f, &r);
        EXPECT_EQ(v, std::vector<float>(text.size() * KX_TEXT_FLOATS_PER_BYTE, 0.0f));
        if (text == "    ") {
            EXPECT_FLOAT_EQ(r.pen_x, 36.0f);
        }
    }
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
    kx_font_t f = test_font();
    f.size = 56;
    for (int c = 0; c < 256; c++) {
        f.advance[c] = static_cast<float>(rng() % 30);
        for (int k = 0; k < 8; k++)
            f.glyph[c][k] = static_cast<float>(static_cast<int>(rng() % 64) - 32) / 4.0f;
    }
    const char alphabet[] = "abcXYZ \t\\\n\r\xC1\xFE";  // high bytes index the tables as unsigned
    for (int round = 0; round < 3000; round++) {
        std::string s(rng() % 120, ' ');
        for (char& ch : s) ch = alphabet[rng() % (sizeof alphabet - 1)];
        const int align = static_cast<int>(rng() % 3);
        const float scale = 0.25f * static_cast<float>(1 + rng() % 8);
        f.scale = 0.5f * static_cast<float>(1 + rng() % 4);
        const float wrap = static_cast<float>(rng() % 400);
        ASSERT_EQ(lay_out(f, s, align, scale, wrap), reference_layout(f, s, align, scale, wrap))
            << "round " << round << " " << testing::PrintToString(s);
    }
}

}  // namespace
