// Application core: the kx_app record, its do-nothing defaults, the size and
// GUI-unit rule, and the small input-state services every shell shares.
// Depends on: kx_log, GL (viewport only).
#include "engine/app/kx_app.h"

#include <GL/gl.h>

#include <cstdlib>
#include <cstring>

#include "engine/app/kx_log.h"

kx_app_t kx_app;
int continuous = 0;

namespace {

void nop0() {}
void nop1(int) {}
void nop2(int, int) {}

}  // namespace

void kxAppPointerPress(int x, int y) {
    kx_app.press_x[0] = kx_app.pointer_x[0] = x;
    kx_app.press_y[0] = kx_app.pointer_y[0] = y;
    kx_app.pointer_down[0] = 1;
    kx_app.dragging[0] = 0;
    kx_app.OnPointerDown(x, y);
}

void kxAppPointerMove(int x, int y) {
    if (kx_app.cursor_locked) return;
    kx_app.pointer_x[0] = x;
    kx_app.pointer_y[0] = y;
    kx_app.OnPointerMove(x, y);
    if (kx_app.dragging[0]) {
        kx_app.OnDragMove(x, y);
    } else if (kx_app.pointer_down[0]) {
        const int threshold = static_cast<int>(kx_app.em * 6.0f);
        if (std::abs(x - kx_app.press_x[0]) > threshold || std::abs(y - kx_app.press_y[0]) > threshold) {
            kx_app.dragging[0] = 1;
            kx_app.OnDragStart(kx_app.press_x[0], kx_app.press_y[0]);
        }
    }
}

void kxAppZero() {
    kxLog("%s\n", "kxAppZero...");
    std::memset(&kx_app, 0, sizeof kx_app);
    kx_app.dt = 1;
    kx_app.OnResize = nop2;
    kx_app.OnOrientationChange = nop2;
    kx_app.OnKeyDown = nop2;
    kx_app.OnKeyUp = nop1;
    kx_app.OnChar = nop1;
    kx_app.OnPointerDown = nop2;
    kx_app.OnPointerUp = nop2;
    kx_app.OnPointerMove = nop2;
    kx_app.OnPointerHold = nop2;
    kx_app.OnTap = nop2;
    kx_app.OnDragStart = nop2;
    kx_app.OnDragEnd = nop2;
    kx_app.OnDragMove = nop2;
    kx_app.OnLeftDown = nop2;
    kx_app.OnLeftUp = nop2;
    kx_app.OnRightDown = nop2;
    kx_app.OnRightUp = nop2;
    kx_app.OnMiddleDown = nop2;
    kx_app.OnMiddleUp = nop2;
    kx_app.OnWheelDown = nop2;
    kx_app.OnWheelUp = nop2;
    kx_app.OnMouseMove = nop2;
    kx_app.OnMouseLook = nullptr;  // the game always sets it; the shell checks for null
    kx_app.OnProcess = nop0;
    kx_app.OnInitDisplay = nop0;
    kx_app.OnTerm = nop0;
}

#ifndef _WIN32
// The Windows shell ends its loop through the window's close message instead.
void kxAppQuit() { kx_app.quit = 1; }
#endif

void kxAppUpdateSize(int width, int height) {
    // A zero-sized window (minimised, or a bogus configure) must not divide by zero.
    if (width < 1) width = 1;
    if (height < 1) height = 1;
    kx_app.width = width;
    kx_app.height = height;
    kx_app.aspect = static_cast<float>(width) / static_cast<float>(height);
    glViewport(0, 0, width, height);

    const int small = width < height ? width : height;
    const int large = width < height ? height : width;
    const float ratio = static_cast<float>(large) / static_cast<float>(small);
    const float a = kx_app.screen_class == 1 ? 100.0f : 70.0f;
    const float b = kx_app.screen_class == 1 ? 140.0f : 100.0f;
    // em is a multiple of 0.25 so GUI layouts land on whole quarter pixels.
    if (b / ratio > a)
        kx_app.em = static_cast<float>(static_cast<int>(4.0f * large / b)) * 0.25f;
    else
        kx_app.em = static_cast<float>(static_cast<int>(4.0f * small / a)) * 0.25f;

    const int orientation = height <= width ? 1 : 0;
    kxLog("updating size (%d, %d), em=%.2f, orient=%d \n", width, height, kx_app.em, orientation);
    if (orientation != kx_app.orientation) {
        const int old = kx_app.orientation;
        kx_app.OnOrientationChange(old, orientation);
        kx_app.orientation = orientation;
    }
    if (kx_app.display_ready) kx_app.OnResize(width, height);
    kxLog("%s\n", "Done. ");
}

int kxAppPointerIsDown(int i) {
    if (i < 0 || i >= KX_APP_MAX_POINTERS) return 0;
    return kx_app.pointer_down[i];
}

void kxAppMarkDragging() { kx_app.dragging[0] = 1; }

void kxAppSetContinuous(int on) { continuous = on; }

// Services the desktop shells do not offer: logged, nothing more.
void kxAppNotImplemented() { kxLog("%s\n", "Not implemented !"); }
void kxAppExecUrl(const char* url) { kxLog("NOT IMPLEMENTED: exec url [%s]\n", url ? url : ""); }
void kxAppExec(const char* command) { kxLog("NOT IMPLEMENTED: exec [%s]\n", command ? command : ""); }
void kxAppShare(const char* subject, const char* text, const char* url) {
    kxLog("NOT IMPLEMENTED: share \nsubject: %s\ntext: %s\nurl: %s\n", subject ? subject : "",
          text ? text : "", url ? url : "");
}
void kxAppSleepLock() { kxLog("%s\n", "NOT IMPLEMENTED: Sleep Lock"); }
void kxAppSleepUnlock() { kxLog("%s\n", "NOT IMPLEMENTED: Sleep Unlock"); }
