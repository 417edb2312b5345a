// X11/GLX shell: start-up (program directory, display, GLX window, GL probe,
// engine shaders), the window-system half of the main loop, and teardown.
// Depends on: Xlib, GLX, kx_app, kx_app_loop, kx_log, kx_glcheck, kx_render.
#include <GL/gl.h>
#include <X11/XKBlib.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/app/kx_app_loop.h"
#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"
#include "engine/app/x11/kx_x11.h"
#if KX_HAVE_RENDER
#include "engine/render/kx_gl.h"
#include "engine/render/kx_sh.h"
#endif

kx_x11_t kx_x11;

namespace {

// Xlib's default handler ends the process on any protocol error; a stray
// error (a warp racing a window change) should be logged, not fatal.
int on_x_error(Display*, XErrorEvent* e) {
    kxLog("X error %d (request %d.%d) \n", e->error_code, e->request_code, e->minor_code);
    return 0;
}

// Copy src into the argv[0] buffer, cut to fit and always terminated.
void set_argv0_buffer(const char* src) {
    const size_t n = std::min(std::strlen(src), sizeof kx_x11.argv0 - 1);
    std::memcpy(kx_x11.argv0, src, n);
    kx_x11.argv0[n] = 0;
}

// Change to the directory part of argv[0] (taken whole, so a long path still
// works; the 128-byte buffer only holds what is shown in the log).
bool g_in_program_dir = false;  // the start-up chdir to argv[0]'s directory worked

void change_to_program_dir(const char* argv0) {
    g_in_program_dir = false;
    set_argv0_buffer(argv0);
    kxLog("argv[0]: <%s> \n", kx_x11.argv0);
    const std::string path = argv0;
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        kxLog("Current dir has not been changed. \n");
        return;
    }
    const std::string dir = slash == 0 ? "/" : path.substr(0, slash);
    if (chdir(dir.c_str()) != 0) {
        kxLog("Can't change current dir to <%s>, errno=%d \n", dir.c_str(), errno);
        return;
    }
    g_in_program_dir = true;
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) {
        set_argv0_buffer(cwd);
        kxLog("Current dir has been changed to <%s> \n", cwd);
    }
}

// The build tree keeps the assets at <bin>/../assets. An installed game has
// them under its data folder instead: first as seen from its own bin folder
// (so a moved install still works), then at the prefix it was built for.
void change_to_asset_dir() {
    if (chdir("../assets/") == 0) return;
    const char* fallbacks[] = {
#ifdef KX_ASSET_DIR_FROM_BIN
        g_in_program_dir ? KX_ASSET_DIR_FROM_BIN : nullptr,
#endif
#ifdef KX_ASSET_DIR_INSTALLED
        KX_ASSET_DIR_INSTALLED,
#endif
        nullptr};
    for (const char* dir : fallbacks) {
        if (dir && chdir(dir) == 0) {
            char cwd[PATH_MAX];
            kxLog("Assets are in <%s> \n", getcwd(cwd, sizeof cwd) ? cwd : dir);
            return;
        }
    }
    kxLog("%s\n", "No asset directory found beside the program. ");
}

void discard_pending(Display* dpy) {
    while (XPending(dpy)) {
        XEvent ev;
        XNextEvent(dpy, &ev);
    }
}

void leave_loop(Display* dpy) {
    kxLog("%s\n", "in loop: reading last pending events...");
    discard_pending(dpy);
    kxLog("%s\n", "in loop: Returning to the main() ... ");
}

// Wait for input on the X connection for at most ms milliseconds.
void wait_for_input(Display* dpy, int ms) {
    pollfd p{};
    p.fd = ConnectionNumber(dpy);
    p.events = POLLIN;
    poll(&p, 1, ms);
}

}  // namespace

int kxAppInit(int argc, char** argv, const char* title) {
    kxLogOpen();
    kxLog("%s\n", ":: kxAppInit ::");

    const uint64_t now = kxAppLoopClockMs();
    kxAppLoopSetClock(now);
    std::srand(static_cast<unsigned int>(now));
    kxAppLoopSetTitle(title);

    change_to_program_dir(argc > 0 && argv && argv[0] ? argv[0] : "");

    kxLog("%s\n", ":: creating display...");
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        kxLog("%s\n", "Can't open X display, nothing to show. ");
        return 0;
    }
    kx_app.display = dpy;
    XSetErrorHandler(on_x_error);
    // Without this, X reports a held key as release/press pairs and OnKeyDown
    // would never see a repeat (first = 0); with it, repeats arrive as presses.
    Bool detectable = False;
    XkbSetDetectableAutoRepeat(dpy, True, &detectable);

    int error_base = 0, event_base = 0;
    if (!glXQueryExtension(dpy, &error_base, &event_base)) {
        kxLog("%s\n", "Fatal Error: X server has no OpenGL GLX extension");
        return 0;
    }

    int attrs[] = {GLX_RGBA, GLX_DEPTH_SIZE, 16, GLX_DOUBLEBUFFER, None};
    XVisualInfo* vi = glXChooseVisual(dpy, DefaultScreen(dpy), attrs);
    if (!vi) {
        kxLog("%s\n", "Visual has NOT been choosed! ");
        kxLogClose();
        std::exit(1);
    }

    GLXContext ctx = glXCreateContext(dpy, vi, nullptr, True);
    if (!ctx) {
        kxLog("%s\n", "Can't create context");
        XFree(vi);
        return 0;
    }
    kx_app.glx_context = ctx;

    kxLog("%s\n", "Creating color map...");
    const Window root = RootWindow(dpy, vi->screen);
    XSetWindowAttributes swa{};
    swa.border_pixel = 0;
    swa.colormap = XCreateColormap(dpy, root, vi->visual, AllocNone);
    swa.event_mask = KeyPressMask | KeyReleaseMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask |
                     ExposureMask | StructureNotifyMask;
    const Window win = XCreateWindow(dpy, root, 100, 100, 1024, 600, 0, vi->depth, InputOutput, vi->visual,
                                     CWBorderPixel | CWColormap | CWEventMask, &swa);
    XFree(vi);
    kx_app.window = win;
    XSetStandardProperties(dpy, win, kx_app.title, kx_app.title, None, argv, argc, nullptr);

    kxLog("glXMakeCurrent (dpy %d) (win %d) (ctx %d)...\n", static_cast<int>(reinterpret_cast<intptr_t>(dpy)),
          static_cast<int>(win), static_cast<int>(reinterpret_cast<intptr_t>(ctx)));
    glXMakeCurrent(dpy, win, ctx);
    kxLog("%s\n", "XMapWindow...");
    XMapWindow(dpy, win);

    kx_app.screen_class = 1;
    kx_app.orientation = 1;
    kxAppUpdateSize(1024, 600);

    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_ALPHA_TEST);

    kxLog("%s\n", "--- glkxInit ---");
