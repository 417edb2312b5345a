// Building and releasing the game's programs (see game_shaders.h).
// Depends on kx_sh, kx_text, kx_gui.
#include "game/draw/game_shaders.h"

#include "engine/gui/kx_gui.h"
#include "engine/gui/kx_text.h"

kx_sh_t game_sh_grid;
kx_sh_t game_sh_fullscreen;
kx_sh_t game_sh_light;
kx_sh_t game_sh_light2;
kx_sh_t game_sh_simple;

namespace {

struct lookup_t {
    int slot;
    const char* name;
    int attrib;  // 1 for an attribute, 0 for a uniform
};

void build(kx_sh_t* sh, const char* vs, const char* fs, const lookup_t* names, int count) {
    kx_sh_create(sh, vs, fs);
    kx_sh_use(sh);
    for (int i = 0; i < count; i++)
        sh->slot[names[i].slot] = names[i].attrib ? kx_sh_attrib(sh, names[i].name) : kx_sh_uniform(sh, names[i].name);
}

const lookup_t kGrid[] = {{KX_SH_U_PROJ, "u_proj", 0},
                          {KX_SH_U_MODELVIEW, "u_modelview", 0},
                          {KX_SH_A_POS, "a_pos", 1},
                          {KX_SH_A_UV, "a_uv", 1}};
const lookup_t kFullscreen[] = {{KX_SH_U_PROJ, "u_proj", 0},       {KX_SH_U_MODELVIEW, "u_modelview", 0},
                                {KX_SH_A_POS, "a_pos", 1},         {KX_SH_A_UV, "a_uv", 1},
                                {KX_SH_U_SAMPLER, "u_sampler", 0}, {KX_SH_U_COLOR, "u_color", 0}};
const lookup_t kLight[] = {{KX_SH_A_POS, "a_pos", 1},
                           {KX_SH_A_UV, "a_uv", 1},
                           {KX_SH_A_NORM, "a_norm", 1},
                           {KX_SH_U_SAMPLER, "u_sampler", 0},
                           {KX_SH_U_COLOR_LIGHT, "u_color", 0},
                           {KX_SH_U_LVAL_K, "u_lval_k", 0},
                           {KX_SH_U_PROJ, "u_proj", 0},
                           {KX_SH_U_MODELVIEW, "u_modelview", 0},
                           {KX_SH_U_MODELVIEW_LIGHT, "u_modelview_light", 0},
                           {KX_SH_U_NORMAL_MATRIX, "u_normal_matrix", 0}};
const lookup_t kSimple[] = {{KX_SH_U_PROJ, "u_proj", 0},           {KX_SH_U_MODELVIEW, "u_modelview", 0},
                            {KX_SH_U_SAMPLER, "u_sampler", 0},     {KX_SH_U_MULTIPLIER, "u_multiplier", 0},
                            {KX_SH_U_COLOR, "u_color", 0},         {KX_SH_A_POS, "a_pos", 1},
                            {KX_SH_A_UV, "a_uv", 1}};

template <int N>
void build(kx_sh_t* sh, const char* vs, const char* fs, const lookup_t (&names)[N]) {
    build(sh, vs, fs, names, N);
}

}  // namespace

void game_shaders_init() {
    build(&game_sh_grid, "shaders/grid.vert.glsl", "shaders/grid.frag.glsl", kGrid);
    build(&game_sh_fullscreen, "shaders/fullscreen.vert.glsl", "shaders/fullscreen.frag.glsl", kFullscreen);
    build(&game_sh_light, "shaders/light2.vert.glsl", "shaders/light2.frag.glsl", kLight);
    build(&game_sh_light2, "shaders/light2.vert.glsl", "shaders/light2.frag.glsl", kLight);
    build(&game_sh_simple, "shaders/simple.vert.glsl", "shaders/simple.frag.glsl", kSimple);
    kx_text_create_shader("shaders/text.vert.glsl", "shaders/text.frag.glsl");
    kx_gui_create_shader("shaders/gui.vert.glsl", "shaders/gui.frag.glsl");
}

void game_shaders_term() {
    kx_text_destroy_shader();
    kx_gui_destroy_shader();
    kx_sh_destroy(&game_sh_simple);
    kx_sh_destroy(&game_sh_grid);
    kx_sh_destroy(&game_sh_light);
    kx_sh_destroy(&game_sh_light2);
    kx_sh_destroy(&game_sh_fullscreen);
}
