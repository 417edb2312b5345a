// A stand-in program for driving the X11 shell from outside: it runs the same
// start sequence as ironvale-x11 and prints every callback with its arguments
// ("cb <slot> <args>") to standard output, line-buffered, so a test can follow
// what the shell dispatched. Options:
//   --frames                 print every OnProcess, not only the first
//   --lock                   draw every pass, lock the cursor at (512, 300) on the first frame
//   --quit-at-first-process  call kxAppQuit in the first OnProcess
//   --title <text>           window title
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"

namespace {

int opt_frames = 0, opt_lock = 0, opt_quit_first = 0, frames = 0;

void on_init_display() {
    char cwd[PATH_MAX] = "";
    if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
    std::printf("cb OnInitDisplay window=%lu size=%dx%d em=%.2f ready=%d title=<%s> cwd=<%s>\n",
                kx_app.window, kx_app.width, kx_app.height, kx_app.em, kx_app.display_ready, kx_app.title,
                cwd);
    if (opt_lock) kxAppSetContinuous(1);
}

void on_process() {
    if (++frames == 1 || opt_frames) std::printf("cb OnProcess %d\n", frames);
    if (opt_lock && frames == 1) kxAppLockCursor(512, 300);
    if (opt_quit_first) kxAppQuit();
    kxAppSwapBuffers();
}

}  // namespace

// The GL driver and Xlib keep allocations to process exit; those are not this
// program's leaks. The environment's ASAN_OPTIONS still take precedence.
extern "C" const char* __asan_default_options() { return "detect_leaks=0"; }

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const char* title = "Game";
    for (int i = 1; i < argc; i++) {
        if (!std::strcmp(argv[i], "--frames")) opt_frames = 1;
        if (!std::strcmp(argv[i], "--lock")) opt_lock = 1;
        if (!std::strcmp(argv[i], "--quit-at-first-process")) opt_quit_first = 1;
        if (!std::strcmp(argv[i], "--title") && i + 1 < argc) title = argv[++i];
    }
    kxLog("%s\n", "main start");
    kxAppZero();
    kx_app.OnInitDisplay = on_init_display;
    kx_app.OnProcess = on_process;
    kx_app.OnTerm = [] { std::printf("cb OnTerm\n"); };
    kx_app.OnKeyUp = [](int k) { std::printf("cb OnKeyUp %d\n", k); };
    kx_app.OnChar = [](int c) { std::printf("cb OnChar %d\n", c); };
#define KX_PRINT_SLOT(slot) kx_app.slot = [](int a, int b) { std::printf("cb " #slot " %d %d\n", a, b); };
    KX_PRINT_SLOT(OnResize)
    KX_PRINT_SLOT(OnOrientationChange) KX_PRINT_SLOT(OnKeyDown) KX_PRINT_SLOT(OnPointerDown)
        KX_PRINT_SLOT(OnPointerUp) KX_PRINT_SLOT(OnPointerMove) KX_PRINT_SLOT(OnTap)
            KX_PRINT_SLOT(OnDragStart) KX_PRINT_SLOT(OnDragEnd) KX_PRINT_SLOT(OnDragMove)
                KX_PRINT_SLOT(OnLeftDown) KX_PRINT_SLOT(OnLeftUp) KX_PRINT_SLOT(OnRightDown)
                    KX_PRINT_SLOT(OnRightUp) KX_PRINT_SLOT(OnMiddleDown) KX_PRINT_SLOT(OnMiddleUp)
                        KX_PRINT_SLOT(OnWheelDown) KX_PRINT_SLOT(OnWheelUp) KX_PRINT_SLOT(OnMouseMove)
                            KX_PRINT_SLOT(OnMouseLook)
#undef KX_PRINT_SLOT
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
