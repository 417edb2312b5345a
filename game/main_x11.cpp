// Entry point of ironvale-x11: clear the application record, let the game
// install its handlers, run the X11 shell's start-up, loop and teardown.
// Depends on: kx_app (X11 shell), kx_log, and the game's handler installer.
#include <csignal>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"
#if IRONVALE_HAVE_SHOWCASE
#include "game/draw/engine_showcase.h"
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
    for (int i = 0; i < 5; i++) kxLog("%s\n", "");
    kxLog("%s\n", "main start");
    kxAppZero();
#if IRONVALE_HAVE_SHOWCASE
    engine_showcase_install();
#endif
    if (!kxAppInit(argc, argv, "Game")) {
        // No window could be made: leave in order rather than loop on nothing.
        kxLog("%s\n", "in main: no display, exiting. ");
        kxAppTerm();
        return 1;
    }
    install_stop_signals();
    kxAppSetVSync(0);
    kxLog("%s\n", "in main: starting kx_app.Loop() ...");
    kxAppLoop();
    kxLog("%s\n", "in main: after loop end");
    kxLog("%s\n", "in main: calling kxAppTerm ... ");
    kxAppTerm();
    kxLog("END \r\n\r\n\r\n");
    return 0;
}
