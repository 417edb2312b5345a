// Saved settings in the running game (see game_settings_glue.h).
#include "game/game_settings_glue.h"

#include <cstdio>
#include <cstring>

#include "engine/app/kx_log.h"
#include "engine/gui/kx_gui.h"
#include "game/draw/game_fbo.h"
#include "game/draw/game_gui_items.h"
#include "game/game_controls.h"
#include "game/game_options.h"
#include "game/game_settings.h"
#include "game/menu/game_menu.h"
#include "game/net/game_net_connect.h"
#include "game/sim/game_world.h"

namespace {

enum {
    ITEM_LANGUAGE = 16,
    ITEM_MULTISAMPLING = 29,
    ITEM_ANISOTROPY = 30,
    ITEM_INVERT = 32,
    ITEM_WIDE_FOV = 34
};

// Lifetime: the program run.
char g_path[GAME_SETTINGS_PATH_SIZE];  // "" when there is no place for the file
game_settings_t g_saved;               // what the file holds (or will hold)

void set_checked(int i, int on) {
    kx_gui_item_t* it = game_gui_item(i);
    if (!it) return;
    it->flags = on ? it->flags | KX_GUI_CHECKED : it->flags & ~uint32_t{KX_GUI_CHECKED};
    kx_gui_build_item(i);
}

int checked(int i) {
    const kx_gui_item_t* it = game_gui_item(i);
    return it && (it->flags & KX_GUI_CHECKED) ? 1 : 0;
}

// A field's text without the blanks around it, if it fits.
void take_field(int i, char* out, size_t size) {
    const kx_gui_item_t* it = game_gui_item(i);
    if (!it) return;
    const char* s = it->text;
    while (*s == ' ') s++;
    size_t n = std::strlen(s);
    while (n > 0 && s[n - 1] == ' ') n--;
    if (n >= size) return;
    std::memcpy(out, s, n);
    out[n] = 0;
}

}  // namespace

void game_settings_start() {
    g_saved = game_settings_defaults();
    g_path[0] = 0;
    // A benchmark measures the game as it starts by default, whatever this player chose.
    if (game_options.bench) {
        kxLog("%s\n", "Settings: benchmark run, defaults, nothing saved");
        return;
    }
    if (game_settings_path(g_path, sizeof g_path) != 0) {
        kxLog("%s\n", "Settings: no HOME or XDG_CONFIG_HOME, defaults, nothing saved");
        return;
    }
    game_settings_load(g_path, &g_saved);
}

int game_settings_windowed() { return game_options.windowed || g_saved.windowed; }

void game_settings_apply() {
    const game_settings_t& s = g_saved;
    // The language first: loading it replaces every text, the fields' too.
    if (s.language != game_menu.language) game_menu_language();
    set_checked(ITEM_MULTISAMPLING, s.multisampling);
    if (s.multisampling) game_menu_option_multisampling(ITEM_MULTISAMPLING);
    set_checked(ITEM_ANISOTROPY, s.anisotropy);
    if (s.anisotropy) game_menu_option_anisotropy(ITEM_ANISOTROPY);
    // The window mode was chosen before the window showed; the box only has to agree,
    // so that F11 and the box switch from the mode the player sees.
    set_checked(GAME_ITEM_FULLSCREEN_OPTION, game_settings_windowed());
    set_checked(ITEM_INVERT, s.invert_mouse);
    if (s.invert_mouse) game_menu_option_invert_mouse(ITEM_INVERT);
    set_checked(ITEM_WIDE_FOV, s.wide_fov);
    if (kx_gui_item_t* slider = game_gui_item(GAME_ITEM_SENSITIVITY)) {
        kx_gui_set_param(slider, 0, s.sensitivity);
        kx_gui_build_item(GAME_ITEM_SENSITIVITY);
    }
    const char* name = game_net_arg_name() ? game_net_arg_name() : s.name;
    if (name[0]) kx_gui_set_text(GAME_ITEM_NAME, name);
    const bool saved_server = !game_net_server_given() && s.server[0];
    kx_gui_set_text(GAME_ITEM_SERVER_FIELD, saved_server ? s.server : game_net_default_server());
    game_menu.hooks.changed = game_settings_changed;
}

void game_settings_changed(int item) {
    game_settings_t s = g_saved;
    if (item == ITEM_LANGUAGE) {
        s.language = game_menu.language;
    } else if (item == ITEM_MULTISAMPLING) {
        s.multisampling = ms_enabled ? 1 : 0;
    } else if (item == ITEM_ANISOTROPY) {
        s.anisotropy = game_menu.anisotropy ? 1 : 0;
    } else if (item == GAME_ITEM_FULLSCREEN_OPTION) {
        s.windowed = checked(item);
    } else if (item == ITEM_INVERT) {
        s.invert_mouse = game_world.mouse_invert ? 1 : 0;
    } else if (item == ITEM_WIDE_FOV) {
        s.wide_fov = checked(item);
    } else if (item == GAME_ITEM_SENSITIVITY) {
        if (const kx_gui_item_t* slider = game_gui_item(item)) s.sensitivity = kx_gui_param(slider, 0);
    } else if (item == GAME_ITEM_CONNECT) {
        take_field(GAME_ITEM_NAME, s.name, sizeof s.name);
        take_field(GAME_ITEM_SERVER_FIELD, s.server, sizeof s.server);
    }
    if (game_settings_same(&s, &g_saved)) return;
    g_saved = s;
    if (g_path[0]) game_settings_save(g_path, &g_saved);
}
