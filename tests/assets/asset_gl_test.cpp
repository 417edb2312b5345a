// Every generated model, texture and shader and the font through the engine's own
// loaders on a real GL context (the test script's Xvfb); then the contact sheet: the
// assets drawn with the game's shaders and scales into PNGs under <build>/contact/, for
// a person to look at. Its checks are light (something was drawn); the pictures are the point.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "assets/asset_read.h"
#include "engine/gui/kx_font.h"
#include "engine/gui/kx_text.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "engine/render/kx_sh.h"
#include "engine/render/kx_tx.h"
#include "engine/render/kx_vbo.h"
#include "game/sim/game_level.h"
#include "support/test_gl_context.h"
#include "tools/assetgen/ag_image.h"

namespace {

constexpr int W = 1024, H = 600;
enum { M_MAP = 7 };                                          // in kModelNames
enum { T_T2 = 1, T_CRYSTAL = 2, T_GRASS = 4, T_FONT = 12 };  // in kTextureNames

struct sheet_t {
    int model_ok[8];
    kx_vbo_t model[8];
    uint32_t tex[13];
    kx_sh_t light, flat;
    kx_font_t font;
    int font_ok;
};
sheet_t* S = nullptr;

void look_up(kx_sh_t* sh) {
    kx_sh_use(sh);
    for (auto [slot, name] : {std::pair{KX_SH_U_PROJ, "u_proj"},
                              {KX_SH_U_MODELVIEW, "u_modelview"},
                              {KX_SH_U_MODELVIEW_LIGHT, "u_modelview_light"},
                              {KX_SH_U_NORMAL_MATRIX, "u_normal_matrix"},
                              {KX_SH_U_SAMPLER, "u_sampler"},
                              {KX_SH_U_LVAL_K, "u_lval_k"},
                              {KX_SH_U_COLOR, "u_color"}})
        sh->slot[slot] = kx_sh_uniform(sh, name);
    sh->slot[KX_SH_U_COLOR_LIGHT] = sh->slot[KX_SH_U_COLOR];
    for (auto [slot, name] :
         {std::pair{KX_SH_A_POS, "a_pos"}, {KX_SH_A_UV, "a_uv"}, {KX_SH_A_NORM, "a_norm"}})
        sh->slot[slot] = kx_sh_attrib(sh, name);
}

class AssetGl : public testing::Test {
   protected:
    static void SetUpTestSuite() {
        if (!test_gl_open(W, H)) return;
        ASSERT_EQ(chdir(asset_dir().c_str()), 0);
        kx_sh_init();
        S = new sheet_t();
        for (int i = 0; i < 8; i++)
            S->model_ok[i] = kx_vbo_try_rawmdl(&S->model[i],
                                               (std::string("models/") + kModelNames[i] + ".rawmdl").c_str());
        for (int i = 0; i < 13; i++)  // the GUI atlas and the sky faces clamp, as in the game
            S->tex[i] = kx_tx_load_png((std::string("textures/") + kTextureNames[i] + ".png").c_str(), 1,
                                       i == 5 || (i >= 7 && i < 12), nullptr);
        kx_sh_create(&S->light, "shaders/light2.vert.glsl", "shaders/light2.frag.glsl");
        look_up(&S->light);
        kx_sh_create_src(&S->flat,
                         "uniform mat4 u_proj;\nuniform mat4 u_modelview;\nattribute vec4 a_pos;\n"
                         "void main() { gl_Position = u_proj * u_modelview * a_pos; }\n",
                         "uniform vec4 u_color;\nvoid main() { gl_FragColor = u_color; }\n");
        look_up(&S->flat);
        kx_text_create_shader("shaders/text.vert.glsl", "shaders/text.frag.glsl");
        S->font_ok = kx_font_create(&S->font, S->tex[T_FONT], "font/fontcyr.bin", 56, 0.6f);
    }
    void SetUp() override {
        if (!S) GTEST_SKIP() << "no display";
        glViewport(0, 0, W, H);
        glClearColor(0.35f, 0.37f, 0.42f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        kx_mat4_ortho(&kx_matrices.proj, 0, W, H, 0);  // window pixels, y down
        kx_mv_identity();
    }
};

TEST_F(AssetGl, EveryModelTextureShaderAndTheFontLoad) {
    for (int i = 0; i < 8; i++) {
        const size_t bytes = read_bytes(std::string("models/") + kModelNames[i] + ".rawmdl").size();
        EXPECT_TRUE(S->model_ok[i] && S->model[i].count == bytes / 32) << kModelNames[i];
    }
    for (int i = 0; i < 13; i++) EXPECT_NE(S->tex[i], 0u) << kTextureNames[i];
    EXPECT_EQ(S->font_ok, 1);
    const char* const shaders[][2] = {  // the names the game looks up in each, besides u_proj u_modelview a_pos
        {"grid", "a_uv"}, {"fullscreen", "u_sampler u_color a_uv"},
        {"light2", "u_sampler u_color u_lval_k u_modelview_light u_normal_matrix a_uv a_norm"},
        {"simple", "u_sampler u_multiplier u_color a_uv"}, {"text", "u_pos_modif u_sampler a_uv"},
        {"gui", "u_pos_modif u_sampler a_uv"}};
    for (auto [name, names] : shaders) {
        const std::string base = std::string("shaders/") + name;
        kx_sh_t sh;
        EXPECT_EQ(kx_sh_create(&sh, (base + ".vert.glsl").c_str(), (base + ".frag.glsl").c_str()), 1) << name;
        std::istringstream in(std::string("u_proj u_modelview a_pos ") + names);
        for (std::string n; in >> n;)
            EXPECT_NE(n[0] == 'a' ? kx_sh_attrib(&sh, n.c_str()) : kx_sh_uniform(&sh, n.c_str()), -1)
                << name << " " << n;
        kx_sh_destroy(&sh);
    }
}

// Writes the window as <build>/contact/<name>.png and checks it holds a picture (a
// blank frame has one or two grey levels).
void save(const std::string& name) {
    std::vector<uint8_t> rgba(static_cast<size_t>(W) * H * 4);
    test_gl_read_rgba(0, 0, W, H, rgba.data());
    ag_image_t img = ag_image_make(W, H, 3);
    bool seen[256] = {};
    for (int i = 0; i < W * H; i++) {
        const uint8_t* p = &rgba[(static_cast<size_t>(H - 1 - i / W) * W + i % W) * 4];  // rows bottom first
        std::memcpy(&img.pixels[static_cast<size_t>(i) * 3], p, 3);
        seen[(p[0] + p[1] + p[2]) / 3] = true;
    }
    const std::string dir = asset_dir() + "/../contact";
    mkdir(dir.c_str(), 0755);
    EXPECT_EQ(ag_png_write((dir + "/" + name + ".png").c_str(), img), 0);
    int levels = 0;
    for (bool s : seen) levels += s;
    EXPECT_GT(levels, 40) << name;
}

void text(const char* cp1251, float x, float y, float scale, int align) {
    S->font.scale = scale;
    kx_vbo_t mesh;
    kx_text_build(&mesh, &S->font, cp1251, align, 1.0f, 0);
    kx_sh_use(&kx_text_shader);
    glBindTexture(GL_TEXTURE_2D, S->tex[T_FONT]);
    kx_matrices_set(&kx_text_shader);
    glUniform1i(kx_text_shader.slot[KX_SH_U_SAMPLER], 0);
    glUniform4f(kx_text_shader.slot[KX_SH_U_POS_MODIF], x, y, 1, 1);
    kx_vbo_draw(&mesh, &kx_text_shader);
    kx_text_free(&mesh);
}

// A model lit as the game lights it, at pos, scaled.
void draw_lit(int model, int tex, vec3 pos, float scale) {
    const mat4 saved = kx_matrices.modelview;
    kx_sh_use(&S->light);
    glBindTexture(GL_TEXTURE_2D, S->tex[tex]);
    glUniform1i(S->light.slot[KX_SH_U_SAMPLER], 0);
    glUniformMatrix4fv(S->light.slot[KX_SH_U_MODELVIEW_LIGHT], 1, GL_FALSE, saved.m);
    glUniform3f(S->light.slot[KX_SH_U_LVAL_K], 0.3108f, 1.44f, 0.0f);
    glUniform4f(S->light.slot[KX_SH_U_COLOR_LIGHT], 0, 0, 0, 1);
    kx_mv_translate(pos.x, pos.y, pos.z);
    mat3 n;
    kx_mat3_normal(&n, &kx_matrices.modelview);
    glUniformMatrix3fv(S->light.slot[KX_SH_U_NORMAL_MATRIX], 1, GL_FALSE, n.m);
    kx_mv_scale(scale);
    kx_matrices_set(&S->light);
    kx_vbo_draw(&S->model[model], &S->light);
    kx_matrices.modelview = saved;
}

TEST_F(AssetGl, ContactSheetTexturesAndFont) {
    for (int i = 0; i < 13; i++) {
        const float s = 145, x = 8 + (i % 7) * (s + 2), y = 8 + (i / 7) * (s + 30);
        kx_sh_use(&kx_sh_default);
        glBindTexture(GL_TEXTURE_2D, S->tex[i]);
        kx_matrices_set(&kx_sh_default);
        kx_draw_rect_unit(kx_sh_default.slot[KX_SH_A_POS], kx_sh_default.slot[KX_SH_A_UV], x, y, x + s,
                          y + s);
        text(kTextureNames[i], x + s / 2, y + s + 12, 0.3f, 2);
    }
    // The game font in Windows-1251: Latin, Cyrillic (with Ё ё) and punctuation.
    text("IRONVALE", W / 2.0f, 440, 1.6f, 2);
    text("The quick brown fox 0123456789 !\"#$%&'()*+,-./:;<=>?@[]_{}~", 20, 510, 0.5f, 0);
    text("\xD1\xFA\xE5\xF8\xFC \xE6\xE5 \xE5\xF9\xB8 \xFD\xF2\xE8\xF5 \xA8\xC6\xD9\xDE\xDF", 20, 550, 0.5f, 0);
    save("textures_and_font");
}

TEST_F(AssetGl, ContactSheetModels) {
    // Each model framed by its own bounds, seen from above and to the side (yaw 0 looks
    // along +y, pitch pi/2 level).
    for (int i = 0; i < 8; i++) {
        std::vector<tri_t> tris;
        ASSERT_TRUE(read_rawmdl(std::string("models/") + kModelNames[i] + ".rawmdl", &tris));
        vec3 lo = tris[0].p[0], hi = lo;
        for (const tri_t& t : tris)
            for (const vec3& p : t.p)
                lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)},
                hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        const vec3 centre = kx_vec3_scale(kx_vec3_add(lo, hi), 0.5f);
        const float r = kx_vec3_length(kx_vec3_sub(hi, lo)) / 2, yaw = -0.7f, pitch = 1.2f;
        glViewport((i % 4) * W / 4, (1 - i / 4) * H / 2, W / 4, H / 2);
        kx_proj_frustum_for(&kx_matrices.proj, W / 4, H / 2, 1.5f, 0.5f, 800);  // the game's frustum
        kx_mv_identity();
        kx_mv_scale(8);
        kx_mv_rotate(-pitch, 1, 0, 0);
        kx_mv_rotate(-yaw, 0, 0, 1);
        kx_mv_translate(-r * std::sin(pitch) * std::sin(yaw), r * std::sin(pitch) * std::cos(yaw),
                        -r * std::cos(pitch));
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);  // the guns are seen from their open side here
        const int tex[8] = {T_CRYSTAL, T_GRASS, T_T2, T_CRYSTAL, T_CRYSTAL, T_CRYSTAL, 6, T_CRYSTAL};
        draw_lit(i, tex[i], kx_vec3_scale(centre, -1.0f), 1.0f);
    }
    save("models");
}

