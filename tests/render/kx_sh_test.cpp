// Shader programs built from files: a good one, a broken one (logged, kept, lookups -1),
// a missing or too long file, which never reaches GL; and the engine's own two programs.
#include "engine/render/kx_sh.h"

#include <set>
#include <string>
#include <utility>

#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "engine/render/kx_vbo.h"
#include "tests/render/render_fixture.h"
// After gtest: X11 headers define None and Bool as macros.
#include <GL/glx.h>

TEST_F(GlTest, ShaderBuildsFromFiles) {
    const auto get_shaderiv = reinterpret_cast<PFNGLGETSHADERIVPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glGetShaderiv")));
    const std::string good = "uniform vec4 u_color;\nvoid main() { gl_Position = u_color; }\n//";
    auto padded = [&](size_t n) { return good + std::string(n - good.size(), 'x'); };
    const struct {
        const char* name;
        std::string vs;  // empty: no file
        const char* log_has;
        int ok;
    } cases[] = {{"missing", "", "is not exists !!!!! \n", 0},
                 {"broken", "uniform vec4 u_color;\nvoid main() { this is not glsl }\n", "- vs: ", 0},
                 {"good", good, "", 1},
                 {"32767 bytes, the most a source may have", padded(32767), "", 1},
                 {"32768 bytes", padded(32768), "is too long for a shader source (32768 bytes", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string vs = c.vs.empty() ? path("a.vert") : put("a.vert", c.vs);
        const std::string fs = put("a.frag", "void main() { gl_FragColor = vec4(1.0); }\n");
        kx_sh_t sh;
        int ok = -1;
        const std::string log = logged([&] { ok = kx_sh_create(&sh, vs.c_str(), fs.c_str()); });
        EXPECT_EQ(ok, c.ok);
        EXPECT_NE(log.find(c.log_has), std::string::npos) << log;
        EXPECT_GT(sh.slot[KX_SH_PROGRAM], 0);
        for (int s = 3; s < KX_SH_SLOT_COUNT; ++s) EXPECT_EQ(sh.slot[s], -1);
        // Without a readable vertex file the build stops: neither source reaches GL.
        const bool read = c.vs.size() > 0 && c.vs.size() <= 32767;
        for (int s : {KX_SH_VERTEX, KX_SH_FRAGMENT}) {
            GLint length = -1;
            get_shaderiv(static_cast<GLuint>(sh.slot[s]), GL_SHADER_SOURCE_LENGTH, &length);
            EXPECT_EQ(length, !read ? 0 : s == KX_SH_VERTEX ? static_cast<GLint>(c.vs.size()) + 1 : 43) << s;
        }
        EXPECT_EQ(kx_sh_uniform(&sh, "u_color") == -1, c.ok == 0);  // a broken program goes on
        kx_sh_destroy(&sh);
    }
}

// The engine's two programs: which slots each fills (every other location stays -1), and the
// flat colour (k, 1 - k, 0.1, 0.99) of the pyramid program.
TEST_F(GlTest, EngineProgramsFillTheirSlotsAndDraw) {
    glEnable(0x1234);  // an error left pending shows at the first labelled check
    const std::string log = logged([] { kx_sh_init(); });
    EXPECT_NE(log.find("glError (code 1280) on [starting kx_sh_init]"), std::string::npos) << log;
    const std::pair<const kx_sh_t*, std::set<int>> cases[] = {{&kx_sh_default, {4, 5, 8, 9, 11}},
                                                              {&kx_sh_pyramid, {4, 5, 8, 13}}};
    for (const auto& [sh, filled] : cases)
        for (int s = 3; s < KX_SH_SLOT_COUNT; ++s) EXPECT_EQ(sh->slot[s] != -1, filled.count(s) == 1) << s;
    const float square[4][3] = {{-1, -1, 0}, {1, -1, 0}, {-1, 1, 0}, {1, 1, 0}};
    const kx_vbo_attrib_t pos = {3, GL_FLOAT, 0, KX_SH_A_POS};
    kx_vbo_t vbo;
    kx_vbo_create(&vbo, &square[0][0], 4, 3, GL_TRIANGLE_STRIP, 1, &pos);
    kx_sh_use(&kx_sh_pyramid);
    kx_mat4_identity(&kx_matrices.proj);
    kx_mv_identity();
    kx_matrices_set(&kx_sh_pyramid);
    glUniform1f(kx_sh_pyramid.slot[KX_SH_K_VALUE], 0.25f);
    kx_vbo_draw(&vbo, &kx_sh_pyramid);
    const uint32_t px = test_gl_pixel(32, 32), want = 0x40BF1AFC;  // 64, 191, 26, 252 of 255
    for (int s = 0; s < 32; s += 8) EXPECT_NEAR(px >> s & 255, want >> s & 255, 1) << std::hex << px;
    kx_vbo_destroy(&vbo);
    kx_sh_term();
}
