// Shader programs built from files: a good one, a broken one (logged, kept, lookups -1)
// and a missing file, which never reaches GL.
#include "engine/render/kx_sh.h"

#include <string>

#include "engine/render/kx_gl.h"
#include "tests/render/render_fixture.h"
// After gtest: X11 headers define None and Bool as macros.
#include <GL/glx.h>

TEST_F(GlTest, ShaderBuildsFromFiles) {
    const auto get_shaderiv = reinterpret_cast<PFNGLGETSHADERIVPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glGetShaderiv")));
    const struct {
        const char *vs, *log_has;  // vs null: no file
        int ok;
    } cases[] = {{nullptr, "is not exists !!!!! \n", 0},
                 {"uniform vec4 u_color;\nvoid main() { this is not glsl }\n", "- vs: ", 0},
                 {"uniform vec4 u_color;\nvoid main() { gl_Position = u_color; }\n", "", 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log_has);
        const std::string vs = c.vs ? put("a.vert", c.vs) : path("a.vert");
        const std::string fs = put("a.frag", "void main() { gl_FragColor = vec4(1.0); }\n");
        kx_sh_t sh;
        int ok = -1;
        const std::string log = logged([&] { ok = kx_sh_create(&sh, vs.c_str(), fs.c_str()); });
        EXPECT_EQ(ok, c.ok);
        EXPECT_NE(log.find(c.log_has), std::string::npos) << log;
        EXPECT_GT(sh.slot[KX_SH_PROGRAM], 0);
        for (int s = 3; s < KX_SH_SLOT_COUNT; ++s) EXPECT_EQ(sh.slot[s], -1);
        // Without its vertex file the build stops: neither source reaches GL.
        for (int s : {KX_SH_VERTEX, KX_SH_FRAGMENT}) {
            GLint length = -1;
            get_shaderiv(static_cast<GLuint>(sh.slot[s]), GL_SHADER_SOURCE_LENGTH, &length);
            EXPECT_EQ(length > 0, c.vs != nullptr) << s;
        }
        EXPECT_EQ(kx_sh_uniform(&sh, "u_color") == -1, c.ok == 0);  // a broken program goes on
        kx_sh_destroy(&sh);
    }
}
