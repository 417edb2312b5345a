// Keys, text entry, pointer and mouse look (see game_controls.h).
#include "game/game_controls.h"

#include <cstring>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"
#include "engine/gui/kx_gui.h"
#include "game/draw/game_gui_items.h"
#include "game/menu/game_menu.h"
#include "game/menu/game_menu_server.h"
#include "game/sim/game_hooks.h"
#include "game/sim/game_input.h"
#include "game/sim/game_world.h"

namespace {

int in_game_screen() { return game_world.game_mode == 3 && game_menu.current == GAME_SCREEN_IN_GAME; }
int chat_closed() { return !game_gui_shown(GAME_SCREEN_CHAT); }

void toggle_fullscreen() {
    kx_gui_item_t* it = game_gui_item(GAME_ITEM_FULLSCREEN_OPTION);
    if (!it) return;
    // The same as ticking the option on the options screen.
    it->flags ^= KX_GUI_CHECKED;
    kx_gui_build_item(GAME_ITEM_FULLSCREEN_OPTION);
    game_menu_option_fullscreen(GAME_ITEM_FULLSCREEN_OPTION);
}

int weapon_action(int key) {
    if (key == KX_KEY_DIGIT(1) || key == KX_KEY_KP1 || key == KX_KEY_DELETE) return GAME_WKEY_MACHINE_GUN;
    if (key == KX_KEY_DIGIT(2) || key == KX_KEY_KP2 || key == KX_KEY_END) return GAME_WKEY_SPREAD_GUN;
    if (key == KX_KEY_LETTER('q') || key == KX_KEY_RETURN) return GAME_WKEY_OTHER;
    if (key == KX_KEY_LETTER('r') || key == KX_KEY_KP0) return GAME_WKEY_RELOAD;
    return -1;
}

void point(int x, int y) { kx_gui_set_pointer(x, y); }

}  // namespace

void game_on_key_down(int key, int first) {
    if (!first) return;
    if (key == KX_KEY_TAB) {
        if (in_game_screen() && game_world.multiplayer && game_gui_item(GAME_ITEM_SCORES))
            kx_gui_show(GAME_ITEM_SCORES);
        // On the multiplayer screen Tab moves typing between the name and the server.
        if (game_world.game_mode == 0 && game_menu.current == GAME_SCREEN_MULTIPLAYER) game_menu_server_tab();
    } else if (key == KX_KEY_LETTER('y')) {
        if (in_game_screen() && game_world.multiplayer) game_menu_chat_open();
    } else if (key == KX_KEY_F2) {
        game_toggle_ai_shooting();
    } else if (key == KX_KEY_F7) {
        game_toggle_multiplayer();
    } else if (key == KX_KEY_F3) {
        game_toggle_free_camera();
    } else if (key == KX_KEY_F4) {
        const int on = game_toggle_debug_draw();
        if (game_gui_item(GAME_ITEM_FPS)) on ? kx_gui_show(GAME_ITEM_FPS) : kx_gui_hide(GAME_ITEM_FPS);
    } else if (key == KX_KEY_F11) {
        toggle_fullscreen();
    } else if (key == KX_KEY_F6) {
        kxAppUnlockCursor();
    } else if (key == KX_KEY_ESCAPE) {
        game_menu_escape();
    } else {
        const int action = weapon_action(key);
        if (action >= 0 && chat_closed()) game_input_weapon_key(action);
    }
    if (game_world.game_mode == 0) kx_gui_key(key, game_menu.current);
}

void game_on_key_up(int key) {
    if (key == KX_KEY_TAB && game_gui_item(GAME_ITEM_SCORES)) kx_gui_hide(GAME_ITEM_SCORES);
}

int game_char_accepted(int c) {
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= 192 && c <= 255))
        return 1;
    return c > 0 && c < 128 && std::strchr(" !()+,-./:;=?@[]_", c) != nullptr;
}

