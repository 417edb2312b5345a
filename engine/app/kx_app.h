// Application core: the one kx_app record (clock, window size, GUI unit em,
// pointer state, callback slots, timer table), the animation timers, the
// one-byte signal flags a worker thread raises for the main thread, and the
// per-shell key constants. The game fills the callback slots; a platform
// shell (engine/app/x11, engine/app/win32) calls them.
// Depends on: kx_log. No window-system header is included here on purpose:
// game code includes this file and must stay free of X11/Windows headers.
#pragma once

#include <cstdint>

// ---- timers -------------------------------------------------------------

typedef void (*kx_timer_fn)(int id, float t);

// A one-shot animation timer. Owned by its user (usually a static record);
// the core only keeps a pointer while it is active.
struct kx_timer_t {
    kx_timer_fn on_progress;  // each pass with t in [0, 1], or null
    kx_timer_fn on_end;       // once with t = 1.0 when the timer runs out
    uint16_t start;           // kx_app.time at start
    uint16_t duration;        // milliseconds, at least 1
    unsigned int index;       // position in kx_app.timers while active
    int id;                   // caller's value handed back to both callbacks
    int active;               // 1 while in the table
};

enum { KX_APP_MAX_TIMERS = 16, KX_APP_MAX_POINTERS = 10, KX_APP_TITLE_SIZE = 32 };

// ---- the application record ---------------------------------------------

// Lifetime: static; cleared by kxAppZero, filled by the shell in kxAppInit,
// released by kxAppTerm. Main thread only.
struct kx_app_t {
    uint16_t time;                  // wall clock in ms, low 16 bits (wraps every 65 536 ms)
    uint64_t time_ms;               // wall clock in ms
    uint16_t dt;                    // ms since the previous pass (16-bit wrapping); 1 before the first
    int cursor_locked;              // 1 while relative mouse mode is on
    int lock_x, lock_y;             // window point the cursor is held at while locked
    float fps;                      // last published frame count
    char title[KX_APP_TITLE_SIZE];  // window title, rewritten with the frame rate

    // The shell's own handles, opaque here. X11: Display*, Window, GLXContext.
    // Win32: null, HWND, HGLRC, and the window's HDC. uintptr_t holds an X
    // Window and a 64-bit HWND alike.
    void* display;
    uintptr_t window;
    void* glx_context;
    void* device_context;

    int quit;  // when set, the loop ends at the top of its next pass

    // Callback slots. Coordinates are window pixels; "top" = raw window y,
    // "bottom" = height - y.
    void (*OnResize)(int width, int height);
    void (*OnOrientationChange)(int old_orientation, int new_orientation);
    void (*OnKeyDown)(int key, int first);
    void (*OnKeyUp)(int key);
    void (*OnChar)(int ch);               // 1..255
    void (*OnPointerDown)(int x, int y);  // from top
    void (*OnPointerUp)(int x, int y);    // from top
    void (*OnPointerMove)(int x, int y);  // from top, while not locked
    void (*OnPointerHold)(int x, int y);  // press point, each pass while pressed and not dragging
    void (*OnTap)(int x, int y);          // press point
    void (*OnDragStart)(int x, int y);    // press point
    void (*OnDragEnd)(int x, int y);      // current point
    void (*OnDragMove)(int x, int y);     // from top
    void (*OnLeftDown)(int x, int y);     // from bottom (all button/wheel/move slots below)
    void (*OnLeftUp)(int x, int y);
    void (*OnRightDown)(int x, int y);
    void (*OnRightUp)(int x, int y);
    void (*OnMiddleDown)(int x, int y);
    void (*OnMiddleUp)(int x, int y);
    void (*OnWheelDown)(int x, int y);
    void (*OnWheelUp)(int x, int y);
    void (*OnMouseMove)(int x, int y);
    void (*OnMouseLook)(int dx, int dy);  // null until the game sets it; right and up positive
    void (*OnProcess)();                  // the frame

