// Framebuffers: create, destroy, completeness report.
// Depends on kx_gl, kx_log, kx_glcheck.
#include "engine/render/kx_fbo.h"

#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"
#include "engine/render/kx_gl.h"

namespace {

// One renderbuffer attachment. Multisampled storage only when both the driver and
// the caller want samples.
void attach_renderbuffer(uint32_t* rb, GLenum attachment, int samples, GLenum ms_format, GLenum format,
                         int width, int height) {
    glGenRenderbuffers(1, rb);
    glBindRenderbuffer(GL_RENDERBUFFER, *rb);
    if (kx_gl_caps.max_samples != 0 && samples != 0 && glRenderbufferStorageMultisample != nullptr) {
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, ms_format, width, height);
    } else {
        glRenderbufferStorage(GL_RENDERBUFFER, format, width, height);
    }
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, *rb);
}

}  // namespace

void kx_fbo_create(kx_fbo_t* fbo, int samples, int flags, int width, int height) {
    kxLog("%s\n", "kx_fbo_create: ");
    glGenFramebuffers(1, &fbo->fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo->fbo);

    if (flags & KX_FBO_COLOR_TEX) {
        const GLenum target = static_cast<GLenum>(kx_gl_caps.texture_target);
        glGenTextures(1, &fbo->color_tex);
        glBindTexture(target, fbo->color_tex);
        glTexImage2D(target, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBindTexture(target, 0);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, target, fbo->color_tex, 0);
    }
    kxCheckGlError("fbo texture creating");

    if (flags & KX_FBO_DEPTH_RB)
        attach_renderbuffer(&fbo->depth_rb, GL_DEPTH_ATTACHMENT, samples, GL_DEPTH_COMPONENT,
                            GL_DEPTH_COMPONENT24, width, height);
    kxCheckGlError("fbo depth creating");

    if (flags & KX_FBO_COLOR_RB)
        attach_renderbuffer(&fbo->color_rb, GL_COLOR_ATTACHMENT0, samples, GL_RGBA, GL_RGBA, width, height);
    kxCheckGlError("fbo renderbuffer creating");

    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) kx_fbo_report();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    kxCheckGlError("fbo creating fin");
}

void kx_fbo_destroy(kx_fbo_t* fbo, int flags) {
    kxLog("destroying fbo (%d) \n", static_cast<int>(fbo->fbo));
    if (flags & KX_FBO_COLOR_RB) glDeleteRenderbuffers(1, &fbo->color_rb);
    if (flags & KX_FBO_DEPTH_RB) glDeleteRenderbuffers(1, &fbo->depth_rb);
    if (flags & KX_FBO_COLOR_TEX) glDeleteTextures(1, &fbo->color_tex);
    glDeleteFramebuffers(1, &fbo->fbo);
}

const char* kx_fbo_status_text(uint32_t status) {
    switch (status) {
        case 0x8CD5: return "Framebuffer complete.";
        case 0x8CD6: return "[ERROR] Framebuffer incomplete: Attachment is NOT complete.";
        case 0x8CD7: return "[ERROR] Framebuffer incomplete: No image is attached to FBO.";
        case 0x8CD9: return "[ERROR] Framebuffer incomplete: Attached images have different dimensions.";
        case 0x8CDA: return "[ERROR] Framebuffer incomplete: Color attached images have different internal formats.";
        case 0x8CDB: return "[ERROR] Framebuffer incomplete: Draw buffer.";
        case 0x8CDC: return "[ERROR] Framebuffer incomplete: Read buffer.";
        case 0x8CDD: return "[ERROR] Unsupported by FBO implementation.";
        case 0x8D56: return "ERROR, incomplete multisample";
        case 0x8DA8: return "ERROR, incomplete layer targets";
        default: return "[ERROR] Unknown framebuffer error.";
    }
}

uint32_t kx_fbo_report() {
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    kxLog("%s\n", kx_fbo_status_text(status));
    return status;
}
