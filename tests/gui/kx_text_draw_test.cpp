// Text meshes drawn for real (Xvfb, Mesa software GL): every glyph quad lands on the pixels
// the layout gives it, with its own texture rectangle; a partial draw leaves out the tail.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/gui/kx_font.h"
#include "engine/gui/kx_text.h"
#include "engine/math/kx_math.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_tx.h"
#include "gui/text_test_font.h"
#include "support/test_gl_context.h"

namespace {

namespace fs = std::filesystem;
constexpr int kSize = 256;

// Positions scaled by u_pos_modif.z and moved to the anchor (x, y), as the game's text shader does.
const char* kVert =
    "uniform mat4 u_proj;\nuniform mat4 u_modelview;\nuniform vec4 u_pos_modif;\n"
    "attribute vec4 a_pos;\nattribute vec4 a_uv;\nvarying vec2 v_uv;\n"
    "void main() {\n  vec4 p = vec4(a_pos.xy * u_pos_modif.z + u_pos_modif.xy, 0.0, 1.0);\n"
    "  gl_Position = u_proj * u_modelview * p;\n  v_uv = a_uv.xy;\n}\n";
const char* kFrag =
    "uniform sampler2D u_sampler;\nvarying vec2 v_uv;\n"
    "void main() {\n  gl_FragColor = texture2D(u_sampler, v_uv);\n}\n";

std::string write_temp(const std::string& name, const char* text) {
    const fs::path dir = fs::temp_directory_path() / ("ironvale_textdraw_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / name).string();
    std::ofstream(path) << text;
    return path;
}

class TextDraw : public testing::Test {
   protected:
    static void SetUpTestSuite() {
        testing::internal::CaptureStdout();
        opened_ = test_gl_open(kSize, kSize);
        if (opened_)
            kx_text_create_shader(write_temp("t.vert", kVert).c_str(), write_temp("t.frag", kFrag).c_str());
        testing::internal::GetCapturedStdout();
    }
    static void TearDownTestSuite() {
        if (opened_) kx_text_destroy_shader();
        test_gl_close();
    }
    void SetUp() override {
        if (!opened_) GTEST_SKIP() << "no display";
        // Texel column c is colour (c, 255 - c, 128): a pixel tells which byte drew it.
        std::vector<unsigned char> pixels(256 * 4 * 4);
        for (int row = 0; row < 4; row++)
            for (int c = 0; c < 256; c++) {
                unsigned char* p = &pixels[(row * 256 + c) * 4];
                p[0] = static_cast<unsigned char>(c), p[1] = static_cast<unsigned char>(255 - c), p[2] = 128,
                p[3] = 255;
            }
        texture_ = kx_tx_create(256, 4, 4, 0, 1, pixels.data());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
    void TearDown() override {
        if (opened_) kx_tx_destroy(texture_);
    }

    // Draw count vertices of mesh at the anchor and read the window back, top row first.
    std::vector<uint32_t> draw(const kx_vbo_t& mesh, float ax, float ay, uint32_t count) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        const kx_sh_t* sh = &kx_text_shader;
        kx_sh_use(sh);
        mat4 proj, identity;
        kx_mat4_ortho(&proj, 0.0f, kSize, kSize, 0.0f);  // pixels, y down
        kx_mat4_ortho(&identity, -1.0f, 1.0f, -1.0f, 1.0f);
        identity.m[10] = 1.0f;
        glUniformMatrix4fv(sh->slot[KX_SH_U_PROJ], 1, GL_FALSE, proj.m);
        glUniformMatrix4fv(sh->slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, identity.m);
        glUniform1i(sh->slot[KX_SH_U_SAMPLER], 0);
        glUniform4f(sh->slot[KX_SH_U_POS_MODIF], ax, ay, 1.0f, 1.0f);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture_);
        kx_vbo_draw_ex(&mesh, sh, mesh.mode, count);
        glFinish();
        std::vector<uint8_t> rgba(kSize * kSize * 4);
        test_gl_read_rgba(0, 0, kSize, kSize, rgba.data());
        std::vector<uint32_t> top_down(kSize * kSize);
        for (int y = 0; y < kSize; y++)
            for (int x = 0; x < kSize; x++) {
                const uint8_t* p = &rgba[((kSize - 1 - y) * kSize + x) * 4];
                top_down[y * kSize + x] = (p[0] << 16) | (p[1] << 8) | p[2];
            }
        return top_down;
    }

    static inline bool opened_ = false;
    uint32_t texture_ = 0;
};

uint32_t colour_of(int byte) { return (static_cast<uint32_t>(byte) << 16) | ((255u - byte) << 8) | 128u; }

TEST_F(TextDraw, EveryQuadCoversExactlyThePixelsOfItsLayout) {
    const kx_font_t font = test_font(1.0f, 10);  // glyphs 8 x 10 units, s = 2 below
    const struct {
        std::string text;
        int align;
        float wrap;
        float ax, ay;
    } cases[] = {
        {"ab\\c", 0, 0.0f, 20, 40},
        {"xyz w", 2, 0.0f, 128, 100},
        {"hello world", 1, 60.0f, 240, 30},
        {"A\r\nB\tC", 0, 0.0f, 10, 200},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        kx_vbo_t mesh;
        testing::internal::CaptureStdout();
        kx_text_build(&mesh, &font, c.text.c_str(), c.align, 2.0f, c.wrap);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(mesh.count, c.text.size() * 6);
        EXPECT_EQ(mesh.stride, 32u);
        const auto layout = drawn_quads(lay_out(font, c.text, c.align, 2.0f, c.wrap));
        const auto image = draw(mesh, c.ax, c.ay, mesh.count);

        // Expected picture: each quad's pixels in its byte's colour, black elsewhere.
        std::vector<uint32_t> expected(kSize * kSize, 0);
        for (const auto& q : layout)
            for (int y = static_cast<int>(q.y0 + c.ay); y < static_cast<int>(q.y1 + c.ay); y++)
                for (int x = static_cast<int>(q.x0 + c.ax); x < static_cast<int>(q.x1 + c.ax); x++)
                    if (x >= 0 && y >= 0 && x < kSize && y < kSize)
                        expected[y * kSize + x] = colour_of(q.byte);
        int wrong = 0, lit = 0;
        for (int i = 0; i < kSize * kSize; i++) {
            wrong += image[i] != expected[i];
            lit += image[i] != 0;
        }
        EXPECT_EQ(wrong, 0) << "pixels off the layout";
        EXPECT_EQ(lit, static_cast<int>(layout.size()) * 16 * 20);
        kx_text_free(&mesh);
    }
}

TEST_F(TextDraw, DrawingTheFirstVerticesLeavesOutTheTail) {
    const kx_font_t font = test_font(1.0f, 10);
    kx_vbo_t mesh;
    testing::internal::CaptureStdout();
    kx_text_build_label(&mesh, &font, "abcd", 0);
    testing::internal::GetCapturedStdout();
    const auto image = draw(mesh, 10, 50, 2 * 6);
    int lit = 0;
    for (uint32_t p : image) lit += p != 0;
    EXPECT_EQ(lit, 2 * 8 * 10);
    EXPECT_EQ(image[45 * kSize + 12], colour_of('a'));
    EXPECT_EQ(image[45 * kSize + 22], colour_of('b'));
    EXPECT_EQ(image[45 * kSize + 31], 0u) << "c is not drawn";
    kx_text_free(&mesh);
}

TEST_F(TextDraw, EmptyAndBlankStringsDrawNothing) {
    const kx_font_t font = test_font(1.0f, 10);
    for (const char* text : {"", "   ", "\n\\\r", static_cast<const char*>(nullptr)}) {
        kx_vbo_t mesh;
        testing::internal::CaptureStdout();
        kx_text_build_label(&mesh, &font, text, 2);
        testing::internal::GetCapturedStdout();
        const auto image = draw(mesh, 128, 128, mesh.count);
        for (uint32_t p : image) ASSERT_EQ(p, 0u);
        kx_text_free(&mesh);
    }
}

TEST_F(TextDraw, GeneratedFontAndTextShaderDrawALabel) {
    const char* build = std::getenv("IRONVALE_BUILD_DIR");
    const fs::path assets = fs::path(build ? build : "..") / "assets";
    const fs::path font_path = assets / "font/fontcyr.bin", png = assets / "textures/font8cyr.png";
    const fs::path vs = assets / "shaders/text.vert.glsl", fs_path = assets / "shaders/text.frag.glsl";
    for (const auto& p : {font_path, png, vs, fs_path})
        if (!fs::exists(p)) GTEST_SKIP() << "no generated " << p;
    testing::internal::CaptureStdout();
    const uint32_t tex = kx_tx_load_png(png.c_str(), 1, 1, nullptr);
    kx_font_t font;
    kx_font_create(&font, tex, font_path.c_str(), 56, 1.0f);
    kx_sh_t ours = kx_text_shader;
    kx_text_create_shader(vs.c_str(), fs_path.c_str());
    kx_vbo_t mesh;
    kx_text_build_label(&mesh, &font, "HELLO", 2);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(tex, 0u);
    const auto layout = drawn_quads(lay_out(font, "HELLO", 2, 1.0f, 0.0f));
    ASSERT_EQ(layout.size(), 5u);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const uint32_t palette = texture_;
    texture_ = tex;
    const auto image = draw(mesh, 128, 128, mesh.count);
    texture_ = palette;
    glDisable(GL_BLEND);
    // Something is drawn, and only inside the layout's boxes around the anchor.
    int inside = 0, outside = 0;
    for (int y = 0; y < kSize; y++)
        for (int x = 0; x < kSize; x++) {
            if (image[y * kSize + x] == 0) continue;
            bool in = false;
            for (const auto& q : layout)
                in = in || (x >= q.x0 + 127 && x <= q.x1 + 129 && y >= q.y0 + 127 && y <= q.y1 + 129);
            (in ? inside : outside)++;
        }
    EXPECT_GT(inside, 50);
    EXPECT_EQ(outside, 0);
    kx_text_free(&mesh);
    kx_text_destroy_shader();
    kx_text_shader = ours;
    kx_tx_destroy(tex);
}

}  // namespace
