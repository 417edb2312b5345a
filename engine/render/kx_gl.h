// GL capability loader: probes the driver's version and extension strings once
// after the context is current, records limits and feature flags in kx_gl_caps,
// and fills the run-time entry points for shaders, buffers and framebuffers.
// Only the OpenGL 1.1 (and 1.3 multitexture) calls are linked directly; every
// newer one is one of the pointers below. Depends on GL/GLX, kx_log, kx_glcheck.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

#ifdef _WIN32
#define KX_GL_WINAPI __stdcall
#else
#define KX_GL_WINAPI
#endif

#include <cstdint>

// Capability flags and limits; one global, filled by glkxInit, read by the renderer
// and the game's settings. Lifetime: the whole run.
struct kx_gl_caps_t {
    int32_t gl_version;              // major*10 + minor (21 for 2.1)
    int32_t glsl;                    // 1 when GLSL is available (core or ARB)
    int32_t texture_target;          // GL_TEXTURE_2D for framebuffer colour textures
    int32_t texture_rect;            // always 0
    int32_t max_anisotropy;          // 0 when anisotropic filtering is missing
    int32_t max_samples;             // 0 when multisampling is unsupported
    int32_t max_integer_samples;     // never queried: 0
    int32_t fbo_multisample;         // 1 when glRenderbufferStorageMultisample was loaded
    int32_t fbo_blit;                // 1 when glBlitFramebuffer was loaded
    int32_t max_vertex_attribs;      // GL_MAX_VERTEX_ATTRIBS
    int32_t max_uniform_vectors;     // never queried: 0
    int32_t max_uniform_components;  // GL_MAX_VERTEX_UNIFORM_COMPONENTS
};
extern kx_gl_caps_t kx_gl_caps;

// The entry points, named exactly like the GL functions so engine code calls them
// as if linked. They live in a namespace so the linker never confuses these data
// symbols with libGL's own function symbols of the same names; the using-directive
// below makes the plain names work everywhere this header is included.
// Null until glkxInit has run (and null when the driver lacks the group).
#define KX_GL_SHADER_POINTERS(X)                                            \
    X(PFNGLCREATEPROGRAMPROC, glCreateProgram, "glCreateProgramObjectARB")  \
    X(PFNGLDELETEPROGRAMPROC, glDeleteProgram, "glDeleteObjectARB")         \
    X(PFNGLUSEPROGRAMPROC, glUseProgram, "glUseProgramObjectARB")           \
    X(PFNGLLINKPROGRAMPROC, glLinkProgram, "glLinkProgramARB")              \
    X(PFNGLATTACHSHADERPROC, glAttachShader, "glAttachObjectARB")           \
    X(PFNGLDETACHSHADERPROC, glDetachShader, "glDetachObjectARB")           \
    X(PFNGLCREATESHADERPROC, glCreateShader, "glCreateShaderObjectARB")     \
    X(PFNGLCOMPILESHADERPROC, glCompileShader, "glCompileShaderARB")        \
    X(PFNGLSHADERSOURCEPROC, glShaderSource, "glShaderSourceARB")           \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog, "glGetInfoLogARB")     \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog, "glGetInfoLogARB")   \
    X(PFNGLDELETESHADERPROC, glDeleteShader, "glDeleteObjectARB")           \
    X(PFNGLVALIDATEPROGRAMPROC, glValidateProgram, "glValidateProgramARB")  \
    X(PFNGLGETPROGRAMIVPROC, glGetProgramiv, "glGetObjectParameterivARB")   \
    X(PFNGLGETUNIFORMLOCATIONPROC, glGetUniformLocation, "glGetUniformLocationARB") \
    X(PFNGLGETATTRIBLOCATIONPROC, glGetAttribLocation, "glGetAttribLocationARB")    \
    X(PFNGLUNIFORM1FPROC, glUniform1f, "glUniform1fARB")                    \
    X(PFNGLUNIFORM2FPROC, glUniform2f, "glUniform2fARB")                    \
    X(PFNGLUNIFORM3FPROC, glUniform3f, "glUniform3fARB")                    \
    X(PFNGLUNIFORM4FPROC, glUniform4f, "glUniform4fARB")                    \
    X(PFNGLUNIFORM1IPROC, glUniform1i, "glUniform1iARB")                    \
    X(PFNGLUNIFORM2IPROC, glUniform2i, "glUniform2iARB")                    \
    X(PFNGLUNIFORM3IPROC, glUniform3i, "glUniform3iARB")                    \
    X(PFNGLUNIFORM4IPROC, glUniform4i, "glUniform4iARB")                    \
    X(PFNGLUNIFORM1FVPROC, glUniform1fv, "glUniform1fvARB")                 \
    X(PFNGLUNIFORM2FVPROC, glUniform2fv, "glUniform2fvARB")                 \
    X(PFNGLUNIFORM3FVPROC, glUniform3fv, "glUniform3fvARB")                 \
    X(PFNGLUNIFORM4FVPROC, glUniform4fv, "glUniform4fvARB")                 \
    X(PFNGLUNIFORM1IVPROC, glUniform1iv, "glUniform1ivARB")                 \
    X(PFNGLUNIFORM2IVPROC, glUniform2iv, "glUniform2ivARB")                 \
    X(PFNGLUNIFORM3IVPROC, glUniform3iv, "glUniform3ivARB")                 \
    X(PFNGLUNIFORM4IVPROC, glUniform4iv, "glUniform4ivARB")                 \
    X(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv, "glUniformMatrix4fvARB")      \
    X(PFNGLUNIFORMMATRIX3FVPROC, glUniformMatrix3fv, "glUniformMatrix3fvARB")      \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer, "glVertexAttribPointerARB") \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray, "glEnableVertexAttribArrayARB") \
    X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray, "glDisableVertexAttribArrayARB")

