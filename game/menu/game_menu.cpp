// Menu screens, transitions and button handlers (see game_menu.h).
#include "game/menu/game_menu.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "engine/app/kx_log.h"
#include "engine/gui/kx_gui.h"
#include "game/draw/game_fbo.h"
#include "game/menu/game_menu_server.h"
#include "game/net/game_net_connect.h"
#include "game/sim/game_setup.h"
#include "game/sim/game_world.h"

game_menu_t game_menu;

namespace {

// Per style, the outgoing then the incoming screen: base and rate pairs of scale,
// dx (fraction of the width), dy (fraction of the height), alpha.
const float kStyles[2][2][8] = {
    {{1, -0.5f, 0, 0, 0, 0, 1, -3}, {2, -1, 0, 0, 0, 0, 0, 1}},     // A: zoom in from twice the size
    {{1, 0.5f, 0, 0, 0, 0, 1, -3}, {0.5f, 0.5f, 0, 0, 0, 0, 0, 1}}  // B: grow from half the size
};

const char* const kBotNames[12] = {"Alice", "Bob", "Dave", "Eve", "Bot4", "Bot5",
                                   "Bot6", "Bot7", "Bot8", "Bot9", "Bot10", "Bot11"};

kx_gui_item_t* item(int i) { return i > 0 && i < kx_gui.count ? &kx_gui.items[i] : nullptr; }

int checked(int i) {
    const kx_gui_item_t* it = item(i);
    return it && (it->flags & KX_GUI_CHECKED) ? 1 : 0;
}

void set_flag(int i, uint32_t bit, bool on) {
    if (kx_gui_item_t* it = item(i)) it->flags = on ? it->flags | bit : it->flags & ~bit;
}

// A screen's drawing modifier at progress t of the style's table for `incoming`.
void set_modifier(int screen, int style, int incoming, float t) {
    kx_gui_item_t* it = item(screen);
    if (!it) return;
    const float* s = kStyles[style][incoming];
    kx_gui_set_param(it, 0, (s[2] + s[3] * t) * static_cast<float>(kx_app.width));
    kx_gui_set_param(it, 1, (s[4] + s[5] * t) * static_cast<float>(kx_app.height));
    kx_gui_set_param(it, 2, s[0] + s[1] * t);
    kx_gui_set_param(it, 3, s[6] + s[7] * t);
}

// The timer hands progress in 0..1 (the end goes to on_end), so no clamp is needed.
void on_progress(int, float t) {
    set_modifier(game_menu.from, game_menu.style, 0, t);
    set_modifier(game_menu.to, game_menu.style, 1, t);
}

void on_end(int, float) {
    if (kx_gui_item_t* it = item(game_menu.to)) {
        kx_gui_set_param(it, 0, 0);
        kx_gui_set_param(it, 1, 0);
        kx_gui_set_param(it, 2, 1);
        kx_gui_set_param(it, 3, 1);
    }
    set_flag(game_menu.from, KX_GUI_LOCKED, false);
    set_flag(game_menu.to, KX_GUI_LOCKED, false);
    set_flag(game_menu.from, KX_GUI_HIDDEN, true);
}

void lock_cursor_centre() { kxAppLockCursor(kx_app.width / 2, kx_app.height / 2); }

bool blank(const char* s) {
    for (; *s; s++)
        if (!std::isspace(static_cast<unsigned char>(*s))) return false;
    return true;
}

struct binding_t {
    int item;
    kx_gui_handler_t fn;
};

void do_nothing(int) {}

void tell_changed(int i) {
    if (game_menu.hooks.changed) game_menu.hooks.changed(i);
}

const binding_t kBindings[] = {
    {7, do_nothing},  {8, do_nothing},  {10, do_nothing}, {11, do_nothing},
    {9, game_menu_leave_net},
    {16, game_menu_language},
    {17, game_menu_start_single}, {46, game_menu_start_single},
    {18, game_menu_multiplayer},
    {19, game_menu_options}, {23, game_menu_options}, {42, game_menu_options},
    {20, game_menu_quit},
    {29, game_menu_option_multisampling}, {30, game_menu_option_anisotropy},
    {31, game_menu_option_fullscreen}, {32, game_menu_option_invert_mouse},
    {34, game_menu_option_wide_fov},
    {36, game_menu_back},
    {39, game_menu_leave}, {43, game_menu_leave}, {47, game_menu_leave}, {52, game_menu_leave},
    {41, game_menu_resume},
    {51, game_menu_connect},
    {76, game_menu_pause},
    {98, game_menu_main},
};

}  // namespace

