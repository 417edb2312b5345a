// A fresh game with recording hooks before every test: every outward call of the
// simulation (sounds with their gains, shots, hits, deaths, sends, HUD texts) is
// written to one trace, so tests compare whole sequences. Depends on game_sim, gtest.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "game/sim/game_hooks.h"
#include "game/sim/game_query.h"
#include "game/sim/game_setup.h"
#include "game/sim/game_tick.h"
#include "game/sim/game_world.h"
#include "game_rand.h"

using ints = std::vector<int>;
using floats = std::vector<float>;
using strings = std::vector<std::string>;

struct hook_log_t {
    strings trace;  // "snd hit 0.5000", "shot 1", "hit 0 2", "send", ...
    ints sounds, shots;
    std::string mode_line;
    int lives = -1, lives_visible = -1, hud_calls = 0;
    int game_over = 0, victory_shown = -1, last_killer = -1;
    bool keys[GAME_KEY_COUNT] = {};
};
inline hook_log_t g_hooks;

inline const char* sound_name(int s) {
    static const char* names[GAME_SND_COUNT] = {"single", "kit",       "shotreload", "reload",
                                                "hit",    "playerhit", "explosion",  "playershot",
                                                "step0",  "step1",     "step2",      "step3"};
    return s >= 0 && s < GAME_SND_COUNT ? names[s] : "?";
}
inline void trace(const std::string& s) { g_hooks.trace.push_back(s); }
inline std::string fmt_gain(float g) {
    char b[32];
    std::snprintf(b, sizeof b, "%.4f", g);
    return b;
}

inline int count_sounds(int s) { return std::count(g_hooks.sounds.begin(), g_hooks.sounds.end(), s); }
inline int count_type(int t) {
    const game_pool_t<game_obj_t>& o = game_world.objects;
    return std::count_if(o.items, o.items + o.count, [=](const game_obj_t& x) { return x.type == t; });
}
// Index of the first object of type t at or after `from`; -1 if none.
inline int find_type(int t, int from = 0) {
    for (int i = from; i < game_world.objects.count; i++)
        if (game_obj(i)->type == t) return i;
    return -1;
}
inline bool near3(vec3 a, vec3 b, float eps = 1e-5f) {
    return std::fabs(a.x - b.x) < eps && std::fabs(a.y - b.y) < eps && std::fabs(a.z - b.z) < eps;
}
#define EXPECT_VEC(a, b) EXPECT_TRUE(near3((a), (b))) << #a " = " << (a).x << "," << (a).y << "," << (a).z

class GameTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ASSERT_TRUE(game_world.objects.in_use || game_world_init());
        g_hooks = hook_log_t{};
        game_hooks_reset();
        game_hooks.play_sound = [](int s, int plain, float gain) {
            g_hooks.sounds.push_back(s);
            trace(std::string("snd ") + sound_name(s) + (plain ? " plain " : " ") + fmt_gain(gain));
        };
        game_hooks.shot_fired = [](int i) {
            g_hooks.shots.push_back(i);
            trace("shot " + std::to_string(i));
        };
        game_hooks.bullet_hit = [](int t, int id) {
            trace("hit " + std::to_string(t) + " " + std::to_string(id));
        };
        game_hooks.game_over = [] {
            g_hooks.game_over++;
            trace("game over");
        };
        game_hooks.show_victory = [](int v) { g_hooks.victory_shown = v; };
        game_hooks.hud_mode_line = [](const char* s) {
            g_hooks.mode_line = s;
            g_hooks.hud_calls++;
        };
        game_hooks.hud_lives = [](int lives, int visible) {
            g_hooks.lives = lives, g_hooks.lives_visible = visible;
        };
        game_hooks.key_held = [](int k) { return g_hooks.keys[k] ? 1 : 0; };
        game_hooks.own_net_id = [] { return 7; };
        game_hooks.local_death = [](int killer) {
            g_hooks.last_killer = killer;
            trace("death " + std::to_string(killer));
        };
        game_hooks.send_state = [] { trace("send"); };
        game_hooks.clear_chat = [] { trace("clear chat"); };
        game_world.ai_shooting_disabled = game_world.multiplayer = game_world.connected =
            game_world.free_camera = game_world.debug_draw = game_world.mouse_invert = 0;
        game_world.tick_accum = game_world.clock_ms = game_world.step_timer = game_world.hit_sound_timer = 0;
        game_world.state_send_timer = game_world.chat_timer = 0;
        game_pool_clear(&game_world.events);
        game_world.game_mode = 3;
        game_logic_start_new_game();
        g_hooks.sounds.clear();
        g_hooks.trace.clear();
        rand_script({});
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
    // Only the player and the slots left; the player ready to fire at (x, y) looking along yaw.
    static game_obj_t* bare_player(float x, float y, float yaw) {
        game_world.objects.count = 13;
        game_obj_t* p = game_obj(0);
        p->pos = kx_vec3(x, y, 0.5f), p->rot = kx_vec3(static_cast<float>(M_PI / 2), yaw, 0);
        p->switch_timer = p->cooldown = 0;
        game_world.camera_pos = kx_vec3(x, y, 1.0f);
        return p;
    }
};
