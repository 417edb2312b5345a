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
    // player in sight, network game, delay, aims -> delay, fire
    const int cases[][6] = {
        {0, 0, 0, 300, 210, 0},  // counts up to 210 at most
        {1, 0, 60, 20, 0, 0},
        {1, 0, 60, 21, 0, 1},  // fires on the first aim after reaching 0
        {1, 1, 0, 1, 1, 0},    // a network game's bots never shoot
    };
    game_obj_t* b = game_obj(1);
    for (auto& c : cases) {
        b->pos = c[0] ? kx_vec3(-20, 9.6f, 0.5f) : kx_vec3(22.4f, -16, 0.5f);
        ASSERT_EQ(game_obj_sees(1, 0, GAME_SHOT), c[0]);
        game_world.multiplayer = c[1], b->aim_delay = c[2], b->fire = 0;
        for (int t = 0; t < c[3]; t++) game_bot_aim(1);
        EXPECT_EQ((ints{b->aim_delay, b->fire}), (ints{c[4], c[5]})) << c[2] << "/" << c[3];
    }
}

TEST_F(GameBot, StrafePhasesDifferPerBot) {
    // bot, clock -> sideways sign; the bot's phase is 70 ms times its index
    const int cases[][3] = {
        {1, 0, 1},     // t = 70: in the 128 ms part, first half of the 2048 ms cycle
        {2, 0, -1},    // t = 140: outside it
        {1, 1100, 1},  // t = 1170: 146 in its period, second half
    };
    const game_obj_t* p = game_obj(0);
    for (auto& c : cases) {
        game_obj_t* b = game_obj(c[0]);
        b->pos = kx_vec3(-20, 9.6f + (c[0] - 1) * 0.5f, 0.5f);
        game_world.clock_ms = c[1];
        game_bot_steer(c[0]);
        const float a = std::atan2(p->pos.y - b->pos.y, p->pos.x - b->pos.x) + static_cast<float>(M_PI / 2);
        const vec3 e = kx_vec3_scale(kx_vec3(std::cos(a), std::sin(a), 0), 0.048f * c[2]);
        EXPECT_LT(kx_vec3_dist2(b->wish_vel, e), 1e-12f) << c[0] << "@" << c[1];
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