void game_menu_init(kx_netman_t* netman) {
    if (game_menu.timer.active) kxTimerStop(&game_menu.timer);
    const game_menu_hooks_t hooks = game_menu.hooks;
    game_menu = game_menu_t{};
    game_menu.hooks = hooks;
    game_menu.netman = netman;
    game_menu.current = game_menu.back = game_menu.from = game_menu.to = GAME_SCREEN_MAIN;
    std::snprintf(game_menu.server_host, sizeof game_menu.server_host, "%s", GAME_MENU_DEFAULT_HOST);
    for (const binding_t& b : kBindings) kx_gui_set_handler(b.item, KX_GUI_ON_ACTIVATE, b.fn);
    // A drag moves the slider many times; letting it go is the one change worth telling.
    kx_gui_set_handler(33, KX_GUI_ON_RELEASE, game_menu_option_sensitivity);
    for (int i : {74, 75, 73}) kx_gui_hide(i);
    game_menu_server_init();
}

void game_menu_goto(int screen, int style, uint16_t duration_ms) {
    if (game_menu.current == screen) return;
    if (kx_gui.keyboard_mode) {
        const kx_gui_item_t* it = item(screen);
        kx_gui_set_hover(it ? screen + it->nav[KX_GUI_NAV_DOWN] : 0);
    } else {
        kx_gui_set_hover(0);
    }
    const int code = game_menu.current * 10000 + screen;
    if (game_menu.timer.active) {
        kxTimerStop(&game_menu.timer);
        on_progress(0, 1.0f);
        on_end(0, 1.0f);
    }
    game_menu.from = game_menu.current;
    game_menu.to = screen;
    game_menu.current = screen;
    game_menu.style = style ? GAME_MENU_STYLE_B : GAME_MENU_STYLE_A;
    set_modifier(game_menu.from, game_menu.style, 0, 0);
    set_modifier(game_menu.to, game_menu.style, 1, 0);
    for (int s : {game_menu.from, game_menu.to}) {
        set_flag(s, KX_GUI_HIDDEN, false);
        set_flag(s, KX_GUI_LOCKED, true);
    }
    kxTimerStart(&game_menu.timer, duration_ms, code, on_progress, on_end);
}

int game_menu_in_transition() { return game_menu.timer.active; }

void game_menu_main(int) { game_menu_goto(GAME_SCREEN_MAIN, GAME_MENU_STYLE_A, GAME_MENU_DURATION); }

void game_menu_options(int) { game_menu_goto(GAME_SCREEN_OPTIONS, GAME_MENU_STYLE_B, GAME_MENU_DURATION); }

void game_menu_multiplayer(int) {
    game_menu_goto(GAME_SCREEN_MULTIPLAYER, GAME_MENU_STYLE_B, GAME_MENU_DURATION);
}

void game_menu_back(int) {
    const uint16_t ms = game_menu.back == GAME_SCREEN_CHAT ? GAME_MENU_CHAT_DURATION : GAME_MENU_DURATION;
    game_menu_goto(game_menu.back, GAME_MENU_STYLE_A, ms);
}

