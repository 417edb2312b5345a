// The tick and the frame around it: the order of the tick's steps seen in the hook
// trace and the random draws, the frame's send and chat timers, the HUD texts,
// footsteps, the spawn flash, the free camera and the debug toggles.
#include <gtest/gtest.h>

#include "game/sim/game_input.h"
#include "game_fixture.h"

namespace {

class GameTick : public GameTest {};

// The local player and Alice both ready to fire the machine gun at each other, 5 apart.
TEST_F(GameTick, LocalPlayerShootsBeforeTheBotsAndEachDrawsInOrder) {
    open_floor();
    game_obj_t* p = bare_player(0, 0, 0);
    p->weapon = 1, p->ammo = 18, p->fire = 1;
    for (int k = 2; k <= 4; k++) game_obj(k)->active = 0;
    game_obj_t* b = game_obj(1);
    b->pos = kx_vec3(0, -5, 0.5f), b->weapon = 1, b->ammo = 5, b->aim_delay = 0;
    // player: yaw, pitch; Alice's aim: lead factor, lead off (r2 mod 1024 <= 255), no offset; her shot.
    rand_script({50, 50, 50, 255, 192, 50, 50});
    game_tick();
    EXPECT_EQ((ints{rand_calls(), rand_left()}), (ints{7, 0}));
    // She strafed 0.0046 to -x first (clock 0, t = 70: +1 x +1), so she is heard from 5.025 away.
    EXPECT_EQ(g_hooks.trace, (strings{"shot 0", "snd playershot 0.9975", "shot 1", "snd playershot 0.7984"}));
    EXPECT_NEAR(b->pos.x, -0.048f * (1 - std::exp(-0.1f)), 1e-6f);
    EXPECT_EQ((ints{game_obj(13)->id, game_obj(14)->id}), (ints{GAME_PLAYER_ID, 0}));
    // Aimed at the player's feet with no lead: straight along +y from where she stands.
    EXPECT_NEAR(b->rot.y, std::atan2(5.0f, -b->pos.x) - static_cast<float>(M_PI / 2), 1e-6f);
    EXPECT_NEAR(b->rot.y, -0.000914f, 1e-6f);
}

TEST_F(GameTick, FrameSendsTheStateOnTimeOrAtOnceForEventsAndClearsTheChat) {
    // clang-format off
    const struct {
        int multiplayer, connected, send_timer, events, chat_timer, dt;
        int sends, send_after, clears, chat_after, ticks;
    } cases[] = {
        // multiplayer, connected, send timer, events, chat timer, dt -> sends, send timer, clears, chat timer, ticks
        {1, 1, 70, 0, 100, 10,  0, 60, 0, 90, 0},
        {1, 1, 10, 0, 10, 10,   1, 50, 0, 0, 0},
        {1, 1, 11, 0, 9, 10,    0, 1, 1, 0, 0},
        {1, 1, 40, 1, 0, 5,     1, 50, 1, 0, 0},
        {1, 0, 10, 1, 500, 25,  0, 10, 0, 475, 2},
        {0, 1, 10, 1, 500, 16,  0, 10, 0, 484, 1},
    };
    // clang-format on
    for (auto& c : cases) {
        SetUp();
        game_world.ai_shooting_disabled = 1;
        game_world.multiplayer = c.multiplayer, game_world.connected = c.connected;
        game_world.state_send_timer = c.send_timer, game_world.chat_timer = c.chat_timer;
        game_world.tick_accum = 0;
        if (c.events) game_event_queue(game_event_t{});
        const int ran = game_frame_step(c.dt, 0);
        strings want;
        if (c.sends) want.push_back("send");
        if (c.clears) want.push_back("clear chat");
        EXPECT_EQ(g_hooks.trace, want) << c.send_timer << " " << c.chat_timer;
        EXPECT_EQ((ints{game_world.state_send_timer, game_world.chat_timer, ran}),
                  (ints{c.send_after, c.chat_after, c.ticks}));
    }
    // A shot queued by this frame's ticks goes out at the start of the next frame.
    SetUp();
    game_world.ai_shooting_disabled = game_world.multiplayer = game_world.connected = 1;
    game_world.state_send_timer = 30, game_world.chat_timer = 1000;
    game_obj_t* p = game_obj(0);
    p->switch_timer = p->cooldown = 0, p->fire = 1;
    game_frame_step(15, 0);
    EXPECT_EQ(g_hooks.trace.size(), 2u);  // the shot and its sound, no send yet
    game_frame_step(1, 0);
    ASSERT_EQ(g_hooks.trace.size(), 3u);
    EXPECT_EQ(g_hooks.trace[2], "send");
    EXPECT_EQ(game_world.state_send_timer, 50);
}

TEST_F(GameTick, AccumulatorRunsWholeTicksAndCarriesTheRest) {
    game_world.ai_shooting_disabled = 1;
    // clang-format off
    const struct {
        int accum, dt, ticks, left;
    } cases[] = {
        {.accum = 0, .dt = 10, .ticks = 0, .left = 10},  // exactly 10 waits
        {.accum = 10, .dt = 1, .ticks = 1, .left = 1},
        {.accum = 0, .dt = 25, .ticks = 2, .left = 5},
        {.accum = 5, .dt = 2000, .ticks = 200, .left = 5},  // a stall is run off whole
        {.accum = 0, .dt = 2000, .ticks = 199, .left = 10},
    };
    // clang-format on
    for (auto& c : cases) {
        game_world.tick_accum = c.accum;
        const int flash = game_world.respawn_flash;
        const int ran = game_run_ticks(c.dt, 0x12345);
        EXPECT_EQ((ints{ran, game_world.tick_accum}), (ints{c.ticks, c.left})) << c.accum << "+" << c.dt;
        EXPECT_EQ(game_world.respawn_flash, std::max(0, flash - c.ticks));  // really ticked
    }
    EXPECT_EQ(game_world.clock_ms, 0x2345);  // the 16-bit clock
}

TEST_F(GameTick, HudModeLineRemainingAndLivesLine) {
    // clang-format off
    const struct {
        int free_camera, ai_off, debug;
        const char* line;
    } modes[] = {
        {0, 0, 0, "\n\n"},
        {1, 0, 0, "[Free Camera Mode]\n\n"},
        {0, 1, 0, "\n[Shooting A.I. Disabled]\n"},
        {0, 0, 1, "\n\n[Debug drawing mode]"},
        {1, 1, 1, "[Free Camera Mode]\n[Shooting A.I. Disabled]\n[Debug drawing mode]"},
    };
    // clang-format on
    for (auto& m : modes) {
        game_world.free_camera = m.free_camera, game_world.ai_shooting_disabled = m.ai_off;
        game_world.debug_draw = m.debug;
        game_hud_update();
        EXPECT_EQ(g_hooks.mode_line, m.line);
    }
    // Four bots with 3 lives each: 4 x (1 + 3). Bob down to 1 life, Dave out, an idle slot with lives.
    EXPECT_EQ(game_world.remaining, 16);
    game_obj(2)->lives = 1, game_obj(3)->active = 0, game_obj(7)->lives = 5;
    game_hud_update();
    EXPECT_EQ(game_world.remaining, 10);
    const struct { int dead, multiplayer, visible; } lives[] = {{0, 0, 0}, {1, 0, 1}, {1, 1, 0}, {0, 1, 0}};
    for (auto& l : lives) {
        game_obj(0)->dead = l.dead, game_world.multiplayer = l.multiplayer;
        game_hud_update();
        EXPECT_EQ((ints{g_hooks.lives, g_hooks.lives_visible}), (ints{9, l.visible}))
            << l.dead << l.multiplayer;
    }
    // No bots left: the victory text instead of the mode line, `remaining` left as it was.
    game_world.bots_alive = 0;
    const int calls = g_hooks.hud_calls;
    game_obj(1)->active = 0;
    game_hud_update();
    EXPECT_EQ((ints{g_hooks.victory_shown, g_hooks.hud_calls, game_world.remaining}), (ints{1, calls, 10}));
}

TEST_F(GameTick, FootstepsEveryThirtyTicksWhileWalkingAndTheSpawnFlash) {
    game_world.multiplayer = 1;  // the slots stand still and draw no random numbers
    g_hooks.keys[GAME_KEY_W] = true;
    rand_script({5, 2, 7, 0});
    ints flash;
    for (int t = 1; t <= 100; t++) {
        const size_t before = g_hooks.trace.size();
        game_tick();
        flash.push_back(game_world.respawn_flash);
        for (size_t k = before; k < g_hooks.trace.size(); k++) g_hooks.trace[k] += " @" + std::to_string(t);
    }
    EXPECT_EQ(g_hooks.trace, (strings{"snd step1 0.5000 @1", "snd step2 0.5000 @31", "snd step3 0.5000 @61",
                                      "snd step0 0.5000 @91"}));
    EXPECT_EQ((ints{flash[0], flash[28], flash[29], flash[99]}), (ints{29, 1, 0, 0}));
    // The velocity closes 1 - e^-0.1 of the gap to 0.072 a tick; 'walked' sums it even while
    // the spawn room's wall (y 12.8) holds the player at 12.3.
    const game_obj_t* p = game_obj(0);
    EXPECT_NEAR(p->vel.y, 0.0719967f, 1e-6f);
    EXPECT_NEAR(p->walked, 6.515431f, 1e-4f);
    EXPECT_VEC(p->pos, kx_vec3(-29.6071f, 12.3f, 0.5f));
    EXPECT_VEC(game_world.camera_pos, kx_vec3(-29.6071f, 12.3f, 1.0f));
}

TEST_F(GameTick, FreeCameraFliesOnTheKeysAndLeavesThePlayerStanding) {
    const float Q = static_cast<float>(M_PI / 2);
    // clang-format off
    const struct {
        ints keys;
        float yaw;
        vec3 move, turn;
    } cases[] = {
        {.keys = {GAME_KEY_W}, .yaw = 0, .move = {0, 0.05f, 0}, .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_W}, .yaw = Q, .move = {-0.05f, 0, 0}, .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_S}, .yaw = Q, .move = {0.05f, 0, 0}, .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_D}, .yaw = 0, .move = {0.05f, 0, 0}, .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_D}, .yaw = Q, .move = {0, 0.05f, 0}, .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_A, GAME_KEY_SHIFT_L}, .yaw = 0, .move = {-0.2835f, 0, 0}, .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_W, GAME_KEY_SHIFT_L, GAME_KEY_SHIFT_R}, .yaw = 0, .move = {0, 0.08505f, 0},
         .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_W, GAME_KEY_SHIFT_R}, .yaw = 0, .move = {0, 0.015f, 0}, .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_SPACE}, .yaw = 0, .move = {0, 0, 0.05f}, .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_CTRL_L}, .yaw = 0, .move = {0, 0, -0.05f}, .turn = {0, 0, 0}},
        {.keys = {GAME_KEY_I, GAME_KEY_J}, .yaw = 0, .move = {0, 0, 0}, .turn = {0.0075f, 0.0075f, 0}},
        {.keys = {GAME_KEY_K, GAME_KEY_L}, .yaw = 0, .move = {0, 0, 0}, .turn = {-0.0075f, -0.0075f, 0}},
    };
    // clang-format on
    game_world.ai_shooting_disabled = game_world.multiplayer = 1;
    ASSERT_EQ(game_toggle_free_camera(), 1);
    const vec3 stands = game_obj(0)->pos;
    for (auto& c : cases) {
        for (bool& k : g_hooks.keys) k = false;
        for (int k : c.keys) g_hooks.keys[k] = true;
        game_world.camera_pos = kx_vec3(1, 2, 3), game_world.camera_rot = kx_vec3(1, c.yaw, 0);
        game_tick();
        EXPECT_VEC(game_world.camera_pos, kx_vec3_add(kx_vec3(1, 2, 3), c.move));
        EXPECT_VEC(game_world.camera_rot, kx_vec3_add(kx_vec3(1, c.yaw, 0), c.turn));
    }
    EXPECT_VEC(game_obj(0)->pos, stands);
    // Off again: the next tick puts the camera back into the player's eyes.
    EXPECT_EQ(game_toggle_free_camera(), 0);
    game_tick();
    EXPECT_VEC(game_world.camera_pos, kx_vec3(stands.x, stands.y, 1.0f));
}

TEST_F(GameTick, DebugTogglesFlipTheirFlagOnly) {
    int (*toggles[])() = {game_toggle_ai_shooting, game_toggle_multiplayer, game_toggle_free_camera,
                          game_toggle_debug_draw};
    int32_t* flags[] = {&game_world.ai_shooting_disabled, &game_world.multiplayer, &game_world.free_camera,
                        &game_world.debug_draw};
    for (int k = 0; k < 4; k++) {
        EXPECT_EQ(toggles[k](), 1);
        ints now;
        for (int32_t* f : flags) now.push_back(*f);
        ints want(4, 0);
        for (int j = 0; j <= k; j++) want[j] = 1;
        EXPECT_EQ(now, want) << k;
    }
    for (int k = 0; k < 4; k++) EXPECT_EQ(toggles[k](), 0);
}

}  // namespace
