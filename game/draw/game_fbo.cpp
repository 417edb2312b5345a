// The game's framebuffer settings and their rebuild rule.
// Depends on kx_fbo, kx_gl, kx_app, kx_log.
#include "game/draw/game_fbo.h"

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"
#include "engine/render/kx_gl.h"

kx_fbo_t fbo_main;
kx_fbo_t fbo_ms;
int fbo_width = 512;
int fbo_height = 512;
int fbo_scale = 1;
int ms_enabled = 0;
int ms_samples = 0;

int game_fbo_samples_for(int max_samples) {
    if (max_samples == 0) return 0;
    return max_samples >= 4 ? max_samples / 2 : 2;
}

void game_fbo_reset_settings() {
    fbo_width = 512;
    fbo_height = 512;
    fbo_scale = 1;
    ms_enabled = 0;
    ms_samples = game_fbo_samples_for(kx_gl_caps.max_samples);
}

namespace {
int scaled(int v) { return v / (fbo_scale > 0 ? fbo_scale : 1); }
}  // namespace

void game_fbo_init() {
    kxLog("%s\n", "Creating FBOs: ");
    fbo_width = kx_app.width;
    fbo_height = kx_app.height;
    kxLog("%s\n", "single sample: ");
    kx_fbo_create(&fbo_main, 0, GAME_FBO_MAIN_FLAGS, scaled(fbo_width), scaled(fbo_height));
    if (ms_enabled) {
        kxLog("%s\n", "and multisample: ");
        kx_fbo_create(&fbo_ms, ms_samples, GAME_FBO_MS_FLAGS, scaled(fbo_width), scaled(fbo_height));
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void game_fbo_reconfigure() {
    kxLog("%s", "reconfiguring fbo...\n");
    if (fbo_main.fbo != 0) kx_fbo_destroy(&fbo_main, GAME_FBO_MAIN_FLAGS);
    kxLog("fbo scale %d \n", fbo_scale);
    kx_fbo_create(&fbo_main, 0, GAME_FBO_MAIN_FLAGS, scaled(fbo_width), scaled(fbo_height));
    if (ms_enabled) {
        kxLog("reconfiguring FBO, with multisample (ms_samples = %d) \n", ms_samples);
        // Names still 0 (multisampling never on before) are ignored by GL.
        kx_fbo_destroy(&fbo_ms, GAME_FBO_MS_FLAGS);
        kx_fbo_create(&fbo_ms, ms_samples, GAME_FBO_MS_FLAGS, scaled(fbo_width), scaled(fbo_height));
    }
}

void game_fbo_term() {
    kx_fbo_destroy(&fbo_main, GAME_FBO_MAIN_FLAGS);
    if (ms_enabled) kx_fbo_destroy(&fbo_ms, GAME_FBO_MS_FLAGS);
}

void game_fbo_bind_scene() {
    glBindFramebuffer(GL_FRAMEBUFFER, ms_enabled ? fbo_ms.fbo : fbo_main.fbo);
    glViewport(0, 0, scaled(fbo_width), scaled(fbo_height));
}

void game_fbo_resolve() {
    if (!ms_enabled) return;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo_ms.fbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo_main.fbo);
    const int w = scaled(fbo_width), h = scaled(fbo_height);
    glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
}
