// The simulation's hooks filled in for the real program: sounds through
// OpenAL, the HUD texts and the victory text into their GUI items, game over
// to the end-of-game screen, held keys from the shell, the chat state and the
// chat box clearing. The network hooks (own id, send state, local death) are
// the network sync's to install. Main thread only.
// Depends on game_hooks, game_audio, game_controls, game_menu, game_gui_items, kx_gui.
#pragma once

// GUI items the hooks write (the chat box is the menu's, game_menu.h).
enum {
    GAME_ITEM_LIVES = 77,
    GAME_ITEM_VICTORY = 78,
    GAME_ITEM_MODE_LINE = 79
};

// Install every hook above into game_hooks.
void game_outlets_install();

// The hooks themselves (exposed for tests).
void game_outlet_show_victory(int show);
void game_outlet_mode_line(const char* text);
void game_outlet_lives(int lives, int visible);
void game_outlet_game_over();
int game_outlet_chat_open();
void game_outlet_clear_chat();