void game_menu_pause(int) {
    game_menu.back = GAME_SCREEN_PAUSE;
    game_world.game_mode = 0;
    kxAppUnlockCursor();
    game_menu_goto(GAME_SCREEN_PAUSE, GAME_MENU_STYLE_A, GAME_MENU_DURATION);
}

void game_menu_resume(int) {
    game_world.game_mode = 3;
    lock_cursor_centre();
    game_menu_goto(GAME_SCREEN_IN_GAME, GAME_MENU_STYLE_B, GAME_MENU_DURATION);
}

void game_menu_start_single(int) {
    game_world.multiplayer = 0;
    if (game_menu.hooks.name_labels) game_menu.hooks.name_labels(kBotNames);
    game_world.game_mode = 3;
    lock_cursor_centre();
    game_logic_start_new_game();
    game_menu_goto(GAME_SCREEN_IN_GAME, GAME_MENU_STYLE_B, GAME_MENU_DURATION);
}

void game_menu_start_multi(int) {
    game_world.multiplayer = 1;
    game_world.connected = 0;
    game_world.game_mode = 3;
    lock_cursor_centre();
    game_logic_start_new_game();
    game_menu_goto(GAME_SCREEN_IN_GAME, GAME_MENU_STYLE_B, GAME_MENU_DURATION);
}

void game_menu_leave(int) {
    if (game_menu.current != GAME_SCREEN_MAIN)
        game_menu_goto(GAME_SCREEN_MAIN, GAME_MENU_STYLE_A, GAME_MENU_DURATION);
    game_menu.back = GAME_SCREEN_MAIN;
    kx_gui_set_text(GAME_ITEM_CHAT_BOX, "");
    game_menu_leave_net();
}

void game_menu_leave_net(int) {
    if (game_menu.netman) kx_netman_disconnect(game_menu.netman, KX_NETMAN_REASON_LEFT, 0);
}

void game_menu_game_over(int) {
    game_world.game_mode = 0;
    game_menu.back = GAME_SCREEN_MAIN;
    kxAppUnlockCursor();
    game_menu_goto(GAME_SCREEN_GAME_OVER, GAME_MENU_STYLE_A, GAME_MENU_DURATION);
}

void game_menu_connection_error(int) {
    kx_gui_set_text(GAME_ITEM_CHAT_BOX, "");
    game_world.game_mode = 0;
    game_menu.back = GAME_SCREEN_MAIN;
    game_menu_goto(GAME_SCREEN_STATUS, GAME_MENU_STYLE_A, GAME_MENU_DURATION);
}

void game_menu_connect(int) {
    const kx_gui_item_t* name = item(GAME_ITEM_NAME);
    if (!name || blank(name->text)) return;
    if (kx_netman_t* nm = game_menu.netman) {
        const size_t n = strnlen(name->text, sizeof nm->player_name - 1);
        std::memcpy(nm->player_name, name->text, n);
        nm->player_name[n] = 0;
    }
    // host or host:port; a text that is neither keeps the player here, typing in the field.
    const char* host = kxAppKeyIsDown(KX_KEY_SHIFT_L) ? "localhost" : game_menu_server_text();
    char parsed[GAME_NET_HOST_ROOM];
    int port = 0;
    if (game_net_parse_server(host, parsed, sizeof parsed, &port) != 0) {
        if (game_menu_server_typing_item() != GAME_ITEM_SERVER_FIELD) game_menu_server_tab();
        return;
    }
    tell_changed(GAME_ITEM_CONNECT);
    game_menu_goto(GAME_SCREEN_STATUS, GAME_MENU_STYLE_B, GAME_MENU_DURATION);
    if (const kx_gui_item_t* status = item(GAME_ITEM_STATUS)) kx_gui_set_text(GAME_ITEM_STATUS, status->base_text);
    char server[GAME_NET_HOST_ROOM + 8];
    if (game_menu.netman) {
        game_net_connect_to(game_menu.netman, host);
        std::snprintf(server, sizeof server, "%s", game_menu.netman->server_name);
    } else {
        std::snprintf(server, sizeof server, "%s:%d", parsed, port);
    }
    const kx_gui_item_t* word = item(GAME_ITEM_SERVER_WORD);
    kx_gui_printf(GAME_ITEM_SERVER_LINE, "%s: %s", word ? word->text : "", server);
}

