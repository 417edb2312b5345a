// Whole matches through the headless runner: the bots find and kill a player
// who stands still, keep walking when they may not shoot, and never stay stuck.
#include "tools/sim/sim_match.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

sim_match_result_t run(int ticks, unsigned seed, int mode, int no_shooting) {
    const sim_match_options_t opt = {ticks, seed, mode, no_shooting};
    sim_match_result_t r;
    sim_match_run(&opt, &r);
    return r;
}

constexpr int STUCK_LIMIT_TICKS = 300;  // three seconds pressed against something

TEST(SimMatch, BotsKillAPlayerStandingAtTheSpawn) {
    const sim_match_result_t r = run(150000, 1, SIM_PLAYER_STAND, 0);
    ASSERT_GE(r.end_tick, 0);
    EXPECT_EQ((std::vector<int>{r.victory, r.deaths[0], r.lives[0], r.shots[0]}),
              (std::vector<int>{0, 10, 0, 0}));
    for (int k = 1; k <= 4; k++) EXPECT_LT(r.longest_stuck[k], STUCK_LIMIT_TICKS) << "bot " << k;
}

TEST(SimMatch, BotsWithoutShootingKeepVisitingWaypoints) {
    for (int mode : {SIM_PLAYER_STAND, SIM_PLAYER_WALK}) {
        const sim_match_result_t r = run(30000, 3 + mode, mode, 1);
        EXPECT_EQ(r.bots_alive, 4);
        for (int k = 1; k <= 4; k++) {
            EXPECT_EQ(r.shots[k], 0) << k;
            EXPECT_GE(r.waypoints_reached[k], 15) << "bot " << k;
            EXPECT_LT(r.longest_stuck[k], STUCK_LIMIT_TICKS)
                << "bot " << k << " at " << r.longest_stuck_x[k] << "," << r.longest_stuck_y[k];
        }
    }
}

TEST(SimMatch, SameSeedSameSummary) {
    sim_match_result_t a = run(5000, 9, SIM_PLAYER_WALK, 0), b = run(5000, 9, SIM_PLAYER_WALK, 0);
    a.wall_ms = b.wall_ms = a.us_per_tick = b.us_per_tick = 0;
    EXPECT_EQ(std::memcmp(&a, &b, sizeof a), 0);
}

}  // namespace
