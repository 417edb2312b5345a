// Server field of the multiplayer screen (see game_menu_server.h).
// Depends on kx_gui, game_menu, game_net_connect.
#include "game/menu/game_menu_server.h"

#include <cctype>

#include "engine/gui/kx_gui.h"
#include "game/menu/game_menu.h"
#include "game/net/game_net_connect.h"

namespace {

int g_typing = GAME_ITEM_NAME;  // lifetime: the program run; reset by game_menu_server_init

bool blank(const char* s) {
    for (; *s; s++)
        if (!std::isspace((unsigned char)*s)) return false;
    return true;
}

void set_flag(int item, uint32_t flag, bool on) {
    if (item <= 0 || item >= kx_gui.count) return;
    uint32_t& f = kx_gui.items[item].flags;
    f = on ? (f | flag) : (f & ~flag);
}

void show_typing() {
    set_flag(GAME_ITEM_NAME, KX_GUI_BLINK, g_typing == GAME_ITEM_NAME);
    set_flag(GAME_ITEM_SERVER_FIELD, KX_GUI_BLINK, g_typing == GAME_ITEM_SERVER_FIELD);
}

}  // namespace

void game_menu_server_init() {
    g_typing = GAME_ITEM_NAME;
    kx_gui_set_text(GAME_ITEM_SERVER_FIELD, game_net_default_server());
    kx_gui_hide(GAME_ITEM_SERVER_FIELD);
    show_typing();
}

void game_menu_server_update() {
    const bool shown = game_menu.current == GAME_SCREEN_MULTIPLAYER && !game_menu_in_transition();
    if (shown == !kx_gui_is_hidden(GAME_ITEM_SERVER_FIELD)) return;
    if (shown)
        kx_gui_show(GAME_ITEM_SERVER_FIELD);
    else
        kx_gui_hide(GAME_ITEM_SERVER_FIELD);
}

int game_menu_server_typing_item() { return g_typing; }

void game_menu_server_tab() {
    g_typing = g_typing == GAME_ITEM_NAME ? GAME_ITEM_SERVER_FIELD : GAME_ITEM_NAME;
    show_typing();
}

int game_menu_server_click(int item) {
    if (item != GAME_ITEM_NAME && item != GAME_ITEM_SERVER_FIELD) return 0;
    g_typing = item;
    show_typing();
    return 1;
}

const char* game_menu_server_text() {
    if (GAME_ITEM_SERVER_FIELD < kx_gui.count && !blank(kx_gui.items[GAME_ITEM_SERVER_FIELD].text))
        return kx_gui.items[GAME_ITEM_SERVER_FIELD].text;
    return game_menu.server_host;
}
