// Win32/WGL shell internals shared by its source files: the shell state
// beside kx_app (instance, cursors, key-state table, saved placement, frame
// counter) and the window procedure. Only the shell includes this; game code
// never sees Windows headers. Depends on: windows.h, kx_app.
#pragma once

#include <windows.h>

#include "engine/app/kx_app.h"

enum { KX_WIN32_CURSORS = 5, KX_WIN32_CURSOR_INVISIBLE = 4, KX_WIN32_KEYS = 256 };

// Lifetime: filled by kxAppInit, released by kxAppTerm.
struct kx_win32_t {
    HINSTANCE instance;
    HCURSOR cursors[KX_WIN32_CURSORS];  // arrow, text beam, cross, arrow, invisible
    int keys[KX_WIN32_KEYS];            // indexed by virtual-key code % 256; 1 while held
    WINDOWPLACEMENT placement;          // saved when entering fullscreen, restored when leaving
    DWORD fps_tick;                     // GetTickCount of the last frame-rate publication
    unsigned int frame_counter;         // passes since then
};

extern kx_win32_t kx_win32;

// The shell's handles kept opaquely in kx_app.
inline HWND kx_win32_window() { return reinterpret_cast<HWND>(kx_app.window); }
inline HDC kx_win32_dc() { return static_cast<HDC>(kx_app.device_context); }
inline HGLRC kx_win32_context() { return static_cast<HGLRC>(kx_app.glx_context); }

// The window procedure of class "kxEngine": input into the kx_app slots.
LRESULT CALLBACK kx_win32_window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Load the five cursors (the invisible one is made here) / destroy the made one.
void kx_win32_cursors_create();
void kx_win32_cursors_free();
