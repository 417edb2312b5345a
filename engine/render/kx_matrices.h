// The engine's current projection and model-view matrices (in the manner of the
// fixed-function pipeline) and the one immediate primitive, a textured rectangle
// drawn from memory. Every draw hands the matrices to its shader as "u_proj" and
// "u_modelview". Main thread only.
// Depends on kx_math, kx_gl, kx_sh, kx_app (window size).
#pragma once

#include "engine/math/kx_math.h"
#include "engine/render/kx_sh.h"

// The current matrices. Plain globals; whoever changes the model-view for one object
// saves a copy and restores it. Lifetime: the whole run.
struct kx_matrices_t {
    mat4 proj;
    mat4 modelview;
};
extern kx_matrices_t kx_matrices;

// proj = pixel coordinates of the window: origin top left, y down.
void kx_proj_ortho_pixels();
// proj = the window as the unit square, origin bottom left.
void kx_proj_ortho_unit();
// proj = the engine frustum shaped to the window: the shorter side gets half-size
// size * (short / long), the longer one size. A window without area counts as square.
void kx_proj_frustum(float size, float near_plane, float far_plane);
// The frustum kx_proj_frustum builds, for a window of width x height.
void kx_proj_frustum_for(mat4* out, int width, int height, float size, float near_plane, float far_plane);

void kx_mv_identity();
void kx_mv_translate(float x, float y, float z);
// Rotation by angle radians about (x, y, z).
void kx_mv_rotate(float angle, float x, float y, float z);
// modelview = modelview * diag(s, s, s, 1).
void kx_mv_scale(float s);

// Hand both matrices to sh's "u_proj" and "u_modelview" slots (sh must be current).
void kx_matrices_set(const kx_sh_t* sh);

// Draw one textured rectangle as a 4-vertex triangle strip from memory: corners
// (x1, y1 : u1, v1), (x2, y1 : u2, v1), (x1, y2 : u1, v2), (x2, y2 : u2, v2) at depth z;
// the uv attribute gets (u, v, s3, s4). Mirrored corners are drawn as given.
// The caller has made the shader current, set its matrices and bound the texture.
void kx_draw_rect(int a_pos, int a_uv, float x1, float y1, float x2, float y2, float u1, float v1, float u2,
                  float v2, float z, float s3, float s4);
// kx_draw_rect with texture (0, 0)-(1, 1), z 0, s3 = s4 = 0.
void kx_draw_rect_unit(int a_pos, int a_uv, float x1, float y1, float x2, float y2);
