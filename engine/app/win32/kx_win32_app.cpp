// Win32/WGL shell: start-up (log, assets folder, window, pixel format, WGL
// context, GL probe, engine shaders), the main loop, teardown, and the small
// services (sleep, message box, vertical sync, quit).
// Depends on: Win32 (USER32, GDI32, KERNEL32), WGL, kx_app, kx_app_loop,
// kx_log, kx_glcheck, kx_render (loader and shaders), kx_win32_conv.
#include <GL/gl.h>

#include <cstdio>

#include "engine/app/kx_app_loop.h"
#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"
#include "engine/app/win32/kx_win32.h"
#include "engine/app/win32/kx_win32_conv.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_sh.h"

#ifndef GL_MAX_SAMPLES
#define GL_MAX_SAMPLES 0x8D57
#endif

kx_win32_t kx_win32;

namespace {

uint64_t clock_ms() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return kx_win32_conv_clock_ms(static_cast<uint64_t>(counter.QuadPart),
                                  static_cast<uint64_t>(frequency.QuadPart));
}

// Without a pixel format or a context every GL call would fail (or call a null
// entry point), so start-up stops here and main exits with status 1.
int fail(const char* text) {
    kxLog("%s\n", text);
    kxAppMessage(text);
    return 0;
}

void log_multisample() {
    if (!kx_gl_has_extension(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), "GL_ARB_multisample")) {
        kxLog("%s\n", "MSAA is NOT supported");
        return;
    }
    GLint samples = 0, max_samples = 0, buffers = 0;
    glGetIntegerv(GL_SAMPLES, &samples);
    glGetIntegerv(GL_MAX_SAMPLES, &max_samples);
    glGetIntegerv(GL_SAMPLE_BUFFERS, &buffers);
    kxLog("%s\n", "MSAA is SUPPORTED ");
    kxLog("Samples: %d \n", samples);
    kxLog("Max Samples: %d\n", max_samples);
    kxLog("Sample buffers: %d \n", buffers);
}

void register_class() {
    WNDCLASSW wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = kx_win32_window_proc;
    wc.hInstance = kx_win32.instance;
    wc.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"kxEngine";
    if (!RegisterClassW(&wc)) MessageBeep(0);
}

// Pixel format and WGL context on the window's device context; 0 on failure.
int create_context(HDC dc) {
    kxLog("%s\n", "Initializing OpenGL: ");
    kxLog("%s\n", "Auto pixel format");
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 24;
    pfd.cDepthBits = 16;
    pfd.iLayerType = PFD_MAIN_PLANE;
    const int format = ChoosePixelFormat(dc, &pfd);
    if (format == 0 || !SetPixelFormat(dc, format, &pfd)) return fail("Can't set a pixel format for OpenGL");
    HGLRC rc = wglCreateContext(dc);
    if (!rc) return fail("Can't create OpenGL context");
    kx_app.glx_context = rc;
    if (!wglMakeCurrent(dc, rc)) return fail("Can't make the OpenGL context current");
    return 1;
}

}  // namespace

int kxAppInit(int, char**, const char* title) {
    kxLogOpen();
    kx_app.time = 0;
    // The assets sit under the start directory; without them the first asset load fails.
    SetCurrentDirectoryA("assets");
    kxAppLoopSetClock(clock_ms());
    kxAppLoopSetTitle(title);

    kx_win32.instance = GetModuleHandleW(nullptr);
    register_class();
    HWND hwnd = CreateWindowExW(0, L"kxEngine", L"Engine", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                800, 480, nullptr, nullptr, kx_win32.instance, nullptr);
    if (!hwnd) return fail("Can't create the window");
    kx_app.window = reinterpret_cast<uintptr_t>(hwnd);
    ShowWindow(hwnd, SW_SHOW);
    kx_app.width = 800;
    kx_app.height = 480;
    kx_app.device_context = GetDC(hwnd);
    kx_win32_cursors_create();

    if (!create_context(kx_win32_dc())) return 0;
    glViewport(0, 0, kx_app.width, kx_app.height);
    kx_app.orientation = 0;
    kx_app.screen_class = 1;
    glClearColor(0.0f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    kxLog("%s\n", "");

    kxLog("%s\n", "--- glkxInit ---");
    glkxInit();
    kxCheckGlError("glkx init overall");
    if (kx_gl_wgl.swap_control) kxAppSetVSync(1);
    kxLog("%s\n", "--- shader init ---");
    kx_sh_init();
    kxCheckGlError("shader init");
    log_multisample();

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_ALPHA_TEST);

    SetWindowPos(hwnd, HWND_NOTOPMOST, 20, 20, 960, 640, SWP_SHOWWINDOW);
    RECT client{};
    GetClientRect(hwnd, &client);
    kxAppUpdateSize(client.right - client.left, client.bottom - client.top);
    kx_app.display_ready = 1;
    kxAppUpdateSize(kx_app.width, kx_app.height);
    kx_app.OnInitDisplay();
    return 1;
}

