// New-game setup: refill the pools with the level, put the player and the four
// bots at their starts. Used by the menu's single- and multiplayer starts.
// Depends on game_world, game_level, game_query, game_bot, game_hooks, kx_log.
#pragma once

// Discard whatever is in the objects and rects pools and build a fresh game:
// 74 rects, the player (element 0), twelve slots (1..12, inactive unless they
// become bots), 71 markers; bots in slots 0..3; the player armed with a loaded
// machine gun. Mode flags, the camera and the event queue are left as they are.
// The pools must exist (game_world_init).
void game_logic_start_new_game();
