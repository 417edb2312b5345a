// The simulation's hooks for the real program (see game_outlets.h).
#include "game/game_outlets.h"

#include "engine/gui/kx_gui.h"
#include "game/draw/game_gui_items.h"
#include "game/game_audio.h"
#include "game/game_controls.h"
#include "game/menu/game_menu.h"
#include "game/sim/game_hooks.h"

void game_outlet_show_victory(int show) {
    if (!game_gui_item(GAME_ITEM_VICTORY)) return;
    show ? kx_gui_show(GAME_ITEM_VICTORY) : kx_gui_hide(GAME_ITEM_VICTORY);
}

void game_outlet_mode_line(const char* text) {
    if (game_gui_item(GAME_ITEM_MODE_LINE)) kx_gui_set_text(GAME_ITEM_MODE_LINE, text);
}

void game_outlet_lives(int lives, int visible) {
    const kx_gui_item_t* it = game_gui_item(GAME_ITEM_LIVES);
    if (!it) return;
    // The caption comes from the language file; the mesh is rebuilt only when the text changes.
    kx_gui_printf(GAME_ITEM_LIVES, "%s: %d", it->base_text, lives);
    visible ? kx_gui_show(GAME_ITEM_LIVES) : kx_gui_hide(GAME_ITEM_LIVES);
}

void game_outlet_game_over() { game_menu_game_over(); }

int game_outlet_chat_open() { return game_gui_shown(GAME_SCREEN_CHAT); }

void game_outlet_clear_chat() {
    if (game_gui_item(GAME_ITEM_CHAT_BOX)) kx_gui_set_text(GAME_ITEM_CHAT_BOX, "\n\n\n\n\n\n\n\n");
}

void game_outlets_install() {
    game_hooks.play_sound = game_audio_play;
    game_hooks.show_victory = game_outlet_show_victory;
    game_hooks.hud_mode_line = game_outlet_mode_line;
    game_hooks.hud_lives = game_outlet_lives;
    game_hooks.game_over = game_outlet_game_over;
    game_hooks.key_held = game_key_held;
    game_hooks.chat_open = game_outlet_chat_open;
    game_hooks.clear_chat = game_outlet_clear_chat;
}