TEST_F(AssetGl, ContactSheetLevel) {
    // The level model from above with the level table over it: green floor areas,
    // yellow no-walk areas, magenta blocks, orange low blocks.
    const float half = 50, aspect = static_cast<float>(W) / H;  // the level spans x -45..32, y -42..38
    kx_mat4_ortho(&kx_matrices.proj, -6.5f - half * aspect, -6.5f + half * aspect, -2 - half, -2 + half);
    kx_mv_identity();
    glEnable(GL_DEPTH_TEST);
    draw_lit(M_MAP, T_CRYSTAL, {0, 0, 0}, 3.2f);
    glDisable(GL_DEPTH_TEST);
    const float colours[2][2][3] = {{{1, 0.55f, 0}, {1, 0.1f, 0.6f}},
                                    {{1, 1, 0.2f}, {0.2f, 1, 0.3f}}};  // [area][solid]
    kx_sh_use(&S->flat);
    kx_matrices_set(&S->flat);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableVertexAttribArray(S->flat.slot[KX_SH_A_POS]);
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        const float line[8] = {r.x1, r.y1, r.x2, r.y1, r.x2, r.y2, r.x1, r.y2};
        const float* rgb = colours[r.kind == RECT_AREA][r.clip_class == CLIP_SOLID];
        glUniform4f(S->flat.slot[KX_SH_U_COLOR], rgb[0], rgb[1], rgb[2], 1);
        glVertexAttribPointer(S->flat.slot[KX_SH_A_POS], 2, GL_FLOAT, GL_FALSE, 8, line);
        glDrawArrays(GL_LINE_LOOP, 0, 4);
    }
    save("level");
}

}  // namespace
