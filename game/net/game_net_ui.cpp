// Default network outlets: no GUI, nothing shown (see game_net_ui.h).
#include "game/net/game_net_ui.h"

namespace {
const char* no_text(int) { return ""; }
void no_set(int, const char*) {}
void no_labels(const char* const*) {}
void no_call() {}
int no_screen() { return 0; }
uint16_t no_clock() { return 0; }
const game_net_ui_t defaults = {no_text, no_text,   no_set,  no_labels, no_call,
                                no_call, no_screen, no_call, no_clock};
}  // namespace

game_net_ui_t game_net_ui = defaults;

void game_net_ui_reset() { game_net_ui = defaults; }
