// Entry point of ironvale-x11: read the command line, clear the application
// record, install the game's handlers, run the X11 shell's start-up, loop and
// teardown. Depends on: kx_app (X11 shell), kx_log, game_main, game_options.
#include <csignal>
#include <cstdio>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"
#include "game/game_main.h"
#include "game/game_options.h"
#include "game/net/game_net_connect.h"

#ifndef IRONVALE_VERSION
#define IRONVALE_VERSION "0.0.0"
#endif

namespace {

// Ctrl+C or a polite kill ends the run like closing the window, so the game
// still tears down and log.txt is closed.
void on_stop_signal(int) { kx_app.quit = 1; }

void install_stop_signals() {
    struct sigaction sa = {};
    sa.sa_handler = on_stop_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    char err[160] = "";
    if (!game_options_parse(argc, argv, &game_options, err, sizeof err)) {
        std::fprintf(stderr, "ironvale-x11: %s\n", err);
        return 2;
    }
    game_net_args(argc, argv);
    if (game_options.help) {
        std::fputs(game_options_usage(), stdout);
        return 0;
    }
    if (game_options.version) {
        std::printf("ironvale-x11 %s\n", IRONVALE_VERSION);
        return 0;
    }
    // Whole lines reach a pipe as they are logged, so a watcher sees the game's progress.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    for (int i = 0; i < 5; i++) kxLog("%s\n", "");
    kxLog("%s\n", "main start");
    kxAppZero();
    game_install_handlers();
    if (!kxAppInit(argc, argv, "Game")) {
        // No window could be made: leave in order rather than loop on nothing.
        kxLog("%s\n", "in main: no display, exiting. ");
        kxAppTerm();
        return 1;
    }
    install_stop_signals();
    kxLog("%s\n", "in main: starting kx_app.Loop() ...");
    kxAppLoop();
    kxLog("%s\n", "in main: after loop end");
    kxLog("%s\n", "in main: calling kxAppTerm ... ");
    kxAppTerm();
    kxLog("END \r\n\r\n\r\n");
    return 0;
}
