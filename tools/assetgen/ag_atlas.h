// Where things sit inside the shared textures, for the texture painters and the
// mesh builders that point their texture coordinates at them. Coordinates are
// texture units (0..1, v = 0 is the top row of the PNG).
// Depends on nothing.
#pragma once

struct ag_region_t {
    float u0, v0, u1, v1;
};

// "crystal": the level's one texture (the level model is drawn with it) and the
// texture of the small effect models. Sizes are texels of the 512 x 512 image.
constexpr int AG_CRYSTAL_SIZE = 512;
constexpr ag_region_t AG_CRYSTAL_FLOOR = {0.0f, 0.0f, 0.5f, 0.5f};     // walkable floor tiles
constexpr ag_region_t AG_CRYSTAL_WALL = {0.5f, 0.0f, 1.0f, 0.5f};      // tall wall faces
constexpr ag_region_t AG_CRYSTAL_LOW = {0.0f, 0.5f, 0.5f, 0.75f};      // low wall faces
constexpr ag_region_t AG_CRYSTAL_HAZARD = {0.0f, 0.75f, 0.5f, 1.0f};   // no-walk field surface
constexpr ag_region_t AG_CRYSTAL_PLAIN = {0.5f, 0.5f, 0.75f, 0.75f};   // light crystal for tinted models
constexpr ag_region_t AG_CRYSTAL_RED = {0.75f, 0.5f, 1.0f, 0.75f};     // health cross
constexpr ag_region_t AG_CRYSTAL_CAP = {0.5f, 0.75f, 1.0f, 0.875f};    // tops of walls
constexpr ag_region_t AG_CRYSTAL_STRIPE = {0.5f, 0.875f, 1.0f, 1.0f};  // warning edge by the field

// "t2": the player figure's texture (256 x 256).
constexpr ag_region_t AG_T2_SUIT = {0.0f, 0.0f, 0.5f, 1.0f};
constexpr ag_region_t AG_T2_HELMET = {0.5f, 0.0f, 1.0f, 0.5f};
constexpr ag_region_t AG_T2_METAL = {0.5f, 0.5f, 1.0f, 1.0f};

// A point of a region: (s, t) in 0..1 across the region.
inline float ag_region_u(const ag_region_t& r, float s) { return r.u0 + (r.u1 - r.u0) * s; }
inline float ag_region_v(const ag_region_t& r, float t) { return r.v0 + (r.v1 - r.v0) * t; }
