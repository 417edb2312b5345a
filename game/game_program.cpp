// The shared start sequence (see game_program.h).
#include "game/game_program.h"

#include <cstdio>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"
#include "game/game_main.h"
#include "game/game_options.h"
#include "game/net/game_net_connect.h"

#ifndef IRONVALE_VERSION
#define IRONVALE_VERSION "0.0.0"
#endif

int game_program_run(int argc, char** argv, const game_program_t* program) {
    char err[160] = "";
    if (!game_options_parse(argc, argv, &game_options, err, sizeof err)) {
        std::fprintf(stderr, "%s: %s\n", program->name, err);
        return 2;
    }
    // --connect and --name set the default server and the join at start.
    game_net_args(argc, argv);
    if (game_options.help) {
        std::fputs(game_options_usage(), stdout);
        return 0;
    }
    if (game_options.version) {
        std::printf("%s %s\n", program->name, IRONVALE_VERSION);
        return 0;
    }
    // Whole lines reach a pipe as they are logged, so a watcher sees the game's progress.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    for (int i = 0; i < 5; i++) kxLog("%s\n", "");
    kxLog("%s\n", "main start");
    kxAppZero();
    game_install_handlers();
    if (!kxAppInit(argc, argv, "Game")) {
        // Leave in order rather than loop on nothing.
        kxLog("%s\n", program->no_window_line);
        kxAppTerm();
        return 1;
    }
    if (program->started) program->started();
    kxLog("%s\n", "in main: starting kx_app.Loop() ...");
    kxAppLoop();
    kxLog("%s\n", "in main: after loop end");
    kxLog("%s\n", "in main: calling kxAppTerm ... ");
    kxAppTerm();
    kxLog("END \r\n\r\n\r\n");
    return 0;
}
