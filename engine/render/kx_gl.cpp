// GL capability loader: version and extension probing, limits, and the run-time
// entry points. The probe itself only talks to a kx_gl_driver_t, so it can be run
// against any version/extension strings; glkxInit hands it the current context.
// Depends on GL and GLX (glXGetProcAddressARB) or WGL (wglGetProcAddress), kx_log, kx_glcheck.
#include "engine/render/kx_gl.h"

#ifndef _WIN32
#include <GL/glx.h>
#endif

#include <cstdint>
#include <cstring>

#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"

kx_gl_caps_t kx_gl_caps;

namespace kx_gl_entry {
#define KX_GL_DEFINE(type, name, ext) type name = nullptr;
KX_GL_SHADER_POINTERS(KX_GL_DEFINE)
KX_GL_BUFFER_POINTERS(KX_GL_DEFINE)
KX_GL_FRAMEBUFFER_POINTERS(KX_GL_DEFINE)
#undef KX_GL_DEFINE
#ifdef _WIN32
#define KX_GL_DEFINE_MT(type, name) type name = nullptr;
KX_GL_MULTITEXTURE_POINTERS(KX_GL_DEFINE_MT)
#undef KX_GL_DEFINE_MT
#endif
}  // namespace kx_gl_entry

#ifdef _WIN32
kx_gl_wgl_t kx_gl_wgl = {1, 0, nullptr, nullptr};
#else
kx_gl_wgl_t kx_gl_wgl = {0, 0, nullptr, nullptr};
#endif

void* kx_gl_proc_or_null(void* proc) {
    const intptr_t v = reinterpret_cast<intptr_t>(proc);
    return v >= -1 && v <= 3 ? nullptr : proc;
}

// Not in the GL 1.1 headers of every platform.
#ifndef GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT 0x84FF
#endif

int32_t kx_gl_parse_version(const char* version) {
    // Only "M.m..." is understood; anything shorter than three characters gives 0.
    if (version == nullptr || version[0] == '\0' || version[1] == '\0' || version[2] == '\0') return 0;
    return (version[0] - '0') * 10 + (version[2] - '0');
}

int kx_gl_has_extension(const char* extensions, const char* name) {
    if (extensions == nullptr || name == nullptr) return 0;
    return std::strstr(extensions, name) != nullptr ? 1 : 0;
}

