// The program's command line. Without options the game starts fullscreen as
// always; the options serve players (window size) and testers (benchmark).
// Depends on nothing but the C library.
#pragma once

#include <cstddef>

struct game_options_t {
    int windowed;          // --windowed: stay in a window
    int width, height;     // --size WxH: window size (0 = the shell's 1024 x 600)
    int help, version;     // --help, --version: print and leave
    int bench;             // --benchmark given
    double bench_seconds;  // in-game seconds to measure
    unsigned seed;         // --seed S (benchmark game), 1 by default
    const char* connect;   // --connect HOST[:PORT]: the default server (null: none given)
    const char* name;      // --name NAME: the player name (with --connect: join at once)
};

// Lifetime: the whole run; filled by main before the shell starts.
extern game_options_t game_options;

// Parse argv[1..]. Returns 1, or 0 with a one-line reason in err for an unknown option,
// a missing or malformed value (size below 64 x 64 or above 16384, seconds not above 0).
int game_options_parse(int argc, char** argv, game_options_t* out, char* err, size_t err_size);

// The --help text.
const char* game_options_usage();
