// A whole single-player match run headless: the game's own setup and tick with
// a scripted local player, plus the statistics a balance or regression check
// wants (shots, hits, deaths, kits, waypoint coverage, bots stuck). Used by the
// ironvale-sim tool and by the match tests. Depends on game_sim.
#pragma once

#include <cstdint>

enum { SIM_PLAYER_STAND = 0, SIM_PLAYER_WALK = 1 };

struct sim_match_options_t {
    int ticks;             // ticks to run at most
    unsigned seed;         // srand seed
    int player_mode;       // SIM_PLAYER_STAND or SIM_PLAYER_WALK
    int bots_no_shooting;  // sets ai_shooting_disabled
};

constexpr int SIM_SLOTS = 13;  // the local player (0) and the twelve slots (1..12)

struct sim_match_result_t {
    int ticks_run;
    double wall_ms;
    double us_per_tick;
    int bots_alive;
    int lives[SIM_SLOTS], health[SIM_SLOTS], active[SIM_SLOTS];
    int shots[SIM_SLOTS];              // shots fired per object (a spread-gun shot counts once)
    int hits[SIM_SLOTS];               // bullets of this object that hit a player object
    int deaths[SIM_SLOTS];             // lives lost plus leaving the game
    int kits_taken;                    // health kits picked up (a kit taken by two at once counts once)
    int waypoints_reached[SIM_SLOTS];  // distinct waypoints each object came within reach of
    int stuck_ticks[SIM_SLOTS];        // bots: ticks following waypoints moving at most 0.01
    int longest_stuck[SIM_SLOTS];      // bots: longest run of such ticks
    float longest_stuck_x[SIM_SLOTS], longest_stuck_y[SIM_SLOTS];  // where that run happened
    int end_tick;  // tick at which the game ended, -1 if it did not
    int victory;   // 1 if it ended with no bots left, 0 if the player lost
};

// Set up the world (pools, hooks) once per process if needed, start a new game and
// run it. Returns 1; the result is filled in. Leaves the world as the match ended.
int sim_match_run(const sim_match_options_t* opt, sim_match_result_t* out);

// Write the result as one JSON object (no trailing newline) into buf; returns the
// length written, truncated to cap - 1.
int sim_match_json(const sim_match_result_t* r, char* buf, int cap);