    int fullscreen;     // 1 while fullscreen
    int display_ready;  // set just before OnInitDisplay; until then no OnResize
    float em;           // GUI unit in pixels, a multiple of 0.25
    int orientation;    // 1 when height <= width
    int screen_class;   // 1 in the desktop shells; selects the em divisors
    int width, height;  // drawable size in pixels
    float aspect;       // width / height
    int pointer_x[KX_APP_MAX_POINTERS], pointer_y[KX_APP_MAX_POINTERS];  // last position, from top
    int press_x[KX_APP_MAX_POINTERS], press_y[KX_APP_MAX_POINTERS];      // where the press began
    int dragging[KX_APP_MAX_POINTERS];                                   // 1 once the press has become a drag
    int pointer_down[KX_APP_MAX_POINTERS];                               // 1 while pressed

    void (*OnInitDisplay)();  // once, at the end of kxAppInit
    void (*OnTerm)();         // once, early in kxAppTerm

    kx_timer_t* timers[KX_APP_MAX_TIMERS];  // active timers, packed from 0
    unsigned int timer_count;
};

extern kx_app_t kx_app;

// When nonzero every loop pass draws a frame even without input.
extern int continuous;

// ---- signal flags -------------------------------------------------------

// One byte per flag. The worker thread only sets; the main thread takes.
// Lifetime: kxFlagsCreate .. kxFlagsFree.
struct kx_flags_t {
    unsigned char* flags;  // heap array of count bytes
    int count;
    int any;  // 1 after any flag was raised
};

extern kx_flags_t kx_flags;

// ---- key constants (the shell's native codes) ---------------------------

// One row per key: the Win32 virtual-key code, then the X11 keysym.
#define KX_KEY_TABLE(X)                                                                         \
    X(TAB, 9, 65289) X(RETURN, 13, 65293) X(ESCAPE, 27, 65307)                                  \
    X(LEFT, 37, 65361) X(UP, 38, 65362) X(RIGHT, 39, 65363) X(DOWN, 40, 65364)                  \
    X(END, 35, 65367) X(DELETE, 46, 65535) X(KP0, 96, 65456) X(KP1, 97, 65457) X(KP2, 98, 65458) \
    X(SHIFT_L, 16, 65505) X(SHIFT_R, 16, 65506) X(CONTROL, 17, 65507)                           \
    X(F2, 113, 65471) X(F3, 114, 65472) X(F4, 115, 65473) X(F6, 117, 65475) X(F7, 118, 65476)   \
    X(F11, 122, 65480)
#ifdef _WIN32
#define KX_KEY_LETTER(c) ((int)((c) >= 'a' && (c) <= 'z' ? (c)-32 : (c)))
#define KX_KEY_DEFINE(name, win32, x11) constexpr int KX_KEY_##name = win32;
#else
#define KX_KEY_LETTER(c) ((int)((c) >= 'A' && (c) <= 'Z' ? (c) + 32 : (c)))
#define KX_KEY_DEFINE(name, win32, x11) constexpr int KX_KEY_##name = x11;
#endif
KX_KEY_TABLE(KX_KEY_DEFINE)
#undef KX_KEY_DEFINE
// Digits and Space are ASCII in every shell.
constexpr int KX_KEY_SPACE = 32;
#define KX_KEY_DIGIT(d) ((int)('0' + (d)))

// ---- lifecycle (core) ---------------------------------------------------

