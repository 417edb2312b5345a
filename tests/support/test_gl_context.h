// Test fixture: a real GLX context on the test X server ($DISPLAY, Mesa software GL
// in CI) with the engine's GL entry points loaded, and pixel read-back.
// Depends on Xlib, GLX, kx_render (glkxInit).
#pragma once

#include <cstdint>

// Open a w x h double-buffered window with a depth buffer, make its context current
// and run glkxInit. Returns false (and prints why) when there is no display or GL.
// Calling it again while open returns true and keeps the first window.
bool test_gl_open(int w, int h);

// Release the context, window and display. Safe when not open.
void test_gl_close();

// Read a w x h rectangle (origin bottom left) of the bound read framebuffer as RGBA
// bytes, bottom row first, into out (w * h * 4 bytes).
void test_gl_read_rgba(int x, int y, int w, int h, uint8_t* out);

// One pixel of the bound read framebuffer as 0xRRGGBBAA.
uint32_t test_gl_pixel(int x, int y);

// Present the back buffer (for tests that look at the window itself).
void test_gl_swap();
