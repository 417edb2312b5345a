// Movement, collision, mouse look, free camera and the fixed-step driver.
#include "game/game_move.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/game_input.h"
#include "game_fixture.h"

namespace {

const float SMOOTH = static_cast<float>(1.0 - std::exp(-0.1));

class GameMove : public GameTest {};

TEST_F(GameMove, PlayerWishVelocityFromKeys) {
    struct {
        int keys[3];
        float yaw;
        float wx, wy;
    } cases[] = {
        {{GAME_KEY_W, -1, -1}, 0, 0, 0.072f},
        {{GAME_KEY_UP, -1, -1}, 0, 0, 0.072f},
        {{GAME_KEY_S, -1, -1}, 0, 0, -0.072f},
        {{GAME_KEY_D, -1, -1}, 0, 0.072f, 0},
        {{GAME_KEY_LEFT, -1, -1}, 0, -0.072f, 0},
        {{GAME_KEY_W, GAME_KEY_D, -1}, 0, 0.050911687f, 0.050911687f},
        {{GAME_KEY_W, GAME_KEY_A, GAME_KEY_D}, 0, 0, 0.072f},  // strafes cancel: no diagonal speed
        {{GAME_KEY_W, -1, -1}, static_cast<float>(M_PI / 2), -0.072f, 0},
    };
    for (auto& c : cases) {
        SetUp();
        for (int k : c.keys)
            if (k >= 0) g_hooks.keys[k] = true;
        game_obj(0)->rot.y = c.yaw;
        game_obj_move(0);
        const game_obj_t* p = game_obj(0);
        EXPECT_NEAR(p->wish_vel.x, c.wx, 1e-6) << c.keys[0] << " " << c.keys[1];
        EXPECT_NEAR(p->wish_vel.y, c.wy, 1e-6);
        EXPECT_NEAR(p->vel.x, c.wx * SMOOTH, 1e-6);
        EXPECT_NEAR(p->vel.y, c.wy * SMOOTH, 1e-6);
        EXPECT_EQ(count_sounds(GAME_SND_STEP0) + count_sounds(GAME_SND_STEP1) + count_sounds(GAME_SND_STEP2) +
                      count_sounds(GAME_SND_STEP3),
                  1);
        EXPECT_EQ(game_world.step_timer, 30);
    }
}

TEST_F(GameMove, SmoothingApproachesTheWishAndCameraFollows) {
    g_hooks.keys[GAME_KEY_W] = true;
    const float y0 = game_obj(0)->pos.y;
    for (int t = 0; t < 20; t++) game_obj_move(0);
    const game_obj_t* p = game_obj(0);
    EXPECT_NEAR(p->vel.y, 0.072f * (1 - std::pow(1 - SMOOTH, 20)), 1e-5);
    EXPECT_GT(p->pos.y, y0);
    EXPECT_NEAR(p->walked, p->pos.y - y0, 1e-4);
    EXPECT_EQ(game_world.camera_pos.x, p->pos.x);
    EXPECT_EQ(game_world.camera_pos.z, 1.0f);
    // Free camera or open chat: no movement input, and the camera stays put.
    game_world.free_camera = 1;
    game_world.camera_pos = kx_vec3(1, 2, 3);
    game_obj_move(0);
    EXPECT_EQ(game_obj(0)->wish_vel.y, 0);
    EXPECT_EQ(game_world.camera_pos.x, 1);
    game_world.free_camera = 0;
    game_hooks.chat_open = [] { return 1; };
    game_obj_move(0);
    EXPECT_EQ(game_obj(0)->wish_vel.y, 0);
}

TEST_F(GameMove, DeadObjectsDoNotMove) {
    game_obj_t* p = game_obj(0);
    p->dead = 1;
    p->vel = kx_vec3(1, 1, 0);
    const vec3 before = p->pos;
    game_obj_move(0);
    EXPECT_EQ(p->pos.x, before.x);
}

TEST_F(GameMove, ClampedBackIntoTheLastArea) {
    // A remote slot keeps the wish the network gave it, so steering is out of the way.
    game_world.multiplayer = 1;
    game_obj_t* o = game_obj(1);
    o->pos = kx_vec3(-29.6f, 12.25f, 0.5f);  // near the top of the spawn room (rect 9)
    o->area = 9;
    o->vel = o->wish_vel = kx_vec3(0, 0.5f, 0);
    game_obj_move(1);
    EXPECT_EQ(o->area, 9);
    EXPECT_FLOAT_EQ(o->pos.y, 12.8f - 0.5f);
    // Walking on into the overlapping corridor (rect 10) changes the area.
    o->pos = kx_vec3(-26.95f, 9.6f, 0.5f);
    o->vel = o->wish_vel = kx_vec3(0.1f, 0, 0);
    game_obj_move(1);
    EXPECT_EQ(o->area, 10);
}

TEST_F(GameMove, BlockPushOutAxisByCornerAngle) {
    // One square block at the centre of a big floor.
    set_rects({game_rect_make(RECT_AREA, 16, -100, -100, -99, -99),
               game_rect_make(RECT_AREA, 16, -50, -50, 50, 50),
               game_rect_make(RECT_BLOCK, 17, -1, -1, 1, 1)});
    game_world.multiplayer = 1;
    struct {
        float x, y, ex, ey;
    } cases[] = {
        {1.2f, 0.3f, 1.5f, 0.3f},      // right of the diagonal: out along +x
        {-1.2f, -0.3f, -1.5f, -0.3f},  // left: out along -x
        {0.3f, 1.2f, 0.3f, 1.5f},      // above
        {-0.3f, -1.2f, -0.3f, -1.5f},  // below
        {2.0f, 0.0f, 2.0f, 0.0f},      // not touching
    };
    for (auto& c : cases) {
        game_obj_t* o = game_obj(1);
        o->pos = kx_vec3(c.x, c.y, 0.5f);
        o->vel = o->wish_vel = kx_vec3(0, 0, 0);
        o->area = 1;
        game_obj_move(1);
        EXPECT_FLOAT_EQ(o->pos.x, c.ex) << c.x << "," << c.y;
        EXPECT_FLOAT_EQ(o->pos.y, c.ey) << c.x << "," << c.y;
    }
}

TEST_F(GameMove, LaterBlockPushesAgainInPoolOrderOnly) {
    game_world.multiplayer = 1;
    auto run = [](bool a_first) {
        const game_rect_t a = game_rect_make(RECT_BLOCK, 16, 0, 0, 2, 2);
        const game_rect_t b = game_rect_make(RECT_BLOCK, 16, 2.2f, -1, 4, 3);
        const game_rect_t floor = game_rect_make(RECT_AREA, 16, -50, -50, 50, 50);
        if (a_first)
            set_rects({floor, floor, a, b});
        else
            set_rects({floor, floor, b, a});
        game_obj_t* o = game_obj(1);
        o->pos = kx_vec3(1.9f, 1.0f, 0.5f);
        o->vel = o->wish_vel = kx_vec3(0, 0, 0);
        o->area = 1;
        game_obj_move(1);
        return o->pos.x;
    };
    EXPECT_FLOAT_EQ(run(true), 3.1f - 1.4f);  // out of a to 2.5, then b pushes back to 1.7
    EXPECT_FLOAT_EQ(run(false), 2.5f);        // b first (1.7), then a: ends at 2.5
}

TEST_F(GameMove, MouseLookClampsPitchAndWrapsYaw) {
    game_obj_t* p = game_obj(0);
    const float k = static_cast<float>(5 * 0.003 + 0.0005);
    game_mouse_look(10, 20, 5);
    EXPECT_FLOAT_EQ(p->rot.x, static_cast<float>(M_PI / 2) + 20 * k);
    EXPECT_FLOAT_EQ(p->rot.y, -10 * k);
    game_mouse_look(0, 100000, 5);
    EXPECT_FLOAT_EQ(p->rot.x, static_cast<float>(M_PI));
    game_mouse_look(0, -100000, 5);
    EXPECT_FLOAT_EQ(p->rot.x, 0);
    game_world.mouse_invert = 1;
    game_mouse_look(0, -10, 5);
    EXPECT_FLOAT_EQ(p->rot.x, 10 * k);
    for (int t = 0; t < 500; t++) {
        game_mouse_look(37, 0, 5);
        ASSERT_GE(p->rot.y, -2 * M_PI);
        ASSERT_LE(p->rot.y, 2 * M_PI);
    }
    for (int t = 0; t < 1000; t++) {
        game_mouse_look(-37, 0, 5);
        ASSERT_LE(p->rot.y, 2 * M_PI);
    }
    // Dead: no turning.
    p->dead = 1;
    const vec3 r = p->rot;
    game_mouse_look(50, 50, 5);
    EXPECT_EQ(p->rot.x, r.x);
    EXPECT_EQ(p->rot.y, r.y);
    // Free camera: the camera turns, without wrapping.
    game_world.free_camera = 1;
    game_world.mouse_invert = 0;
    game_world.camera_rot = kx_vec3(1, 0, 0);
    for (int t = 0; t < 100; t++) game_mouse_look(-100, 0, 5);
    EXPECT_NEAR(game_world.camera_rot.y, 100 * 100 * k, 1e-3);  // well past 2 pi: no wrap
}

TEST_F(GameMove, FreeCameraFliesWithTheKeys) {
    game_world.free_camera = 1;
    game_world.camera_pos = kx_vec3(0, 0, 1);
    game_world.camera_rot = kx_vec3(1, 0, 0);
    g_hooks.keys[GAME_KEY_W] = g_hooks.keys[GAME_KEY_SPACE] = g_hooks.keys[GAME_KEY_J] = true;
    game_tick();
    EXPECT_NEAR(game_world.camera_pos.y, 0.05f, 1e-6);
    EXPECT_NEAR(game_world.camera_pos.z, 1.05f, 1e-6);
    EXPECT_NEAR(game_world.camera_rot.y, 0.0075f, 1e-6);
    g_hooks.keys[GAME_KEY_SHIFT_L] = g_hooks.keys[GAME_KEY_SHIFT_R] = true;
    g_hooks.keys[GAME_KEY_SPACE] = g_hooks.keys[GAME_KEY_J] = false;
    const vec3 c = game_world.camera_pos;
    const float yaw = game_world.camera_rot.y;
    game_tick();
    const float p = 0.2835f * 0.3f;
    EXPECT_NEAR(game_world.camera_pos.x, c.x - p * std::sin(yaw), 1e-5);
    EXPECT_NEAR(game_world.camera_pos.y, c.y + p * std::cos(yaw), 1e-5);
    EXPECT_EQ(game_obj(0)->wish_vel.y, 0);  // the player stands still meanwhile
}

TEST_F(GameMove, AccumulatorRunsWholeTicks) {
    game_world.ai_shooting_disabled = 1;
    struct {
        int start, dt, ticks, left;
    } cases[] = {
        {0, 10, 0, 10}, {10, 1, 1, 1}, {0, 25, 2, 5}, {0, 2000, 199, 10}, {5, 2000, 200, 5}, {3, 7, 0, 10},
    };
    for (auto& c : cases) {
        game_world.tick_accum = c.start;
        EXPECT_EQ(game_run_ticks(c.dt, 1234), c.ticks) << c.start << "+" << c.dt;
        EXPECT_EQ(game_world.tick_accum, c.left);
    }
    EXPECT_EQ(game_world.clock_ms, 1234);
}

TEST_F(GameMove, FrameSendsStateAndClearsChat) {
    static int sent, cleared;
    sent = cleared = 0;
    game_hooks.send_state = [] {
        sent++;
        game_pool_clear(&game_world.events);
    };
    game_hooks.clear_chat = [] { cleared++; };
    game_world.ai_shooting_disabled = 1;
    game_world.chat_timer = 25;
    game_world.state_send_timer = 50;
    EXPECT_EQ(game_frame_step(20, 0), 1);  // not connected: nothing sent
    EXPECT_EQ(sent, 0);
    game_world.multiplayer = game_world.connected = 1;
    game_frame_step(20, 20);  // 30 ms left, nothing queued
    EXPECT_EQ(sent, 0);
    EXPECT_EQ(cleared, 1);  // 25 - 40 < 0
    EXPECT_EQ(game_world.chat_timer, 0);
    game_event_queue(game_event_t{});
    game_frame_step(5, 25);  // an event waits: sent at once
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(game_world.state_send_timer, 50);
    game_frame_step(50, 75);  // the interval ran out
    EXPECT_EQ(sent, 2);
    EXPECT_EQ(cleared, 3);  // emptied again every frame until a new line sets the timer
}

}  // namespace
