// Vertex buffers and .rawmdl models: which files load (empty, whole records, at and
// beyond the size limit, broken lengths, missing), the byte layout as uploaded, and
// what reaches the shader's attributes when a model is drawn and read back.
#include "engine/render/kx_vbo.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/render/kx_gl.h"
#include "engine/render/kx_sh.h"
#include "tests/render/render_fixture.h"

namespace {

struct record {
    float x, y, z, nx, ny, nz, u, v;
};
std::string model_bytes(const std::vector<record>& r) {
    return std::string(reinterpret_cast<const char*>(r.data()), r.size() * sizeof(record));
}

// Colours within one step per channel (software GL may round either way).
bool near(uint32_t a, uint32_t b) {
    for (int s = 0; s < 32; s += 8)
        if (std::abs(static_cast<int>(a >> s & 255) - static_cast<int>(b >> s & 255)) > 1) return false;
    return true;
}

}  // namespace

TEST_F(GlTest, WhichModelFilesLoad) {
    // File size (-1: no file) and whether it loads: empty, whole records up to 65536 triangles.
    const long max = 196608L * 32,
               cases[][2] = {{0, 1}, {6 * 32, 1}, {max, 1}, {max + 32, 0}, {6 * 32 + 1, 0}, {31, 0}, {-1, 0}};
    const kx_vbo_attrib_t layout[3] = {
        {4, GL_FLOAT, 0, KX_SH_A_POS}, {3, GL_FLOAT, 4, KX_SH_A_NORM}, {4, GL_FLOAT, 8, KX_SH_A_UV}};
    for (const auto& [bytes, loads] : cases) {
        SCOPED_TRACE(bytes);
        std::filesystem::remove(path("m.rawmdl"));
        if (bytes >= 0) put("m.rawmdl", std::string(static_cast<size_t>(bytes), '\0'));
        kx_vbo_t vbo;
        std::memset(&vbo, 0xAB, sizeof vbo);
        int ok = -1;
        logged([&] { ok = kx_vbo_try_rawmdl(&vbo, path("m.rawmdl").c_str()); });
        EXPECT_EQ(ok, loads);
        if (!ok) {
            EXPECT_EQ(vbo.count, 0xABABABABu) << "a refused model leaves the record alone";
            continue;
        }
        EXPECT_EQ(vbo.count, static_cast<uint32_t>(bytes / 32));
        EXPECT_EQ(vbo.stride, 48u);
        EXPECT_EQ(vbo.mode, static_cast<uint32_t>(GL_TRIANGLES));
        ASSERT_EQ(vbo.attrib_count, 3u);
        EXPECT_EQ(std::memcmp(vbo.attribs, layout, sizeof layout), 0);
        kx_vbo_destroy(&vbo);
    }
}

TEST_F(GlTest, ModelRecordsExpandAndFeedPositionNormalAndUv) {
    kx_vbo_t vbo;
    const std::vector<record> r = {{1, 2, 3, 4, 5, 6, 7, 8}, {-1, -2, -3, -4, -5, -6, -7, -8}};
    ASSERT_EQ(kx_vbo_try_rawmdl(&vbo, put("r.rawmdl", model_bytes(r)).c_str()), 1);
    float back[24];
    glBindBuffer(GL_ARRAY_BUFFER, vbo.buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof back, back);
    const float want[24] = {1, 2, 3, 1, 4, 5, 6, 0, 7, 8, 0, 0, -1, -2, -3, 1, -4, -5, -6, 0, -7, -8, 0, 0};
    for (int i = 0; i < 24; ++i) EXPECT_EQ(back[i], want[i]) << i;
    kx_vbo_destroy(&vbo);

    // Shows what arrives: red = normal x, green = u, blue = v, alpha = position w.
    kx_sh_t sh;
    ASSERT_EQ(
        kx_sh_create_src(
            &sh,
            "attribute vec4 a_pos;\nattribute vec3 a_norm;\nattribute vec4 a_uv;\nvarying vec4 c;\n"
            "void main() { c = vec4(a_norm.x, a_uv.xy, a_pos.w); gl_Position = vec4(a_pos.xyz, 1.0); }\n",
            "varying vec4 c;\nvoid main() { gl_FragColor = c; }\n"),
        1);
    for (auto [slot, name] :
         {std::pair{KX_SH_A_POS, "a_pos"}, {KX_SH_A_NORM, "a_norm"}, {KX_SH_A_UV, "a_uv"}})
        sh.slot[slot] = kx_sh_attrib(&sh, name);
    // Triangle A covers pixel (6, 6), triangle B pixel (57, 6); the centre stays empty.
    const std::vector<record> two = {
        {-.9f, -.9f, 0, .5f, 0, 0, .25f, .75f}, {-.1f, -.9f, 0, .5f, 0, 0, .25f, .75f},
        {-.9f, .9f, 0, .5f, 0, 0, .25f, .75f},  {.9f, -.9f, 0, .5f, 0, 0, .25f, .75f},
        {.1f, -.9f, 0, .5f, 0, 0, .25f, .75f},  {.9f, .9f, 0, .5f, 0, 0, .25f, .75f}};
    ASSERT_EQ(kx_vbo_try_rawmdl(&vbo, put("two.rawmdl", model_bytes(two)).c_str()), 1);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    kx_sh_use(&sh);
    for (uint32_t count : {6u, 3u}) {  // the first three vertices are exactly the first triangle
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        if (count == 6)
            kx_vbo_draw(&vbo, &sh);
        else
            kx_vbo_draw_ex(&vbo, &sh, GL_TRIANGLES, count);
        const uint32_t a = test_gl_pixel(6, 6), b = test_gl_pixel(57, 6);
        EXPECT_TRUE(near(a, 0x8040BFFF)) << std::hex << a;
        EXPECT_EQ(b, count == 6 ? a : 0u) << std::hex << b;
        EXPECT_EQ(test_gl_pixel(32, 32), 0u);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    kx_vbo_destroy(&vbo);
    kx_sh_destroy(&sh);
}

TEST_F(GlTest, VertexBufferKeepsAtMostSevenAttributes) {
    kx_vbo_attrib_t attribs[9];
    for (uint32_t i = 0; i < 9; ++i) attribs[i] = {4, GL_FLOAT, i * 4, KX_SH_A_POS};
    const float data[36] = {};
    kx_vbo_t vbo;
    kx_vbo_create(&vbo, data, 1, 36, GL_POINTS, 9, attribs);
    EXPECT_EQ(vbo.attrib_count, 7u);
    kx_vbo_destroy(&vbo);
}

TEST(KxVboDeath, MissingModelEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    kx_vbo_t vbo;
    EXPECT_EXIT(kx_vbo_load_rawmdl(&vbo, "/nonexistent/model.rawmdl"), ::testing::ExitedWithCode(1), "");
}
