// Frame rendering (see game_draw_frame.h).
#include "game/draw/game_draw_frame.h"

#include "engine/app/kx_app.h"
#include "engine/app/kx_glcheck.h"
#include "engine/gui/kx_gui.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "game/draw/game_assets.h"
#include "game/draw/game_draw_level.h"
#include "game/draw/game_fbo.h"
#include "game/draw/game_gui_items.h"
#include "game/draw/game_hud.h"
#include "game/draw/game_shaders.h"
#include "game/sim/game_world.h"

namespace {

// GUI items the frame reads: the wide field-of-view option and the frame-rate text.
constexpr int ITEM_WIDE_FOV = 34;
constexpr int ITEM_FPS = 81;

void draw_rect(const kx_sh_t& sh, const game_rect_uv_t& r) {
    kx_draw_rect(sh.slot[KX_SH_A_POS], sh.slot[KX_SH_A_UV], r.x1, r.y1, r.x2, r.y2, r.u1, r.v1, r.u2, r.v2, 0, 0, 0);
}

// Resolve the offscreen picture and put it on the window, tinted by color.
void compose(const float color[4]) {
    game_fbo_resolve();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, kx_app.width, kx_app.height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    kxCheckGlError("game process - glClear");
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_DEPTH_TEST);
    const kx_sh_t& sh = game_sh_fullscreen;
    kx_sh_use(&sh);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, fbo_main.color_tex);
    glUniform1i(sh.slot[KX_SH_U_SAMPLER], 0);
    glUniform4f(sh.slot[KX_SH_U_COLOR], color[0], color[1], color[2], color[3]);
    glDisable(GL_BLEND);
    kx_proj_ortho_unit();
    kx_mv_identity();
    kx_matrices_set(&sh);
    kx_draw_rect_unit(sh.slot[KX_SH_A_POS], sh.slot[KX_SH_A_UV], 0, 0, 1, 1);
    glEnable(GL_BLEND);
}

// Frame-rate text (rebuilt only when its tenths change) and the GUI, in window pixels.
void draw_overlay() {
    kx_proj_ortho_pixels();
    kx_mv_identity();
    if (kx_gui_item_t* fps = game_gui_item(ITEM_FPS)) {
        const int tenths = static_cast<int>(10 * kx_app.fps);
        if (tenths != fps->value) {
            fps->value = tenths;
            kx_gui_printf(ITEM_FPS, "fps: %.1f", static_cast<double>(kx_app.fps));
        }
    }
    kx_gui_render();
    kxCheckGlError("render end");
}

void draw_hud(const game_obj_t* p) {
    const game_world_t& w = game_world;
    const game_hud_state_t s = {kx_app.width, kx_app.height, kx_app.time, p->dead,    p->health,
                                p->lives,     p->weapon,     p->ammo,     w.multiplayer, w.bots_alive,
                                w.remaining};
    game_rect_uv_t pieces[GAME_HUD_MAX_PIECES];
    const int n = game_hud_pieces(&s, pieces, GAME_HUD_MAX_PIECES);
    kx_proj_ortho_pixels();
    kx_mv_identity();
    const kx_sh_t& sh = kx_sh_default;
    kx_sh_use(&sh);
    kx_matrices_set(&sh);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_GUI]);
    glUniform1i(sh.slot[KX_SH_U_SAMPLER], 0);
    for (int i = 0; i < n; i++) draw_rect(sh, pieces[i]);
}

void draw_weapon(const game_obj_t* p) {
    glClear(GL_DEPTH_BUFFER_BIT);
    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_CRYSTAL]);
    kx_mv_identity();
    kx_mv_scale(8);
    const vec3 pose = game_weapon_pose(p->weapon, p->cooldown, p->switch_timer, p->walked);
    const int model = p->weapon == 1 ? GAME_MDL_MACGUN1 : GAME_MDL_GUN1;
    game_draw_model_light(game_assets.models[model], pose, {0, 0, 0}, GAME_LIGHT, 0, 0, 1.2f);

    const kx_sh_t& sh = kx_sh_default;
    kx_sh_use(&sh);
    kx_mv_identity();
    kx_proj_ortho_unit();
    kx_matrices_set(&sh);
    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_GUI]);
    glUniform1i(sh.slot[KX_SH_U_SAMPLER], 0);
    draw_rect(sh, game_crosshair_rect(p->weapon, kx_app.aspect));
}

}  // namespace

