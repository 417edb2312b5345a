// Seeded generator (splitmix64) and lattice value noise. Depends on nothing.
#include "tools/assetgen/ag_noise.h"

#include <cmath>

ag_rng_t ag_rng(uint64_t seed) { return {seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull}; }

uint32_t ag_rng_u32(ag_rng_t* r) {
    uint64_t z = (r->state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
}

float ag_rng_float(ag_rng_t* r) { return static_cast<float>(ag_rng_u32(r) >> 8) * (1.0f / 16777216.0f); }
float ag_rng_signed(ag_rng_t* r) { return ag_rng_float(r) * 2.0f - 1.0f; }

static uint32_t mix32(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float ag_hash2(int x, int y, uint32_t seed) {
    const uint32_t h =
        mix32(static_cast<uint32_t>(x) * 0x8DA6B343u ^ mix32(static_cast<uint32_t>(y) * 0xD8163841u ^ seed));
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float ag_hash3(int x, int y, int z, uint32_t seed) {
    const uint32_t h = mix32(
        static_cast<uint32_t>(x) * 0x8DA6B343u ^
        mix32(static_cast<uint32_t>(y) * 0xD8163841u ^ mix32(static_cast<uint32_t>(z) * 0xCB1AB31Fu ^ seed)));
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

static float fade(float t) { return t * t * (3.0f - 2.0f * t); }

static int wrap(int v, int period) {
    if (period <= 0) return v;
    const int m = v % period;
    return m < 0 ? m + period : m;
}

float ag_noise2(float x, float y, int period, uint32_t seed) {
    return ag_noise2xy(x, y, period, period, seed);
}

float ag_noise2xy(float x, float y, int period_x, int period_y, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = fade(x - fx), ty = fade(y - fy);
    const int x0 = wrap(ix, period_x), x1 = wrap(ix + 1, period_x);
    const int y0 = wrap(iy, period_y), y1 = wrap(iy + 1, period_y);
    const float a = ag_mix(ag_hash2(x0, y0, seed), ag_hash2(x1, y0, seed), tx);
    const float b = ag_mix(ag_hash2(x0, y1, seed), ag_hash2(x1, y1, seed), tx);
    return ag_mix(a, b, ty);
}

float ag_noise3(float x, float y, float z, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy), iz = static_cast<int>(fz);
    const float tx = fade(x - fx), ty = fade(y - fy), tz = fade(z - fz);
    float layer[2];
    for (int k = 0; k < 2; k++) {
        const float a = ag_mix(ag_hash3(ix, iy, iz + k, seed), ag_hash3(ix + 1, iy, iz + k, seed), tx);
        const float b =
            ag_mix(ag_hash3(ix, iy + 1, iz + k, seed), ag_hash3(ix + 1, iy + 1, iz + k, seed), tx);
        layer[k] = ag_mix(a, b, ty);
    }
    return ag_mix(layer[0], layer[1], tz);
}

float ag_fbm2(float x, float y, int period, int octaves, float gain, uint32_t seed) {
    return ag_fbm2xy(x, y, period, period, octaves, gain, seed);
}

float ag_fbm2xy(float x, float y, int period_x, int period_y, int octaves, float gain, uint32_t seed) {
    float sum = 0.0f, amp = 1.0f, norm = 0.0f;
    for (int o = 0; o < octaves; o++) {
        sum += amp * ag_noise2xy(x, y, period_x, period_y, seed + static_cast<uint32_t>(o) * 101u);
        norm += amp;
        amp *= gain;
        x *= 2.0f;
        y *= 2.0f;
        period_x *= 2;
        period_y *= 2;
    }
    return sum / norm;
}

float ag_fbm3(float x, float y, float z, int octaves, float gain, uint32_t seed) {
    float sum = 0.0f, amp = 1.0f, norm = 0.0f;
    for (int o = 0; o < octaves; o++) {
        sum += amp * ag_noise3(x, y, z, seed + static_cast<uint32_t>(o) * 101u);
        norm += amp;
        amp *= gain;
        x *= 2.0f;
        y *= 2.0f;
        z *= 2.0f;
    }
    return sum / norm;
}

float ag_cells2(float x, float y, int period, uint32_t seed) {
    const int ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float best = 9.0f;
    for (int dy = -1; dy <= 1; dy++) {
        for (int dx = -1; dx <= 1; dx++) {
            const int cx = ix + dx, cy = iy + dy;
            const int hx = wrap(cx, period), hy = wrap(cy, period);
            const float px = static_cast<float>(cx) + ag_hash2(hx, hy, seed);
            const float py = static_cast<float>(cy) + ag_hash2(hx, hy, seed ^ 0x5bd1e995u);
            const float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < best) best = d;
        }
    }
    return best;
}

float ag_smoothstep(float e0, float e1, float x) {
    const float t = ag_clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}
float ag_mix(float a, float b, float t) { return a + (b - a) * t; }
float ag_clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }
