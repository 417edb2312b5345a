// Level rendering (see game_draw_level.h).
// Depends on game_world, game_assets, game_shaders, kx_render, kx_app, kx_glcheck.
#include "game/draw/game_draw_level.h"

#include <cmath>

#include "engine/app/kx_app.h"
#include "engine/app/kx_glcheck.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "engine/render/kx_sh.h"
#include "game/draw/game_assets.h"
#include "game/draw/game_shaders.h"

mat4 game_sky_matrix;

namespace {

constexpr float HALF_PI = static_cast<float>(M_PI / 2);

// Player slot tints by id mod 4.
const vec3 kSlotTint[4] = {{0.07f, 0, 0}, {0.04f, 0, 0.05f}, {0, 0, 0.07f}, {0.04f, 0.04f, 0.05f}};

game_model_draw_t simple(int model, int texture, vec3 pos, vec3 tint, float scale) {
    return game_model_draw_t{model, texture, 0, -1, pos, tint, 0, 0, scale};
}

// Five faces of a 32-unit cube around the eye (no floor): x, y, z, 1, u, v, 0, 0.
const float kSky[20][8] = {
    {16, -16, -16, 1, 0, 1, 0, 0},  {16, 16, -16, 1, 1, 1, 0, 0},   {16, -16, 16, 1, 0, 0, 0, 0},
    {16, 16, 16, 1, 1, 0, 0, 0},    {-16, 16, -16, 1, 1, 1, 0, 0},  {16, 16, -16, 1, 0, 1, 0, 0},
    {-16, 16, 16, 1, 1, 0, 0, 0},   {16, 16, 16, 1, 0, 0, 0, 0},    {-16, -16, -16, 1, 1, 1, 0, 0},
    {-16, 16, -16, 1, 0, 1, 0, 0},  {-16, -16, 16, 1, 1, 0, 0, 0},  {-16, 16, 16, 1, 0, 0, 0, 0},
    {-16, -16, -16, 1, 0, 1, 0, 0}, {16, -16, -16, 1, 1, 1, 0, 0},  {-16, -16, 16, 1, 0, 0, 0, 0},
    {16, -16, 16, 1, 1, 0, 0, 0},   {-16, -16, 16, 1, 0, 0, 0, 0},  {16, -16, 16, 1, 0, 1, 0, 0},
    {-16, 16, 16, 1, 1, 0, 0, 0},   {16, 16, 16, 1, 1, 1, 0, 0}};
const int kSkyTextures[5] = {GAME_TX_SKYBOX_FR, GAME_TX_SKYBOX_RT, GAME_TX_SKYBOX_BK, GAME_TX_SKYBOX_LT,
                             GAME_TX_SKYBOX_UP};

void draw_sky() {
    const kx_sh_t& sh = kx_sh_default;
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glUniformMatrix4fv(sh.slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, game_sky_matrix.m);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableVertexAttribArray(sh.slot[KX_SH_A_POS]);
    glVertexAttribPointer(sh.slot[KX_SH_A_POS], 3, GL_FLOAT, GL_FALSE, 32, &kSky[0][0]);
    glEnableVertexAttribArray(sh.slot[KX_SH_A_UV]);
    glVertexAttribPointer(sh.slot[KX_SH_A_UV], 4, GL_FLOAT, GL_FALSE, 32, &kSky[0][4]);
    for (int face = 0; face < 5; face++) {
        glBindTexture(GL_TEXTURE_2D, game_assets.textures[kSkyTextures[face]]);
        glDrawArrays(GL_TRIANGLE_STRIP, face * 4, 4);
    }
    glUniformMatrix4fv(sh.slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, kx_matrices.modelview.m);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}

void draw_objects() {
    const game_world_t& w = game_world;
    const uint16_t time = kx_app.time;
    for (int i = 0; i < w.objects.count; i++) {
        game_model_draw_t d[2];
        const int n = game_level_object_draws(&w.objects.items[i], w.free_camera, w.debug_draw, time, w.camera_rot.y, d);
        for (int k = 0; k < n; k++) {
            if (d[k].label >= 0) {
                game_draw_label(game_assets.labels[d[k].label], d[k].pos, d[k].rot_z, d[k].scale);
                continue;
            }
            glBindTexture(GL_TEXTURE_2D, game_assets.textures[d[k].texture]);
            const kx_vbo_t mesh = game_assets.models[d[k].model];
            if (d[k].lit)
                game_draw_model_light(mesh, d[k].pos, d[k].tint, GAME_LIGHT, d[k].rot_z, d[k].rot_y, d[k].scale);
            else
                game_draw_model(mesh, d[k].pos, d[k].tint, d[k].rot_z, d[k].rot_y, d[k].scale);
        }
    }
}

}  // namespace

