// Entry point of ironvale-win32: the same start sequence as ironvale-x11
// (main_x11.cpp) on the Win32 shell. Windows has no stop signals to catch:
// closing the window is the way out.
// Depends on: kx_app (Win32 shell), kx_log, and the game's handler installer.
#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"
#if IRONVALE_HAVE_SHOWCASE
#include "game/draw/engine_showcase.h"
#endif

int main(int argc, char** argv) {
    for (int i = 0; i < 5; i++) kxLog("%s\n", "");
    kxLog("%s\n", "main start");
    kxAppZero();
#if IRONVALE_HAVE_SHOWCASE
    engine_showcase_install();
#endif
    if (!kxAppInit(argc, argv, "Game")) {
        // No window or GL context: the shell has told the player; leave in order.
        kxLog("%s\n", "in main: no window, exiting. ");
        kxAppTerm();
        return 1;
    }
    kxAppSetVSync(0);
    kxLog("%s\n", "in main: starting kx_app.Loop() ...");
    kxAppLoop();
    kxLog("%s\n", "in main: after loop end");
    kxLog("%s\n", "in main: calling kxAppTerm ... ");
    kxAppTerm();
    kxLog("END \r\n\r\n\r\n");
    return 0;
}
