// The input side of the controls: what the key and mouse handlers do to the
// world, and the keys the tick polls (movement, free camera). Takes plain
// arguments (deltas, actions) so it needs no window shell; held keys come from
// the key_held hook. GUI-side effects of keys (score table, chat, fullscreen,
// menus) stay with the handlers. Depends on game_world, game_hooks, game_weapon, kx_log.
#pragma once

// Strafe s and forward f (-1, 0, 1) of the local player from the held movement keys;
// both 0 while the free camera is on or chat_open is set.
void game_input_move(int chat_open, int* s, int* f);

// Mouse look by (dx right, dy up) pixels with sensitivity sens (GUI slider value):
// turns the free camera, or the local player (not while dead), pitch clamped to
// [0, pi], player yaw kept within [-2 pi, 2 pi].
void game_mouse_look(float dx, float dy, float sens);

// One tick of the free camera from the held keys.
void game_free_camera_step();

// Primary button pressed and not taken by the GUI: in game (game_mode 3) the trigger is
// held and a shot requested; otherwise nothing.
void game_input_pointer_down();
// Primary button released anywhere: trigger released.
void game_input_pointer_up();

// Weapon keys (first press only, chat closed): machine gun, spread gun, the other
// weapon, reload (only with the machine gun in hand).
enum { GAME_WKEY_MACHINE_GUN = 0, GAME_WKEY_SPREAD_GUN, GAME_WKEY_OTHER, GAME_WKEY_RELOAD };
void game_input_weapon_key(int action);

// Debug toggles; each returns the new flag value. The free-camera toggle logs the camera.
int game_toggle_ai_shooting();
int game_toggle_multiplayer();
int game_toggle_free_camera();
int game_toggle_debug_draw();