void game_draw_loader(int progress) {
    kxCheckGlError("game loader draw start");
    float c[4];
    game_loader_color(progress, kx_app.time, c);
    glClearColor(c[0], c[1], c[2], c[3]);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    kxCheckGlError("game loader draw glClear");
    kxCheckGlError("game loader draw end");
}

void game_draw_menu() {
    kxCheckGlError("game draw start");
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    const float aspect = kx_app.height > 0 ? static_cast<float>(kx_app.width) / kx_app.height : 1.0f;
    kx_mat4_ortho(&kx_matrices.proj, 0, aspect, -0.5f, 0.5f);
    kx_mat4_scale3(&kx_matrices.proj, 0.125f, 0.125f, 1);
    kx_mv_identity();
    const kx_matrices_t saved = kx_matrices;

    game_fbo_bind_scene();
    glClearColor(0.77f, 0.77f, 0.7f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    kx_matrices = saved;
    kx_mv_identity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);

    const kx_sh_t& sh = kx_sh_default;
    kx_sh_use(&sh);
    kx_matrices_set(&sh);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_MENU_BACKGROUND]);
    glUniform1i(sh.slot[KX_SH_U_SAMPLER], 0);
    // A small margin all round; the picture's top row at the top.
    kx_draw_rect_unit(sh.slot[KX_SH_A_POS], sh.slot[KX_SH_A_UV], -0.05f, 4.05f, 8.05f * kx_app.aspect, -4.05f);
    glEnable(GL_BLEND);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, kx_app.width, kx_app.height);
    glFlush();
    const float white[4] = {1, 1, 1, 1};
    compose(white);
    draw_overlay();
    kxCheckGlError("render end");
}

void game_draw() {
    const game_world_t& w = game_world;
    const game_obj_t* p = w.player;
    if (!p) return;
    kxCheckGlError("game draw start");
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glBindTexture(GL_TEXTURE_2D, game_assets.textures[GAME_TX_CRYSTAL]);

    const kx_gui_item_t* wide = game_gui_item(ITEM_WIDE_FOV);
    const int wide_on = wide && (wide->flags & KX_GUI_CHECKED) ? 1 : 0;
    kx_proj_frustum(game_fov_size(wide_on, w.respawn_flash, p->dead, p->timer), 0.5f, 800.0f);
    kx_mv_identity();
    kx_mv_scale(8);
    kx_mv_translate(0, 0, 0.1f);
    if (p->dead) kx_mv_translate(0, 0.7f, 0);
    kx_mv_rotate(-w.camera_rot.x, 1, 0, 0);
    if (p->dead) kx_mv_rotate(-0.5f, 0, 1, 0);
    kx_mv_rotate(-w.camera_rot.y, 0, 0, 1);
    game_sky_matrix = kx_matrices.modelview;
    kx_mv_translate(-w.camera_pos.x, -w.camera_pos.y, -w.camera_pos.z);
    const kx_matrices_t saved = kx_matrices;

    glEnable(GL_BLEND);
    game_fbo_bind_scene();
    glClearColor(0.2f, 0.2f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    kx_matrices = saved;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);

    game_draw_level();
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    if (!w.free_camera && !p->dead) draw_weapon(p);

    float tint[4];
    game_compose_color(w.respawn_flash, p->hit_flash, p->dead, p->timer, tint);
    compose(tint);
    if (w.game_mode == 3) draw_hud(p);
    draw_overlay();
}
