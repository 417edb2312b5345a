// The game's offscreen targets: a single-sample framebuffer the size of the window
// (colour texture + depth) that is composed to the window each frame, and an
// optional multisampled one (colour + depth renderbuffers) resolved into it.
// Main thread only. Depends on kx_fbo, kx_gl (max_samples), kx_app (window size), kx_log.
#pragma once

#include "engine/render/kx_fbo.h"

// Render settings. Lifetime: set by game_fbo_reset_settings at game start, sized by
// game_fbo_init and every resize, freed by game_fbo_term.
extern kx_fbo_t fbo_main;  // flags 3: depth renderbuffer + colour texture
extern kx_fbo_t fbo_ms;    // flags 5: colour + depth renderbuffers, ms_samples samples
extern int fbo_width;      // size both targets are made with (512 x 512 until game init)
extern int fbo_height;
extern int fbo_scale;   // size divisor; always 1
extern int ms_enabled;  // 1 when multisampling is on (settings screen)
extern int ms_samples;  // sample count for fbo_ms

enum {
    GAME_FBO_MAIN_FLAGS = KX_FBO_DEPTH_RB | KX_FBO_COLOR_TEX,
    GAME_FBO_MS_FLAGS = KX_FBO_DEPTH_RB | KX_FBO_COLOR_RB
};

// Sample count for a driver maximum: 0 when 0, half of it from 4 up, else 2.
int game_fbo_samples_for(int max_samples);

// Settings to their start values: 512 x 512, scale 1, multisampling off, ms_samples
// from kx_gl_caps.max_samples. Does not touch GL.
void game_fbo_reset_settings();

// First creation at game init: size from the window, fbo_main (and fbo_ms when
// ms_enabled), then framebuffer 0 bound.
void game_fbo_init();

// Rebuild the targets at fbo_width x fbo_height (resize, multisampling switched).
void game_fbo_reconfigure();

// Free fbo_main and, when multisampling is on, fbo_ms (game shutdown).
void game_fbo_term();

// Bind the target the scene is drawn into (fbo_ms when ms_enabled, else fbo_main)
// and set the viewport to it.
void game_fbo_bind_scene();

// Resolve fbo_ms into fbo_main when multisampling is on; both bindings end at 0.
void game_fbo_resolve();