int game_level_object_draws(const game_obj_t* o, int free_camera, int debug_draw, uint16_t time, float camera_yaw,
                            game_model_draw_t out[2]) {
    const vec3 p = o->pos;
    switch (o->type) {
        case OBJ_OTHER: {
            if (o->dead || !o->active) return 0;
            const int id = o->id;
            vec3 tint = kSlotTint[((id % 4) + 4) % 4];
            tint.x += o->hit_flash / 15.0f;
            out[0] = game_model_draw_t{GAME_MDL_TESTPLAYER, GAME_TX_T2, 1, -1, kx_vec3(p.x, p.y, 0), tint,
                                       std::atan2(o->vel.y, o->vel.x) + HALF_PI, 0, 0.5f};
            // A slot id out of range has no label to draw.
            if (id < 0 || id >= GAME_LABEL_COUNT) return 1;
            out[1] = game_model_draw_t{-1, GAME_TX_FONT, 0, id, kx_vec3(p.x, p.y, 1.5f), {0, 0, 0}, camera_yaw, 0,
                                       0.0084f};
            return 2;
        }
        case OBJ_PLAYER:
            if (!free_camera) return 0;
            out[0] = simple(GAME_MDL_TESTPLAYER, GAME_TX_CRYSTAL, kx_vec3(p.x, p.y, 0.1f), {1, 1, 0}, 0.5f);
            return 1;
        case OBJ_BULLET: {
            if (o->bullet_kind != 1) {
                out[0] = simple(GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, p, {1.4f, 1.4f, 0.9f}, 0.3f);
                return 1;
            }
            const vec3 v = o->vel;
            const vec3 tint = (o->flags & 0x100) ? vec3{0.2f, 1, 0.4f} : vec3{1, 0.2f, 0.2f};
            out[0] = game_model_draw_t{GAME_MDL_LASERBULLET, GAME_TX_WHITE, 0, -1, p, tint, std::atan2(v.y, v.x),
                                       -std::atan2(v.z, std::sqrt(v.x * v.x + v.y * v.y)), 0.3f};
            return 1;
        }
        case OBJ_FX_IMPACT:
            out[0] = simple(GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, p, {0.7f, 0.7f, 0.7f}, o->age * 0.02f);
            return 1;
        case OBJ_FX_EXPLOSION:
            out[0] = simple(GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, p, {1.3f, 0.8f, 0.6f}, o->age * 0.09f);
            return 1;
        case OBJ_FX_RESPAWN:
            out[0] = simple(GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, p, {1, 2, 8}, (43 - o->age) * 0.25f);
            return 1;
        case OBJ_WAYPOINT:
            if (!debug_draw) return 0;
            out[0] = simple(GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, p, {1, 2, 8}, 1.7f);
            return 1;
        case OBJ_HEALTHKIT: {
            int n = 0;
            if (!o->dead) {
                // One turn every 2048 ms: 1024 steps of 2 ms.
                out[n] = simple(GAME_MDL_REDCROSS, GAME_TX_CRYSTAL, kx_vec3(p.x, p.y, p.z + 0.5f), {1.1f, 1.9f, 1.3f},
                                0.075f);
                out[n++].rot_z = (time / 2) * 0.0061359233f;
            }
            out[n++] = simple(GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, kx_vec3(p.x, p.y, p.z - 0.7f), {0.9f, 1.3f, 1.1f},
                              4.4f);
            return n;
        }
        default:
            return 0;
    }
}

void game_draw_model(kx_vbo_t mesh, vec3 pos, vec3 tint, float rot_z, float rot_y, float scale) {
    const mat4 saved = kx_matrices.modelview;
    const kx_sh_t& sh = game_sh_simple;
    kx_sh_use(&sh);
    glUniformMatrix4fv(sh.slot[KX_SH_U_PROJ], 1, GL_FALSE, kx_matrices.proj.m);
    glUniform4f(sh.slot[KX_SH_U_MULTIPLIER], tint.x, tint.y, tint.z, 1.0f);
    glUniform4f(sh.slot[KX_SH_U_COLOR], 0, 0, 0, 0);
    kx_mv_translate(pos.x, pos.y, pos.z);
    kx_mv_rotate(rot_z, 0, 0, 1);
    kx_mv_rotate(rot_y, 0, 1, 0);
    kx_mv_scale(scale);
    glUniformMatrix4fv(sh.slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, kx_matrices.modelview.m);
    kx_vbo_draw(&mesh, &sh);
    kx_matrices.modelview = saved;
    glUniformMatrix4fv(sh.slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, kx_matrices.modelview.m);
}

