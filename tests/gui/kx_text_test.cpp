// Text: layout without GL (case by case, worked out by hand),
// font and registry files, and meshes drawn under Xvfb with the game's text shader.
#include "engine/gui/kx_text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/gui/kx_text_registry.h"
#include "engine/math/kx_math.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_tx.h"
#include "support/test_gl_context.h"

namespace {

namespace fs = std::filesystem;

// Every byte advances 10 units and draws an 8 x 10 box from the pen (y -10..0); its
// texture s0 is byte / 256, so a quad tells which byte it belongs to.
kx_font_t test_font() {
    kx_font_t f{0, 1.0f, 10, {}, {}};  // lines 12 apart
    for (int c = 0; c < 256; c++) {
        float* g = f.glyph[c];
        f.advance[c] = 10.0f, g[1] = -10.0f, g[2] = 8.0f, g[7] = 1.0f;
        g[4] = c / 256.0f, g[6] = (c + 1) / 256.0f;
    }
    return f;
}

struct text_quad_t {
    int byte;
    float x0, y0, x1, y1;
};

std::vector<text_quad_t> drawn_quads(const std::vector<float>& v) {
    std::vector<text_quad_t> out;
    for (size_t i = 0; i < v.size(); i += KX_TEXT_FLOATS_PER_BYTE)
        if (v[i + 3] != 0.0f)  // the last vertex holds the far corner
            out.push_back({static_cast<int>(v[i + 4] * 256.0f + 0.5f), v[i], v[i + 1], v[i + 40], v[i + 41]});
    return out;
}

std::vector<float> lay_out(const kx_font_t& f, const std::string& s, int align, float scale, float wrap,
                           kx_text_layout_t* result = nullptr) {
    std::vector<float> v(s.size() * KX_TEXT_FLOATS_PER_BYTE, -7.0f);  // garbage that must be overwritten
    const kx_text_layout_t r = kx_text_layout(&f, s.data(), s.size(), align, scale, wrap, v.data());
    if (result) *result = r;
    return v;
}

const fs::path kDir = fs::temp_directory_path() / ("ironvale_text_" + std::to_string(getpid()));

std::string temp_file(const std::string& name, const std::string& bytes) {
    fs::create_directories(kDir);
    std::ofstream(kDir / name, std::ios::binary) << bytes;
    return (kDir / name).string();
}

class Text : public testing::Test {
   protected:
    void TearDown() override {
        kx_text_registry_free();
        fs::remove_all(kDir);
    }
};

TEST_F(Text, PenAlignmentLineBreaksAndWordWrap) {
    kx_font_t f = test_font();                 // line height 12, pen step 9
    f.advance['\n'] = f.advance['\r'] = 1.0f;  // break bytes add nothing to the pen
    const struct {
        std::string text;
        float wrap;
        int lines;
        std::string rows;  // the line of each drawn quad, in order
        int align = 0;
        float line_x = 0, pen_x = -1;  // where lines start; the pen at the end (-1: not checked)
    } cases[] = {
        {"AB", 0, 1, "00", 0, 0, 18},  // each glyph one pixel tighter than its advance
        {"AB", 0, 1, "00", 1, -18, 18},
        {"AB", 0, 1, "00", 2, -9},
        {"ab\\cd", 0, 2, "0011", 1, -45, 18},  // aligned as one line, breaks included
        {"    ", 0, 1, "", 2, 0, 36},          // spaces draw nothing but move the pen
        {"a\\b", 0, 2, "01"},
        {"a\r\nb", 0, 2, "01"},
        {"a\n\rb", 0, 2, "01"},
        {"a\n\nb", 0, 3, "02"},
        {"a\nb\rc", 0, 3, "012"},
        {"a\r\n\r\nb", 0, 3, "02"},  // each pair breaks once: the blank line stays
        {"a\n\r\nb", 0, 3, "02"},    // the second \n does not pair with an \r that did not break
        {"\r\nb", 0, 2, "1"},
        {"\\\\a", 0, 3, "2"},
        {"a\tb", 0, 1, "000"},  // a tab draws its glyph
        {"aaaaa bbb", 50, 2, "00000111"},
        {"ab\tcdef", 30, 2, "0001111"},       // a tab is a break point
        {"abcdefghij", 30, 1, "0000000000"},  // one long word stays on its line
        {"a \\bcdefgh", 40, 2, "01111111"},   // a line break forgets the break point
        {"ab ab ab ", 0, 1, "000000"},        // widths below 1.01 mean no wrap
        {"ab ab ab ", 1.5f, 4, "001122"},     // a tiny width breaks at every space
        {"ab ab ab ", 1.01f, 4, "001122"},    // 1.01 is the least width that wraps
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        kx_text_layout_t r;
        const auto q = drawn_quads(lay_out(f, c.text, c.align, 1.0f, c.wrap, &r));
        EXPECT_EQ(r.lines, c.lines);
        EXPECT_FLOAT_EQ(c.pen_x == -1 ? -1.0f : r.pen_x, c.pen_x);
        ASSERT_EQ(q.size(), c.rows.size());
        for (size_t i = 0; i < q.size(); i++) {
            EXPECT_EQ(q[i].y1, 12.0f * (c.rows[i] - '0')) << i;
            const bool line_start = i == 0 || c.rows[i] != c.rows[i - 1];
            EXPECT_EQ(line_start ? q[i].x0 : c.line_x, c.line_x) << i;
        }
    }
    // Text scale 2 and font scale 1.25: pen step 10 x 2.5 - 1 = 24, line height int(10 x 2.5 x 1.2) = 30,
    // right-aligned by the four steps of "a\xFE\\c" (a high byte indexes the tables unsigned); boxes 20 x 25.
    f.scale = 1.25f;
    kx_text_layout_t r;
    const auto q = drawn_quads(lay_out(f, "a\xFE\\c", 1, 2.0f, 0, &r));
    ASSERT_EQ(q.size(), 3u);
    EXPECT_EQ(
        (std::vector<float>{q[0].x0, q[0].y0, q[0].x1, q[0].y1, q[1].x0, q[1].x1, q[2].x0, q[2].y0, q[2].y1}),
        (std::vector<float>{-96, -25, -76, 0, -72, -52, -96, 5, 30}));
    EXPECT_EQ((std::vector<int>{q[0].byte, q[1].byte, q[2].byte, r.lines}),
              (std::vector<int>{'a', 0xFE, 'c', 2}));
    EXPECT_EQ(r.pen_x, 24.0f);
}

// u32 count, u32 declared size, then { u32 length; bytes } per entry.
std::string registry_image(uint32_t size, const std::vector<std::string>& entries) {
    std::string out;
    auto u32 = [&](size_t v) { out.append(reinterpret_cast<const char*>(&v), 4); };  // little-endian host
    u32(entries.size());
    u32(size);
    for (const auto& e : entries) u32(e.size()), out += e;
    return out;
}

TEST_F(Text, RegistryRefusesEntriesBeyondItsSizeAndKeepsWhatATruncatedFileHolds) {
    const std::vector<std::string> two = {"abcd", "efgh"}, three = {"first", "second", "third"};
    const std::string whole = registry_image(64, three);
    const struct {
        std::string image;
        int loaded;
        std::vector<std::string> entries;
    } cases[] = {
        {registry_image(10, two), 1, two},  // exactly full: each entry and its NUL
        {registry_image(9, two), 0, {}},
        {registry_image(0, {""}), 0, {}},  // even an empty entry needs its NUL
        {registry_image(20, {"abc", std::string(0xFFFF, 'x'), "d"}), 0, {}},
        {std::string("\xFF\xFF\xFF\xFF\x10\0\0\0", 8), 0, {}},  // more entries than bytes
        {whole, 1, three},
        {whole.substr(0, whole.size() - 2), 1, {"first", "second", "thi"}},  // last entry cut short
        {whole.substr(0, 8 + 4 + 5 + 2), 1, {"first"}},                      // inside a length field
        {whole.substr(0, 8), 1, {}},
        {whole.substr(0, 7), 0, {}},  // not even a header
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.image.size());
        // A separate allocation of exactly the image, so ASan sees any read past it.
        const std::vector<uint8_t> bytes(c.image.begin(), c.image.end());
        EXPECT_EQ(kx_text_registry_parse(bytes.data(), static_cast<long>(bytes.size())), c.loaded);
        std::vector<std::string> got;
        for (uint32_t i = 0; i < kx_text_registry.count; i++) got.emplace_back(kx_text_registry_get(i));
        EXPECT_EQ(got, c.entries);
    }
    EXPECT_EQ(kx_text_registry_load(temp_file("r.bin", whole.substr(0, whole.size() - 2)).c_str()), 1);
    EXPECT_STREQ(kx_text_registry_get(2), "thi");
}

