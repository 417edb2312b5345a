// Shader programs built from files: good, broken, missing, at and beyond the size limit.
#include "engine/render/kx_sh.h"

#include <string>

#include "engine/render/kx_gl.h"
#include "tests/render/render_fixture.h"
// After gtest: X11 headers define None and Bool as macros.
#include <GL/glx.h>

namespace {

const char* const kVs =
    "uniform mat4 u_proj;\nuniform mat4 u_modelview;\nattribute vec4 a_pos;\nattribute vec2 a_uv;\n"
    "varying vec2 v_uv;\nvoid main() { v_uv = a_uv; gl_Position = u_proj * u_modelview * a_pos; }\n";
const char* const kFs =
    "uniform sampler2D u_sampler;\nuniform vec4 u_color;\nvarying vec2 v_uv;\n"
    "void main() { gl_FragColor = texture2D(u_sampler, v_uv) + u_color; }\n";

// Source length GL holds for a shader (0 when no source was ever given).
GLint source_length(int32_t shader) {
    static auto get_shaderiv = reinterpret_cast<PFNGLGETSHADERIVPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glGetShaderiv")));
    GLint n = -1;
    get_shaderiv(static_cast<GLuint>(shader), GL_SHADER_SOURCE_LENGTH, &n);
    return n;
}

// The vertex shader padded with a comment to exactly size bytes.
std::string padded(size_t size) {
    std::string s = std::string(kVs) + "//";
    return s.append(size - s.size() - 1, 'x') + "\n";
}

}  // namespace

TEST_F(GlTest, ShaderBuildsFromFiles) {
    const struct {
        const char* what;
        std::string vs, fs;  // empty: no file
        int ok;
        const char* log_has;
        GLint vs_source, fs_source;  // -2: any length above 0
    } cases[] = {
        {"good", kVs, kFs, 1, "", -2, -2},
        {"broken vertex", "void main() { this is not glsl }", kFs, 0, "- vs: ", -2, -2},
        {"broken fragment", kVs, "void main() { gl_FragColor = vec4(; }", 0, "- fs: ", -2, -2},
        {"missing vertex", "", kFs, 0, "is not exists !!!!! \n", 0, 0},
        {"missing fragment", kVs, "", 0, "is not exists !!!!! \n", -2, 0},
        {"at the size limit", padded(KX_SH_MAX_SOURCE), kFs, 1, "", 32768, -2},  // plus the terminator
        {"one byte over", padded(32768), kFs, 0,
         "is too long for a shader source (32768 bytes, at most 32767)", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        const std::string vs = c.vs.empty() ? path("none") : put("a.vert.glsl", c.vs);
        const std::string fs = c.fs.empty() ? path("none") : put("a.frag.glsl", c.fs);
        kx_sh_t sh;
        int ok = -1;
        const std::string log = logged([&] { ok = kx_sh_create(&sh, vs.c_str(), fs.c_str()); });
        EXPECT_EQ(ok, c.ok) << log;
        EXPECT_TRUE(in_order(log, {c.log_has})) << log;
        // The record always holds the objects, and every location slot starts at -1.
        EXPECT_GT(sh.slot[KX_SH_PROGRAM], 0);
        for (int s = 3; s < KX_SH_SLOT_COUNT; ++s) EXPECT_EQ(sh.slot[s], -1);
        // A file that was refused never reached GL.
        const GLint vs_len = source_length(sh.slot[KX_SH_VERTEX]);
        const GLint fs_len = source_length(sh.slot[KX_SH_FRAGMENT]);
        EXPECT_TRUE(c.vs_source == -2 ? vs_len > 0 : vs_len == c.vs_source) << vs_len;
        EXPECT_TRUE(c.fs_source == -2 ? fs_len > 0 : fs_len == c.fs_source) << fs_len;
        // A broken program goes on: its lookups are -1.
        EXPECT_EQ(kx_sh_uniform(&sh, "u_color") == -1, c.ok == 0);
        kx_sh_destroy(&sh);
        while (glGetError() != GL_NO_ERROR) {
        }
    }
}
