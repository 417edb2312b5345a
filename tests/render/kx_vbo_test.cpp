// Vertex buffers and .rawmdl models: which files load (empty, whole records, at and
// beyond the size limit, broken lengths, missing), the uploaded layout, and what
// reaches the shader's attributes when a model is drawn and read back.
#include <cstring>
#include <string>
#include <vector>

#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "engine/render/kx_sh.h"
#include "engine/render/kx_tx.h"
#include "engine/render/kx_vbo.h"
#include "tests/render/render_fixture.h"

namespace {

struct record {
    float x, y, z, nx, ny, nz, u, v;
};

// One triangle in clip space, every vertex with the same normal and uv.
void triangle(std::vector<record>* out, float x0, float y0, float x1, float y1, float x2, float y2, float nx,
              float u, float v) {
    out->push_back({x0, y0, 0, nx, 0, 0, u, v});
    out->push_back({x1, y1, 0, nx, 0, 0, u, v});
    out->push_back({x2, y2, 0, nx, 0, 0, u, v});
}

// Triangle A covers pixel (6, 6), triangle B pixel (57, 6); the centre stays empty.
std::vector<record> two_triangles(float u_a, float u_b) {
    std::vector<record> r;
    triangle(&r, -0.9f, -0.9f, -0.1f, -0.9f, -0.9f, 0.9f, 0.5f, u_a, 0.75f);
    triangle(&r, 0.9f, -0.9f, 0.1f, -0.9f, 0.9f, 0.9f, 0.5f, u_b, 0.75f);
    return r;
}

// Shows what arrives: red = normal x, green = u, blue = v, alpha = position w.
const char* const kFeedVs =
    "attribute vec4 a_pos;\nattribute vec3 a_norm;\nattribute vec4 a_uv;\nvarying vec4 c;\n"
    "void main() { c = vec4(a_norm.x, a_uv.x, a_uv.y, a_pos.w); gl_Position = vec4(a_pos.xyz, 1.0); }\n";
const char* const kFeedFs = "varying vec4 c;\nvoid main() { gl_FragColor = c; }\n";

bool near(uint32_t rgba, uint32_t want) {
    for (int s = 0; s < 32; s += 8) {
        const int a = static_cast<int>((rgba >> s) & 0xFF), b = static_cast<int>((want >> s) & 0xFF);
        if (a - b > 1 || b - a > 1) return false;
    }
    return true;
}

class KxVbo : public GlTest {
protected:
    std::string model(const std::string& name, const std::vector<record>& r) {
        write_file(name, r.data(), r.size() * sizeof(record));
        return path(name);
    }
    void clear() {
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
    }
};

}  // namespace

TEST_F(KxVbo, WhichModelFilesLoad) {
    const long max = 196608L * 32;
    const struct {
        const char* what;
        long bytes;  // -1: no file
        int ok;
        const char* log_has;
    } cases[] = {
        {"empty", 0, 1, nullptr},
        {"two triangles", 6 * 32, 1, nullptr},
        {"largest allowed", max, 1, nullptr},
        {"one record too many", max + 32, 0, "is too long (6291488 bytes, at most 6291456)"},
        {"31 bytes", 31, 0, "is 31 bytes, not whole 32-byte vertices"},
        {"one byte over", 6 * 32 + 1, 0, "not whole 32-byte vertices"},
        {"missing", -1, 0, "Error while creating VBO, missing file ["},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = path("m.rawmdl");
        std::remove(file.c_str());
        if (c.bytes >= 0) {
            std::vector<unsigned char> bytes(static_cast<size_t>(c.bytes), 0);
            write_file("m.rawmdl", bytes.data(), bytes.size());
        }
        kx_vbo_t vbo;
        std::memset(&vbo, 0xAB, sizeof vbo);
        int ok = -1;
        const std::string log = logged([&] { ok = kx_vbo_try_rawmdl(&vbo, file.c_str()); });
        EXPECT_EQ(ok, c.ok);
        if (c.log_has) {
            EXPECT_NE(log.find(c.log_has), std::string::npos) << log;
        }
        if (ok) {
            EXPECT_EQ(vbo.count, static_cast<uint32_t>(c.bytes / 32));
            EXPECT_EQ(vbo.stride, 48u);
            EXPECT_EQ(vbo.mode, static_cast<uint32_t>(GL_TRIANGLES));
            ASSERT_EQ(vbo.attrib_count, 3u);
            const kx_vbo_attrib_t want[3] = {{4, GL_FLOAT, 0, KX_SH_A_POS},
                                             {3, GL_FLOAT, 4, KX_SH_A_NORM},
                                             {4, GL_FLOAT, 8, KX_SH_A_UV}};
            EXPECT_EQ(std::memcmp(vbo.attribs, want, sizeof want), 0);
            kx_vbo_destroy(&vbo);
        } else {
            EXPECT_EQ(vbo.count, 0xABABABABu) << "a refused model leaves the record alone";
        }
    }
}

TEST_F(KxVbo, RecordsExpandToTwelveFloats) {
    std::vector<record> r = {{1, 2, 3, 4, 5, 6, 7, 8}, {-1, -2, -3, -4, -5, -6, -7, -8}, {9, 9, 9, 0, 0, 1, 0.5f, 0.25f}};
    kx_vbo_t vbo;
    ASSERT_EQ(kx_vbo_try_rawmdl(&vbo, model("r.rawmdl", r).c_str()), 1);
    float back[36];
    glBindBuffer(GL_ARRAY_BUFFER, vbo.buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof back, back);
    const float want[36] = {1, 2, 3, 1, 4, 5, 6, 0, 7, 8, 0, 0,  -1, -2, -3, 1, -4, -5, -6, 0, -7, -8, 0, 0,
                            9, 9, 9, 1, 0, 0, 1, 0, 0.5f, 0.25f, 0, 0};
    for (int i = 0; i < 36; ++i) EXPECT_EQ(back[i], want[i]) << i;
    kx_vbo_destroy(&vbo);
}

