// Whole matches through the headless runner: the bots find and kill a player
// who stands still, keep walking when they may not shoot, and never stay stuck.
#include "tools/sim/sim_match.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

sim_match_result_t run(int ticks, unsigned seed, int mode, int no_shooting) {
    const sim_match_options_t opt = {ticks, seed, mode, no_shooting};
    sim_match_result_t r;
    sim_match_run(&opt, &r);
    return r;
}

// Longest time a bot may spend pressed against something while walking its waypoints.
constexpr int STUCK_LIMIT_TICKS = 300;

TEST(SimMatch, BotsKillAPlayerStandingAtTheSpawn) {
    for (unsigned seed : {1u, 2u}) {
        const sim_match_result_t r = run(150000, seed, SIM_PLAYER_STAND, 0);
        ASSERT_GE(r.end_tick, 0) << "seed " << seed;
        EXPECT_EQ(r.victory, 0);
        EXPECT_EQ(r.deaths[0], 10);  // nine lives, then the game ends
        EXPECT_EQ(r.lives[0], 0);
        EXPECT_GT(r.hits[1] + r.hits[2] + r.hits[3] + r.hits[4], 0);
        EXPECT_EQ(r.shots[0], 0);
        for (int k = 1; k <= 4; k++) EXPECT_LT(r.longest_stuck[k], STUCK_LIMIT_TICKS) << "bot " << k;
    }
}

TEST(SimMatch, BotsWithoutShootingKeepVisitingWaypoints) {
    for (int mode : {SIM_PLAYER_STAND, SIM_PLAYER_WALK}) {
        const sim_match_result_t r = run(30000, 3 + mode, mode, 1);
        EXPECT_EQ(r.end_tick, -1);
        EXPECT_EQ(r.bots_alive, 4);
        for (int k = 1; k <= 4; k++) {
            EXPECT_EQ(r.shots[k], 0) << k;
            EXPECT_GE(r.waypoints_reached[k], 15) << "bot " << k;
            EXPECT_LT(r.longest_stuck[k], STUCK_LIMIT_TICKS)
                << "bot " << k << " at " << r.longest_stuck_x[k] << "," << r.longest_stuck_y[k];
        }
        for (int k = 5; k <= 12; k++) EXPECT_EQ(r.active[k], 0);
    }
}

TEST(SimMatch, SameSeedSameSummary) {
    sim_match_result_t a = run(5000, 9, SIM_PLAYER_WALK, 0), b = run(5000, 9, SIM_PLAYER_WALK, 0);
    a.wall_ms = b.wall_ms = a.us_per_tick = b.us_per_tick = 0;
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
    char ja[8192], tiny[16];
    sim_match_json(&a, ja, sizeof ja);
    EXPECT_NE(std::strstr(ja, "\"waypoints_reached\":["), nullptr);
    EXPECT_EQ(sim_match_json(&a, tiny, sizeof tiny), 15);  // truncated, still terminated
    EXPECT_EQ(std::strlen(tiny), 15u);
}

}  // namespace