int game_field_edit(char* text, int limit, int c) {
    const size_t len = std::strlen(text);
    if (game_char_accepted(c) && len < static_cast<size_t>(limit)) {
        text[len] = static_cast<char>(c);
        text[len + 1] = 0;
        return 1;
    }
    if (len > 0 && c == 8) {
        text[len - 1] = 0;
        return 1;
    }
    return 0;
}

void game_on_char(int c) {
    const kx_gui_item_t* screen = game_gui_item(game_menu.current);
    if (!screen || (screen->flags & KX_GUI_LOCKED)) return;
    int field, limit;
    if (game_gui_shown(GAME_SCREEN_MULTIPLAYER)) {
        field = game_menu_server_typing_item();
        limit = field == GAME_ITEM_SERVER_FIELD ? GAME_ITEM_SERVER_FIELD_ROOM : GAME_NAME_MAX;
    } else if (game_gui_shown(GAME_SCREEN_CHAT)) {
        field = GAME_ITEM_CHAT_FIELD;
        limit = GAME_CHAT_MAX;
    } else {
        return;
    }
    kx_gui_item_t* it = game_gui_item(field);
    if (!it) return;
    if (game_field_edit(it->text, limit, c)) {
        kx_gui_refresh_text(field);
        return;
    }
    if (c != 13) return;
    if (field == GAME_ITEM_CHAT_FIELD) {
        game_menu_chat_send();
        return;
    }
    kxLog("highlighted = %d \n", kx_gui.hover);
    const kx_gui_item_t* connect = game_gui_item(GAME_ITEM_CONNECT);
    if (kx_gui.hover == 0 && connect && connect->handlers[KX_GUI_ON_ACTIVATE])
        connect->handlers[KX_GUI_ON_ACTIVATE](GAME_ITEM_CONNECT);
}

void game_on_pointer_down(int x, int y) {
    point(x, y);
    kx_gui_set_keyboard_mode(0);
    if (game_world.game_mode == 0 && game_menu.current == GAME_SCREEN_MULTIPLAYER)
        game_menu_server_click(kx_gui_hit_test(x, y));
    // A press the GUI takes (a button) never fires.
    if (!kx_gui_pointer_down() && game_world.game_mode == 3) game_input_pointer_down();
}

void game_on_pointer_up(int x, int y) {
    game_input_pointer_up();
    point(x, y);
    kx_gui_pointer_up();
}

void game_on_tap(int x, int y) {
    point(x, y);
    kx_gui_activate();
}

void game_on_drag_start(int x, int y) {
    point(x, y);
    kx_gui_drag_start();
}

void game_on_drag_end(int x, int y) {
    point(x, y);
    kx_gui_drag_end();
}

void game_on_drag_move(int x, int y) {
    point(x, y);
    kx_gui_drag_move();
}

void game_on_pointer_move(int, int) { kxAppPointerIsDown(0); }

void game_on_mouse_look(int dx, int dy) {
    const kx_gui_item_t* slider = game_gui_item(GAME_ITEM_SENSITIVITY);
    const float sens = slider ? kx_gui_param(slider, 0) : 0.0f;
    game_mouse_look(static_cast<float>(dx), static_cast<float>(dy), sens);
}

int game_key_held(int game_key) {
    static const int kNative[GAME_KEY_COUNT] = {
        KX_KEY_LETTER('w'), KX_KEY_LETTER('a'), KX_KEY_LETTER('s'), KX_KEY_LETTER('d'),
        KX_KEY_UP,          KX_KEY_DOWN,        KX_KEY_LEFT,        KX_KEY_RIGHT,
        KX_KEY_SHIFT_L,     KX_KEY_SHIFT_R,     KX_KEY_SPACE,       KX_KEY_CONTROL,
        KX_KEY_LETTER('i'), KX_KEY_LETTER('j'), KX_KEY_LETTER('k'), KX_KEY_LETTER('l')};
    if (game_key < 0 || game_key >= GAME_KEY_COUNT) return 0;
    return kxAppKeyIsDown(kNative[game_key]);
}
