// Animation timers: one-shot, at most 16 active, kept as pointers in
// kx_app.timers (packed; removal moves the last entry into the hole).
// Depends on: kx_app, kx_log.
#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"

void kxTimerStop(kx_timer_t* t) {
    if (!t || !t->active) return;
    t->active = 0;
    kx_app.timer_count--;
    const unsigned int hole = t->index;
    if (kx_app.timer_count > 0 && hole < kx_app.timer_count) {
        kx_timer_t* last = kx_app.timers[kx_app.timer_count];
        kx_app.timers[hole] = last;
        last->index = hole;
    }
    kx_app.timers[kx_app.timer_count] = nullptr;
}

void kxTimerStart(kx_timer_t* t, uint16_t duration_ms, int id, kx_timer_fn on_progress, kx_timer_fn on_end) {
    if (!t) return;
    if (t->active) kxTimerStop(t);
    if (kx_app.timer_count >= KX_APP_MAX_TIMERS) {
        kxLog("timer %d dropped: table full \n", id);
        return;
    }
    t->on_progress = on_progress;
    t->on_end = on_end;
    t->id = id;
    // A zero duration would divide by zero in the progress computation.
    t->duration = duration_ms ? duration_ms : 1;
    t->start = kx_app.time;
    t->active = 1;
    t->index = kx_app.timer_count;
    kx_app.timers[kx_app.timer_count++] = t;
}

void kxTimerUpdate(kx_timer_t* t) {
    if (!t->active) {
        kxLog("timer %d is off! \n", t->id);
        return;
    }
    const uint16_t elapsed = static_cast<uint16_t>(kx_app.time - t->start);
    const float progress = static_cast<float>(elapsed) / static_cast<float>(t->duration);
    if (progress > 1.0f) {
        if (t->on_end) t->on_end(t->id, 1.0f);
        // A timer restarted from its own on_end is removed again here: one-shot.
        if (t->active) kxTimerStop(t);
    } else if (t->on_progress) {
        t->on_progress(t->id, progress);
    }
}
