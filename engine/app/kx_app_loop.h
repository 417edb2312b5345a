// The portable half of one kxAppLoop pass, shared by the shells: clock,
// frame counting, frame-rate publication into the title, timers and the
// pointer-hold callback. The shell adds event dispatch, frame processing
// and pacing around it. Depends on: kx_app.
#pragma once

#include <cstddef>
#include <cstdint>

// Frame-rate publication period in milliseconds.
constexpr uint64_t KX_APP_FPS_PERIOD_MS = 500;

// Wall clock in milliseconds (seconds * 1000 + microseconds / 1000).
uint64_t kxAppLoopClockMs();
// Store now in time_ms/time and set dt = 1 (the shell's start-up clock reading).
void kxAppLoopSetClock(uint64_t now);
// Before the first pass: clear the frame counter, take the first publication time.
void kxAppLoopStart(uint64_t now);
// Steps 2-6 of a pass: count the pass, update the clock and dt, publish fps
// (returns 1 when kx_app.title was rewritten and should go to the window),
// advance the timers, OnPointerHold while pressed and not dragging.
int kxAppLoopPassBegin(uint64_t now);
// Count a processed frame once more (an active pass counts twice).
void kxAppLoopCountFrame();
// Write "%dx%d, %d fps" into out (always terminated, cut to size).
void kxAppLoopFormatTitle(char* out, size_t size, int width, int height, int fps);
// Copy a title into kx_app.title, cut to 31 characters.
void kxAppLoopSetTitle(const char* title);
// Milliseconds an idle pass may wait for input before the loop has work of
// its own: 0 when timers or a held pointer need every pass, otherwise the
// time to the next frame-rate publication.
int kxAppLoopIdleWaitMs(uint64_t now);
