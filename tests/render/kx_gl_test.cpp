// GL capability loader: version parsing, extension search, the probe against given
// driver strings (which names are asked for, which flags and log lines result), and
// the probe against the real driver.
#include "engine/render/kx_gl.h"

#include <set>
#include <string>

#include "tests/render/render_fixture.h"
// After gtest: X11 headers define None and Bool as macros.
#include <GL/glx.h>

TEST(KxGlParse, VersionAndExtensions) {
    EXPECT_EQ(kx_gl_parse_version("4.6.0 NVIDIA 550"), 46);
    EXPECT_EQ(kx_gl_parse_version("1.5"), 15);
    for (const char* too_short : {"3", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(kx_gl_parse_version(too_short), 0);
    const char* ext = "GL_ARB_multisample GL_EXT_framebuffer_blit";
    EXPECT_EQ(kx_gl_has_extension(ext, "EXT_framebuffer_blit"), 1);  // without the GL_ prefix
    EXPECT_EQ(kx_gl_has_extension(ext, "GL_ARB_multi"), 1);          // inside a longer name
    EXPECT_EQ(kx_gl_has_extension(ext, "EXT_framebuffer_multisample"), 0);
    EXPECT_EQ(kx_gl_has_extension(nullptr, "GL_ARB_multisample"), 0);
}

namespace {

// A driver described by its strings and answers. Entry points come from the real
// context so the pointers stay callable; every requested name is recorded.
struct probe_case {
    const char *version, *extensions;
    GLint samples, anisotropy;
    int gl_version, glsl, fbo_multisample, fbo_blit;
    const char *asked, *not_asked;  // entry point names, space-separated
    const char *log, *messages;     // what is logged and shown to the user, in order, '|'-separated
    const char* absent;             // never logged
};
const probe_case* current = nullptr;
std::set<std::string> requested;
std::string messages;

const char* fake_string(GLenum name) {
    return name == GL_VERSION ? current->version : name == GL_EXTENSIONS ? current->extensions : "Test";
}
void fake_integer(GLenum name, GLint* out) {
    *out = name == 0x8D57 ? current->samples : name == 0x84FF ? current->anisotropy : 16;
}
void* fake_proc(const char* name) {
    requested.insert(name);
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}

}  // namespace

TEST_F(GlTest, ProbeOfGivenDriverStrings) {
    const probe_case cases[] = {
        {"1.4.0",
         "GL_ARB_shader_objects GL_ARB_vertex_shader GL_ARB_fragment_shader GL_ARB_vertex_buffer_object "
         "GL_EXT_framebuffer_object GL_EXT_framebuffer_blit",
         0, 0, 14, 1, 0, 1,
         "glCreateProgramObjectARB glGetInfoLogARB glVertexAttribPointerARB glBindBufferARB "
         "glBindFramebufferEXT "
         "glBlitFramebufferEXT glGenerateMipmapEXT",
         "glCreateProgram glBindBuffer glRenderbufferStorageMultisampleEXT",
         "ERROR, NPOT textures are not supported|Multisample is NOT supported. |"
         "Limits: 16 attribs, 0 uniform vectors, 16 uniform components \n|"
         "OpenGL Version < 2, using GLSL as extension\n|VBO is supported as extension "
         "GL_ARB_vertex_buffer_object\n|"
         "FBO is available through EXT extensions: \n|"
         "FBO Multisampling is NOT supported (no EXT_framebuffer_multisample extension)\n|"
         "FBO blit is supported, func adr = |Anisotropic texture filter is NOT supported. ",
         "", "\x01"},
        {"1.5", "GL_NV_texture_rectangle GL_EXT_framebuffer_object EXT_framebuffer_multisample", 0, 0, 15, 0,
         1, 0, "glBindBuffer glRenderbufferStorageMultisampleEXT glBindFramebufferEXT",
         "glCreateProgram glCreateProgramObjectARB glBlitFramebufferEXT",
         "NPOT textures are supported by GL_ARB_texture_rectangle extension|"
         "VBO is supported in-core (OpenGL Version >= 1.5)\n|FBO multisampling is supported, func adr = |"
         "FBO blit is NOT supported (no EXT_framebuffer_blit extension)\n",
         "", "GLSL"},
        {"2.1 Vendor",
         "GL_ARB_texture_non_power_of_two GL_ARB_multisample GL_ARB_framebuffer_object "
         "GL_EXT_texture_filter_anisotropic",
         8, 16, 21, 1, 1, 1,
         "glCreateProgram glUniformMatrix3fv glBindBuffer glRenderbufferStorageMultisample glBlitFramebuffer "
         "glGenerateMipmap",
         "glBindFramebufferEXT",
         "Multisample is supported, max samples: 8\n|OpenGLVersion > 20, native GLSL\n|"
         "FBO is available through ARB Extension\n|Anisotropic texture filter is supported. Max = x16 \n",
         "", "NPOT"},
        {"3.0", "GL_ARB_multisample GL_ARB_texture_rectangle", 0, 0, 30, 1, 0, 0, "", "",
         "Multisample is supported, max samples: 0\n|MAX_SAMPLES == 0, in fact multisample is NOT supported|"
         "FBO is not supported! ",
         "FBO is not supported:", "\x01"},
        {"1.1.0", "GL_EXT_bgra", 0, 0, 11, 0, 0, 0, "", "glCreateProgramObjectARB glBindBufferARB", "",
         "VBO is not supported:|FBO is not supported:", "\x01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + " / " + c.extensions);
        current = &c;
        requested.clear();
        messages.clear();
        const kx_gl_driver_t drv = {fake_string, fake_integer, fake_proc,
                                    [](const char* t) { messages += t; }};
        const std::string log = logged([&] { EXPECT_EQ(glkxInitWith(&drv), 1); });
        EXPECT_EQ(kx_gl_caps.gl_version, c.gl_version);
        EXPECT_EQ(kx_gl_caps.glsl, c.glsl);
        EXPECT_EQ(kx_gl_caps.fbo_multisample, c.fbo_multisample);
        EXPECT_EQ(kx_gl_caps.fbo_blit, c.fbo_blit);
        EXPECT_EQ(kx_gl_caps.max_samples, c.samples);
        EXPECT_EQ(kx_gl_caps.max_anisotropy, c.anisotropy);
        for (const auto& name : split(c.asked, ' ')) EXPECT_EQ(requested.count(name), 1u) << name;
        for (const auto& name : split(c.not_asked, ' ')) EXPECT_EQ(requested.count(name), 0u) << name;
        EXPECT_EQ(glCreateProgram != nullptr, c.glsl == 1);
        EXPECT_EQ(glRenderbufferStorageMultisample != nullptr, c.fbo_multisample == 1);
        EXPECT_TRUE(in_order(log, split(c.log))) << log;
        EXPECT_TRUE(in_order(messages, split(c.messages)) && messages.empty() == !*c.messages) << messages;
        EXPECT_EQ(log.find(c.absent), std::string::npos) << log;
    }
    glkxInit();  // the real entry points again
}

TEST_F(GlTest, ProbeOfTheRealDriverFillsEveryGroup) {
    const std::string log = logged([] { EXPECT_EQ(glkxInit(), 1); });
    GLint major = 0, samples = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(0x8D57, &samples);
    EXPECT_EQ(kx_gl_caps.gl_version / 10, major);
    EXPECT_EQ(kx_gl_caps.glsl, 1);
    EXPECT_EQ(kx_gl_caps.max_samples, samples);  // Mesa has GL_ARB_multisample
#define KX_EXPECT_LOADED(type, name, ext) EXPECT_NE(name, nullptr) << #name;
    KX_GL_SHADER_POINTERS(KX_EXPECT_LOADED)
    KX_GL_BUFFER_POINTERS(KX_EXPECT_LOADED)
    KX_GL_FRAMEBUFFER_POINTERS(KX_EXPECT_LOADED)
#undef KX_EXPECT_LOADED
    EXPECT_EQ(log.find("NTEST: glError"), std::string::npos) << log;
}
