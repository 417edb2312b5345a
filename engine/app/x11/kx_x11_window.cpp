// X11 shell: the cursor table and fullscreen through the EWMH state hints.
// Depends on: Xlib, kx_app, kx_log.
#include <X11/Xatom.h>

#include "engine/app/kx_log.h"
#include "engine/app/x11/kx_x11.h"

void kx_x11_cursors_create() {
    Display* dpy = kx_x11_display();
    if (!dpy) return;
    kx_x11.cursors[0] = XCreateFontCursor(dpy, 2);    // arrow
    kx_x11.cursors[1] = XCreateFontCursor(dpy, 152);  // text beam
    kx_x11.cursors[2] = XCreateFontCursor(dpy, 30);   // cross
    kx_x11.cursors[3] = XCreateFontCursor(dpy, 150);  // watch
    // Invisible: an all-zero 8x8 bitmap as both shape and mask.
    static const char zeros[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    const Pixmap blank = XCreateBitmapFromData(dpy, kx_x11_window(), zeros, 8, 8);
    XColor black{};
    kx_x11.cursors[KX_X11_CURSOR_INVISIBLE] = XCreatePixmapCursor(dpy, blank, blank, &black, &black, 0, 0);
    XFreePixmap(dpy, blank);
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
    if (!dpy || index < 0 || index >= KX_X11_CURSORS || !kx_x11.cursors[index]) return;
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
