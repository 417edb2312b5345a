// Vertex buffers and .rawmdl models: which files load, and what reaches the shader's
// attributes when a model is drawn and read back.
#include "engine/render/kx_vbo.h"

#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "engine/render/kx_gl.h"
#include "tests/render/render_fixture.h"

TEST_F(GlTest, WhichModelFilesLoad) {
    // File size and whether it loads: empty, whole 32-byte records up to 65536 triangles.
    const long max = 196608L * 32, cases[][2] = {{0, 1}, {192, 1}, {max, 1}, {max + 96, 0}, {193, 0}};
    for (const auto& [size, loads] : cases) {
        const std::string model = put("m.rawmdl", std::string(static_cast<size_t>(size), '\0'));
        kx_vbo_t vbo;
        std::memset(&vbo, 0xAB, sizeof vbo);
        EXPECT_EQ(kx_vbo_try_rawmdl(&vbo, model.c_str()), loads) << size;
        EXPECT_EQ(vbo.count, loads ? static_cast<uint32_t>(size / 32) : 0xABABABABu) << "refused: untouched";
        if (loads) kx_vbo_destroy(&vbo);
    }
}

TEST(KxVbo, RecordsExpandToPositionNormalAndUvVectors) {
    const float in[2][8] = {{1, 2, 3, 4, 5, 6, 7, 8}, {-1, -2, -3, -4, -5, -6, -7, -8}};
    std::array<float, 24> out;
    out.fill(99);
    kx_vbo_expand_rawmdl(&in[0][0], 2, out.data());
    EXPECT_EQ(out, (std::array<float, 24>{1,  2,  3,  1, 4,  5,  6,  0, 7,  8,  0, 0,  //
                                          -1, -2, -3, 1, -4, -5, -6, 0, -7, -8, 0, 0}));
}

TEST_F(GlTest, ModelFeedsPositionNormalAndUv) {
    // Shows what arrives: red = normal x, green = u, blue = v, alpha = position w (the loader's 1).
    kx_sh_t sh;
    ASSERT_EQ(
        kx_sh_create_src(
            &sh,
            "attribute vec4 a_pos;\nattribute vec3 a_norm;\nattribute vec4 a_uv;\nvarying vec4 c;\nvoid "
            "main() { c = vec4(a_norm.x, a_uv.xy, a_pos.w); gl_Position = vec4(a_pos.xyz, 1.0); }\n",
            "varying vec4 c;\nvoid main() { gl_FragColor = c; }\n"),
        1);
    for (auto [slot, name] :
         {std::pair{KX_SH_A_POS, "a_pos"}, {KX_SH_A_NORM, "a_norm"}, {KX_SH_A_UV, "a_uv"}})
        sh.slot[slot] = kx_sh_attrib(&sh, name);
    const float lower_left[3][8] = {{-1, -1, 0, .5f, 0, 0, .25f, .75f},
                                    {0, -1, 0, .5f, 0, 0, .25f, .75f},
                                    {-1, 0, 0, .5f, 0, 0, .25f, .75f}};
    kx_vbo_t vbo;
    std::memset(&vbo, 0, sizeof vbo);  // attributes past the three loaded must not be fed
    const std::string bytes(reinterpret_cast<const char*>(lower_left), sizeof lower_left);
    ASSERT_EQ(kx_vbo_try_rawmdl(&vbo, put("m.rawmdl", bytes).c_str()), 1);
    glClear(GL_COLOR_BUFFER_BIT);
    kx_sh_use(&sh);
    kx_vbo_draw(&vbo, &sh);
    const uint32_t in = test_gl_pixel(6, 6);
    for (int s = 0; s < 32; s += 8) EXPECT_NEAR(in >> s & 255, 0x8040BFFFu >> s & 255, 1) << std::hex << in;
    EXPECT_EQ(test_gl_pixel(40, 40), 0u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    kx_vbo_destroy(&vbo);
    kx_sh_destroy(&sh);
}
