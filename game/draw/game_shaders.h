// The game's shader programs, built from the asset directory's shaders/*.glsl
// at game init: grid and light2 (built, not drawn with), fullscreen (compose),
// light (lit models), simple (unlit models); then the text and GUI programs.
// Main thread only. Depends on kx_sh, kx_text, kx_gui.
#pragma once

#include "engine/render/kx_sh.h"

// Lifetime: game_shaders_init .. game_shaders_term.
extern kx_sh_t game_sh_grid;
extern kx_sh_t game_sh_fullscreen;
extern kx_sh_t game_sh_light;
extern kx_sh_t game_sh_light2;
extern kx_sh_t game_sh_simple;

// Build the five programs with their locations, then the text and GUI programs.
// A broken shader is logged and kept (its locations are -1); never fails.
void game_shaders_init();

// Release text and GUI programs first, then simple, grid, light, light2, fullscreen.
void game_shaders_term();