// Log "kxAppZero...", clear kx_app, give every slot a do-nothing default
// (OnMouseLook stays null).
void kxAppZero();
// End the loop: X11 sets quit (the loop ends at the top of its next pass);
// Win32 logs "sending QUIT message" and sends the window a close message.
void kxAppQuit();
// Store a new drawable size, set the viewport, recompute aspect, em and
// orientation; OnOrientationChange on a change; OnResize once display_ready.
void kxAppUpdateSize(int width, int height);
// The shells' left-button press at (x, y): press and pointer 0 there, pressed, not
// dragging, then OnPointerDown.
void kxAppPointerPress(int x, int y);
// The shells' pointer move to (x, y): pointer 0 there, OnPointerMove, then OnDragMove
// while dragging, or OnDragStart at the press point once a press has moved more than
// trunc(6 em) pixels on either axis. Ignored while the cursor is locked.
void kxAppPointerMove(int x, int y);
// 1 while pointer i (0..9) is pressed; 0 for an index out of range.
int kxAppPointerIsDown(int i);
// Force the current press into the dragging state (ends in OnDragEnd, no OnDragStart).
void kxAppMarkDragging();
// Set `continuous`.
void kxAppSetContinuous(int on);

// ---- lifecycle (shell) --------------------------------------------------

// Open the log, find the program directory, open the window and GL context,
// probe GL, build the engine shaders, call OnInitDisplay.
// Returns 1 on success, 0 when no window could be made (logged; the caller
// should still call kxAppTerm and exit with status 1).
int kxAppInit(int argc, char** argv, const char* title);
// Run passes until quit is set or the window is closed; returns at once without a window.
void kxAppLoop();
// Close the log, OnTerm, release shaders, context, window and display. Safe without a window.
void kxAppTerm();
// Relative-mouse step (OnMouseLook) then OnProcess; called by the loop.
void kxAppProcessFrame();
// Sleep ms milliseconds.
void kxAppSleep(int ms);
// Ask for vertical sync (does nothing on X11; Win32: when the driver has swap control).
void kxAppSetVSync(int on);
// Tell the user something important (X11: logs it; Win32: a message box).
void kxAppMessage(const char* text);
// 1 while the key (native code) is held.
int kxAppKeyIsDown(int key);
// Enter relative mouse mode, holding the pointer at window point (x, y).
void kxAppLockCursor(int x, int y);
// Leave relative mouse mode and show the arrow cursor.
void kxAppUnlockCursor();
// Show cursor index 0..4 (arrow, text beam, cross, watch, invisible); others ignored.
void kxAppSetCursor(int index);
// Enter (1) or leave (0) fullscreen; nothing when already in that state.
void kxAppSetFullscreen(int on);
// Ask for a window of width x height pixels; the new size arrives as a resize (OnResize).
void kxAppSetWindowSize(int width, int height);
// Present the back buffer.
void kxAppSwapBuffers();

// Services without a desktop meaning; each logs that it is not implemented.
void kxAppSetOrientation(int orientation);
void kxAppNotImplemented();
void kxAppExecUrl(const char* url);
void kxAppExec(const char* command);
void kxAppShare(const char* subject, const char* text, const char* url);
void kxAppSleepLock();
void kxAppSleepUnlock();

// ---- timers ---------------------------------------------------------------

// Start (or restart, moving it to the end of the table) a one-shot timer.
// duration_ms 0 is taken as 1. When 16 timers are already active the timer
// is dropped (logged, t->active stays 0).
void kxTimerStart(kx_timer_t* t, uint16_t duration_ms, int id, kx_timer_fn on_progress, kx_timer_fn on_end);
// Advance one timer: on_progress(id, t) or, once past its end, on_end(id, 1.0) and removal.
void kxTimerUpdate(kx_timer_t* t);
// Remove an active timer from the table (the last one moves into its slot).
void kxTimerStop(kx_timer_t* t);

// ---- signal flags ---------------------------------------------------------

// Allocate count flags, all 0. Returns 1, or 0 when allocation fails.
int kxFlagsCreate(int count);
// Release the flags.
void kxFlagsFree();
// Raise flag i (any thread). Out-of-range indices are ignored.
void kxFlagsSet(int i);
// Return flag i and clear it (main thread). Out of range: 0.
int kxFlagsTake(int i);
