// Benchmark statistics (see game_bench.h).
#include "game/game_bench.h"

#include <algorithm>
#include <cstdio>

namespace {
float frame_ms_of[GAME_BENCH_MAX_FRAMES];
int count = 0;
double total_ms = 0, sim_total = 0, draw_total = 0, swap_total = 0;
}  // namespace

void game_bench_reset() { count = 0, total_ms = sim_total = draw_total = swap_total = 0; }

void game_bench_frame(double frame_ms, double sim_ms, double draw_ms, double swap_ms) {
    if (count >= GAME_BENCH_MAX_FRAMES) return;
    frame_ms_of[count++] = static_cast<float>(frame_ms);
    total_ms += frame_ms;
    sim_total += sim_ms;
    draw_total += draw_ms;
    swap_total += swap_ms;
}

int game_bench_frames() { return count; }

game_bench_summary_t game_bench_summary() {
    game_bench_summary_t s{};
    s.frames = count;
    s.seconds = total_ms / 1000.0;
    if (count == 0) return s;
    static float sorted[GAME_BENCH_MAX_FRAMES];
    std::copy(frame_ms_of, frame_ms_of + count, sorted);
    std::sort(sorted, sorted + count);
    const double median = count % 2 ? sorted[count / 2] : 0.5 * (sorted[count / 2 - 1] + sorted[count / 2]);
    const int slow = std::max(1, count / 100);
    double slow_ms = 0;
    for (int i = count - slow; i < count; i++) slow_ms += sorted[i];
    slow_ms /= slow;
    s.fps_median = median > 0 ? 1000.0 / median : 0;
    s.fps_mean = total_ms > 0 ? count * 1000.0 / total_ms : 0;
    s.fps_low1 = slow_ms > 0 ? 1000.0 / slow_ms : 0;
    s.sim_ms = sim_total / count;
    s.draw_ms = draw_total / count;
    s.swap_ms = swap_total / count;
    return s;
}

int game_bench_json(const game_bench_summary_t* s, const game_bench_memory_t* mem, int bots_alive, char* buf,
                    size_t cap) {
    const int n = std::snprintf(buf, cap,
                                "{\"frames\": %d, \"seconds\": %.3f, \"fps_median\": %.1f, \"fps_mean\": %.1f, "
                                "\"fps_1pct_low\": %.1f, \"cpu_ms_per_frame\": {\"simulation\": %.3f, "
                                "\"drawing\": %.3f, \"swap\": %.3f}, \"peak_rss_mb\": %.1f, \"private_mb\": %.1f, "
                                "\"bots_alive\": %d}",
                                s->frames, s->seconds, s->fps_median, s->fps_mean, s->fps_low1, s->sim_ms,
                                s->draw_ms, s->swap_ms, mem->peak_rss_mb, mem->private_mb, bots_alive);
    return n < 0 ? 0 : (static_cast<size_t>(n) < cap ? n : static_cast<int>(cap) - 1);
}
