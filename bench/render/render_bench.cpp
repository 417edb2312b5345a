// Load times: the largest model a .rawmdl may hold (65,536 triangles) into a vertex
// buffer, and a 1024x1024 RGBA PNG into a mipmapped texture. Runs on the display in
// $DISPLAY (Xvfb with Mesa software GL in CI). Targets: model < 40 ms, PNG < 30 ms.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "engine/render/kx_gl.h"
#include "engine/render/kx_tx.h"
#include "engine/render/kx_vbo.h"
#include "tests/render/png_writer.h"
#include "tests/support/test_gl_context.h"

namespace {

std::string scratch_dir() {
    static std::string dir;
    if (dir.empty()) {
        char tmpl[] = "/tmp/kx_render_bench_XXXXXX";
        dir = mkdtemp(tmpl) ? tmpl : "/tmp";
    }
    return dir;
}

// A sphere-ish cloud of 196,608 vertices with plausible normals and uvs.
std::string largest_model() {
    const std::string path = scratch_dir() + "/largest.rawmdl";
    std::vector<float> data(196608 * 8);
    for (size_t i = 0; i < 196608; ++i) {
        const float a = static_cast<float>(i) * 0.001f, b = static_cast<float>(i % 977) * 0.01f;
        float* r = &data[i * 8];
        r[0] = std::cos(a) * std::sin(b);
        r[1] = std::sin(a) * std::sin(b);
        r[2] = std::cos(b);
        r[3] = r[0];
        r[4] = r[1];
        r[5] = r[2];
        r[6] = a - std::floor(a);
        r[7] = b - std::floor(b);
    }
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(data.data(), sizeof(float), data.size(), f);
    std::fclose(f);
    return path;
}

// A texture-like picture: smooth gradients with a little grain, alpha varying.
std::string rgba_png() {
    const std::string path = scratch_dir() + "/big.png";
    test_png_t p;
    p.width = p.height = 1024;
    p.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    p.samples.resize(1024 * 1024 * 4);
    unsigned seed = 1;
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            int* s = &p.samples[(static_cast<size_t>(y) * 1024 + x) * 4];
            seed = seed * 1103515245u + 12345u;
            const int grain = static_cast<int>((seed >> 28) & 7);
            s[0] = (x / 4 + grain) & 255;
            s[1] = (y / 4 + grain) & 255;
            s[2] = ((x ^ y) / 8) & 255;
            s[3] = 255 - ((x + y) / 8 & 127);
        }
    test_png_write(path, p);
    return path;
}

void BM_LoadLargestModel(benchmark::State& state) {
    static const std::string path = largest_model();
    for (auto _ : state) {
        kx_vbo_t vbo;
        if (!kx_vbo_try_rawmdl(&vbo, path.c_str())) state.SkipWithError("model refused");
        glFinish();
        kx_vbo_destroy(&vbo);
    }
    state.SetBytesProcessed(state.iterations() * 196608 * 32);
}
BENCHMARK(BM_LoadLargestModel)->Unit(benchmark::kMillisecond);

void BM_LoadRgbaPng1024(benchmark::State& state) {
    static const std::string path = rgba_png();
    for (auto _ : state) {
        const uint32_t name = kx_tx_load_png(path.c_str(), 1, 0, nullptr);
        if (name == 0) state.SkipWithError("png refused");
        glFinish();
        kx_tx_destroy(name);
    }
}
BENCHMARK(BM_LoadRgbaPng1024)->Unit(benchmark::kMillisecond);

// The same file decoded only, to separate libpng's share from the GL upload and mipmaps.
uint32_t discard_pixels(int, int, int, int, int, const unsigned char*) { return 1; }

void BM_DecodeRgbaPng1024(benchmark::State& state) {
    static const std::string path = rgba_png();
    for (auto _ : state) {
        if (kx_tx_load_png(path.c_str(), 1, 0, discard_pixels) == 0) state.SkipWithError("png refused");
    }
}
BENCHMARK(BM_DecodeRgbaPng1024)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (!test_gl_open(64, 64)) return 1;
    // The loaders log every file to standard output; the report goes to standard error.
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    test_gl_close();
    std::system(("rm -rf '" + scratch_dir() + "'").c_str());
    return 0;
}
