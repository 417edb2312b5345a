// GL capability loader: the probe against given version and extension strings (the
// entry points asked for, the flags and log lines that result) and against the real driver.
#include "engine/render/kx_gl.h"

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "tests/render/render_fixture.h"
// After gtest: X11 headers define None and Bool as macros.
#include <GL/glx.h>

namespace {

// A driver described by its strings; it always answers 8 samples and 16x anisotropy.
// Entry points come from the real context, so they stay callable; every name asked for is logged.
struct probe_case {
    const char *version, *ext;
    std::array<int, 6> caps;  // gl_version, glsl, fbo_multisample, fbo_blit, max_samples, max_anisotropy
    std::vector<std::string> said;  // in the log ("<name>": asked for, "[msg": shown); "!...": never
};
const probe_case* now = nullptr;

const char* fake_string(GLenum n) {
    return n == GL_VERSION ? now->version : n == GL_EXTENSIONS ? now->ext : "T";
}
void fake_integer(GLenum n, GLint* out) { *out = n == 0x8D57 ? 8 : n == 0x84FF ? 16 : 4; }
void* fake_proc(const char* name) {
    std::printf("<%s>", name);
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}
void fake_message(const char* text) { std::printf("[msg %s]", text); }

}  // namespace

TEST_F(GlTest, ProbeOfGivenDriverStrings) {
    const probe_case cases[] = {
        {"1.4.0",
         "GL_ARB_shader_objects GL_ARB_vertex_shader GL_ARB_fragment_shader GL_ARB_vertex_buffer_object "
         "GL_EXT_framebuffer_object GL_EXT_framebuffer_blit",
         {14, 1, 0, 1, 0, 0},
         {"<glCreateProgramObjectARB>", "<glBindBufferARB>", "<glBindFramebufferEXT>",
          "<glBlitFramebufferEXT>", "!<glCreateProgram>", "!<glBindBuffer>",
          "!<glRenderbufferStorageMultisample", "ERROR, NPOT textures are not supported"}},
        {"1.5",
         "GL_NV_texture_rectangle GL_EXT_framebuffer_object EXT_framebuffer_multisample",
         {15, 0, 1, 0, 0, 0},
         {"<glBindBuffer>", "<glRenderbufferStorageMultisampleEXT>", "!<glCreateProgram",
          "NPOT textures are supported by GL_ARB_texture_rectangle", "FBO blit is NOT supported"}},
        {"2.1 Mesa 23.2",
         "GL_ARB_texture_non_power_of_two GL_ARB_multisample GL_ARB_framebuffer_object "
         "GL_EXT_texture_filter_anisotropic",
         {21, 1, 1, 1, 8, 16},
         {"<glCreateProgram>", "<glBindBuffer>", "<glRenderbufferStorageMultisample>", "<glBlitFramebuffer>",
          "!EXT>", "!ARB>"}},
        // A version too short to read and no extension string at all.
        {"3", nullptr, {0, 0, 0, 0, 0, 0}, {"!<", "[msg VBO is not supported", "[msg FBO is not supported"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.version);
        now = &c;
        const kx_gl_driver_t drv = {fake_string, fake_integer, fake_proc, fake_message};
        const std::string log = logged([&] { EXPECT_EQ(glkxInitWith(&drv), 1); });
        const kx_gl_caps_t& k = kx_gl_caps;
        EXPECT_EQ(c.caps, (std::array<int, 6>{k.gl_version, k.glsl, k.fbo_multisample, k.fbo_blit,
                                              k.max_samples, k.max_anisotropy}));
        for (const auto& s : c.said)
            EXPECT_EQ(log.find(s.substr(s[0] == '!')) == std::string::npos, s[0] == '!') << s << "\n" << log;
        EXPECT_EQ(glCreateProgram != nullptr, c.caps[1] == 1);
        EXPECT_EQ(glRenderbufferStorageMultisample != nullptr, c.caps[2] == 1);
    }
}

TEST_F(GlTest, ProbeOfTheRealDriverFillsEveryGroup) {
    glEnable(0x1234);  // an error left pending shows at the probe's first labelled check
    const std::string log = logged([] { EXPECT_EQ(glkxInit(), 1); });
    EXPECT_NE(log.find("glError (code 1280) on [init_label1]"), std::string::npos) << log;
    GLint samples = 0;
    glGetIntegerv(0x8D57, &samples);
    EXPECT_EQ(kx_gl_caps.glsl, 1);
    EXPECT_EQ(kx_gl_caps.max_samples, samples);  // Mesa has GL_ARB_multisample
#define KX_EXPECT_LOADED(type, name, ext) EXPECT_NE(name, nullptr) << #name;
    KX_GL_SHADER_POINTERS(KX_EXPECT_LOADED)
    KX_GL_BUFFER_POINTERS(KX_EXPECT_LOADED)
    KX_GL_FRAMEBUFFER_POINTERS(KX_EXPECT_LOADED)
#undef KX_EXPECT_LOADED
}

// The Windows build's extra steps, switched on here against given strings: the ten
// multitexture names right after the limits, the swap-control probe, and the
// pixel-format probe after everything else.
TEST_F(GlTest, WindowsStepsAskInOrderAndSetTheSwapFlag) {
    struct wgl_case {
        const char* ext;
        int32_t swap_control;
        bool choose_pixel_format;
        const char* swap_line;
        const char* pixel_line;
    };
    const wgl_case cases[] = {
        {"GL_ARB_framebuffer_object WGL_EXT_swap_control WGL_ARB_pixel_format", 1, true,
         "WGL_EXT_swap_control is supported. VSync can be configured.\n<wglSwapIntervalEXT>",
         "<wglChoosePixelFormatARB>WGL ChoosePixelFormat is supported\n"},
        {"GL_ARB_framebuffer_object", 0, false,
         "WGL_EXT_swap_control is NOT supported. VSync can NOT be configured.\n",
         "WGL ChoosePixelFormat is NOT supported \n"},
    };
    const std::string multitexture =
        "uniform components \n<glActiveTexture><glClientActiveTexture><glMultiTexCoord1f><glMultiTexCoord1fv>"
        "<glMultiTexCoord2f><glMultiTexCoord2fv><glMultiTexCoord3f><glMultiTexCoord3fv><glMultiTexCoord4f>"
        "<glMultiTexCoord4fv>";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ext);
        const probe_case driver = {"3.0", c.ext, {}, {}};
        now = &driver;
        const kx_gl_driver_t drv = {fake_string, fake_integer, fake_proc, fake_message};
        kx_gl_wgl = {.probe = 1, .swap_control = 1, .swap_interval = nullptr, .wglChoosePixelFormatARB = nullptr};
        const std::string log = logged([&] { glkxInitWith(&drv); });
        kx_gl_wgl.probe = 0;
        const size_t mt = log.find(multitexture), swap = log.find(c.swap_line), shaders = log.find("native GLSL");
        const size_t pixel = log.find(c.pixel_line), last_check = log.find("Anisotropic texture filter");
        EXPECT_NE(mt, std::string::npos) << log;
        EXPECT_EQ(swap, mt + multitexture.size()) << log;
        EXPECT_LT(swap, shaders);
        EXPECT_NE(pixel, std::string::npos) << log;
        EXPECT_LT(last_check, pixel);
        EXPECT_EQ(kx_gl_wgl.swap_control, c.swap_control);
        EXPECT_EQ(kx_gl_wgl.swap_interval != nullptr, c.swap_control == 1);
        EXPECT_EQ(kx_gl_wgl.wglChoosePixelFormatARB != nullptr, c.choose_pixel_format);
    }
}

TEST(GlProcAddress, FailureValuesOfWglBecomeNull) {
    for (intptr_t answer : {0, 1, 2, 3, -1, 4, -2, 0x7ff6a000})  // 0..3 and -1 are the failure values
        EXPECT_EQ(reinterpret_cast<intptr_t>(kx_gl_proc_or_null(reinterpret_cast<void*>(answer))),
                  answer >= 0 && answer <= 3 ? 0
                  : answer == -1             ? 0
                                             : answer)
            << answer;
}
