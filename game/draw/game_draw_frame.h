// The three frames the game draws, by game_mode: the loading screen (2), the
// in-game frame (3: camera, level, first-person weapon, crosshair, composed
// through the fullscreen program with the flash tints, then HUD, frame-rate
// text and GUI) and the menu frame (any other mode: background picture,
// composed, then frame-rate text and GUI). The caller swaps buffers.
// Main thread only. Depends on game_world, game_hud, game_draw_level,
// game_assets, game_shaders, game_fbo, game_gui_items, kx_render, kx_gui, kx_app.
#pragma once

// Loading screen: a clear whose colour follows loader_progress.
void game_draw_loader(int progress);
// The menu frame.
void game_draw_menu();
// The in-game frame.
void game_draw();
