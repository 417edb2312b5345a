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
    // clang-format off
    const struct {
        ints keys;
        float yaw, wx, wy;
        int chat_open = 0;
    } cases[] = {
        {.keys = {GAME_KEY_W}, .yaw = 0, .wx = 0, .wy = S},
        {.keys = {GAME_KEY_UP}, .yaw = 0, .wx = 0, .wy = S},
        {.keys = {GAME_KEY_S, GAME_KEY_DOWN}, .yaw = 0, .wx = 0, .wy = -S},  // either key of a pair: one step
        {.keys = {GAME_KEY_W, GAME_KEY_D}, .yaw = 0, .wx = D, .wy = D},  // a diagonal is no faster
        {.keys = {GAME_KEY_W, GAME_KEY_A, GAME_KEY_D}, .yaw = 0, .wx = 0, .wy = S},  // strafes cancel
        {.keys = {GAME_KEY_LEFT}, .yaw = 0, .wx = -S, .wy = 0},
        {.keys = {GAME_KEY_RIGHT}, .yaw = Q, .wx = 0, .wy = S},
        {.keys = {GAME_KEY_W}, .yaw = Q, .wx = -S, .wy = 0},
        {.keys = {GAME_KEY_W}, .yaw = 0, .wx = 0, .wy = 0, .chat_open = 1},
    };
    // clang-format on
    for (auto& c : cases) {
        SetUp();
        open_floor();
        for (int k : c.keys) g_hooks.keys[k] = true;
        if (c.chat_open) game_hooks.chat_open = [] { return 1; };
        game_obj_t* p = game_obj(0);
        p->rot.y = c.yaw;
        for (int t = 0; t < 20; t++) game_obj_move(0);
        SCOPED_TRACE(testing::Message() << c.keys[0] << " yaw " << c.yaw);
        EXPECT_VEC(p->wish_vel, kx_vec3(c.wx, c.wy, 0));
        EXPECT_VEC(p->vel, kx_vec3(c.wx * F, c.wy * F, 0));
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

}  // namespace
