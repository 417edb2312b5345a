// Text layout speed: a long wrapped paragraph and a short label, laid out into vertex
// arrays (the work done whenever a GUI text changes), without the GL upload.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/gui/kx_font.h"
#include "engine/gui/kx_text_layout.h"

namespace {

kx_font_t bench_font() {
    kx_font_t f{};
    f.scale = 1.6f;
    f.size = 56;
    for (int c = 0; c < 256; c++) {
        f.advance[c] = 20.0f + static_cast<float>(c % 13);
        const float g[8] = {1, -40, 18, 10, c / 256.0f, 0, (c + 1) / 256.0f, 1};
        for (int k = 0; k < 8; k++) f.glyph[c][k] = g[k];
    }
    return f;
}

std::string paragraph(size_t bytes) {
    const std::string words[] = {"Ironvale ",  "the ", "bots ",    "walk ", "waypoints\n", "and ",
                                 "shoot\tat ", "the ", "player, ", "who ",  "respawns. "};
    std::string s;
    for (size_t i = 0; s.size() < bytes; i++) s += words[i % 11];
    s.resize(bytes);
    return s;
}

void BM_LayoutParagraph(benchmark::State& state) {
    const kx_font_t font = bench_font();
    const std::string text = paragraph(static_cast<size_t>(state.range(0)));
    std::vector<float> out(text.size() * KX_TEXT_FLOATS_PER_BYTE);
    for (auto _ : state) {
        kx_text_layout_t r = kx_text_layout(&font, text.data(), text.size(), 0, 1.0f, 600.0f, out.data());
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_LayoutParagraph)->Arg(80)->Arg(2000)->Arg(20000);

void BM_LayoutCentredLabel(benchmark::State& state) {
    const kx_font_t font = bench_font();
    std::vector<float> out(16 * KX_TEXT_FLOATS_PER_BYTE);
    for (auto _ : state) {
        kx_text_layout_t r = kx_text_layout(&font, "Player 12", 9, 2, 1.0f, 0.0f, out.data());
        benchmark::DoNotOptimize(r);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_LayoutCentredLabel);

}  // namespace

BENCHMARK_MAIN();
