// Vectors, matrices and scalar helpers for the renderer and the game.
// Vectors are plain values passed in registers; matrices are column-major
// (element 4*c + r is row r of column c, as GL expects) and every transform
// post-multiplies: M <- M * T, so the transform applied last in code acts
// first on the vertices. Depends on nothing.
#pragma once

#include <cmath>

struct vec2 {
    float x, y;
};

struct vec3 {
    float x, y, z;
};

struct mat4 {
    float m[16];
};

// Inverse transpose of a 3x3 block; same index layout as the block it comes from.
struct mat3 {
    float m[9];
};

// ---- vectors ----
inline vec3 kx_vec3(float x, float y, float z) { return {x, y, z}; }
inline vec2 kx_vec2(float x, float y) { return {x, y}; }
inline vec3 kx_vec3_add(vec3 a, vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline vec3 kx_vec3_sub(vec3 a, vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline vec3 kx_vec3_scale(vec3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float kx_vec3_length(vec3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
inline float kx_vec3_dist2(vec3 a, vec3 b) {
    const vec3 d = kx_vec3_sub(a, b);
    return d.x * d.x + d.y * d.y + d.z * d.z;
}
inline float kx_vec2_length2(vec2 a) { return a.x * a.x + a.y * a.y; }
// a*(1-t) + b*t per component, in double precision, rounded to float.
inline vec3 kx_vec3_lerp(vec3 a, vec3 b, float t) {
    const double u = 1.0 - t;
    return {static_cast<float>(a.x * u + static_cast<double>(b.x) * t),
            static_cast<float>(a.y * u + static_cast<double>(b.y) * t),
            static_cast<float>(a.z * u + static_cast<double>(b.z) * t)};
}

// ---- scalars ----
// lo if lo > v; otherwise hi if hi < v; otherwise v (so lo wins when lo > hi and v < lo).
inline float kx_clamp(float v, float lo, float hi) { return lo > v ? lo : (hi < v ? hi : v); }
inline int kx_imax(int a, int b) { return a > b ? a : b; }
inline int kx_imin(int a, int b) { return a < b ? a : b; }
// Frame-rate independent smoothing: covers the fraction 1 - e^-k of the way.
inline float kx_approach(float from, float to, float k) {
    return static_cast<float>(from + (static_cast<double>(to) - from) * (1.0 - std::exp(-static_cast<double>(k))));
}

// ---- matrices ----
void kx_mat4_identity(mat4* M);
// Overwrite M with an orthographic projection; depth maps z 100..-100 to -1..1.
void kx_mat4_ortho(mat4* M, float left, float right, float bottom, float top);
// Overwrite M with the engine's frustum (no factor n on the diagonal, M[15] = 1).
void kx_mat4_frustum(mat4* M, float l, float r, float b, float t, float n, float f);
// M <- M * A (full product).
void kx_mat4_mul(mat4* M, const mat4* A);
void kx_mat4_translate(mat4* M, float x, float y, float z);
// Rotation about (x, y, z); the axis is taken as given (callers pass unit axes).
void kx_mat4_rotate(mat4* M, float angle, float x, float y, float z);
void kx_mat4_scale(mat4* M, float s);
void kx_mat4_scale3(mat4* M, float sx, float sy, float sz);
void kx_mat4_copy(mat4* dst, const mat4* src);
// Inverse transpose of M's upper-left 3x3 block; infinite for a singular block.
void kx_mat3_normal(mat3* out, const mat4* M);
// M * (x, y, z, 1); w is returned through *w when given.
vec3 kx_mat4_transform(const mat4* M, vec3 p, float* w = nullptr);
