// The 3D world of one frame: sky box, ground, the two level models and every
// object of the pool with its model, texture, tint and size, plus name labels
// over the other players; and the three model-drawing functions that carry the
// per-object transform. Called after the frame has set target, projection and
// camera (game_draw_frame). Main thread only.
// Depends on game_world (read only), game_assets, game_shaders, kx_render, kx_app.
#pragma once

#include <cstdint>

#include "engine/math/kx_math.h"
#include "engine/render/kx_vbo.h"
#include "game/sim/game_world.h"

// The light every lit model gets: ambient, sun, unused.
constexpr vec3 GAME_LIGHT = {0.3108f, 1.44f, 0.0f};

// The camera's view without its translation, set by game_draw each frame (the sky box uses it).
extern mat4 game_sky_matrix;

// One model draw of an object. `label` >= 0: draw name label `label` instead of a model.
struct game_model_draw_t {
    int model;    // GAME_MDL_*, or -1 for a label
    int texture;  // GAME_TX_*
    int lit;      // 1: game_draw_model_light, 0: game_draw_model
    int label;    // slot whose name label is drawn, or -1
    vec3 pos;
    vec3 tint;
    float rot_z, rot_y, scale;
};

// What to draw for object o, in order (0 to 2 draws written to out). time is the
// application's 16-bit millisecond clock, camera_yaw the yaw of camera_rot.
int game_level_object_draws(const game_obj_t* o, int free_camera, int debug_draw, uint16_t time, float camera_yaw,
                            game_model_draw_t out[2]);

// Unlit model with game_sh_simple: model-view x translate(pos) x rot_z about z x rot_y about y
// x scale; model-view restored afterwards.
void game_draw_model(kx_vbo_t mesh, vec3 pos, vec3 tint, float rot_z, float rot_y, float scale);
// Lit model with game_sh_light (rotations in the order y then z); leaves game_sh_simple current.
void game_draw_model_light(kx_vbo_t mesh, vec3 pos, vec3 tint, vec3 light, float rot_z, float rot_y, float scale);
// A text mesh standing upright at pos, turned by rot_z, with the font texture; leaves game_sh_simple current.
void game_draw_label(kx_vbo_t mesh, vec3 pos, float rot_z, float scale);

// Sky box, ground, mountains, level, then every object of the pool in order.
void game_draw_level();
