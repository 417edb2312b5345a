// Shared set-up for the game tests: a fresh game with recording hooks, and
// helpers to build small custom levels and bullets. Depends on game_sim, gtest.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "game/game_hooks.h"
#include "game/game_query.h"
#include "game/game_setup.h"
#include "game/game_tick.h"
#include "game/game_world.h"

using ints = std::vector<int>;
using floats = std::vector<float>;

// What the hooks saw; reset by every fixture.
struct hook_log_t {
    std::vector<ints> sounds;  // {sound, plain}
    ints shots;                // shooter index per shot
    int game_over = 0, victory_shown = -1, last_killer = -1;
    bool keys[GAME_KEY_COUNT] = {};
};
inline hook_log_t g_hooks;

inline int count_sounds(int s) {
    return std::count_if(g_hooks.sounds.begin(), g_hooks.sounds.end(),
                         [=](const ints& p) { return p[0] == s; });
}
inline int count_type(int t) {
    const game_pool_t<game_obj_t>& o = game_world.objects;
    return std::count_if(o.items, o.items + o.count, [=](const game_obj_t& x) { return x.type == t; });
}

// A fresh world and a new game before every test, with every mode flag cleared.
class GameTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ASSERT_TRUE(game_world.objects.in_use || game_world_init());
        g_hooks = hook_log_t{};
        game_hooks_reset();
        game_hooks.play_sound = [](int s, int plain, float) { g_hooks.sounds.push_back({s, plain}); };
        game_hooks.shot_fired = [](int i) { g_hooks.shots.push_back(i); };
        game_hooks.game_over = [] { g_hooks.game_over++; };
        game_hooks.show_victory = [](int v) { g_hooks.victory_shown = v; };
        game_hooks.key_held = [](int k) { return g_hooks.keys[k] ? 1 : 0; };
        game_hooks.own_net_id = [] { return 7; };
        game_hooks.local_death = [](int killer) { g_hooks.last_killer = killer; };
        game_world.free_camera = game_world.debug_draw = game_world.ai_shooting_disabled = 0;
        game_world.multiplayer = game_world.connected = game_world.mouse_invert = 0;
        game_world.tick_accum = game_world.step_timer = game_world.hit_sound_timer = game_world.clock_ms = 0;
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
    // Keep only the player and the twelve slots; every marker is removed.
    static void only_players() { game_world.objects.count = 13; }
    static game_obj_t* add_obj(int type, vec3 pos) {
        game_pool_add(&game_world.objects, game_obj_create(type, 1, pos));
        return game_obj(game_world.objects.count - 1);
    }
    // A bullet of shooter `id` that will be at `at` after its next move.
    static void bullet_to(vec3 at, vec3 vel, int kind, int id) {
        game_obj_t* b = add_obj(OBJ_BULLET, kx_vec3_sub(at, vel));
        b->vel = vel, b->bullet_kind = kind, b->id = id, b->radius = 0.01f;
    }
    // The marker of a type at (x, y), or -1.
    static int marker_at(int type, float x, float y) {
        for (int j = 13; j < game_world.objects.count; j++)
            if (game_obj(j)->type == type && game_obj(j)->pos.x == x && game_obj(j)->pos.y == y) return j;
        return -1;
    }
};
