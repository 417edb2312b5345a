// Entry point of ironvale-win32: the same start sequence as ironvale-x11
// (main_x11.cpp) on the Win32 shell. Windows sends no stop signals to a window
// program: closing the window is the way out.
// Depends on: kx_app (Win32 shell), kx_log, game_main, game_options, game_net_connect.
#include <cstdio>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"
#include "game/game_main.h"
#include "game/game_options.h"
#include "game/net/game_net_connect.h"

#ifndef IRONVALE_VERSION
#define IRONVALE_VERSION "0.0.0"
#endif

int main(int argc, char** argv) {
    char err[160] = "";
    if (!game_options_parse(argc, argv, &game_options, err, sizeof err)) {
        std::fprintf(stderr, "ironvale-win32: %s\n", err);
        return 2;
    }
    // --connect and --name set the default server and the join at start.
    game_net_args(argc, argv);
    if (game_options.help) {
        std::fputs(game_options_usage(), stdout);
        return 0;
    }
    if (game_options.version) {
        std::printf("ironvale-win32 %s\n", IRONVALE_VERSION);
        return 0;
    }
    // Whole lines reach a pipe as they are logged, so a watcher sees the game's progress.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    for (int i = 0; i < 5; i++) kxLog("%s\n", "");
    kxLog("%s\n", "main start");
    kxAppZero();
    game_install_handlers();
    if (!kxAppInit(argc, argv, "Game")) {
        // No window or GL context: the shell has told the player; leave in order.
        kxLog("%s\n", "in main: no window, exiting. ");
        kxAppTerm();
        return 1;
    }
    kxLog("%s\n", "in main: starting kx_app.Loop() ...");
    kxAppLoop();
    kxLog("%s\n", "in main: after loop end");
    kxLog("%s\n", "in main: calling kxAppTerm ... ");
    kxAppTerm();
    kxLog("END \r\n\r\n\r\n");
    return 0;
}
