// A fresh game with recording hooks before every test. Depends on game_sim, gtest.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/sim/game_hooks.h"
#include "game/sim/game_query.h"
#include "game/sim/game_setup.h"
#include "game/sim/game_tick.h"
#include "game/sim/game_world.h"

using ints = std::vector<int>;
using floats = std::vector<float>;

struct hook_log_t {
    ints sounds, shots;
    int game_over = 0, victory_shown = -1, last_killer = -1;
    bool keys[GAME_KEY_COUNT] = {};
};
inline hook_log_t g_hooks;

inline int count_sounds(int s) { return std::count(g_hooks.sounds.begin(), g_hooks.sounds.end(), s); }
inline int count_type(int t) {
    const game_pool_t<game_obj_t>& o = game_world.objects;
    return std::count_if(o.items, o.items + o.count, [=](const game_obj_t& x) { return x.type == t; });
}

class GameTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ASSERT_TRUE(game_world.objects.in_use || game_world_init());
        g_hooks = hook_log_t{};
        game_hooks_reset();
        game_hooks.play_sound = [](int s, int, float) { g_hooks.sounds.push_back(s); };
        game_hooks.shot_fired = [](int i) { g_hooks.shots.push_back(i); };
        game_hooks.game_over = [] { g_hooks.game_over++; };
        game_hooks.show_victory = [](int v) { g_hooks.victory_shown = v; };
        game_hooks.key_held = [](int k) { return g_hooks.keys[k] ? 1 : 0; };
        game_hooks.own_net_id = [] { return 7; };
        game_hooks.local_death = [](int killer) { g_hooks.last_killer = killer; };
        game_world.ai_shooting_disabled = game_world.multiplayer = game_world.tick_accum =
            game_world.clock_ms = 0;
        game_pool_clear(&game_world.events);
        game_world.game_mode = 3;
        game_logic_start_new_game();
        g_hooks.sounds.clear();
    }
    void TearDown() override { game_hooks_reset(); }

    // Replace the level by a dummy area, one open floor (-50..50) and the given blocks.
    static void open_floor(const std::vector<game_rect_t>& blocks = {}) {
        game_pool_clear(&game_world.rects);
        game_pool_add(&game_world.rects, game_rect_make(RECT_AREA, CLIP_SOLID, -100, -100, -99, -99));
        game_pool_add(&game_world.rects, game_rect_make(RECT_AREA, CLIP_SOLID, -50, -50, 50, 50));
        for (const auto& r : blocks) game_pool_add(&game_world.rects, r);
        game_query_rects_changed();
    }
};
