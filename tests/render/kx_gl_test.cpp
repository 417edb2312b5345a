// GL capability loader: version parsing, extension search, the probe against given
// driver strings (which names are loaded, which flags and log lines result), and
// the probe against the real driver.
#include <set>
#include <string>

#include "engine/render/kx_gl.h"
#include "tests/render/render_fixture.h"
// After gtest: X11 headers define None and Bool as macros.
#include <GL/glx.h>

TEST(KxGlParse, VersionFromFirstAndThirdCharacter) {
    const struct {
        const char* text;
        int expected;
    } cases[] = {{"4.6.0 NVIDIA 550", 46}, {"1.5", 15}, {"2.1 Mesa 7.0", 21}, {"1.4.0", 14},
                 {"4.5 (Compatibility Profile) Mesa 22.3.6", 45}, {"3", 0}, {"", 0}, {nullptr, 0}};
    for (const auto& c : cases) EXPECT_EQ(kx_gl_parse_version(c.text), c.expected) << (c.text ? c.text : "null");
}

TEST(KxGlParse, ExtensionIsAPlainSubstringSearch) {
    const char* ext = "GL_ARB_multisample GL_EXT_framebuffer_object GL_EXT_framebuffer_blit";
    EXPECT_EQ(kx_gl_has_extension(ext, "GL_ARB_multisample"), 1);
    EXPECT_EQ(kx_gl_has_extension(ext, "EXT_framebuffer_blit"), 1);  // without the GL_ prefix
    EXPECT_EQ(kx_gl_has_extension(ext, "GL_ARB_multi"), 1);          // inside a longer name
    EXPECT_EQ(kx_gl_has_extension(ext, "EXT_framebuffer_multisample"), 0);
    EXPECT_EQ(kx_gl_has_extension(nullptr, "GL_ARB_multisample"), 0);
    EXPECT_EQ(kx_gl_has_extension("", "GL_ARB_multisample"), 0);
}

namespace {

// A driver described by its strings and answers. Entry points come from the real
// context so the pointers stay callable; every requested name is recorded.
struct fake_driver {
    const char* version;
    const char* extensions;
    GLint max_samples;
    GLint max_anisotropy;
};
const fake_driver* current = nullptr;
std::set<std::string> requested;
std::string messages;

const char* fake_string(GLenum name) {
    switch (name) {
        case GL_VERSION: return current->version;
        case GL_VENDOR: return "Test Vendor";
        case GL_RENDERER: return "Test Renderer";
        case GL_EXTENSIONS: return current->extensions;
        default: return nullptr;
    }
}
void fake_integer(GLenum name, GLint* out) {
    if (name == 0x8D57) *out = current->max_samples;
    else if (name == 0x84FF) *out = current->max_anisotropy;
    else if (name == GL_MAX_VERTEX_ATTRIBS) *out = 16;
    else if (name == GL_MAX_VERTEX_UNIFORM_COMPONENTS) *out = 1024;
}
void* fake_proc(const char* name) {
    requested.insert(name);
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}
void fake_message(const char* text) { messages += text; }

class KxGlProbe : public GlTest {
protected:
    // Put the real entry points back for whatever runs next in this process.
    void TearDown() override {
        glkxInit();
        GlTest::TearDown();
    }
    std::string probe(const fake_driver& d) {
        current = &d;
        requested.clear();
        messages.clear();
        const kx_gl_driver_t drv = {fake_string, fake_integer, fake_proc, fake_message};
        return logged([&] { EXPECT_EQ(glkxInitWith(&drv), 1); });
    }
};

}  // namespace

