// The saved settings in the running game: read once at start, put into the GUI items
// and the state they drive, and written back when the player changes one of them.
// For one run the command line wins (--windowed, --name, --connect, and
// IRONVALE_SERVER for the server), then the file, then the built-in defaults; what the
// command line chose is never written back on its own. Main thread only.
// Depends on game_settings, kx_gui, game_menu, game_menu_server, game_net_connect,
// game_fbo, game_world, game_options, kx_app.
#pragma once

// Find the file and read it (GameInit, before the window mode is chosen).
void game_settings_start();

// 1 when this run plays in a window: --windowed, else the saved choice.
int game_settings_windowed();

// Put the saved values into the options screen, the language, the name and server
// fields, and the state behind them; then install the menu's changed hook. Call once
// the GUI, the textures, the framebuffers and the world exist.
void game_settings_apply();

// The menu's changed hook: take the item's current value into the saved record and
// write the file when the record changed.
void game_settings_changed(int item);
