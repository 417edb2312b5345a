// ironvale-sim: run a single-player match without a window and print a JSON
// summary on standard output. The game's own log lines go to standard error.
// Usage: ironvale-sim [--ticks N] [--seed S] [--player stand|walk] [--bots-no-shooting]
// Depends on sim_match.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/sim/sim_match.h"

namespace {
int usage() {
    std::fprintf(stderr,
                 "usage: ironvale-sim [--ticks N] [--seed S] [--player stand|walk] [--bots-no-shooting]\n");
    return 2;
}
}  // namespace

int main(int argc, char** argv) {
    sim_match_options_t opt = {30000, 1, SIM_PLAYER_STAND, 0};
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!std::strcmp(a, "--ticks") && v) {
            opt.ticks = std::atoi(v);
            i++;
        } else if (!std::strcmp(a, "--seed") && v) {
            opt.seed = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
            i++;
        } else if (!std::strcmp(a, "--player") && v) {
            if (!std::strcmp(v, "stand"))
                opt.player_mode = SIM_PLAYER_STAND;
            else if (!std::strcmp(v, "walk"))
                opt.player_mode = SIM_PLAYER_WALK;
            else
                return usage();
            i++;
        } else if (!std::strcmp(a, "--bots-no-shooting")) {
            opt.bots_no_shooting = 1;
        } else {
            return usage();
        }
    }
    if (opt.ticks < 0) return usage();

    // Keep stdout for the summary: the game logs through printf.
    std::fflush(stdout);
    const int saved = dup(1);
    dup2(2, 1);
    sim_match_result_t r;
    sim_match_run(&opt, &r);
    std::fflush(stdout);
    if (saved >= 0) {
        dup2(saved, 1);
        close(saved);
    }
    static char json[8192];
    sim_match_json(&r, json, sizeof json);
    std::printf("%s\n", json);
    return 0;
}
