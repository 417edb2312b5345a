// Speed of the simulation tick: a typical single-player tick (player, four
// bots, bullets in flight) and a tick with the objects pool full of bullets;
// plus the line-of-sight query the bots lean on.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "game/sim/game_hooks.h"
#include "game/sim/game_input.h"
#include "game/sim/game_query.h"
#include "game/sim/game_setup.h"
#include "game/sim/game_tick.h"
#include "game/sim/game_world.h"

namespace {

struct snapshot_t {
    std::vector<game_obj_t> objects;
    game_world_t world;
};

void world_up() {
    if (game_world.objects.in_use) return;
    game_reset_state();
    game_world_init();
}

snapshot_t take() {
    snapshot_t s;
    s.objects.assign(game_world.objects.items, game_world.objects.items + game_world.objects.count);
    s.world = game_world;
    return s;
}

void restore(const snapshot_t& s) {
    game_world_t w = s.world;
    w.objects = game_world.objects;
    w.rects = game_world.rects;
    w.events = game_world.events;
    game_world = w;
    std::memcpy(game_world.objects.items, s.objects.data(), sizeof(game_obj_t) * s.objects.size());
    game_world.objects.count = static_cast<int>(s.objects.size());
}

int count_bullets() {
    int n = 0;
    for (int i = 0; i < game_world.objects.count; i++) n += game_obj(i)->type == OBJ_BULLET;
    return n;
}

// A match a few seconds in: the player holds the trigger, the bots hunt it.
void BM_TypicalTick(benchmark::State& state) {
    world_up();
    game_hooks_reset();
    std::srand(1);
    game_world.game_mode = 3;
    game_logic_start_new_game();
    game_input_pointer_down();
    for (int t = 0; t < 700; t++) game_tick();
    // A few more rounds crossing the spawn room and the corridor.
    for (int k = 0; k < 5; k++) {
        game_obj_t b = game_obj_create(OBJ_BULLET, 0, kx_vec3(-32 + 1.2f * k, 7 + 0.9f * k, 0.9f));
        b.vel = kx_vec3(0.01f, 0.002f, 0);
        b.radius = 0.01f;
        b.id = 1;
        game_pool_add(&game_world.objects, b);
    }
    const snapshot_t s = take();
    int n = 0;
    long bullets = 0;
    for (auto _ : state) {
        game_tick();
        if (++n % 256 == 0) {
            state.PauseTiming();
            bullets += count_bullets();
            restore(s);
            state.ResumeTiming();
        }
    }
    state.counters["objects"] = static_cast<double>(s.objects.size());
    state.counters["bullets_avg"] = n >= 256 ? static_cast<double>(bullets) / (n / 256) : count_bullets();
}
BENCHMARK(BM_TypicalTick)->Unit(benchmark::kMicrosecond);

// 2048 objects: the level, then bullets drifting slowly over open floor.
void BM_FullPoolTick(benchmark::State& state) {
    world_up();
    game_hooks_reset();
    std::srand(2);
    game_world.game_mode = 3;
    game_logic_start_new_game();
    std::mt19937 rng(3);
    std::uniform_real_distribution<float> x(13.5f, 31.5f), y(-31.5f, 12.0f), v(-0.002f, 0.002f);
    while (game_world.objects.count < GAME_OBJECTS_CAPACITY) {
        game_obj_t b = game_obj_create(OBJ_BULLET, 0, kx_vec3(x(rng), y(rng), 0.9f));
        b.vel = kx_vec3(v(rng), v(rng), 0);
        b.radius = 0.01f;
        b.id = 5;
        game_pool_add(&game_world.objects, b);
    }
    const snapshot_t s = take();
    int n = 0;
    for (auto _ : state) {
        game_tick();
        if (++n % 64 == 0) {
            state.PauseTiming();
            restore(s);
            state.ResumeTiming();
        }
    }
    state.counters["objects"] = static_cast<double>(s.objects.size());
}
BENCHMARK(BM_FullPoolTick)->Unit(benchmark::kMicrosecond);

// Random segments over the level, both flags.
void BM_SegmentClear(benchmark::State& state) {
    world_up();
    game_logic_start_new_game();
    std::mt19937 rng(4);
    std::uniform_real_distribution<float> xy(-45, 32);
    std::vector<vec3> pts(4096);
    for (auto& p : pts) p = kx_vec3(xy(rng), xy(rng), 0.5f);
    size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            game_segment_clear(static_cast<int>(k & 1), pts[k % 4096], pts[(k + 1) % 4096]));
        k++;
    }
}
BENCHMARK(BM_SegmentClear)->Unit(benchmark::kNanosecond);

}  // namespace

BENCHMARK_MAIN();
