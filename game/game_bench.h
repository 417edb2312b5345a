// The --benchmark measurement: per-frame wall time and the CPU time of the
// simulation, drawing and swap phases, summarised as one JSON object.
// Depends on nothing but the C library.
#pragma once

#include <cstddef>

enum { GAME_BENCH_MAX_FRAMES = 200000 };

struct game_bench_summary_t {
    int frames;
    double seconds;                          // wall time measured
    double fps_median, fps_mean, fps_low1;   // 1%-low: from the mean of the slowest 1% of frames
    double sim_ms, draw_ms, swap_ms;         // CPU ms per frame
};

// Forget every frame.
void game_bench_reset();
// Record one frame: its wall time and the CPU time of each phase (ms). Frames past the capacity are dropped.
void game_bench_frame(double frame_ms, double sim_ms, double draw_ms, double swap_ms);
// Frames recorded.
int game_bench_frames();
// Summarise what was recorded.
game_bench_summary_t game_bench_summary();
// Memory at the end of a run, in MiB. Peak RSS counts the GL driver's shared code
// (software GL maps tens of MiB of LLVM); private is what this process alone holds.
struct game_bench_memory_t {
    double peak_rss_mb;
    double private_mb;
};

// One JSON object (no newline) with the summary, the memory figures and bots alive. Returns its length.
int game_bench_json(const game_bench_summary_t* s, const game_bench_memory_t* mem, int bots_alive, char* buf,
                    size_t cap);
