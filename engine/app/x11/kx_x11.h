// X11/GLX shell internals shared by its source files: the shell state beside
// kx_app (cursors, key-state table, argv[0] buffer, close atom) and the event
// dispatch. Only the shell includes this; game code never sees X11 headers.
// Depends on: Xlib, GLX, kx_app.
#pragma once

#include <GL/glx.h>
#include <X11/Xlib.h>

#include "engine/app/kx_app.h"

enum { KX_X11_CURSORS = 5, KX_X11_CURSOR_INVISIBLE = 4, KX_X11_KEYS = 256, KX_X11_ARGV0_SIZE = 128 };

// Lifetime: filled by kxAppInit, released by kxAppTerm.
struct kx_x11_t {
    Cursor cursors[KX_X11_CURSORS];  // arrow, text beam, cross, watch, invisible
    int keys[KX_X11_KEYS];           // indexed by X keycode; 1 while held
    char argv0[KX_X11_ARGV0_SIZE];   // argv[0] work buffer (cut to fit for display)
    Atom wm_delete;                  // WM_DELETE_WINDOW, registered when the loop starts
};

extern kx_x11_t kx_x11;

// The shell's handles kept opaquely in kx_app.
inline Display* kx_x11_display() { return static_cast<Display*>(kx_app.display); }
inline Window kx_x11_window() { return static_cast<Window>(kx_app.window); }
inline GLXContext kx_x11_context() { return static_cast<GLXContext>(kx_app.glx_context); }

// Dispatch one event into the callback slots. Returns 1 for a close request.
int kx_x11_dispatch(const XEvent* ev);
// Reset the cursor table (each cursor is made when first shown) / free the made ones.
void kx_x11_cursors_create();
void kx_x11_cursors_free();