void game_draw_model_light(kx_vbo_t mesh, vec3 pos, vec3 tint, vec3 light, float rot_z, float rot_y, float scale) {
    kxCheckGlError("game draw model light");
    const mat4 view = kx_matrices.modelview;
    const kx_sh_t& sh = game_sh_light;
    kx_sh_use(&sh);
    glUniformMatrix4fv(sh.slot[KX_SH_U_PROJ], 1, GL_FALSE, kx_matrices.proj.m);
    glUniformMatrix4fv(sh.slot[KX_SH_U_MODELVIEW_LIGHT], 1, GL_FALSE, view.m);
    kxCheckGlError("check-3");
    glUniform3f(sh.slot[KX_SH_U_LVAL_K], light.x, light.y, light.z);
    glUniform4f(sh.slot[KX_SH_U_COLOR_LIGHT], tint.x, tint.y, tint.z, 1.0f);
    kxCheckGlError("check-5");
    kx_mv_translate(pos.x, pos.y, pos.z);
    kx_mv_rotate(rot_y, 0, 1, 0);
    kx_mv_rotate(rot_z, 0, 0, 1);
    mat3 normal;
    kx_mat3_normal(&normal, &kx_matrices.modelview);
    glUniformMatrix3fv(sh.slot[KX_SH_U_NORMAL_MATRIX], 1, GL_FALSE, normal.m);
    kx_mv_scale(scale);
    glUniformMatrix4fv(sh.slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, kx_matrices.modelview.m);
    kxCheckGlError("check-7");
    kx_vbo_draw(&mesh, &sh);
    kx_matrices.modelview = view;
    glUniformMatrix4fv(sh.slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, kx_matrices.modelview.m);
    kx_sh_use(&game_sh_simple);
}

void game_draw_label(kx_vbo_t mesh, vec3 pos, float rot_z, float scale) {
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_FONT]);
    kxCheckGlError("game draw model light");
    const kx_sh_t& sh = kx_sh_default;
    kx_sh_use(&sh);
    glUniform1i(sh.slot[KX_SH_U_SAMPLER], 0);
    const mat4 saved = kx_matrices.modelview;
    kx_mv_translate(pos.x, pos.y, pos.z);
    kx_mv_rotate(rot_z, 0, 0, 1);
    kx_mv_rotate(-HALF_PI, 1, 0, 0);
    kx_mv_scale(scale);
    kx_matrices_set(&sh);
    kx_vbo_draw(&mesh, &sh);
    kx_matrices.modelview = saved;
    kx_matrices_set(&sh);
    kx_sh_use(&game_sh_simple);
}

void game_draw_level() {
    kxCheckGlError("game_draw_level() start");
    glEnable(GL_DEPTH_TEST);
    glActiveTexture(GL_TEXTURE0);
    const kx_sh_t& def = kx_sh_default;
    kx_sh_use(&def);
    kx_matrices_set(&def);
    draw_sky();

    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_T1]);
    kx_draw_rect(def.slot[KX_SH_A_POS], def.slot[KX_SH_A_UV], -64, -64, 64, 64, 0, 0, 4, 4, 0, 0, 0);

    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_GRASS]);
    game_draw_model_light(game_assets.models[GAME_MDL_MOUNTAINS1], {0, 0, 0}, {0, 0, 0}, GAME_LIGHT, 0, 0, 1.5f);
    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_CRYSTAL]);
    game_draw_model_light(game_assets.models[GAME_MDL_MAP3], {0, 0, 0}, {0, 0, 0}, GAME_LIGHT, 0, 0, 3.2f);

    kxCheckGlError("game_draw_level() after skybox+bg");
    kx_sh_use(&def);
    kx_matrices_set(&def);
    kxCheckGlError("game_draw_level() objs start");
    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_CRYSTAL]);
    draw_objects();
    kxCheckGlError("game_draw_level() objs end");
    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_CRYSTAL]);
    glEnable(GL_DEPTH_TEST);
}
