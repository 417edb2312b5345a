// Win32 shell: the cursor table and fullscreen (bare popup style, maximised,
// with the windowed placement saved and restored). Depends on: windows.h, kx_app, kx_log.
#include "engine/app/kx_log.h"
#include "engine/app/win32/kx_win32.h"

void kx_win32_cursors_create() {
    kx_win32.cursors[0] = LoadCursor(nullptr, IDC_ARROW);
    kx_win32.cursors[1] = LoadCursor(nullptr, IDC_IBEAM);
    kx_win32.cursors[2] = LoadCursor(nullptr, IDC_CROSS);
    kx_win32.cursors[3] = LoadCursor(nullptr, IDC_ARROW);
    // Invisible: 1 x 1, AND mask all ones (keep the screen), XOR mask zero.
    // Monochrome rows are padded to 16 bits.
    static const BYTE and_mask[2] = {0xFF, 0xFF};
    static const BYTE xor_mask[2] = {0x00, 0x00};
    kx_win32.cursors[KX_WIN32_CURSOR_INVISIBLE] = CreateCursor(kx_win32.instance, 0, 0, 1, 1, and_mask, xor_mask);
}

void kx_win32_cursors_free() {
    HCURSOR& invisible = kx_win32.cursors[KX_WIN32_CURSOR_INVISIBLE];
    if (invisible) DestroyCursor(invisible);
    invisible = nullptr;
}

void kxAppSetCursor(int index) {
    HWND hwnd = kx_win32_window();
    if (!hwnd || index < 0 || index >= KX_WIN32_CURSORS) return;
    kxLog("cursor is set to %d \n", index);
    SetClassLongPtrW(hwnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(kx_win32.cursors[index]));
    // The class cursor shows from the next pointer move; show it now as well.
    SetCursor(kx_win32.cursors[index]);
}

void kxAppSetFullscreen(int on) {
    HWND hwnd = kx_win32_window();
    if (!hwnd || on == kx_app.fullscreen) return;
    if (on) {
        kxLog("%s\n", "WIN -> FULLSCREEN");
        kx_win32.placement.length = sizeof kx_win32.placement;
        GetWindowPlacement(hwnd, &kx_win32.placement);
        SetWindowLongPtrW(hwnd, GWL_STYLE, WS_POPUP | WS_VISIBLE);
        ShowWindow(hwnd, SW_MAXIMIZE);
    } else {
        kxLog("%s\n", "FULLSCREEN -> WIN");
        SetWindowLongPtrW(hwnd, GWL_STYLE, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
        SetWindowPlacement(hwnd, &kx_win32.placement);
        SetWindowPos(hwnd, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_FRAMECHANGED);
        ShowWindow(hwnd, SW_SHOWNORMAL);
    }
    kx_app.fullscreen = on;
}

void kxAppSetWindowSize(int width, int height) {
    HWND hwnd = kx_win32_window();
    if (!hwnd || width <= 0 || height <= 0) return;
    // The size asked for is the drawable (client) area; the frame comes on top.
    RECT r{0, 0, width, height};
    AdjustWindowRect(&r, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE);
    SetWindowPos(hwnd, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER);
}
