// Test fixture: one GLX window and context for drawing tests, plus read-back.
// Depends on Xlib, GLX, kx_render.
#include "tests/support/test_gl_context.h"

#include <GL/gl.h>
#include <GL/glx.h>
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>

#include "engine/render/kx_gl.h"

namespace {

// Lifetime: test_gl_open .. test_gl_close.
struct {
    Display* dpy = nullptr;
    Window win = 0;
    GLXContext ctx = nullptr;
} g;

bool fail(const char* why) {
    std::fprintf(stderr, "test_gl_open: %s\n", why);
    test_gl_close();
    return false;
}

}  // namespace

bool test_gl_open(int w, int h) {
    if (g.ctx != nullptr) return true;
    // An X server without -noreset refuses connections for a moment after its last client left.
    for (int i = 0; i < 100 && (g.dpy = XOpenDisplay(nullptr)) == nullptr; ++i) usleep(30000);
    if (g.dpy == nullptr) return fail("no X display (is DISPLAY set?)");
    int attribs[] = {GLX_RGBA, GLX_RED_SIZE,   8,  GLX_GREEN_SIZE,   8,   GLX_BLUE_SIZE, 8, GLX_ALPHA_SIZE,
                     8,        GLX_DEPTH_SIZE, 16, GLX_DOUBLEBUFFER, None};
    XVisualInfo* vi = glXChooseVisual(g.dpy, DefaultScreen(g.dpy), attribs);
    if (vi == nullptr) return fail("no RGBA visual with depth");
    XSetWindowAttributes swa{};
    swa.colormap = XCreateColormap(g.dpy, RootWindow(g.dpy, vi->screen), vi->visual, AllocNone);
    swa.event_mask = StructureNotifyMask;
    g.win = XCreateWindow(g.dpy, RootWindow(g.dpy, vi->screen), 0, 0, static_cast<unsigned>(w),
                          static_cast<unsigned>(h), 0, vi->depth, InputOutput, vi->visual,
                          CWColormap | CWEventMask, &swa);
    g.ctx = glXCreateContext(g.dpy, vi, nullptr, True);
    XFree(vi);
    if (g.ctx == nullptr) return fail("no GLX context");
    XMapWindow(g.dpy, g.win);
    for (XEvent e{}; e.type != MapNotify;) XNextEvent(g.dpy, &e);  // mapped: its pixels are readable
    glXMakeCurrent(g.dpy, g.win, g.ctx);
    glViewport(0, 0, w, h);
    glkxInit();
    return true;
}

void test_gl_close() {
    if (g.dpy == nullptr) return;
    if (g.ctx != nullptr) {
        glXMakeCurrent(g.dpy, None, nullptr);
        glXDestroyContext(g.dpy, g.ctx);
    }
    XCloseDisplay(g.dpy);  // frees the window and its colormap too
    g = {};
}

void test_gl_read_rgba(int x, int y, int w, int h, uint8_t* out) {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, out);
}

uint32_t test_gl_pixel(int x, int y) {
    uint8_t p[4] = {0, 0, 0, 0};
    test_gl_read_rgba(x, y, 1, 1, p);
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

void test_gl_swap() {
    if (g.dpy != nullptr) glXSwapBuffers(g.dpy, g.win);
}
