// A stand-in program for driving the X11 shell from outside: it runs the same
// start sequence as ironvale-x11 and prints every callback with its arguments
// ("cb <slot> <args>") to standard output, line-buffered, so a test can
// follow what the shell dispatched. Options:
//   --continuous          draw every pass (prints only the first OnProcess)
//   --lock                lock the cursor at (512, 300) on the first frame
//   --fullscreen          ask for fullscreen at start
//   --quit-at-first-process   call kxAppQuit in the first OnProcess
//   --title <text>        window title
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"

namespace {

int opt_continuous = 0, opt_lock = 0, opt_fullscreen = 0, opt_quit_first = 0;
int frames = 0;

void out(const char* slot, int a, int b) { std::printf("cb %s %d %d\n", slot, a, b); }

void on_init_display() {
    char cwd[PATH_MAX] = "";
    if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
    std::printf("cb OnInitDisplay window=%lu size=%dx%d em=%.2f ready=%d title=<%s> cwd=<%s>\n",
                kx_app.window, kx_app.width, kx_app.height, kx_app.em, kx_app.display_ready, kx_app.title,
                cwd);
    if (opt_continuous) kxAppSetContinuous(1);
    if (opt_fullscreen) kxAppSetFullscreen(1);
}

void on_process() {
    frames++;
    if (!opt_continuous || frames == 1) std::printf("cb OnProcess %d\n", frames);
    if (opt_lock && frames == 1) kxAppLockCursor(512, 300);
    if (opt_quit_first) kxAppQuit();
    kxAppSwapBuffers();
}

void install() {
    kx_app.OnInitDisplay = on_init_display;
    kx_app.OnProcess = on_process;
    kx_app.OnTerm = [] { std::printf("cb OnTerm\n"); };
    kx_app.OnResize = [](int w, int h) { out("OnResize", w, h); };
    kx_app.OnOrientationChange = [](int a, int b) { out("OnOrientationChange", a, b); };
    kx_app.OnKeyDown = [](int k, int first) { out("OnKeyDown", k, first); };
    kx_app.OnKeyUp = [](int k) { std::printf("cb OnKeyUp %d\n", k); };
    kx_app.OnChar = [](int c) { std::printf("cb OnChar %d\n", c); };
    kx_app.OnPointerDown = [](int x, int y) { out("OnPointerDown", x, y); };
    kx_app.OnPointerUp = [](int x, int y) { out("OnPointerUp", x, y); };
    kx_app.OnPointerMove = [](int x, int y) { out("OnPointerMove", x, y); };
    kx_app.OnTap = [](int x, int y) { out("OnTap", x, y); };
    kx_app.OnDragStart = [](int x, int y) { out("OnDragStart", x, y); };
    kx_app.OnDragEnd = [](int x, int y) { out("OnDragEnd", x, y); };
    kx_app.OnDragMove = [](int x, int y) { out("OnDragMove", x, y); };
    kx_app.OnLeftDown = [](int x, int y) { out("OnLeftDown", x, y); };
    kx_app.OnLeftUp = [](int x, int y) { out("OnLeftUp", x, y); };
    kx_app.OnRightDown = [](int x, int y) { out("OnRightDown", x, y); };
    kx_app.OnRightUp = [](int x, int y) { out("OnRightUp", x, y); };
    kx_app.OnMiddleDown = [](int x, int y) { out("OnMiddleDown", x, y); };
    kx_app.OnMiddleUp = [](int x, int y) { out("OnMiddleUp", x, y); };
    kx_app.OnWheelDown = [](int x, int y) { out("OnWheelDown", x, y); };
    kx_app.OnWheelUp = [](int x, int y) { out("OnWheelUp", x, y); };
    kx_app.OnMouseMove = [](int x, int y) { out("OnMouseMove", x, y); };
    kx_app.OnMouseLook = [](int dx, int dy) { out("OnMouseLook", dx, dy); };
}

}  // namespace

// The GL driver and Xlib keep allocations to process exit; those are not this
// program's leaks. The environment's ASAN_OPTIONS still take precedence.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const char* title = "Game";
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--continuous"))
            opt_continuous = 1;
        else if (!std::strcmp(argv[i], "--lock"))
            opt_lock = opt_continuous = 1;
        else if (!std::strcmp(argv[i], "--fullscreen"))
            opt_fullscreen = 1;
        else if (!std::strcmp(argv[i], "--quit-at-first-process"))
            opt_quit_first = 1;
        else if (!std::strcmp(argv[i], "--title") && i + 1 < argc)
            title = argv[++i];
    }
    kxLog("%s\n", "main start");
    kxAppZero();
    install();
    if (!kxAppInit(argc, argv, title)) {
        kxLog("%s\n", "in main: no display, exiting. ");
        kxAppTerm();
        return 1;
    }
    kxLog("%s\n", "in main: starting kx_app.Loop() ...");
    kxAppLoop();
    kxLog("%s\n", "in main: calling kxAppTerm ... ");
    kxAppTerm();
    return 0;
}