void game_menu_chat_open(int) {
    game_menu_goto(GAME_SCREEN_CHAT, GAME_MENU_STYLE_B, GAME_MENU_CHAT_DURATION);
}

void game_menu_chat_close(int) { game_menu_goto(GAME_SCREEN_IN_GAME, GAME_MENU_STYLE_A, GAME_MENU_DURATION); }

void game_menu_chat_send(int) {
    const kx_gui_item_t* field = item(GAME_ITEM_CHAT_FIELD);
    if (field && field->text[0] && game_menu.netman) {
        char line[1024];
        const int n = std::snprintf(line, sizeof line, "%s: %s", game_menu.netman->player_name, field->text);
        const int len = (n < 0 ? 0 : n >= static_cast<int>(sizeof line) ? static_cast<int>(sizeof line) - 1 : n) + 1;
        kx_netman_send(game_menu.netman, 16, line, len);
    }
    kx_gui_set_text(GAME_ITEM_CHAT_FIELD, "");
    game_menu_goto(GAME_SCREEN_IN_GAME, GAME_MENU_STYLE_A, GAME_MENU_DURATION);
}

void game_menu_quit(int) { kxAppQuit(); }

void game_menu_language(int) {
    // Loading a language replaces every text; a name the player typed (or the saved
    // settings filled in) and the server address are not the language's to replace.
    const kx_gui_item_t* name = item(GAME_ITEM_NAME);
    const bool keep = name && std::strcmp(name->text, name->base_text) != 0;
    char kept[KX_NETMAN_NAME_LEN] = "";
    if (keep) {
        const size_t n = strnlen(name->text, sizeof kept - 1);
        std::memcpy(kept, name->text, n);
        kept[n] = 0;
    }
    const kx_gui_item_t* server = item(GAME_ITEM_SERVER_FIELD);
    char kept_server[GAME_ITEM_SERVER_FIELD_ROOM + 1] = "";
    if (server) {
        const size_t n = strnlen(server->text, sizeof kept_server - 1);
        std::memcpy(kept_server, server->text, n);
        kept_server[n] = 0;
    }
    game_menu.language ^= 1;
    kx_gui_load_lang(game_menu.language ? "gui/ironvale.lang0.bin" : "gui/ironvale.lang1.bin", 0);
    if (keep) kx_gui_set_text(GAME_ITEM_NAME, kept);
    if (server) kx_gui_set_text(GAME_ITEM_SERVER_FIELD, kept_server);
    tell_changed(16);
}

void game_menu_option_multisampling(int i) {
    ms_enabled = checked(i);
    game_fbo_reconfigure();
    tell_changed(i);
}

void game_menu_option_anisotropy(int i) {
    game_menu.anisotropy = checked(i);
    if (game_menu.hooks.anisotropy) game_menu.hooks.anisotropy(game_menu.anisotropy ? 4 : 1);
    tell_changed(i);
}

void game_menu_option_fullscreen(int i) {
    kxAppSetFullscreen(checked(i) ? 0 : 1);
    tell_changed(i);
}

void game_menu_option_invert_mouse(int i) {
    game_world.mouse_invert = checked(i);
    tell_changed(i);
}

void game_menu_option_wide_fov(int i) { tell_changed(i); }

void game_menu_option_sensitivity(int i) { tell_changed(i); }

void game_menu_escape() {
    if (game_world.game_mode == 3) {
        if (game_menu.current == GAME_SCREEN_CHAT) game_menu_chat_close();
        else game_menu_pause();
    } else {
        game_menu_back();
    }
}