TEST_F(Text, ShortFontFileIsRefusedAndKeepsWhatIsThere) {
    std::vector<float> floats(KX_FONT_FILE_BYTES / 4);
    for (size_t i = 0; i < floats.size(); i++) floats[i] = static_cast<float>(i) * 0.5f;
    const std::string whole(reinterpret_cast<const char*>(floats.data()), KX_FONT_FILE_BYTES);
    for (const long bytes : {long{KX_FONT_FILE_BYTES}, 100L}) {
        kx_font_t f;
        std::memset(&f, 0x55, sizeof f);
        const std::string path = temp_file("font.bin", whole.substr(0, bytes));
        EXPECT_EQ(kx_font_create(&f, 7, path.c_str(), 56, 1.25f), bytes == KX_FONT_FILE_BYTES);
        EXPECT_TRUE(f.texture == 7 && f.size == 56 && f.scale == 1.25f);
        for (int i = 0; i < KX_FONT_FILE_BYTES / 4; i++)  // advances, then 8 floats per glyph
            ASSERT_EQ(i < 256 ? f.advance[i] : f.glyph[i / 8 - 32][i % 8], i < bytes / 4 ? i * 0.5f : 0.0f)
                << i;
    }
}

TEST_F(Text, DrawnMeshesCoverExactlyThePixelsOfTheirLayout) {
    constexpr int kSize = 256;
    if (!test_gl_open(kSize, kSize)) GTEST_SKIP() << "no display";
    kx_text_create_shader(IRONVALE_SHADERS "/text.vert.glsl", IRONVALE_SHADERS "/text.frag.glsl");
    const kx_sh_t* sh = &kx_text_shader;
    std::vector<uint8_t> grey;  // texel column c is grey level c: a pixel names the byte drawn there
    for (int c = 0; c < 256 * 4; c++) grey.insert(grey.end(), {uint8_t(c), uint8_t(c), uint8_t(c), 255});
    const uint32_t texture = kx_tx_create(256, 4, 4, 0, 1, grey.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    kx_sh_use(sh);
    mat4 proj, identity;
    kx_mat4_ortho(&proj, 0.0f, kSize, kSize, 0.0f);  // pixels, y down
    kx_mat4_identity(&identity);
    glUniformMatrix4fv(sh->slot[KX_SH_U_PROJ], 1, GL_FALSE, proj.m);
    glUniformMatrix4fv(sh->slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, identity.m);

    const kx_font_t font = test_font();
    // "hello world" right-aligned on (240, 30), wrapped, at scale 2; a centred label (scale 1) on (128, 200).
    glClear(GL_COLOR_BUFFER_BIT);
    std::vector<uint8_t> image(kSize * kSize * 4), expected(kSize * kSize, 0);  // bottom row first
    for (const bool label : {false, true}) {
        const std::string text = label ? "label" : "hello world";
        const int align = label ? 2 : 1, ax = label ? 128 : 240, ay = label ? 200 : 30;
        const float scale = label ? 1.0f : 2.0f, wrap = label ? 0.0f : 60.0f;
        kx_vbo_t mesh;
        if (label) kx_text_build_label(&mesh, &font, text.c_str(), align);
        else kx_text_build(&mesh, &font, text.c_str(), align, scale, wrap);
        glUniform4f(sh->slot[KX_SH_U_POS_MODIF], static_cast<float>(ax), static_cast<float>(ay), 1.0f, 1.0f);
        kx_vbo_draw(&mesh, sh);
        kx_text_free(&mesh);
        for (const auto& q : drawn_quads(lay_out(font, text, align, scale, wrap)))
            for (int y = int(q.y0 + ay); y < int(q.y1 + ay); y++)
                for (int x = int(q.x0 + ax); x < int(q.x1 + ax); x++)
                    expected[(kSize - 1 - y) * kSize + x] = static_cast<uint8_t>(q.byte);
    }
    test_gl_read_rgba(0, 0, kSize, kSize, image.data());
    int wrong = 0;
    for (int i = 0; i < kSize * kSize; i++) wrong += image[i * 4] != expected[i];
    EXPECT_EQ(wrong, 0) << "pixels off the layout";
    kx_tx_destroy(texture);
    kx_text_destroy_shader();
    test_gl_close();
}

}  // namespace
