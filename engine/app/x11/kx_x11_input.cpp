// X11 shell: event dispatch into the kx_app slots, the key-state table and
// relative mouse mode. Depends on: Xlib, kx_app, kx_log.
#include <X11/Xutil.h>

#include <cstdint>
#include <cstdlib>

#include "engine/app/kx_log.h"
#include "engine/app/x11/kx_x11.h"

namespace {

// Index into the key table for a keysym; -1 when the keyboard has no key for it.
int key_index(int keysym) {
    Display* dpy = kx_x11_display();
    if (!dpy) return -1;
    const KeyCode code = XKeysymToKeycode(dpy, static_cast<KeySym>(keysym));
    if (code == 0) return -1;
    return code;
}

void key_press(const XKeyEvent* ev) {
    XKeyEvent copy = *ev;
    const int keysym = static_cast<int>(XLookupKeysym(&copy, 0));
    const int index = key_index(keysym);
    // A keysym without a key on this keyboard cannot be held; every press is a first one.
    if (index < 0 || !kx_x11.keys[index]) {
        if (index >= 0) kx_x11.keys[index] = 1;
        kx_app.OnKeyDown(keysym & 0xFFFF, 1);
    } else {
        kx_app.OnKeyDown(keysym & 0xFFFF, 0);
    }
    char text[4] = {0, 0, 0, 0};
    KeySym ks = 0;
    const int n = XLookupString(&copy, text, sizeof text, &ks, nullptr);
    if (n > 0 && text[0]) kx_app.OnChar(static_cast<unsigned char>(text[0]));
}

void key_release(const XKeyEvent* ev) {
    XKeyEvent copy = *ev;
    char text[4] = {0, 0, 0, 0};
    KeySym ks = 0;
    XLookupString(&copy, text, sizeof text, &ks, nullptr);
    const int index = key_index(static_cast<int>(ks));
    if (index >= 0) kx_x11.keys[index] = 0;
    kx_app.OnKeyUp(static_cast<int>(ks));
}

// The slots buttons 1..5 feed, from the bottom, on press and release (the wheel has no release).
using xy_slot = void (*kx_app_t::*)(int, int);
struct button_slots_t {
    xy_slot down, up;
};
constexpr button_slots_t kButtonSlots[] = {
    {&kx_app_t::OnLeftDown, &kx_app_t::OnLeftUp},     {&kx_app_t::OnMiddleDown, &kx_app_t::OnMiddleUp},
    {&kx_app_t::OnRightDown, &kx_app_t::OnRightUp},   {&kx_app_t::OnWheelUp, nullptr},
    {&kx_app_t::OnWheelDown, nullptr},
};

void button(const XButtonEvent* ev, bool press) {
    if (ev->button < 1 || ev->button > 5) return;
    const int x = static_cast<int16_t>(ev->x), y = static_cast<int16_t>(ev->y);
    const xy_slot slot = press ? kButtonSlots[ev->button - 1].down : kButtonSlots[ev->button - 1].up;
    if (slot == nullptr) return;
    (kx_app.*slot)(x, kx_app.height - y);
    // Only button 1 drives the press state.
    if (ev->button != 1) return;
    if (press) {
        kxAppPointerPress(x, y);
        return;
    }
    kx_app.pointer_down[0] = 0;
    if (kx_app.dragging[0])
        kx_app.OnDragEnd(kx_app.pointer_x[0], kx_app.pointer_y[0]);
    else
        kx_app.OnTap(kx_app.press_x[0], kx_app.press_y[0]);
    kx_app.dragging[0] = 0;
    kx_app.OnPointerUp(x, y);
}

void motion(const XMotionEvent* ev) {
    if (kx_app.cursor_locked) return;
    const int x = static_cast<int16_t>(ev->x), y = static_cast<int16_t>(ev->y);
    kx_app.pointer_x[0] = x;  // already there when OnMouseMove reads it
    kx_app.pointer_y[0] = y;
    kx_app.OnMouseMove(x, kx_app.height - y);
    kxAppPointerMove(x, y);
}

// Root position of the window's parent origin (the WM frame when there is
// one), and the pointer measured from it, each component as signed 16-bit.
void pointer_from_base(int* base_x, int* base_y, int* px, int* py) {
    Display* dpy = kx_x11_display();
    const Window win = kx_x11_window();
    Window child = 0, root = 0;
    int ox = 0, oy = 0;
    XTranslateCoordinates(dpy, win, DefaultRootWindow(dpy), 0, 0, &ox, &oy, &child);
    XWindowAttributes wa{};
    XGetWindowAttributes(dpy, win, &wa);
    *base_x = ox - wa.x;
    *base_y = oy - wa.y;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    XQueryPointer(dpy, win, &root, &child, &rx, &ry, &wx, &wy, &mask);
    *px = static_cast<int16_t>(rx - *base_x);
    *py = static_cast<int16_t>(ry - *base_y);
}

}  // namespace

int kx_x11_dispatch(const XEvent* ev) {
    switch (ev->type) {
        case ClientMessage:
            return static_cast<Atom>(ev->xclient.data.l[0]) == kx_x11.wm_delete ? 1 : 0;
        case KeyPress:
            key_press(&ev->xkey);
            break;
        case KeyRelease:
            key_release(&ev->xkey);
            break;
        case ButtonPress:
            button(&ev->xbutton, true);
            break;
        case ButtonRelease:
            button(&ev->xbutton, false);
            break;
        case MotionNotify:
            motion(&ev->xmotion);
            break;
        case ConfigureNotify:
            if (ev->xconfigure.width != kx_app.width || ev->xconfigure.height != kx_app.height)
                kxAppUpdateSize(ev->xconfigure.width, ev->xconfigure.height);
            break;
        default:
            break;
    }
    return 0;
}

int kxAppKeyIsDown(int key) {
    const int index = key_index(key);
    return index >= 0 ? kx_x11.keys[index] : 0;
}

void kxAppLockCursor(int x, int y) {
    Display* dpy = kx_x11_display();
    kx_app.lock_x = x;
    kx_app.lock_y = y;
    kx_app.cursor_locked = 1;
    if (!dpy) return;
    kxAppSetCursor(KX_X11_CURSOR_INVISIBLE);
    int bx = 0, by = 0, px = 0, py = 0;
    pointer_from_base(&bx, &by, &px, &py);
    kxLog("Locking cursor to %d, %d \n", bx + x, by + y);
    if (px != x || py != y) {
        XWarpPointer(dpy, None, RootWindow(dpy, 0), 0, 0, 0, 0, bx + x, by + y);
        XFlush(dpy);
    }
}

void kxAppUnlockCursor() {
    kx_app.cursor_locked = 0;
    kxAppSetCursor(0);
}

void kxAppProcessFrame() {
    Display* dpy = kx_x11_display();
    if (!kx_app.cursor_locked || !dpy) {
        kx_app.OnProcess();
        return;
    }
    int bx = 0, by = 0, px = 0, py = 0;
    pointer_from_base(&bx, &by, &px, &py);
    if (px != kx_app.lock_x || py != kx_app.lock_y) {
        // Re-centre every frame so relative motion is never clipped by the screen edge.
        XWarpPointer(dpy, None, RootWindow(dpy, 0), 0, 0, 0, 0, bx + kx_app.lock_x, by + kx_app.lock_y);
        XFlush(dpy);  // send the warp now, not after the frame is drawn
        if (kx_app.OnMouseLook) kx_app.OnMouseLook(px - kx_app.lock_x, kx_app.lock_y - py);
    }
    kx_app.OnProcess();
}
