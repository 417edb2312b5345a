// Start-up cost of the sounds: decoding all twelve game sounds from the generated asset
// tree into OpenAL buffers (target: under 100 ms in total). Runs on OpenAL's null backend.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/audio/kx_audio.h"
#include "engine/audio/kx_sound.h"

namespace {

const char* const kSounds[12] = {
    "sounds/single-shot.ogg",
    "sounds/healthkit-mono.ogg",
    "sounds/shot-and-reload.ogg",
    "sounds/reload-mono.ogg",
    "sounds/hit.ogg",
    "sounds/player-hit.ogg",
    "sounds/explosion.ogg",
    "sounds/player-shot.ogg",
    "sounds/step0.ogg",
    "sounds/step1.ogg",
    "sounds/step2.ogg",
    "sounds/step3.ogg",
};

std::string asset_dir() {
    const char* env = std::getenv("IRONVALE_ASSET_DIR");
    return env ? env : IRONVALE_ASSET_DIR_DEFAULT;
}

void BM_LoadGameSounds(benchmark::State& state) {
    const std::string dir = asset_dir();
    for (const char* s : kSounds) {
        if (!std::filesystem::exists(std::filesystem::path(dir) / s)) {
            state.SkipWithError(("no generated sounds under " + dir + " (build the assets target)").c_str());
            return;
        }
    }
    setenv("ALSOFT_DRIVERS", "null", 1);
    const auto old = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    // The load log writes a line per sound; keep it out of the report.
    std::fflush(stdout);
    const int saved = dup(1);
    const int null_fd = open("/dev/null", O_WRONLY);
    dup2(null_fd, 1);
    kx_audio_init(1, 1, 1);
    kx_sound_t sounds[12];
    for (auto _ : state) {
        for (int i = 0; i < 12; i++) kx_sound_load_ogg(&sounds[i], kSounds[i]);
        state.PauseTiming();
        for (auto& s : sounds) kx_sound_unload(&s);
        state.ResumeTiming();
    }
    kx_audio_term();
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    close(null_fd);
    std::filesystem::current_path(old);
}
BENCHMARK(BM_LoadGameSounds)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
