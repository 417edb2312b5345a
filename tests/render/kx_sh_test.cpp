// Shader programs: the engine programs and their slots, builds from files (good,
// broken, missing, at and beyond the size limit) and lookups of absent names.
#include <string>

#include "engine/render/kx_gl.h"
#include "engine/render/kx_sh.h"
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

class KxSh : public GlTest {
protected:
    void put(const std::string& name, const std::string& text) { write_file(name, text.data(), text.size()); }
};

}  // namespace

TEST_F(KxSh, EngineProgramsFillTheirSlotsOnly) {
    const std::string log = logged([] { kx_sh_init(); });
    EXPECT_EQ(log.find("NTEST"), std::string::npos) << log;
    for (int s : {KX_SH_U_PROJ, KX_SH_U_MODELVIEW, KX_SH_A_POS, KX_SH_A_UV, KX_SH_U_SAMPLER})
        EXPECT_NE(kx_sh_default.slot[s], -1) << "default slot " << s;
    for (int s : {KX_SH_U_PROJ, KX_SH_U_MODELVIEW, KX_SH_A_POS, KX_SH_K_VALUE})
        EXPECT_NE(kx_sh_pyramid.slot[s], -1) << "pyramid slot " << s;
    EXPECT_EQ(kx_sh_pyramid.slot[KX_SH_A_UV], -1);
    for (int s = 3; s < KX_SH_SLOT_COUNT; ++s) {
        if (s == KX_SH_U_PROJ || s == KX_SH_U_MODELVIEW || s == KX_SH_A_POS || s == KX_SH_A_UV ||
            s == KX_SH_U_SAMPLER)
            continue;
        EXPECT_EQ(kx_sh_default.slot[s], -1) << "default slot " << s;
    }
    kx_sh_term();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(KxSh, BuildsFromFiles) {
    const struct {
        const char* what;
        std::string vs, fs;
        int ok;
        const char* log_has;
        GLint vs_source, fs_source;  // -2: any length above 0
    } cases[] = {
        {"good", kVs, kFs, 1, nullptr, -2, -2},
        {"broken vertex", "void main() { this is not glsl }", kFs, 0, "- vs: ", -2, -2},
        {"broken fragment", kVs, "void main() { gl_FragColor = vec4(; }", 0, "- fs: ", -2, -2},
        {"missing vertex", "", kFs, 0, "is not exists !!!!! \n", 0, 0},
        {"missing fragment", kVs, "", 0, "is not exists !!!!! \n", -2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string vs = path("a.vert.glsl"), fs = path("a.frag.glsl");
        std::remove(vs.c_str());
        std::remove(fs.c_str());
        if (!c.vs.empty()) put("a.vert.glsl", c.vs);
        if (!c.fs.empty()) put("a.frag.glsl", c.fs);
        kx_sh_t sh;
        int ok = -1;
        const std::string log = logged([&] { ok = kx_sh_create(&sh, vs.c_str(), fs.c_str()); });
        EXPECT_EQ(ok, c.ok) << log;
        if (c.log_has) {
            EXPECT_NE(log.find(c.log_has), std::string::npos) << log;
        }
        // The record always holds the objects, and every location slot starts at -1.
        EXPECT_GT(sh.slot[KX_SH_PROGRAM], 0);
        for (int s = 3; s < KX_SH_SLOT_COUNT; ++s) EXPECT_EQ(sh.slot[s], -1);
        const GLint vs_len = source_length(sh.slot[KX_SH_VERTEX]);
        const GLint fs_len = source_length(sh.slot[KX_SH_FRAGMENT]);
        EXPECT_TRUE(c.vs_source == -2 ? vs_len > 0 : vs_len == c.vs_source) << vs_len;
        EXPECT_TRUE(c.fs_source == -2 ? fs_len > 0 : fs_len == c.fs_source) << fs_len;
        // Locations on a program that did not link are -1, and using them is harmless.
        const int32_t loc = kx_sh_uniform(&sh, "u_color");
        EXPECT_EQ(loc == -1, c.ok == 0);
        kx_sh_destroy(&sh);
        while (glGetError() != GL_NO_ERROR) {
        }
    }
}

TEST_F(KxSh, AbsentNamesAreMinusOneAndSettingThemIsANoOp) {
    kx_sh_t sh;
    ASSERT_EQ(kx_sh_create_src(&sh, kVs, kFs), 1);
    kx_sh_use(&sh);
    EXPECT_EQ(kx_sh_attrib(&sh, "a_norm"), -1);
    EXPECT_EQ(kx_sh_uniform(&sh, "u_lval_k"), -1);
    EXPECT_NE(kx_sh_attrib(&sh, "a_pos"), -1);
    EXPECT_NE(kx_sh_uniform(&sh, "u_proj"), -1);
    glUniform3f(kx_sh_uniform(&sh, "u_lval_k"), 1.0f, 2.0f, 3.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    kx_sh_destroy(&sh);
}

TEST_F(KxSh, SourceSizeLimit) {
    // A valid shader padded with a comment to an exact size.
    auto padded = [](const char* body, size_t size) {
        std::string s = body;
        s += "//";
        s.append(size - s.size() - 1, 'x');
        s += '\n';
        return s;
    };
    const std::string at_limit = padded(kVs, static_cast<size_t>(KX_SH_MAX_SOURCE));
    ASSERT_EQ(at_limit.size(), 32767u);
    put("big.vert.glsl", at_limit);
    put("a.frag.glsl", kFs);
    kx_sh_t sh;
    EXPECT_EQ(kx_sh_create(&sh, path("big.vert.glsl").c_str(), path("a.frag.glsl").c_str()), 1);
    EXPECT_EQ(source_length(sh.slot[KX_SH_VERTEX]), 32768);  // whole file plus the terminator
    kx_sh_destroy(&sh);

    put("huge.vert.glsl", padded(kVs, 32768));
    std::string log = logged([&] {
        EXPECT_EQ(kx_sh_create(&sh, path("huge.vert.glsl").c_str(), path("a.frag.glsl").c_str()), 0);
    });
    EXPECT_NE(log.find("is too long for a shader source (32768 bytes, at most 32767)"), std::string::npos) << log;
    EXPECT_EQ(source_length(sh.slot[KX_SH_VERTEX]), 0);
    kx_sh_destroy(&sh);
}
