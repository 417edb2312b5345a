// Movement, collision, mouse look and the fixed-step driver.
#include "game/sim/game_move.h"

#include <gtest/gtest.h>

#include <cmath>

#include "game/sim/game_input.h"
#include "game_fixture.h"

namespace {

class GameMove : public GameTest {};

TEST_F(GameMove, KeysGiveTheWishAndVelocityApproachesIt) {
    const float D = 0.050911687f, S = 0.072f, F = 1 - std::exp(-2.0f), Q = static_cast<float>(M_PI / 2);
    struct {
        ints keys;
        float yaw, wx, wy;
    } cases[] = {
        {{GAME_KEY_W}, 0, 0, S},
        {{GAME_KEY_W, GAME_KEY_D}, 0, D, D},  // a diagonal is no faster
        {{GAME_KEY_W}, Q, -S, 0},
    };
    for (auto& c : cases) {
        SetUp();
        for (int k : c.keys) g_hooks.keys[k] = true;
        game_obj_t* p = game_obj(0);
        p->rot.y = c.yaw;
        for (int t = 0; t < 20; t++) game_obj_move(0);
        EXPECT_LT(kx_vec3_dist2(p->wish_vel, kx_vec3(c.wx, c.wy, 0)), 1e-12f) << c.keys[0];
        EXPECT_LT(kx_vec3_dist2(p->vel, kx_vec3(c.wx * F, c.wy * F, 0)), 1e-10f) << c.keys[0];
    }
}

TEST_F(GameMove, KeptInsideTheAreaAndOutOfBlocksInPoolOrder) {
    game_world.multiplayer = 1;  // a remote slot keeps the wish it was given: no steering
    const game_rect_t a = game_rect_make(RECT_BLOCK, CLIP_SOLID, 0, 0, 2, 2);
    const game_rect_t b = game_rect_make(RECT_BLOCK, CLIP_SOLID, 2.2f, -1, 4, 3);
    const std::vector<game_rect_t> blocks[] = {
        {}, {game_rect_make(RECT_BLOCK, CLIP_LOW, -1, -1, 1, 1)}, {a, b}, {b, a}};
    // blocks on an open floor (0: the level), x, y, vx, vy, area -> area, x, y
    const float cases[][9] = {
        {0, -29.6f, 12.25f, 0, 0.5f, 9, 9, -29.6f, 12.3f},  // clamped below the spawn room's top
        {0, -26.95f, 9.6f, 0.1f, 0, 9, 10, -26.85f, 9.6f},  // on into the overlapping corridor
        {1, 0.3f, 1.2f, 0, 0, 1, 1, 0.3f, 1.5f},            // above the corner diagonal: out along +y
        {2, 1.9f, 1, 0, 0, 1, 1, 1.7f, 1},                  // out of a to 2.5, then b pushes back to 1.7
        {3, 1.9f, 1, 0, 0, 1, 1, 2.5f, 1},                  // b first has nothing to do; a leaves it at 2.5
    };
    game_obj_t* o = game_obj(1);
    for (auto& c : cases) {
        if (c[0] > 0) open_floor(blocks[static_cast<int>(c[0])]);
        o->pos = kx_vec3(c[1], c[2], 0.5f), o->vel = o->wish_vel = kx_vec3(c[3], c[4], 0);
        o->area = static_cast<int>(c[5]);
        game_obj_move(1);
        EXPECT_EQ(o->area, c[6]) << c[1] << "," << c[2];
        EXPECT_LT(kx_vec3_dist2(o->pos, kx_vec3(c[7], c[8], 0.5f)), 1e-10f) << c[1] << "," << c[2];
    }
}

TEST_F(GameMove, MouseLookClampsPitchAndWrapsYaw) {
    game_obj_t* p = game_obj(0);
    const float k = static_cast<float>(5 * 0.003 + 0.0005), up = static_cast<float>(M_PI / 2);
    // dx, dy, inverted -> pitch, one after the other
    const float looks[][4] = {
        {10, 20, 0, up + 20 * k}, {0, 1e5f, 0, 2 * up}, {0, -1e5f, 0, 0}, {0, -10, 1, 10 * k}};
    for (auto& l : looks) {
        game_world.mouse_invert = static_cast<int>(l[2]);
        game_mouse_look(l[0], l[1], 5);
        EXPECT_FLOAT_EQ(p->rot.x, l[3]) << l[1];
    }
    EXPECT_FLOAT_EQ(p->rot.y, -10 * k);
    for (int t = 0; t < 1500; t++) {
        game_mouse_look(t < 500 ? 37 : -37, 0, 5);
        ASSERT_LE(std::fabs(p->rot.y), 2 * M_PI) << t;
    }
}

TEST_F(GameMove, AccumulatorRunsWholeTicksAndCarriesTheRest) {
    game_world.ai_shooting_disabled = 1;
    // start, dt -> ticks run, ms left; a 2-second stall is run off whole, without a cap.
    const int cases[][4] = {{0, 10, 0, 10}, {10, 1, 1, 1}, {0, 25, 2, 5}, {5, 2000, 200, 5}};
    for (auto& c : cases) {
        game_world.tick_accum = c[0];
        const int ran = game_run_ticks(c[1], 1234);
        EXPECT_EQ((ints{ran, game_world.tick_accum}), (ints{c[2], c[3]})) << c[0] << "+" << c[1];
    }
    EXPECT_EQ(game_world.clock_ms, 1234);
}

}  // namespace
