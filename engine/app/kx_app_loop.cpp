// Portable half of the main-loop pass: clock, fps publication, timers,
// pointer hold. Depends on: kx_app.
#include "engine/app/kx_app_loop.h"

#include <sys/time.h>

#include <cstdio>

#include "engine/app/kx_app.h"

namespace {

// Lifetime: reset by kxAppLoopStart for each loop run.
unsigned int frame_counter = 0;
uint64_t last_publication = 0;

}  // namespace

uint64_t kxAppLoopClockMs() {
    timeval tv{};
    gettimeofday(&tv, nullptr);
    return static_cast<uint64_t>(tv.tv_sec) * 1000u + static_cast<uint64_t>(tv.tv_usec) / 1000u;
}

void kxAppLoopSetClock(uint64_t now) {
    kx_app.time_ms = now;
    kx_app.time = static_cast<uint16_t>(now);
    kx_app.dt = 1;
}

void kxAppLoopStart(uint64_t now) {
    frame_counter = 0;
    last_publication = now;
}

void kxAppLoopFormatTitle(char* out, size_t size, int width, int height, int fps) {
    if (!out || size == 0) return;
    std::snprintf(out, size, "%dx%d, %d fps", width, height, fps);
}

void kxAppLoopSetTitle(const char* title) {
    std::snprintf(kx_app.title, sizeof kx_app.title, "%s", title ? title : "");
}

int kxAppLoopPassBegin(uint64_t now) {
    frame_counter++;
    kx_app.dt = static_cast<uint16_t>(static_cast<uint16_t>(now) - kx_app.time);
    kx_app.time_ms = now;
    kx_app.time = static_cast<uint16_t>(now);

    int published = 0;
    if (now > last_publication + KX_APP_FPS_PERIOD_MS) {
        kx_app.fps = static_cast<float>(frame_counter);
        kxAppLoopFormatTitle(kx_app.title, sizeof kx_app.title, kx_app.width, kx_app.height,
                             static_cast<int>(kx_app.fps));
        frame_counter = 0;
        last_publication = now;
        published = 1;
    }

    // timer_count is read afresh: a timer removed during the walk is replaced
    // in its slot by the last one, which then waits for the next pass.
    for (unsigned int i = 0; i < kx_app.timer_count; i++) kxTimerUpdate(kx_app.timers[i]);

    if (kx_app.pointer_down[0] && !kx_app.dragging[0])
        kx_app.OnPointerHold(kx_app.press_x[0], kx_app.press_y[0]);
    return published;
}

void kxAppLoopCountFrame() { frame_counter++; }

int kxAppLoopIdleWaitMs(uint64_t now) {
    if (kx_app.timer_count > 0 || kx_app.pointer_down[0]) return 0;
    const uint64_t due = last_publication + KX_APP_FPS_PERIOD_MS + 1;
    if (now >= due) return 0;
    return static_cast<int>(due - now);
}