#define KX_GL_BUFFER_POINTERS(X)                                  \
    X(PFNGLBINDBUFFERPROC, glBindBuffer, "glBindBufferARB")       \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers, "glDeleteBuffersARB") \
    X(PFNGLGENBUFFERSPROC, glGenBuffers, "glGenBuffersARB")       \
    X(PFNGLISBUFFERPROC, glIsBuffer, "glIsBufferARB")             \
    X(PFNGLBUFFERDATAPROC, glBufferData, "glBufferDataARB")       \
    X(PFNGLBUFFERSUBDATAPROC, glBufferSubData, "glBufferSubDataARB") \
    X(PFNGLGETBUFFERSUBDATAPROC, glGetBufferSubData, "glGetBufferSubDataARB")

// glRenderbufferStorageMultisample and glBlitFramebuffer sit in this list too; on the
// EXT path they are loaded only when their own extension is present.
#define KX_GL_FRAMEBUFFER_POINTERS(X)                                                         \
    X(PFNGLISRENDERBUFFERPROC, glIsRenderbuffer, "glIsRenderbufferEXT")                       \
    X(PFNGLBINDRENDERBUFFERPROC, glBindRenderbuffer, "glBindRenderbufferEXT")                 \
    X(PFNGLDELETERENDERBUFFERSPROC, glDeleteRenderbuffers, "glDeleteRenderbuffersEXT")        \
    X(PFNGLGENRENDERBUFFERSPROC, glGenRenderbuffers, "glGenRenderbuffersEXT")                 \
    X(PFNGLRENDERBUFFERSTORAGEPROC, glRenderbufferStorage, "glRenderbufferStorageEXT")        \
    X(PFNGLRENDERBUFFERSTORAGEMULTISAMPLEPROC, glRenderbufferStorageMultisample,              \
      "glRenderbufferStorageMultisampleEXT")                                                  \
    X(PFNGLGETRENDERBUFFERPARAMETERIVPROC, glGetRenderbufferParameteriv,                      \
      "glGetRenderbufferParameterivEXT")                                                      \
    X(PFNGLISFRAMEBUFFERPROC, glIsFramebuffer, "glIsFramebufferEXT")                          \
    X(PFNGLBINDFRAMEBUFFERPROC, glBindFramebuffer, "glBindFramebufferEXT")                    \
    X(PFNGLDELETEFRAMEBUFFERSPROC, glDeleteFramebuffers, "glDeleteFramebuffersEXT")           \
    X(PFNGLGENFRAMEBUFFERSPROC, glGenFramebuffers, "glGenFramebuffersEXT")                    \
    X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, glCheckFramebufferStatus, "glCheckFramebufferStatusEXT") \
    X(PFNGLFRAMEBUFFERTEXTURE1DPROC, glFramebufferTexture1D, "glFramebufferTexture1DEXT")     \
    X(PFNGLFRAMEBUFFERTEXTURE2DPROC, glFramebufferTexture2D, "glFramebufferTexture2DEXT")     \
    X(PFNGLFRAMEBUFFERTEXTURE3DPROC, glFramebufferTexture3D, "glFramebufferTexture3DEXT")     \
    X(PFNGLFRAMEBUFFERTEXTURELAYERPROC, glFramebufferTextureLayer, "glFramebufferTextureLayerEXT") \
    X(PFNGLFRAMEBUFFERRENDERBUFFERPROC, glFramebufferRenderbuffer, "glFramebufferRenderbufferEXT") \
    X(PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVPROC, glGetFramebufferAttachmentParameteriv,    \
      "glGetFramebufferAttachmentParameterivEXT")                                             \
    X(PFNGLBLITFRAMEBUFFERPROC, glBlitFramebuffer, "glBlitFramebufferEXT")                    \
    X(PFNGLGENERATEMIPMAPPROC, glGenerateMipmap, "glGenerateMipmapEXT")

