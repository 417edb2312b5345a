// Win32 shell: the window procedure (keys, characters, buttons, pointer and
// drag, size, focus, close), the key-state table and relative mouse mode.
// Depends on: windows.h, kx_app, kx_log, kx_win32_conv.
#include <cstdlib>

#include "engine/app/kx_log.h"
#include "engine/app/win32/kx_win32.h"
#include "engine/app/win32/kx_win32_conv.h"

namespace {

void left_down(HWND hwnd, int x, int y) {
    SetCapture(hwnd);
    kxAppPointerPress(x, y);
}

void left_up(int x, int y) {
    ReleaseCapture();
    kx_app.pointer_down[0] = 0;
    if (kx_app.dragging[0])
        kx_app.OnDragEnd(kx_app.pointer_x[0], kx_app.pointer_y[0]);
    else
        kx_app.OnTap(x, y);
    kx_app.dragging[0] = 0;
    kx_app.OnPointerUp(x, y);
}

// The window rectangle's top-left corner (frame included): the base point of relative mouse mode.
POINT lock_base() {
    RECT r{};
    GetWindowRect(kx_win32_window(), &r);
    return POINT{r.left, r.top};
}

}  // namespace

LRESULT CALLBACK kx_win32_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const int x = static_cast<short>(LOWORD(lp));
    const int y = static_cast<short>(HIWORD(lp));
    switch (msg) {
        case WM_KEYDOWN:
            kx_win32.keys[wp % KX_WIN32_KEYS] = 1;
            // Bit 30: the key was already down, i.e. an auto-repeat.
            kx_app.OnKeyDown(static_cast<int>(wp), (lp & (1L << 30)) ? 0 : 1);
            return 0;
        case WM_KEYUP:
            kx_win32.keys[wp % KX_WIN32_KEYS] = 0;
            kx_app.OnKeyUp(static_cast<int>(wp));
            return 0;
        case WM_CHAR: {
            // The window is a Unicode one: the game's text is Windows-1251.
            const int c = kx_win32_conv_cp1251(static_cast<unsigned int>(wp));
            if (c != 0) kx_app.OnChar(c);
            return 0;
        }
        case WM_LBUTTONDOWN:
            left_down(hwnd, x, y);
            return 0;
        case WM_LBUTTONUP:
            left_up(x, y);
            return 0;
        case WM_MOUSEMOVE:
            kxAppPointerMove(x, y);
            return 0;
        case WM_RBUTTONDOWN:
            SetCapture(hwnd);
            kx_app.OnRightDown(x, y);
            return 0;
        case WM_RBUTTONUP:
            kx_app.OnRightUp(x, y);
            ReleaseCapture();
            return 0;
        case WM_MBUTTONDOWN:
            SetCapture(hwnd);
            kx_app.OnMiddleDown(x, y);
            return 0;
        case WM_MBUTTONUP:
            kx_app.OnMiddleUp(x, y);
            ReleaseCapture();
            return 0;
        case WM_SIZE:
            // A minimised window reports 0 x 0: the game keeps its last size
            // (and its framebuffers) until the window is restored.
            if (wp != SIZE_MINIMIZED && LOWORD(lp) > 0 && HIWORD(lp) > 0) kxAppUpdateSize(LOWORD(lp), HIWORD(lp));
            return 0;
        case WM_KILLFOCUS:
            if (kx_app.fullscreen) ShowWindow(hwnd, SW_MINIMIZE);
            return 0;
        case WM_CLOSE:
            PostQuitMessage(0);
            return 0;
        case WM_CREATE:
            return 0;
        default:
            return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

int kxAppKeyIsDown(int key) { return kx_win32.keys[static_cast<unsigned int>(key) % KX_WIN32_KEYS]; }

void kxAppLockCursor(int x, int y) {
    kx_app.lock_x = x;
    kx_app.lock_y = y;
    kx_app.cursor_locked = 1;
    if (!kx_app.window) return;
    kxAppSetCursor(KX_WIN32_CURSOR_INVISIBLE);
    const POINT base = lock_base();
    POINT p{};
    GetCursorPos(&p);
    if (p.x != base.x + x || p.y != base.y + y) SetCursorPos(base.x + x, base.y + y);
}

void kxAppUnlockCursor() {
    kx_app.cursor_locked = 0;
    kxAppSetCursor(0);
}

void kxAppProcessFrame() {
    // Pulling the cursor back while another window is active would take the
    // mouse away from the player; look only while this window has the focus.
    if (!kx_app.cursor_locked || GetForegroundWindow() != kx_win32_window()) {
        kx_app.OnProcess();
        return;
    }
    const POINT base = lock_base();
    POINT p{};
    GetCursorPos(&p);
    const int px = p.x - base.x, py = p.y - base.y;
    if (px != kx_app.lock_x || py != kx_app.lock_y) {
        SetCursorPos(base.x + kx_app.lock_x, base.y + kx_app.lock_y);
        if (kx_app.OnMouseLook) kx_app.OnMouseLook(px - kx_app.lock_x, kx_app.lock_y - py);
    }
    kx_app.OnProcess();
}