namespace {

const kx_gl_driver_t* drv = nullptr;  // the driver of the probe in progress

// The extension string is fetched afresh for every probe, as drivers may build it lazily.
int has(const char* name) { return kx_gl_has_extension(drv->get_string(GL_EXTENSIONS), name); }

const char* str_or_empty(const char* s) { return s != nullptr ? s : ""; }

template <typename T>
void load(T& ptr, const char* name) {
    ptr = reinterpret_cast<T>(drv->get_proc(name));
}

// Each group loads either its core names or, on older drivers, the ARB/EXT names.
// On the EXT framebuffer path multisample and blit have their own extensions, so
// the caller loads them (or not) and they are skipped here.
bool has_own_extension(const char* name) {
    return std::strcmp(name, "glRenderbufferStorageMultisample") == 0 ||
           std::strcmp(name, "glBlitFramebuffer") == 0;
}
#define KX_GL_LOAD(type, name, ext) \
    if (core) load(name, #name);    \
    else if (!has_own_extension(#name)) load(name, ext);
void load_shaders(bool core) { KX_GL_SHADER_POINTERS(KX_GL_LOAD) }
void load_buffers(bool core) { KX_GL_BUFFER_POINTERS(KX_GL_LOAD) }
void load_framebuffers(bool core) { KX_GL_FRAMEBUFFER_POINTERS(KX_GL_LOAD) }
#undef KX_GL_LOAD

void clear_entry_points() {
#define KX_GL_CLEAR(type, name, ext) name = nullptr;
    KX_GL_SHADER_POINTERS(KX_GL_CLEAR)
    KX_GL_BUFFER_POINTERS(KX_GL_CLEAR)
    KX_GL_FRAMEBUFFER_POINTERS(KX_GL_CLEAR)
#undef KX_GL_CLEAR
}

// The low 32 bits of a pointer, as the log shows it.
unsigned int low32(const void* p) { return static_cast<unsigned int>(reinterpret_cast<uintptr_t>(p)); }

// An EXT framebuffer entry point that has an extension of its own: loaded and
// logged with its address when the extension is there. Returns the feature flag.
template <typename T>
int32_t load_own(T& ptr, const char* extension, const char* name, const char* what, const char* What) {
    if (!has(extension)) {
        kxLog("FBO %s is NOT supported (no %s extension)\n", What, extension);
        return 0;
    }
    load(ptr, name);
    kxLog("FBO %s is supported, func adr = %x \n", what, low32(reinterpret_cast<const void*>(ptr)));
    return 1;
}

void probe_npot() {
    kx_gl_caps.texture_target = GL_TEXTURE_2D;
    kx_gl_caps.texture_rect = 0;
    if (has("GL_ARB_texture_rectangle") || has("GL_NV_texture_rectangle")) {
        kxLog("%s\n", "NPOT textures are supported by GL_ARB_texture_rectangle extension");
    } else if (has("GL_ARB_texture_non_power_of_two")) {
        // supported in 2D textures directly; nothing to say
    } else {
        kxLog("%s\n", "ERROR, NPOT textures are not supported");
        kxLog("%s\n",
              "NPOT textures are not supported:\n-No GL_[ARB/NV]_texture_rectangle extension \n-No "
              "GL_ARB_texture_non_power_of_two extension \n-No GL_OES_texture_npot extension for OpenGL ES");
    }
    kxCheckGlError("init_label1b");
}

void probe_multisample() {
    kx_gl_caps.max_samples = 0;
    kxCheckGlError("init_label1c");
    if (has("GL_ARB_multisample")) {
        kxLog("%s\n", "Multisample is supported through GL_ARB_multisample extension");
        GLint samples = 0;
        drv->get_integer(0x8D57 /* GL_MAX_SAMPLES */, &samples);
        kx_gl_caps.max_samples = samples;
        kxCheckGlError("init_label1d");
        kxLog("Multisample is supported, max samples: %d\n", kx_gl_caps.max_samples);
        kxCheckGlError("init_label1e");
        kxLog("Max integer samples: %d\n", kx_gl_caps.max_integer_samples);
        if (kx_gl_caps.max_samples == 0) {
            kxLog("%s\n", "MAX_SAMPLES == 0, in fact multisample is NOT supported");
            kx_gl_caps.max_samples = 0;
            kx_gl_caps.max_integer_samples = 0;
        }
    } else {
        kxLog("%s\n", "Multisample is NOT supported. ");
        kxCheckGlError("init_label1f");
    }
}

void probe_limits() {
    GLint attribs = 0, components = 0;
    drv->get_integer(GL_MAX_VERTEX_ATTRIBS, &attribs);
    drv->get_integer(GL_MAX_VERTEX_UNIFORM_COMPONENTS, &components);
    kx_gl_caps.max_vertex_attribs = attribs;
    kx_gl_caps.max_uniform_components = components;
    kxLog("Limits: %d attribs, %d uniform vectors, %d uniform components \n", kx_gl_caps.max_vertex_attribs,
          kx_gl_caps.max_uniform_vectors, kx_gl_caps.max_uniform_components);
    kxCheckGlError("init_label2");
}

void probe_shaders() {
    if (kx_gl_caps.gl_version >= 20) {
        kxLog("%s", "OpenGLVersion > 20, native GLSL\n");
        kx_gl_caps.glsl = 1;
        load_shaders(true);
    } else if (has("GL_ARB_shader_objects") && has("GL_ARB_vertex_shader") && has("GL_ARB_fragment_shader")) {
        kxLog("%s", "OpenGL Version < 2, using GLSL as extension\n");
        kx_gl_caps.glsl = 1;
        load_shaders(false);
    }
    kxCheckGlError("init_label3");
}

void probe_buffers() {
    if (kx_gl_caps.gl_version >= 15) {
        kxLog("%s", "VBO is supported in-core (OpenGL Version >= 1.5)\n");
        load_buffers(true);
    } else if (has("GL_ARB_vertex_buffer_object")) {
        kxLog("%s", "VBO is supported as extension GL_ARB_vertex_buffer_object\n");
        load_buffers(false);
    } else {
        drv->message("VBO is not supported:\n-OpenGL Version less than 1.5\n-GL_ARB_vertex_buffer_object "
                     "extension is missing ");
    }
}

void probe_framebuffers() {
    kx_gl_caps.fbo_blit = 0;
    kx_gl_caps.fbo_multisample = 0;
    kxCheckGlError("init_label4");
    if (has("GL_ARB_framebuffer_object")) {
        kxLog("%s", "FBO is available through ARB Extension\n");
        load_framebuffers(true);
        kx_gl_caps.fbo_multisample = 1;
        kx_gl_caps.fbo_blit = 1;
    } else if (has("GL_EXT_framebuffer_object")) {
        kxLog("%s\n", "FBO is available through EXT extensions: ");
        kx_gl_caps.fbo_multisample = load_own(glRenderbufferStorageMultisample, "EXT_framebuffer_multisample",
                                              "glRenderbufferStorageMultisampleEXT", "multisampling",
                                              "Multisampling");
        kx_gl_caps.fbo_blit =
            load_own(glBlitFramebuffer, "EXT_framebuffer_blit", "glBlitFramebufferEXT", "blit", "blit");
        load_framebuffers(false);
    } else {
        kxLog("%s\n", "FBO is not supported! ");
        drv->message("FBO is not supported:\n-No GL_ARB_framebuffer_object extension\n-No "
                     "GL_EXT_framebuffer_object (and others) extension");
    }
}

void probe_anisotropy() {
    if (has("GL_EXT_texture_filter_anisotropic")) {
        // The driver answers a float; the engine keeps whole levels.
        GLint level = 0;
        drv->get_integer(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &level);
        kx_gl_caps.max_anisotropy = level;
        kxLog("Anisotropic texture filter is supported. Max = x%d \n", kx_gl_caps.max_anisotropy);
    } else {
        kxLog("%s\n", "Anisotropic texture filter is NOT supported. ");
    }
}

#ifdef _WIN32
#define KX_GL_LOAD_MT(type, name) load(name, #name);
#else
// Linked directly here; the names are still asked so both builds probe alike.
#define KX_GL_LOAD_MT(type, name) drv->get_proc(#name);
#endif
void load_multitexture() { KX_GL_MULTITEXTURE_POINTERS(KX_GL_LOAD_MT) }
#undef KX_GL_LOAD_MT

void probe_swap_control() {
    kx_gl_wgl.swap_interval = nullptr;
    if (has("WGL_EXT_swap_control")) {
        kxLog("%s\n", "WGL_EXT_swap_control is supported. VSync can be configured.");
        load(kx_gl_wgl.swap_interval, "wglSwapIntervalEXT");
        kx_gl_wgl.swap_control = kx_gl_wgl.swap_interval != nullptr ? 1 : 0;
    } else {
        kxLog("%s\n", "WGL_EXT_swap_control is NOT supported. VSync can NOT be configured.");
        kx_gl_wgl.swap_control = 0;
    }
}

void probe_choose_pixel_format() {
    kx_gl_wgl.wglChoosePixelFormatARB = nullptr;
    if (has("WGL_ARB_pixel_format")) {
        load(kx_gl_wgl.wglChoosePixelFormatARB, "wglChoosePixelFormatARB");
        kxLog("%s\n", "WGL ChoosePixelFormat is supported");
    } else {
        kxLog("%s\n", "WGL ChoosePixelFormat is NOT supported ");
    }
}

// The real driver: the context current on this thread.
const char* real_get_string(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }
void real_get_integer(GLenum name, GLint* out) { glGetIntegerv(name, out); }
#ifdef _WIN32
void* real_get_proc(const char* name) {
    return kx_gl_proc_or_null(reinterpret_cast<void*>(wglGetProcAddress(name)));
}
// Same words and box as the Win32 shell's kxAppMessage; the render library does not link the shell.
void real_message(const char* text) {
    kxLog("\n\n[Message: %s]\n\n", text);
    MessageBoxA(GetActiveWindow(), text, "", MB_OK | MB_ICONEXCLAMATION);
}
#else
void* real_get_proc(const char* name) {
    return reinterpret_cast<void*>(glXGetProcAddressARB(reinterpret_cast<const GLubyte*>(name)));
}
// Same words as the X11 shell's kxAppMessage; the render library does not link the shell.
void real_message(const char* text) { kxLog("\n\n[Message: %s]\n\n", text); }
#endif

}  // namespace

int glkxInitWith(const kx_gl_driver_t* driver) {
    drv = driver;
    kx_gl_caps = kx_gl_caps_t{};
    clear_entry_points();

    kxLog("%s", "----------------------------\n");
    kxLog("%s", "Initializing OpenGL Functions: \n");
    kxCheckGlError("init_label1");
    kx_gl_caps.glsl = 0;
    kx_gl_caps.max_anisotropy = 0;

    const char* version = drv->get_string(GL_VERSION);
    kxLog("OpenGL Version string: [%s] \n", str_or_empty(version));
    kxLog("OpenGL Vendor: [%s]\n", str_or_empty(drv->get_string(GL_VENDOR)));
    kxLog("OpenGL Renderer: [%s]\n", str_or_empty(drv->get_string(GL_RENDERER)));
    kx_gl_caps.gl_version = kx_gl_parse_version(version);
    kxCheckGlError("init_label1a");

    probe_npot();
    probe_multisample();
    probe_limits();
    if (kx_gl_wgl.probe) {
        load_multitexture();
        probe_swap_control();
    }
    probe_shaders();
    probe_buffers();
    probe_framebuffers();
    probe_anisotropy();
    kxCheckGlError("init_label5");
    if (kx_gl_wgl.probe) probe_choose_pixel_format();
    drv = nullptr;
    return 1;
}

int glkxInit() {
    static const kx_gl_driver_t real = {real_get_string, real_get_integer, real_get_proc, real_message};
    return glkxInitWith(&real);
}
