// Checked access to GUI items (see game_gui_items.h). Depends on kx_gui, kx_log.
#include "game/draw/game_gui_items.h"

#include "engine/app/kx_log.h"

namespace {
// One bit per item number that was found missing and logged.
unsigned char logged[KX_GUI_MAX_ITEMS + 1];
}  // namespace

kx_gui_item_t* game_gui_item(int item) {
    if (item >= 0 && item < kx_gui.count && kx_gui.items) return &kx_gui.items[item];
    const int slot = item >= 0 && item < KX_GUI_MAX_ITEMS ? item : KX_GUI_MAX_ITEMS;
    if (!logged[slot]) {
        logged[slot] = 1;
        kxLog("GUI item %d is not in the loaded GUI (%d items): skipped \n", item, kx_gui.count);
    }
    return nullptr;
}

int game_gui_shown(int item) {
    const kx_gui_item_t* it = game_gui_item(item);
    return it && !(it->flags & KX_GUI_HIDDEN) ? 1 : 0;
}

void game_gui_items_reset() {
    for (unsigned char& b : logged) b = 0;
}
