// The game's view of GUI items by number: every item the game reads or writes
// goes through here, so a GUI file that lacks an item number the game uses
// costs one log line for that number instead of an access past the items.
// Main thread only. Depends on kx_gui, kx_log.
#pragma once

#include "engine/gui/kx_gui.h"

// Item `item` of the loaded GUI, or null (logged once per item number) when the GUI lacks it.
kx_gui_item_t* game_gui_item(int item);
// 1 when the item exists and is shown (flag 0x1 clear); 0 otherwise.
int game_gui_shown(int item);
// Forget which missing items were already logged (a new GUI was loaded).
void game_gui_items_reset();
