// Framebuffers: an offscreen target with an optional colour texture, colour
// renderbuffer and depth renderbuffer, optionally multisampled, and the
// completeness report. Main thread only. Depends on kx_gl, kx_log, kx_glcheck.
#pragma once

#include <cstdint>

// GL names, 0 while not created. Owned by the caller; freed with kx_fbo_destroy.
struct kx_fbo_t {
    uint32_t fbo;        // framebuffer
    uint32_t color_rb;   // colour renderbuffer (flag 4)
    uint32_t depth_rb;   // depth renderbuffer (flag 1)
    uint32_t color_tex;  // colour texture (flag 2)
};

// Attachment flags.
enum { KX_FBO_DEPTH_RB = 1, KX_FBO_COLOR_TEX = 2, KX_FBO_COLOR_RB = 4 };

// Create the framebuffer and the attachments `flags` asks for, width x height;
// samples > 0 makes the renderbuffers multisampled (when the driver has any samples).
// An incomplete result is logged and kept. Leaves framebuffer 0 bound.
void kx_fbo_create(kx_fbo_t* fbo, int samples, int flags, int width, int height);

// Delete the attachments named by `flags`, then the framebuffer. Names stay in the record.
void kx_fbo_destroy(kx_fbo_t* fbo, int flags);

// Log the completeness of the bound framebuffer in words; returns the GL status.
uint32_t kx_fbo_report();

// The words kx_fbo_report logs for a status (never null).
const char* kx_fbo_status_text(uint32_t status);
