// X11 shell: the cursor table, window size and fullscreen through the EWMH state hints.
// Depends on: Xlib, kx_app, kx_log.
#include <X11/Xatom.h>

#include "engine/app/kx_log.h"
#include "engine/app/x11/kx_x11.h"

namespace {

// Font cursors cost a cursor-theme lookup each (tens of milliseconds at
// start-up), so each one is made when it is first shown.
Cursor make_cursor(int index) {
    Display* dpy = kx_x11_display();
    static const unsigned int shapes[KX_X11_CURSOR_INVISIBLE] = {2, 152, 30,
                                                                 150};  // arrow, beam, cross, watch
    if (index < KX_X11_CURSOR_INVISIBLE) return XCreateFontCursor(dpy, shapes[index]);
    // Invisible: an all-zero 8x8 bitmap as both shape and mask.
    static const char zeros[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    const Pixmap blank = XCreateBitmapFromData(dpy, kx_x11_window(), zeros, 8, 8);
    XColor black{};
    const Cursor c = XCreatePixmapCursor(dpy, blank, blank, &black, &black, 0, 0);
    XFreePixmap(dpy, blank);
    return c;
}

}  // namespace

void kx_x11_cursors_create() {
    for (Cursor& c : kx_x11.cursors) c = 0;
}

void kx_x11_cursors_free() {
    Display* dpy = kx_x11_display();
    if (!dpy) return;
    for (Cursor& c : kx_x11.cursors) {
        if (c) XFreeCursor(dpy, c);
        c = 0;
    }
}

void kxAppSetCursor(int index) {
    Display* dpy = kx_x11_display();
    if (!dpy || !kx_app.window || index < 0 || index >= KX_X11_CURSORS) return;
    if (!kx_x11.cursors[index]) kx_x11.cursors[index] = make_cursor(index);
    XDefineCursor(dpy, kx_x11_window(), kx_x11.cursors[index]);
}

void kxAppSetFullscreen(int on) {
    Display* dpy = kx_x11_display();
    if (!dpy || on == kx_app.fullscreen) return;
    kxLog("Setting fullscreen to %d ...\n", on);
    const Window win = kx_x11_window();

    XSetWindowAttributes attrs{};
    attrs.override_redirect = False;
    XChangeWindowAttributes(dpy, win, CWOverrideRedirect, &attrs);

    // The atoms are created when missing: without a window manager they may not
    // exist yet, and a property named None would be a protocol error.
    const Atom state = XInternAtom(dpy, "_NET_WM_STATE", False);
    const Atom full = XInternAtom(dpy, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(dpy, win, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&full), 1);

    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = win;
    ev.xclient.message_type = state;
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = on ? 1 : 0;
    ev.xclient.data.l[1] = static_cast<long>(full);
    XSendEvent(dpy, DefaultRootWindow(dpy), False, SubstructureRedirectMask, &ev);
    kx_app.fullscreen = on;
}

void kxAppSetWindowSize(int width, int height) {
    Display* dpy = kx_x11_display();
    if (!dpy || !kx_app.window || width <= 0 || height <= 0) return;
    XResizeWindow(dpy, kx_x11_window(), static_cast<unsigned>(width), static_cast<unsigned>(height));
}