// Multitexture (GL 1.3): linked directly on Linux; Windows' opengl32 stops at 1.1,
// so there they are pointers too, loaded by the WGL steps of the probe.
#define KX_GL_MULTITEXTURE_POINTERS(X)                          \
    X(PFNGLACTIVETEXTUREPROC, glActiveTexture)                  \
    X(PFNGLCLIENTACTIVETEXTUREPROC, glClientActiveTexture)      \
    X(PFNGLMULTITEXCOORD1FPROC, glMultiTexCoord1f)              \
    X(PFNGLMULTITEXCOORD1FVPROC, glMultiTexCoord1fv)            \
    X(PFNGLMULTITEXCOORD2FPROC, glMultiTexCoord2f)              \
    X(PFNGLMULTITEXCOORD2FVPROC, glMultiTexCoord2fv)            \
    X(PFNGLMULTITEXCOORD3FPROC, glMultiTexCoord3f)              \
    X(PFNGLMULTITEXCOORD3FVPROC, glMultiTexCoord3fv)            \
    X(PFNGLMULTITEXCOORD4FPROC, glMultiTexCoord4f)              \
    X(PFNGLMULTITEXCOORD4FVPROC, glMultiTexCoord4fv)

namespace kx_gl_entry {
#define KX_GL_DECLARE(type, name, ext) extern type name;
KX_GL_SHADER_POINTERS(KX_GL_DECLARE)
KX_GL_BUFFER_POINTERS(KX_GL_DECLARE)
KX_GL_FRAMEBUFFER_POINTERS(KX_GL_DECLARE)
#undef KX_GL_DECLARE
#ifdef _WIN32
#define KX_GL_DECLARE_MT(type, name) extern type name;
KX_GL_MULTITEXTURE_POINTERS(KX_GL_DECLARE_MT)
#undef KX_GL_DECLARE_MT
#endif
}  // namespace kx_gl_entry
using namespace kx_gl_entry;

// The WGL steps of the probe (Windows): multitexture entry points after the limits, the
// swap-control probe, and wglChoosePixelFormatARB at the end. Lifetime: the whole run.
typedef int(KX_GL_WINAPI* kx_gl_swap_interval_fn)(int interval);
struct kx_gl_wgl_t {
    int32_t probe;                         // 1: glkxInit runs the WGL steps (set in the Windows build)
    int32_t swap_control;                  // 1 when "WGL_EXT_swap_control" was found; the shell's vsync reads it
    kx_gl_swap_interval_fn swap_interval;  // wglSwapIntervalEXT, or null
    void* wglChoosePixelFormatARB;         // null unless "WGL_ARB_pixel_format" was found
};
extern kx_gl_wgl_t kx_gl_wgl;

// A get-proc-address answer with wglGetProcAddress's failure values (0, 1, 2, 3, -1)
// turned into null; any other value is returned unchanged.
void* kx_gl_proc_or_null(void* proc);

// What the probe asks of a driver. glkxInit uses the current context; tests hand in
// their own strings and answers.
struct kx_gl_driver_t {
    const char* (*get_string)(GLenum name);    // GL_VERSION, GL_VENDOR, GL_RENDERER, GL_EXTENSIONS
    void (*get_integer)(GLenum name, GLint* out);
    void* (*get_proc)(const char* name);       // entry point by name, or null
    void (*message)(const char* text);         // the shell's user message
};

// Probe the current context and fill kx_gl_caps and the entry points. Returns 1 always;
// missing features are logged, never fatal.
int glkxInit();

// The same probe against any driver description (the driver is not kept).
int glkxInitWith(const kx_gl_driver_t* driver);

// Version string to major*10 + minor: reads only the first and third character;
// a null or too short string gives 0.
int32_t kx_gl_parse_version(const char* version);

// Plain substring search in an extension string (a name also matches inside a longer
// one); 1 when found, 0 when not or when the string is null.
int kx_gl_has_extension(const char* extensions, const char* name);
