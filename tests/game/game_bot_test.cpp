// Bots: reaction delay, strafing, waypoint choice, getting unstuck.
#include "game/sim/game_bot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <set>

#include "game/sim/game_move.h"
#include "game_fixture.h"

namespace {

class GameBot : public GameTest {};

TEST_F(GameBot, ReactionDelayCountsUpOutOfSightAndDownByThreeInSight) {
    // clang-format off
    const struct {
        int sees, multiplayer, delay, aims;
        int want_delay, want_fire;
    } cases[] = {
        {.sees = 0, .multiplayer = 0, .delay = 0, .aims = 300, .want_delay = 210, .want_fire = 0},
        {.sees = 0, .multiplayer = 0, .delay = 0, .aims = 60, .want_delay = 60, .want_fire = 0},
        {.sees = 1, .multiplayer = 0, .delay = 60, .aims = 20, .want_delay = 0, .want_fire = 0},
        {.sees = 1, .multiplayer = 0, .delay = 60, .aims = 21, .want_delay = 0, .want_fire = 1},
        {.sees = 1, .multiplayer = 0, .delay = 280, .aims = 94, .want_delay = 0, .want_fire = 0},
        {.sees = 1, .multiplayer = 0, .delay = 280, .aims = 95, .want_delay = 0, .want_fire = 1},
        {.sees = 1, .multiplayer = 1, .delay = 0, .aims = 1, .want_delay = 1, .want_fire = 0},
    };
    // clang-format on
    game_obj_t* b = game_obj(1);
    for (auto& c : cases) {
        b->pos = c.sees ? kx_vec3(-20, 9.6f, 0.5f) : kx_vec3(22.4f, -16, 0.5f);
        ASSERT_EQ(game_obj_sees(1, 0, GAME_SHOT), c.sees);
        game_world.multiplayer = c.multiplayer, b->aim_delay = c.delay, b->fire = 0;
        for (int t = 0; t < c.aims; t++) game_bot_aim(1);
        EXPECT_EQ((ints{b->aim_delay, b->fire}), (ints{c.want_delay, c.want_fire}))
            << c.delay << "/" << c.aims;
    }
}

// Alice 10 south of the player on an open floor; the three draws are the lead factor, whether
// to lead, and whether to add the offset against the player's motion.
TEST_F(GameBot, AimLeadsTheMovingPlayerAndSometimesMissesBehindIt) {
    // clang-format off
    const struct {
        vec3 player_vel;
        float block_x1;  // a block ahead of the led point from x1 to 4.3 (y -1.6..-0.4); 0 none
        int r1, r2, r3;
        float yaw;  // atan2 of the aim point seen from the bot, less pi/2
    } cases[] = {
        // lead 4 x 10 x 0.9 = 36
        {.player_vel = {0.01f, 0, 0}, .block_x1 = 0, .r1 = 50, .r2 = 256, .r3 = 192, .yaw = -0.0359845f},
        // lead 32, and the offset: 1.6 against the motion
        {.player_vel = {0.01f, 0, 0}, .block_x1 = 0, .r1 = 0, .r2 = 300, .r3 = 191, .yaw = 0.1273077f},
        // r2 mod 1024 = 255: no lead; r3 mod 1024 = 191: the offset
        {.player_vel = {0.01f, 0, 0}, .block_x1 = 0, .r1 = 99, .r2 = 1279, .r3 = 1215, .yaw = 0.1586553f},
        // moving diagonally: the offset (-1.6, -1.5) x cos/sin 45 degrees
        {.player_vel = {0.01f, 0.01f, 0}, .block_x1 = 0, .r1 = 150, .r2 = 1300, .r3 = 0, .yaw = 0.0827595f},
        // standing still: the offset points to -x
        {.player_vel = {0, 0, 0}, .block_x1 = 0, .r1 = 50, .r2 = 256, .r3 = 1, .yaw = 0.1586553f},
        // the led point (4, 0) is hidden: half the lead, 18
        {.player_vel = {0.1f, 0, 0}, .block_x1 = 3.0f, .r1 = 50, .r2 = 256, .r3 = 192, .yaw = -0.1780929f},
        // (2, 0) hidden too: a fifth of that, 3.6
        {.player_vel = {0.1f, 0, 0}, .block_x1 = 1.5f, .r1 = 50, .r2 = 256, .r3 = 192, .yaw = -0.0359845f},
    };
    // clang-format on
    for (auto& c : cases) {
        SetUp();
        SCOPED_TRACE(c.r1);
        std::vector<game_rect_t> blocks;
        if (c.block_x1 > 0)
            blocks.push_back(game_rect_make(RECT_BLOCK, CLIP_SOLID, c.block_x1, -1.6f, 4.3f, -0.4f));
        open_floor(blocks);
        game_obj_t* p = bare_player(0, 0, 0);
        p->vel = c.player_vel;
        game_obj_t* b = game_obj(1);
        b->pos = kx_vec3(0, -10, 0.5f), b->aim_delay = 0, b->rot = kx_vec3(0, 0, 0);
        rand_script({c.r1, c.r2, c.r3});
        game_bot_aim(1);
        EXPECT_EQ((ints{rand_calls(), b->fire, b->trigger_held}), (ints{3, 1, 0}));
        EXPECT_NEAR(b->rot.y, c.yaw, 2e-6f);
        EXPECT_FLOAT_EQ(b->rot.x, static_cast<float>(M_PI / 2));
    }
}

// Alice 5 south of the player: she circles it sideways, along -x for a positive sign.
TEST_F(GameBot, StrafeDirectionFollowsTheClockWithAPhasePerBot) {
    // clang-format off
    const struct {
        int bot, clock;
        float wish_x;
    } cases[] = {
        {.bot = 1, .clock = 0, .wish_x = -0.048f},  // t = 70: + +
        {.bot = 2, .clock = 0, .wish_x = 0.048f},  // t = 140: - +
        {.bot = 1, .clock = 57, .wish_x = -0.048f},  // t = 127
        {.bot = 1, .clock = 58, .wish_x = 0.048f},  // t = 128
        {.bot = 1, .clock = 954, .wish_x = 0.048f},  // t = 1024: + -
        {.bot = 1, .clock = 1100, .wish_x = -0.048f},  // t = 1170: - -
        {.bot = 1, .clock = 1978, .wish_x = -0.048f},  // t = 2048: + +
        {.bot = 3, .clock = 2000, .wish_x = 0.048f},  // t = 2210: - +
    };
    // clang-format on
    open_floor();
    bare_player(0, 0, 0);
    for (auto& c : cases) {
        game_obj_t* b = game_obj(c.bot);
        b->pos = kx_vec3(0, -5, 0.5f), b->wish_vel = kx_vec3(0, 0, 7);
        game_world.clock_ms = c.clock;
        game_bot_steer(c.bot);
        EXPECT_VEC(b->wish_vel, kx_vec3(c.wish_x, 0, 7));
        b->pos = kx_vec3(30, 30, 0.5f);
    }
    // Not in sight of a dead player: back to its waypoint, 0.048 straight at it.
    game_obj(0)->dead = 1;
    game_obj_t* b = game_obj(1);
    game_pool_add(&game_world.objects, game_obj_create(OBJ_WAYPOINT, 1, kx_vec3(3, -1, 0)));
    b->pos = kx_vec3(0, -5, 0.5f), b->waypoint = 13;
    game_bot_steer(1);
    EXPECT_VEC(b->wish_vel, kx_vec3(0.0288f, 0.0384f, 7));
}

TEST_F(GameBot, NearestWaypointWithinTheSearchRadius) {
    // clang-format off
    const struct {
        std::vector<vec3> marks;  // waypoints, or a kit where z = 1
        int exclude;
        bool wall;  // a block between the bot and (-41, -45)
        int want;
    } cases[] = {
        {.marks = {{45, 45, 0}}, .exclude = -1, .wall = false, .want = 0},
        {.marks = {{19, 19, 0}}, .exclude = -1, .wall = false, .want = 0},  // 8192 exactly
        {.marks = {{18.9f, 18.9f, 0}}, .exclude = -1, .wall = false, .want = 13},
        // a tie: the first
        {.marks = {{-40, -45, 0}, {-45, -40, 0}}, .exclude = -1, .wall = false, .want = 13},
        {.marks = {{-40, -45, 0}, {-44, -45, 0}}, .exclude = -1, .wall = false, .want = 14},
        {.marks = {{-44, -45, 0}, {-40, -45, 0}}, .exclude = 13, .wall = false, .want = 14},
        // a kit is no waypoint
        {.marks = {{-44, -45, 1}, {-40, -45, 0}}, .exclude = -1, .wall = false, .want = 14},
        {.marks = {{-41, -45, 0}, {-45, -30, 0}}, .exclude = -1, .wall = true, .want = 14},
    };
    // clang-format on
    for (auto& c : cases) {
        std::vector<game_rect_t> blocks;
        if (c.wall) blocks.push_back(game_rect_make(RECT_BLOCK, CLIP_LOW, -43, -47, -42, -43));
        open_floor(blocks);
        game_world.objects.count = 13;
        for (const vec3& m : c.marks)
            game_pool_add(&game_world.objects,
                          game_obj_create(m.z > 0 ? OBJ_HEALTHKIT : OBJ_WAYPOINT, 1, kx_vec3(m.x, m.y, 0)));
        game_obj(1)->pos = kx_vec3(-45, -45, 0.5f);
        EXPECT_EQ(game_nearest_waypoint(1, c.exclude, -1), c.want) << c.marks[0].x;
        EXPECT_EQ(game_nearest_waypoint(1, -1, c.exclude), c.want) << c.marks[0].x;
    }
}

TEST_F(GameBot, RandomWaypointFromAtMostSixtyOneCandidates) {
    // clang-format off
    const struct {
        int waypoints, exclude, r;
        int want;
    } cases[] = {
        {.waypoints = 70, .exclude = -1, .r = 61, .want = 13},  // the 61st ends the search: 61 mod 61
        {.waypoints = 70, .exclude = -1, .r = 60, .want = 73},
        {.waypoints = 70, .exclude = 13, .r = 61, .want = 14},
        {.waypoints = 60, .exclude = -1, .r = 61, .want = 14},  // 61 mod 60
        {.waypoints = 5, .exclude = 15, .r = 6, .want = 16},  // 6 mod 4 of 13, 14, 16, 17
        {.waypoints = 0, .exclude = -1, .r = 7, .want = 0},
    };
    // clang-format on
    open_floor();
    for (auto& c : cases) {
        game_world.objects.count = 13;
        for (int k = 0; k < c.waypoints; k++)
            game_pool_add(&game_world.objects,
                          game_obj_create(OBJ_WAYPOINT, 1, kx_vec3(k % 10 - 5.0f, k / 10 + 2.0f, 0)));
        game_obj(1)->pos = kx_vec3(0, -5, 0.5f);
        rand_script({c.r});
        EXPECT_EQ(game_pick_waypoint(1, c.exclude, -1), c.want) << c.waypoints << " " << c.r;
        EXPECT_EQ(rand_calls(), c.waypoints ? 1 : 0);
    }
}

TEST_F(GameBot, NewWaypointIsReachableAndNeitherOfTheLastTwo) {
    game_world.ai_shooting_disabled = 1;  // walk the waypoints even in sight of the player
    game_obj_t* b = game_obj(1);
    std::set<int> seen;
    for (unsigned seed = 1; seed <= 300; seed++) {
        std::srand(seed);
        const int w = b->waypoint, prev = b->prev_waypoint;
        b->pos = kx_vec3(game_obj(w)->pos.x, game_obj(w)->pos.y, 0.5f);  // arrived
        game_bot_steer(1);
        ASSERT_TRUE(b->waypoint != w && b->waypoint != prev) << seed;
        ASSERT_EQ(
            (ints{b->prev_waypoint, game_obj(b->waypoint)->type, game_obj_sees(1, b->waypoint, GAME_NAV)}),
            (ints{w, OBJ_WAYPOINT, 1}));
        seen.insert(b->waypoint);
    }
    EXPECT_GT(seen.size(), 25u);  // the random walk covers much of the level
}

TEST_F(GameBot, NoWaypointInSightGoesStraightForThePlayer) {
    open_floor();
    game_world.objects.count = 13;
    game_world.ai_shooting_disabled = 1;
    game_pool_add(&game_world.objects, game_obj_create(OBJ_WAYPOINT, 1, kx_vec3(60, 0, 0)));  // off the floor
    game_obj(0)->pos = kx_vec3(5, 5, 0.5f);
    game_obj_t* b = game_obj(1);
    b->pos = kx_vec3(-5, 5, 0.5f), b->waypoint = 13;
    game_bot_steer(1);
    EXPECT_EQ(b->waypoint, 0);
    EXPECT_LT(kx_vec3_dist2(b->wish_vel, kx_vec3(0.048f, 0, 0)), 1e-12f);
}

// Samples of radius 0.08 on the seam where two low blocks touch (rects 65 and
// 66, x -12..-9.6, meeting at y = 26.4) lie inside neither block, so the
// waypoints at y = 26.4 count as reachable while the bot's body is held at the
// blocks' east face; without bot shooting nothing else would move it on.
TEST_F(GameBot, BotPressedIntoASeamBetweenTouchingBlocksGivesItsWaypointUp) {
    game_world.ai_shooting_disabled = 1;
    game_obj_t* b = game_obj(1);
    b->pos = kx_vec3(-9.1f, 26.4f, 0.5f), b->vel = kx_vec3(0, 0, 0), b->area = 7;
    int wp = 13;
    while (wp < game_world.objects.count && !(game_obj(wp)->type == OBJ_WAYPOINT &&
                                              game_obj(wp)->pos.x == -22.4f && game_obj(wp)->pos.y == 26.4f))
        wp++;
    ASSERT_LT(wp, game_world.objects.count);
    b->waypoint = wp;
    ASSERT_EQ(game_obj_sees(1, wp, GAME_NAV), 1);
    int gave_up_at = -1;
    for (int t = 0; t < 1000; t++) {
        game_obj_move(1);
        if (gave_up_at < 0 && b->waypoint != wp) gave_up_at = t;
    }
    EXPECT_GE(gave_up_at, 90);   // not before a second of walking on the spot...
    EXPECT_LE(gave_up_at, 110);  // ...and not much after
    EXPECT_GT(kx_vec3_dist2(b->pos, kx_vec3(-9.1f, 26.4f, 0.5f)), 1.0f);
}

}  // namespace
