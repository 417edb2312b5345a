// Network outlets of the program (see game_net_glue.h).
#include "game/game_net_glue.h"

#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"
#include "game/draw/game_assets.h"
#include "game/menu/game_menu.h"
#include "game/net/game_net_ui.h"

namespace {

const kx_gui_item_t* gui_item(int i) { return i > 0 && i < kx_gui.count ? &kx_gui.items[i] : nullptr; }
const char* item_text(int i) { return gui_item(i) ? gui_item(i)->text : ""; }
const char* item_base_text(int i) { return gui_item(i) ? gui_item(i)->base_text : ""; }
void set_item_text(int i, const char* text) { kx_gui_set_text(i, text); }
void connection_error() { game_menu_connection_error(); }
void start_multi() { game_menu_start_multi(); }
int current_screen() { return game_menu.current; }
uint16_t clock() { return kx_app.time; }

}  // namespace

void game_net_glue_install() {
    game_net_ui.item_text = item_text;
    game_net_ui.item_base_text = item_base_text;
    game_net_ui.set_item_text = set_item_text;
    game_net_ui.name_labels = game_labels_build;
    game_net_ui.connection_error = connection_error;
    game_net_ui.start_multi = start_multi;
    game_net_ui.current_screen = current_screen;
    game_net_ui.unlock_cursor = kxAppUnlockCursor;
    game_net_ui.clock = clock;
}