TEST_F(KxGlProbe, Gl14WithArbExtensionsUsesExtensionNames) {
    const fake_driver d = {"1.4.0", "GL_ARB_shader_objects GL_ARB_vertex_shader GL_ARB_fragment_shader "
                           "GL_ARB_vertex_buffer_object GL_EXT_framebuffer_object GL_EXT_framebuffer_blit", 0, 0};
    const std::string log = probe(d);
    EXPECT_EQ(kx_gl_caps.gl_version, 14);
    EXPECT_EQ(kx_gl_caps.glsl, 1);
    EXPECT_TRUE(log.find("OpenGL Version < 2, using GLSL as extension\n") != std::string::npos);
    EXPECT_TRUE(log.find("VBO is supported as extension GL_ARB_vertex_buffer_object\n") != std::string::npos);
    for (const char* name : {"glCreateProgramObjectARB", "glUseProgramObjectARB", "glGetInfoLogARB",
                             "glBindBufferARB", "glGetBufferSubDataARB", "glBindFramebufferEXT",
                             "glBlitFramebufferEXT", "glGenerateMipmapEXT"})
        EXPECT_EQ(requested.count(name), 1u) << name;
    EXPECT_EQ(requested.count("glCreateProgram"), 0u);
    EXPECT_EQ(requested.count("glBindBuffer"), 0u);
    // Multisample storage has its own extension, which this driver lacks.
    EXPECT_EQ(requested.count("glRenderbufferStorageMultisampleEXT"), 0u);
    EXPECT_EQ(glRenderbufferStorageMultisample, nullptr);
    EXPECT_NE(glCreateProgram, nullptr);
    EXPECT_NE(glVertexAttribPointer, nullptr);  // reached through its ARB name
    EXPECT_EQ(kx_gl_caps.fbo_blit, 1);
    EXPECT_EQ(kx_gl_caps.fbo_multisample, 0);
    EXPECT_TRUE(in_order(log, {"FBO is available through EXT extensions: ",
                               "FBO Multisampling is NOT supported (no EXT_framebuffer_multisample extension)",
                               "FBO blit is supported, func adr = "}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(KxGlProbe, Gl21LoadsCoreNames) {
    const fake_driver d = {"2.1 Vendor", "GL_ARB_framebuffer_object GL_EXT_texture_filter_anisotropic", 0, 16};
    const std::string log = probe(d);
    EXPECT_EQ(kx_gl_caps.gl_version, 21);
    EXPECT_EQ(kx_gl_caps.glsl, 1);
    EXPECT_TRUE(log.find("OpenGLVersion > 20, native GLSL\n") != std::string::npos);
    EXPECT_TRUE(log.find("VBO is supported in-core (OpenGL Version >= 1.5)\n") != std::string::npos);
    EXPECT_TRUE(log.find("FBO is available through ARB Extension\n") != std::string::npos);
    for (const char* name : {"glCreateProgram", "glUniformMatrix3fv", "glEnableVertexAttribArray", "glBindBuffer",
                             "glRenderbufferStorageMultisample", "glBlitFramebuffer", "glGenerateMipmap"})
        EXPECT_EQ(requested.count(name), 1u) << name;
    EXPECT_EQ(kx_gl_caps.fbo_multisample, 1);
    EXPECT_EQ(kx_gl_caps.fbo_blit, 1);
    EXPECT_EQ(kx_gl_caps.max_anisotropy, 16);
    EXPECT_TRUE(log.find("Anisotropic texture filter is supported. Max = x16 \n") != std::string::npos);
    EXPECT_EQ(kx_gl_caps.max_vertex_attribs, 16);
    EXPECT_EQ(kx_gl_caps.max_uniform_components, 1024);
    EXPECT_TRUE(log.find("Limits: 16 attribs, 0 uniform vectors, 1024 uniform components \n") != std::string::npos);
}

TEST_F(KxGlProbe, MultisampleExtensionWithZeroSamples) {
    const fake_driver d = {"3.0", "GL_ARB_multisample GL_ARB_framebuffer_object", 0, 0};
    const std::string log = probe(d);
    EXPECT_EQ(kx_gl_caps.max_samples, 0);
    EXPECT_TRUE(in_order(log, {"Multisample is supported through GL_ARB_multisample extension",
                               "Multisample is supported, max samples: 0\n", "Max integer samples: 0\n",
                               "MAX_SAMPLES == 0, in fact multisample is NOT supported"}));
    EXPECT_TRUE(log.find("Anisotropic texture filter is NOT supported. ") != std::string::npos);
    EXPECT_EQ(kx_gl_caps.max_anisotropy, 0);
}

TEST_F(KxGlProbe, EverythingMissingIsReportedNotFatal) {
    const fake_driver d = {"1.1.0", "GL_EXT_bgra", 0, 0};
    const std::string log = probe(d);
    EXPECT_EQ(kx_gl_caps.gl_version, 11);
    EXPECT_EQ(kx_gl_caps.glsl, 0);
    EXPECT_EQ(glCreateProgram, nullptr);
    EXPECT_EQ(glBindBuffer, nullptr);
    EXPECT_EQ(glBindFramebuffer, nullptr);
    EXPECT_EQ(kx_gl_caps.texture_target, GL_TEXTURE_2D);
    EXPECT_TRUE(in_order(log, {"ERROR, NPOT textures are not supported", "Multisample is NOT supported. ",
                               "FBO is not supported! "}));
    EXPECT_TRUE(in_order(messages, {"VBO is not supported:", "FBO is not supported:"}));
}

TEST_F(KxGlProbe, TextureRectangleIsNamedForBothVendors) {
    for (const char* ext : {"GL_ARB_texture_rectangle", "GL_NV_texture_rectangle"}) {
        const fake_driver d = {"2.0", ext, 0, 0};
        const std::string log = probe(d);
        EXPECT_TRUE(log.find("NPOT textures are supported by GL_ARB_texture_rectangle extension") !=
                    std::string::npos)
            << ext;
        EXPECT_EQ(kx_gl_caps.texture_rect, 0);
    }
    const fake_driver npot = {"2.0", "GL_ARB_texture_non_power_of_two", 0, 0};
    const std::string log = probe(npot);
    EXPECT_EQ(log.find("NPOT"), std::string::npos);
}

TEST_F(GlTest, RealDriverFillsEveryGroup) {
    const std::string log = logged([] { EXPECT_EQ(glkxInit(), 1); });
    GLint version_major = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &version_major);
    EXPECT_EQ(kx_gl_caps.gl_version / 10, version_major);
    EXPECT_EQ(kx_gl_caps.glsl, 1);
    EXPECT_EQ(kx_gl_caps.texture_target, GL_TEXTURE_2D);
    GLint samples = 0;
    glGetIntegerv(0x8D57, &samples);
    if (kx_gl_has_extension(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), "GL_ARB_multisample")) {
        EXPECT_EQ(kx_gl_caps.max_samples, samples);
    }
#define KX_EXPECT_LOADED(type, name, ext) EXPECT_NE(name, nullptr) << #name;
    KX_GL_SHADER_POINTERS(KX_EXPECT_LOADED)
    KX_GL_BUFFER_POINTERS(KX_EXPECT_LOADED)
    KX_GL_FRAMEBUFFER_POINTERS(KX_EXPECT_LOADED)
#undef KX_EXPECT_LOADED
    EXPECT_EQ(log.find("NTEST: glError"), std::string::npos) << log;
}
