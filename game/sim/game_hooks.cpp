// Default hooks: do nothing, hold no key, end the game quietly (see game_hooks.h).
// Depends on game_world for the game-over default.
#include "game/sim/game_hooks.h"

#include "game/sim/game_world.h"

namespace {
void no_sound(int, int, float) {}
void no_victory(int) {}
void no_mode_line(const char*) {}
void no_lives(int, int) {}
void stop_game() { game_world.game_mode = 0; }
int no_key(int) { return 0; }
int no_flag() { return 0; }
int no_id() { return 0; }
void no_death(int) {}
void no_call() {}
void no_shot(int) {}
void no_hit(int, int) {}
const game_hooks_t defaults = {no_sound, no_victory, no_mode_line, no_lives, stop_game, no_key, no_flag,
                               no_id,    no_death,   no_call,      no_call,  no_shot,   no_hit};
}  // namespace

game_hooks_t game_hooks = defaults;

void game_hooks_reset() { game_hooks = defaults; }
