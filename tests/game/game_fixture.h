// Shared set-up for the game tests: a world with pools, recording hooks, a fresh
// game, and helpers to build small custom levels. Depends on game_sim, gtest.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "game/game_hooks.h"
#include "game/game_query.h"
#include "game/game_setup.h"
#include "game/game_tick.h"
#include "game/game_world.h"

struct played_sound_t {
    int sound, plain;
    float gain;
};

// What the hooks saw; reset by every fixture.
struct hook_log_t {
    std::vector<played_sound_t> sounds;
    std::vector<int> shots;  // shooter index per shot
    int game_over = 0, victory_shown = -1, deaths_reported = 0, last_killer = -1;
    bool keys[GAME_KEY_COUNT] = {};
    int net_id = 7;
};
inline hook_log_t g_hooks;

inline void install_recording_hooks() {
    g_hooks = hook_log_t{};
    game_hooks_reset();
    game_hooks.play_sound = [](int s, int plain, float gain) { g_hooks.sounds.push_back({s, plain, gain}); };
    game_hooks.shot_fired = [](int i) { g_hooks.shots.push_back(i); };
    game_hooks.game_over = [] { g_hooks.game_over++; };
    game_hooks.show_victory = [](int v) { g_hooks.victory_shown = v; };
    game_hooks.key_held = [](int k) { return g_hooks.keys[k] ? 1 : 0; };
    game_hooks.own_net_id = [] { return g_hooks.net_id; };
    game_hooks.local_death = [](int killer) {
        g_hooks.deaths_reported++;
        g_hooks.last_killer = killer;
    };
}

inline int count_sounds(int s) {
    int n = 0;
    for (auto& p : g_hooks.sounds) n += p.sound == s;
    return n;
}

// Fresh world and a new game before every test; the world flags are cleared.
class GameTest : public ::testing::Test {
   protected:
    void SetUp() override {
        if (!game_world.objects.in_use) {
            game_reset_state();
            ASSERT_EQ(game_world_init(), 1);
        }
        install_recording_hooks();
        game_world.free_camera = game_world.debug_draw = game_world.ai_shooting_disabled = 0;
        game_world.multiplayer = game_world.connected = game_world.mouse_invert = 0;
        game_world.tick_accum = game_world.step_timer = game_world.hit_sound_timer = 0;
        game_world.clock_ms = 0;
        game_pool_clear(&game_world.events);
        game_world.game_mode = 3;
        game_logic_start_new_game();
        g_hooks.sounds.clear();
    }
    void TearDown() override { game_hooks_reset(); }

    // Replace the level by the given rectangles (element 0 should be a dummy area).
    static void set_rects(std::initializer_list<game_rect_t> rs) {
        game_pool_clear(&game_world.rects);
        for (const auto& r : rs) game_pool_add(&game_world.rects, r);
        game_query_rects_changed();
    }
    // Keep only the player and the twelve slots; everything else is removed.
    static void only_players() { game_world.objects.count = 13; }
    static int add_obj(int type, vec3 pos) {
        game_pool_add(&game_world.objects, game_obj_create(type, 1, pos));
        return game_world.objects.count - 1;
    }
};