TEST_F(KxVbo, ModelLayoutFeedsPositionNormalAndUv) {
    kx_sh_t sh;
    ASSERT_EQ(kx_sh_create_src(&sh, kFeedVs, kFeedFs), 1);
    sh.slot[KX_SH_A_POS] = kx_sh_attrib(&sh, "a_pos");
    sh.slot[KX_SH_A_NORM] = kx_sh_attrib(&sh, "a_norm");
    sh.slot[KX_SH_A_UV] = kx_sh_attrib(&sh, "a_uv");
    kx_vbo_t vbo;
    ASSERT_EQ(kx_vbo_try_rawmdl(&vbo, model("two.rawmdl", two_triangles(0.25f, 0.25f)).c_str()), 1);
    ASSERT_EQ(vbo.count, 6u);

    clear();
    kx_sh_use(&sh);
    kx_vbo_draw(&vbo, &sh);
    EXPECT_TRUE(near(test_gl_pixel(6, 6), 0x8040BFFF)) << std::hex << test_gl_pixel(6, 6);
    EXPECT_TRUE(near(test_gl_pixel(57, 6), 0x8040BFFF)) << std::hex << test_gl_pixel(57, 6);
    EXPECT_EQ(test_gl_pixel(32, 32), 0u);

    // The first three vertices are exactly the first triangle.
    clear();
    kx_vbo_draw_ex(&vbo, &sh, GL_TRIANGLES, 3);
    EXPECT_NE(test_gl_pixel(6, 6), 0u);
    EXPECT_EQ(test_gl_pixel(57, 6), 0u);
    GLint bound = -1;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    kx_vbo_destroy(&vbo);
    kx_sh_destroy(&sh);
}

TEST_F(KxVbo, DefaultProgramWithoutNormalsDrawsTexturedModel) {
    kx_sh_init();
    ASSERT_EQ(kx_sh_default.slot[KX_SH_A_NORM], -1);
    const unsigned char red_green[6] = {255, 0, 0, 0, 255, 0};
    const uint32_t tex = kx_tx_create(2, 1, 3, 0, 1, red_green);
    kx_vbo_t vbo;
    ASSERT_EQ(kx_vbo_try_rawmdl(&vbo, model("rg.rawmdl", two_triangles(0.25f, 0.75f)).c_str()), 1);

    clear();
    kx_sh_use(&kx_sh_default);
    kx_mat4_identity(&kx_matrices.proj);
    kx_mat4_identity(&kx_matrices.modelview);
    kx_matrices_set(&kx_sh_default);
    glUniform1i(kx_sh_default.slot[KX_SH_U_SAMPLER], 0);
    glBindTexture(GL_TEXTURE_2D, tex);
    kx_vbo_draw(&vbo, &kx_sh_default);
    EXPECT_EQ(test_gl_pixel(6, 6), 0xFF0000FFu);
    EXPECT_EQ(test_gl_pixel(57, 6), 0x00FF00FFu);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    kx_vbo_destroy(&vbo);
    kx_tx_destroy(tex);
    kx_sh_term();
}

TEST_F(KxVbo, EmptyModelDrawsNothing) {
    kx_sh_t sh;
    ASSERT_EQ(kx_sh_create_src(&sh, kFeedVs, kFeedFs), 1);
    sh.slot[KX_SH_A_POS] = kx_sh_attrib(&sh, "a_pos");
    kx_vbo_t vbo;
    ASSERT_EQ(kx_vbo_try_rawmdl(&vbo, model("empty.rawmdl", {}).c_str()), 1);
    EXPECT_EQ(vbo.count, 0u);
    clear();
    kx_sh_use(&sh);
    kx_vbo_draw(&vbo, &sh);
    std::vector<uint8_t> px(64 * 64 * 4, 1);
    test_gl_read_rgba(0, 0, 64, 64, px.data());
    EXPECT_EQ(px, std::vector<uint8_t>(64 * 64 * 4, 0));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    kx_vbo_destroy(&vbo);
    kx_sh_destroy(&sh);
}

TEST_F(KxVbo, CreateKeepsAtMostSevenAttributes) {
    kx_vbo_attrib_t attribs[9];
    for (uint32_t i = 0; i < 9; ++i) attribs[i] = {4, GL_FLOAT, i * 4, KX_SH_A_POS};
    const float data[36] = {};
    kx_vbo_t vbo;
    kx_vbo_create(&vbo, data, 1, 36, GL_POINTS, 9, attribs);
    EXPECT_EQ(vbo.attrib_count, 7u);
    EXPECT_EQ(vbo.stride, 144u);
    EXPECT_EQ(vbo.attribs[6].offset, 24u);
    kx_vbo_destroy(&vbo);
}

TEST(KxVboDeath, MissingModelEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    kx_vbo_t vbo;
    EXPECT_EXIT(kx_vbo_load_rawmdl(&vbo, "/nonexistent/ironvale/model.rawmdl"), ::testing::ExitedWithCode(1),
                "");
}
