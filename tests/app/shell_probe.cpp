// Runs the start sequence of ironvale-x11 and prints every callback ("cb <slot> <args>"), line-buffered,
// so a test can follow what the X11 shell dispatched. Options: --frames (print every OnProcess),
// --lock (draw every pass, lock the cursor on the first frame), --quit-at-first-process, --title <text>,
// --size <w> <h> (asked for on the first frame).
#include <GL/gl.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/app/kx_app.h"
#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"

namespace {

int opt_frames = 0, opt_lock = 0, opt_quit_first = 0, frames = 0, size_w = -1, size_h = -1;

void on_init_display() {
    char cwd[PATH_MAX] = "";
    if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
    GLint vp[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, vp);
    std::printf(
        "cb OnInitDisplay window=%lu size=%dx%d em=%.2f ready=%d title=<%s> cwd=<%s> viewport=%d %d %d %d\n",
        kx_app.window, kx_app.width, kx_app.height, kx_app.em, kx_app.display_ready, kx_app.title, cwd, vp[0],
        vp[1], vp[2], vp[3]);
    // A GL error is reported once, with its label; a clean check says nothing.
    glEnable(0xFFFF);
    kxCheckGlError("probe error");
    kxCheckGlError("probe clean");
    if (opt_lock) kxAppSetContinuous(1);
}

void on_process() {
    if (++frames == 1 || opt_frames) std::printf("cb OnProcess %d\n", frames);
    if (opt_lock && frames == 1) kxAppLockCursor(512, 300);
    if (size_w >= 0 && frames == 1) kxAppSetWindowSize(size_w, size_h);
    if (opt_quit_first) kxAppQuit();
    kxAppSwapBuffers();
}

}  // namespace

int main(int argc, char** argv) {
    setvbuf(stdout, nullptr, _IOLBF, 0);
    const char* title = "Game";
    for (int i = 1; i < argc; i++) {
        opt_frames |= !std::strcmp(argv[i], "--frames");
        opt_lock |= !std::strcmp(argv[i], "--lock");
        opt_quit_first |= !std::strcmp(argv[i], "--quit-at-first-process");
        if (!std::strcmp(argv[i], "--title") && i + 1 < argc) title = argv[++i];
        if (!std::strcmp(argv[i], "--size") && i + 2 < argc)
            size_w = std::atoi(argv[++i]), size_h = std::atoi(argv[++i]);
    }
    kxLog("%s\n", "main start");
    kxAppZero();
    kx_app.OnInitDisplay = on_init_display;
    kx_app.OnProcess = on_process;
    kx_app.OnTerm = [] { std::printf("cb OnTerm\n"); };
    // Key slots also show the held state; F turns fullscreen on.
    kx_app.OnKeyDown = [](int k, int first) {
        std::printf("cb OnKeyDown %d %d held=%d\n", k, first, kxAppKeyIsDown(k));
        if (k == 'f') kxAppSetFullscreen(1);
    };
    kx_app.OnResize = [](int w, int h) {
        GLint vp[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, vp);
        std::printf("cb OnResize %d %d viewport=%d %d %d %d\n", w, h, vp[0], vp[1], vp[2], vp[3]);
    };
    kx_app.OnKeyUp = [](int k) { std::printf("cb OnKeyUp %d held=%d\n", k, kxAppKeyIsDown(k)); };
    kx_app.OnChar = [](int c) { std::printf("cb OnChar %d\n", c); };
    // clang-format off
#define P(slot) kx_app.slot = [](int a, int b) { std::printf("cb " #slot " %d %d\n", a, b); };
    P(OnOrientationChange) P(OnPointerDown) P(OnPointerUp) P(OnPointerMove) P(OnTap)
    P(OnDragStart) P(OnDragEnd) P(OnDragMove) P(OnLeftDown) P(OnLeftUp) P(OnRightDown) P(OnRightUp)
    P(OnMiddleDown) P(OnMiddleUp) P(OnWheelDown) P(OnWheelUp) P(OnMouseMove) P(OnMouseLook)
#undef P
        // clang-format on
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