void kxAppLoop() {
    HWND hwnd = kx_win32_window();
    if (!hwnd || !kx_app.glx_context) return;  // start-up failed: nothing to run
    kxLog("%s\n", "starting WHILE loop");
    kx_app.quit = 0;
    kx_win32.fps_tick = GetTickCount();
    kx_win32.frame_counter = 0;

    bool running = true;
    while (running && !kx_app.quit) {
        const uint64_t now = clock_ms();
        kx_app.dt = static_cast<uint16_t>(static_cast<uint16_t>(now) - kx_app.time);
        kx_app.time_ms = now;
        kx_app.time = static_cast<uint16_t>(now);

        const DWORD tick = GetTickCount();
        if (tick - kx_win32.fps_tick > 1000) {
            kx_app.fps = static_cast<float>(kx_win32.frame_counter);
            std::snprintf(kx_app.title, sizeof kx_app.title, "%u fps", kx_win32.frame_counter);
            SetWindowTextA(hwnd, kx_app.title);
            kx_win32.frame_counter = 1;
            kx_win32.fps_tick = tick;
        } else {
            kx_win32.frame_counter++;
        }

        // timer_count is read afresh: a timer removed during the walk is
        // replaced in its slot by the last one, which waits for the next pass.
        for (unsigned int i = 0; i < kx_app.timer_count; i++) kxTimerUpdate(kx_app.timers[i]);

        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                kxLog("%s\n", "bQuit = TRUE");
                running = false;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        kxAppProcessFrame();
    }
}

void kxAppTerm() {
    HWND hwnd = kx_win32_window();
    // The game frees its GL objects while its context is still current.
    if (kx_app.display_ready) {
        kx_app.OnTerm();
        kx_sh_term();
    }
    if (hwnd) SetClassLongPtrW(hwnd, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(LoadCursor(nullptr, IDC_ARROW)));
    kx_win32_cursors_free();
    if (kx_app.glx_context) {
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(kx_win32_context());
        kx_app.glx_context = nullptr;
    }
    if (hwnd) {
        if (kx_app.device_context) ReleaseDC(hwnd, kx_win32_dc());
        DestroyWindow(hwnd);
    }
    kx_app.device_context = nullptr;
    kx_app.window = 0;
    kx_app.display_ready = 0;
    kxLog("kxAppTerm:  \n");
    kxLogClose();
}

void kxAppQuit() {
    kxLog("%s\n", "sending QUIT message");
    HWND hwnd = kx_win32_window();
    if (hwnd)
        SendMessageW(hwnd, WM_CLOSE, 0, 0);
    else
        kx_app.quit = 1;
}

void kxAppSwapBuffers() {
    if (kx_app.device_context) SwapBuffers(kx_win32_dc());
}

void kxAppSleep(int ms) {
    if (ms > 0) Sleep(static_cast<DWORD>(ms));
}

void kxAppSetVSync(int on) {
    if (kx_gl_wgl.swap_control && kx_gl_wgl.swap_interval) kx_gl_wgl.swap_interval(on ? 1 : 0);
}

void kxAppMessage(const char* text) {
    // Logged too: the box is gone once closed, the log stays.
    kxLog("\n\n[Message: %s]\n\n", text ? text : "");
    MessageBoxA(kx_win32_window(), text ? text : "", "", MB_OK | MB_ICONEXCLAMATION);
}

void kxAppSetOrientation(int) { kxLog("set orientation: not implemented in Win32 port \n"); }
