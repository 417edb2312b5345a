// The player's hands on the game: the key table (weapons, debug toggles, menu
// keys), text entry into the name and chat fields, the pointer handlers that
// share the primary button between the GUI and the trigger, mouse look, and
// the held-key hook the simulation polls. Installed into kx_app's slots by
// game_main. Main thread only.
// Depends on kx_app, kx_gui, game_input (sim), game_menu, game_gui_items, kx_log.
#pragma once

// GUI items the controls use beside the menu's screens and fields (game_menu.h).
enum {
    GAME_ITEM_FULLSCREEN_OPTION = 31,  // options: fullscreen check (0x2 set = windowed)
    GAME_ITEM_SENSITIVITY = 33,        // options: mouse sensitivity slider
    GAME_ITEM_FPS = 81                 // frame-rate text, shown in debug drawing mode
};

constexpr int GAME_NAME_MAX = 31;
constexpr int GAME_CHAT_MAX = 80;

// kx_app slot handlers.
void game_on_key_down(int key, int first);
void game_on_key_up(int key);
void game_on_char(int c);
void game_on_pointer_down(int x, int y);
void game_on_pointer_up(int x, int y);
void game_on_tap(int x, int y);
void game_on_drag_start(int x, int y);
void game_on_drag_end(int x, int y);
void game_on_drag_move(int x, int y);
void game_on_pointer_move(int x, int y);
void game_on_mouse_look(int dx, int dy);

// 1 when character c may be typed into a text field.
int game_char_accepted(int c);
// Apply character c to a field text of at most `limit` characters (size > limit):
// append when accepted and room is left, Backspace (8) removes the last one.
// Returns 1 when the text changed.
int game_field_edit(char* text, int limit, int c);

// The key_held hook: game key (GAME_KEY_*) to the shell's native code, then kxAppKeyIsDown.
int game_key_held(int game_key);
