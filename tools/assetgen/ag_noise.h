// Deterministic randomness for the generators: a small seeded generator and
// value noise that can wrap with a period (tileable textures) or be sampled on
// 3D directions (sky, seamless across cube faces). Same numbers on every
// machine: no std distributions, only integer hashing.
// Depends on nothing.
#pragma once

#include <cstdint>

struct ag_rng_t {
    uint64_t state;
};

ag_rng_t ag_rng(uint64_t seed);
// Uniform in [0, 1).
float ag_rng_float(ag_rng_t* r);
// Uniform in [-1, 1).
float ag_rng_signed(ag_rng_t* r);
uint32_t ag_rng_u32(ag_rng_t* r);

// Hash of integer lattice coordinates to [0, 1).
float ag_hash2(int x, int y, uint32_t seed);
float ag_hash3(int x, int y, int z, uint32_t seed);

// Smooth value noise in [0, 1]; the 2D form wraps every `period` lattice cells
// (period <= 0: no wrap).
float ag_noise2(float x, float y, int period, uint32_t seed);
float ag_noise3(float x, float y, float z, uint32_t seed);
// The 2D form with its own period along each axis, for stretched patterns that tile.
float ag_noise2xy(float x, float y, int period_x, int period_y, uint32_t seed);

// Sums of octaves, each at twice the frequency and `gain` times the amplitude;
// normalised to [0, 1]. The 2D form keeps the period per octave (tileable).
float ag_fbm2(float x, float y, int period, int octaves, float gain, uint32_t seed);
float ag_fbm3(float x, float y, float z, int octaves, float gain, uint32_t seed);
float ag_fbm2xy(float x, float y, int period_x, int period_y, int octaves, float gain, uint32_t seed);

// Distance to the nearest feature point of a wrapping cell grid (Worley), in cells.
float ag_cells2(float x, float y, int period, uint32_t seed);

float ag_smoothstep(float e0, float e1, float x);
float ag_mix(float a, float b, float t);
float ag_clamp01(float v);
