// Text meshes drawn for real (Xvfb, Mesa software GL): every glyph quad lands on the pixels
// the layout gives it, in its byte's texture column; drawing fewer vertices leaves out the tail.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// Texel column c is colour (c, 255 - c, 128): a pixel tells which byte drew it.
uint32_t colour_of(int byte) { return (static_cast<uint32_t>(byte) << 16) | ((255u - byte) << 8) | 128u; }

TEST(TextDraw, EveryQuadCoversExactlyThePixelsOfItsLayout) {
    if (!test_gl_open(kSize, kSize)) GTEST_SKIP() << "no display";
    const fs::path dir = fs::temp_directory_path() / ("ironvale_textdraw_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / "t.vert") << kVert;
    std::ofstream(dir / "t.frag") << kFrag;
    kx_text_create_shader((dir / "t.vert").c_str(), (dir / "t.frag").c_str());
    fs::remove_all(dir);
    const kx_sh_t* sh = &kx_text_shader;
    std::vector<uint32_t> texels(256 * 4);
    for (size_t i = 0; i < texels.size(); i++) texels[i] = colour_of(static_cast<int>(i % 256));
    std::vector<uint8_t> rgba(texels.size() * 4);
    for (size_t i = 0; i < texels.size(); i++)
        for (int k = 0; k < 4; k++)
            rgba[i * 4 + k] = k == 3 ? 255 : static_cast<uint8_t>(texels[i] >> (16 - 8 * k));
    const uint32_t texture = kx_tx_create(256, 4, 4, 0, 1, rgba.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);

    const kx_font_t font = test_font();  // glyphs 8 x 10 units, drawn at scale 2
    const struct {
        std::string text;
        int align;
        float wrap, ax, ay;
        int quads;  // drawn; -1: all
    } cases[] = {
        {"ab\\c", 0, 0.0f, 20, 40, -1},         {"xyz w", 2, 0.0f, 128, 100, -1},
        {"hello world", 1, 60.0f, 240, 30, -1}, {"A\r\nB\tC", 0, 0.0f, 10, 200, -1},
        {"abcd", 0, 0.0f, 10, 50, 2},                                               // the tail left out
        {"   ", 2, 0.0f, 128, 128, -1},         {"\n\\\r", 2, 0.0f, 128, 128, -1},  // blank: nothing drawn
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.text));
        kx_vbo_t mesh;
        kx_text_build(&mesh, &font, c.text.c_str(), c.align, 2.0f, c.wrap);
        ASSERT_EQ(mesh.count, c.text.size() * 6);
        auto layout = drawn_quads(lay_out(font, c.text, c.align, 2.0f, c.wrap));
        if (c.quads >= 0) layout.resize(c.quads);

        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        kx_sh_use(sh);
        mat4 proj, identity;
        kx_mat4_ortho(&proj, 0.0f, kSize, kSize, 0.0f);  // pixels, y down
        kx_mat4_identity(&identity);
        glUniformMatrix4fv(sh->slot[KX_SH_U_PROJ], 1, GL_FALSE, proj.m);
        glUniformMatrix4fv(sh->slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, identity.m);
        glUniform1i(sh->slot[KX_SH_U_SAMPLER], 0);
        glUniform4f(sh->slot[KX_SH_U_POS_MODIF], c.ax, c.ay, 1.0f, 1.0f);
        glBindTexture(GL_TEXTURE_2D, texture);
        kx_vbo_draw_ex(&mesh, sh, mesh.mode, c.quads < 0 ? mesh.count : c.quads * 6);
        glFinish();
        std::vector<uint8_t> image(kSize * kSize * 4);
        test_gl_read_rgba(0, 0, kSize, kSize, image.data());

        // Expected picture: each quad's pixels in its byte's colour, black elsewhere.
        std::vector<uint32_t> expected(kSize * kSize, 0);
        for (const auto& q : layout)
            for (int y = static_cast<int>(q.y0 + c.ay); y < static_cast<int>(q.y1 + c.ay); y++)
                for (int x = static_cast<int>(q.x0 + c.ax); x < static_cast<int>(q.x1 + c.ax); x++)
                    if (x >= 0 && y >= 0 && x < kSize && y < kSize)
                        expected[y * kSize + x] = colour_of(q.byte);
        int wrong = 0;
        for (int y = 0; y < kSize; y++)
            for (int x = 0; x < kSize; x++) {
                const uint8_t* p = &image[((kSize - 1 - y) * kSize + x) * 4];  // rows read bottom first
                wrong += ((p[0] << 16) | (p[1] << 8) | p[2]) != static_cast<int>(expected[y * kSize + x]);
            }
        EXPECT_EQ(wrong, 0) << "pixels off the layout";
        kx_text_free(&mesh);
    }
    kx_tx_destroy(texture);
    kx_text_destroy_shader();
    test_gl_close();
}

}  // namespace
