// The start sequence every game program shares: read the command line, clear the
// application record, install the game's handlers, start the shell, loop, tear down.
// Compiled into each program with its IRONVALE_VERSION.
// Depends on: kx_app (the platform's shell), kx_log, game_main, game_options, game_net_connect.
#pragma once

struct game_program_t {
    const char* name;            // for --version and command-line errors ("ironvale-x11")
    const char* no_window_line;  // logged when the shell could not start
    void (*started)();           // after the shell started, before the loop (may be null)
};

// Run the program; returns main's exit status: 0 after a normal end, 1 when the shell
// could not start, 2 for a bad command line.
int game_program_run(int argc, char** argv, const game_program_t* program);