#if KX_HAVE_RENDER
    glkxInit();
#endif
    kxCheckGlError("glkx init overall");
    kxLog("%s\n", "--- shader init ---");
#if KX_HAVE_RENDER
    kx_sh_init();
#endif
    kxCheckGlError("shader init");
    kxLog("%s\n", "--- textureinit ---");
    kxCheckGlError("tx init");

    kx_x11_cursors_create();

    // Relative to the program directory chosen above; a missing folder shows
    // later as failed asset loads.
    change_to_asset_dir();

    kxLog("%s\n", "--- calling kxAppOnInitDisplay ---");
    kx_app.display_ready = 1;
    kx_app.OnInitDisplay();
    return 1;
}

void kxAppLoop() {
    Display* dpy = kx_x11_display();
    if (!dpy || !kx_app.window) return;  // start-up failed: nothing to run
    const Window win = kx_x11_window();

    XWarpPointer(dpy, None, win, 0, 0, 0, 0, 32, 32);
    kx_app.quit = 0;
    kxAppLoopStart(kxAppLoopClockMs());
    kx_x11.wm_delete = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(dpy, win, &kx_x11.wm_delete, 1);

    for (;;) {
        if (kx_app.quit) {
            leave_loop(dpy);
            return;
        }
        const uint64_t now = kxAppLoopClockMs();
        if (kxAppLoopPassBegin(now)) XStoreName(dpy, win, kx_app.title);

        int active = 0;
        while (XPending(dpy)) {
            XEvent ev;
            XNextEvent(dpy, &ev);
            active = 1;
            if (kx_x11_dispatch(&ev)) {
                kxLog("%s\n", "Breaking app loop by wmDeleteMessage...");
                kx_app.quit = 1;
                leave_loop(dpy);
                return;
            }
        }

        if (!active && !continuous) {
            // Idle: block on the X connection instead of waking every few
            // milliseconds; timers and a held pointer still get a pass every 20 ms.
            const int wait = kxAppLoopIdleWaitMs(now);
            wait_for_input(dpy, wait > 0 ? wait : 20);
            continue;
        }
        kxAppProcessFrame();
        kxAppSleep(1);
        if (kxAppKeyIsDown(KX_KEY_F4)) kxAppSleep(100);
        kxAppLoopCountFrame();
    }
}

void kxAppTerm() {
    kxLogClose();
    // The game's teardown only makes sense after its initialisation ran.
    if (kx_app.display_ready) kx_app.OnTerm();
    Display* dpy = kx_x11_display();
    if (!dpy) return;
    kx_x11_cursors_free();
#if KX_HAVE_RENDER
    if (kx_app.display_ready) kx_sh_term();
#endif
    if (kx_app.glx_context) {
        kxLog("%s\n", "ing GLX context... ");
        glXMakeCurrent(dpy, None, nullptr);
        glXDestroyContext(dpy, kx_x11_context());
        kx_app.glx_context = nullptr;
    }
    if (kx_app.window) {
        kxLog("%s\n", "Destroying Window... ");
        XDestroyWindow(dpy, kx_x11_window());
        kx_app.window = 0;
    }
    kxLog("%s\n", "Closing display... ");
    XCloseDisplay(dpy);
    kx_app.display = nullptr;
    kx_app.display_ready = 0;
}

void kxAppSwapBuffers() {
    Display* dpy = kx_x11_display();
    if (dpy && kx_app.window) glXSwapBuffers(dpy, kx_x11_window());
}

void kxAppSleep(int ms) {
    if (ms > 0) usleep(static_cast<useconds_t>(ms) * 1000u);
}

void kxAppSetVSync(int) {}

void kxAppMessage(const char* text) { kxLog("\n\n[Message: %s]\n\n", text ? text : ""); }

void kxAppSetOrientation(int) { kxLog("set orientation: not implemented in X11 port \n"); }
