// The contact sheet: renders the generated assets the way the game draws them
// (same transforms, shaders, scales and tints) into PNGs under <build>/contact/,
// for a person to look at: game views with the first-person gun and the HUD, a
// model turntable, a top-down view of the level model with the level's
// rectangles drawn over it, the textures, and strings in the game font. The
// checks are light (something was drawn); the pictures are the point.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
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
#include "game/game_level.h"
#include "support/test_gl_context.h"
#include "tools/assetgen/ag_image.h"

namespace {

constexpr int W = 1024, H = 600;
constexpr float kPi = 3.14159265358979f;
const float kLight[3] = {0.3108f, 1.44f, 0.0f};

enum { M_REDCROSS, M_MOUNTAINS, M_PLAYER, M_GUN1, M_MACGUN, M_SPHERE, M_LASER, M_MAP };
enum {
    T_MENU,
    T_T2,
    T_CRYSTAL,
    T_T1,
    T_GRASS,
    T_GUI,
    T_WHITE,
    T_BK,
    T_FR,
    T_LT,
    T_RT,
    T_UP,
    T_FONT,
    T_COUNT
};
const char* const kTexNames[T_COUNT] = {
    "menu_background", "t2",        "crystal",   "t1",        "grass",     "gui",     "white",
    "skybox_bk",       "skybox_fr", "skybox_lt", "skybox_rt", "skybox_up", "font8cyr"};

struct sheet_t {
    kx_vbo_t model[8];
    uint32_t tex[T_COUNT];
    kx_sh_t light, simple, flat;
    kx_font_t font;
};
sheet_t* S = nullptr;

const char* const kFlatVs =
    "uniform mat4 u_proj;\nuniform mat4 u_modelview;\nattribute vec4 a_pos;\n"
    "void main() { gl_Position = u_proj * u_modelview * a_pos; }\n";
const char* const kFlatFs = "uniform vec4 u_color;\nvoid main() { gl_FragColor = u_color; }\n";

void look_up(kx_sh_t* sh) {
    const struct {
        int slot;
        const char* name;
        bool attrib;
    } names[] = {{KX_SH_U_PROJ, "u_proj", false},
                 {KX_SH_U_MODELVIEW, "u_modelview", false},
                 {KX_SH_U_MODELVIEW_LIGHT, "u_modelview_light", false},
                 {KX_SH_U_NORMAL_MATRIX, "u_normal_matrix", false},
                 {KX_SH_A_POS, "a_pos", true},
                 {KX_SH_A_UV, "a_uv", true},
                 {KX_SH_A_NORM, "a_norm", true},
                 {KX_SH_U_SAMPLER, "u_sampler", false},
                 {KX_SH_U_LVAL_K, "u_lval_k", false},
                 {KX_SH_U_MULTIPLIER, "u_multiplier", false},
                 {KX_SH_U_COLOR, "u_color", false}};
    kx_sh_use(sh);
    for (const auto& n : names)
        sh->slot[n.slot] = n.attrib ? kx_sh_attrib(sh, n.name) : kx_sh_uniform(sh, n.name);
    sh->slot[KX_SH_U_COLOR_LIGHT] = sh->slot[KX_SH_U_COLOR];
}

// ---- the game's drawing, in miniature ----

void set_matrices(const kx_sh_t* sh) {
    glUniformMatrix4fv(sh->slot[KX_SH_U_PROJ], 1, GL_FALSE, kx_matrices.proj.m);
    glUniformMatrix4fv(sh->slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, kx_matrices.modelview.m);
}

void draw_simple(int model, int tex, vec3 pos, vec3 tint, float rot_z, float rot_y, float scale) {
    const mat4 saved = kx_matrices.modelview;
    kx_sh_use(&S->simple);
    glBindTexture(GL_TEXTURE_2D, S->tex[tex]);
    glUniform1i(S->simple.slot[KX_SH_U_SAMPLER], 0);
    glUniform4f(S->simple.slot[KX_SH_U_MULTIPLIER], tint.x, tint.y, tint.z, 1.0f);
    glUniform4f(S->simple.slot[KX_SH_U_COLOR], 0, 0, 0, 0);
    kx_mv_translate(pos.x, pos.y, pos.z);
    kx_mv_rotate(rot_z, 0, 0, 1);
    kx_mv_rotate(rot_y, 0, 1, 0);
    kx_mv_scale(scale);
    set_matrices(&S->simple);
    kx_vbo_draw(&S->model[model], &S->simple);
    kx_matrices.modelview = saved;
}

void draw_light(int model, int tex, vec3 pos, vec3 tint, float rot_z, float rot_y, float scale) {
    const mat4 saved = kx_matrices.modelview;
    kx_sh_use(&S->light);
    glBindTexture(GL_TEXTURE_2D, S->tex[tex]);
    glUniform1i(S->light.slot[KX_SH_U_SAMPLER], 0);
    glUniformMatrix4fv(S->light.slot[KX_SH_U_MODELVIEW_LIGHT], 1, GL_FALSE, saved.m);
    glUniform3f(S->light.slot[KX_SH_U_LVAL_K], kLight[0], kLight[1], kLight[2]);
    glUniform4f(S->light.slot[KX_SH_U_COLOR_LIGHT], tint.x, tint.y, tint.z, 1.0f);
    kx_mv_translate(pos.x, pos.y, pos.z);
    kx_mv_rotate(rot_y, 0, 1, 0);
    kx_mv_rotate(rot_z, 0, 0, 1);
    mat3 n;
    kx_mat3_normal(&n, &kx_matrices.modelview);
    glUniformMatrix3fv(S->light.slot[KX_SH_U_NORMAL_MATRIX], 1, GL_FALSE, n.m);
    kx_mv_scale(scale);
    set_matrices(&S->light);
    kx_vbo_draw(&S->model[model], &S->light);
    kx_matrices.modelview = saved;
}

void use_default(int tex) {
    kx_sh_use(&kx_sh_default);
    glBindTexture(GL_TEXTURE_2D, S->tex[tex]);
    glUniform1i(kx_sh_default.slot[KX_SH_U_SAMPLER], 0);
    set_matrices(&kx_sh_default);
}

void rect(float x1, float y1, float x2, float y2, float u1, float v1, float u2, float v2) {
    kx_draw_rect(kx_sh_default.slot[KX_SH_A_POS], kx_sh_default.slot[KX_SH_A_UV], x1, y1, x2, y2, u1, v1, u2,
                 v2, 0, 0, 0);
}

void draw_sky(const mat4& sky) {
    static const float v[20][8] = {
        {16, -16, -16, 1, 0, 1, 0, 0},  {16, 16, -16, 1, 1, 1, 0, 0},  {16, -16, 16, 1, 0, 0, 0, 0},
        {16, 16, 16, 1, 1, 0, 0, 0},    {-16, 16, -16, 1, 1, 1, 0, 0}, {16, 16, -16, 1, 0, 1, 0, 0},
        {-16, 16, 16, 1, 1, 0, 0, 0},   {16, 16, 16, 1, 0, 0, 0, 0},   {-16, -16, -16, 1, 1, 1, 0, 0},
        {-16, 16, -16, 1, 0, 1, 0, 0},  {-16, -16, 16, 1, 1, 0, 0, 0}, {-16, 16, 16, 1, 0, 0, 0, 0},
        {-16, -16, -16, 1, 0, 1, 0, 0}, {16, -16, -16, 1, 1, 1, 0, 0}, {-16, -16, 16, 1, 0, 0, 0, 0},
        {16, -16, 16, 1, 1, 0, 0, 0},   {-16, -16, 16, 1, 0, 0, 0, 0}, {16, -16, 16, 1, 0, 1, 0, 0},
        {-16, 16, 16, 1, 1, 0, 0, 0},   {16, 16, 16, 1, 1, 1, 0, 0},
    };
    const int faces[5] = {T_FR, T_RT, T_BK, T_LT, T_UP};
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    const mat4 saved = kx_matrices.modelview;
    kx_matrices.modelview = sky;
    use_default(T_FR);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableVertexAttribArray(kx_sh_default.slot[KX_SH_A_POS]);
    glEnableVertexAttribArray(kx_sh_default.slot[KX_SH_A_UV]);
    glVertexAttribPointer(kx_sh_default.slot[KX_SH_A_POS], 3, GL_FLOAT, GL_FALSE, 32, &v[0][0]);
    glVertexAttribPointer(kx_sh_default.slot[KX_SH_A_UV], 4, GL_FLOAT, GL_FALSE, 32, &v[0][4]);
    for (int f = 0; f < 5; f++) {
        glBindTexture(GL_TEXTURE_2D, S->tex[faces[f]]);
        glDrawArrays(GL_TRIANGLE_STRIP, f * 4, 4);
    }
    kx_matrices.modelview = saved;
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
}

struct camera_t {
    vec3 pos;
    float yaw, pitch;  // yaw 0 faces +y; pitch pi/2 looks level
};

struct view_t {
    camera_t cam;
    int weapon;     // -1 none, 0 spread gun, 1 machine gun
    int health;     // 0..60
    float time_ms;  // spins the health crosses
};

// One in-game frame: sky, ground, hills, level, objects, gun, crosshair, HUD.
void draw_frame(const view_t& v) {
    glViewport(0, 0, W, H);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glClearColor(0.2f, 0.2f, 0.3f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    kx_proj_frustum_for(&kx_matrices.proj, W, H, 1.5f, 0.5f, 800);
    kx_mv_identity();
    kx_mv_scale(8);
    kx_mv_translate(0, 0, 0.1f);
    kx_mv_rotate(-v.cam.pitch, 1, 0, 0);
    kx_mv_rotate(-v.cam.yaw, 0, 0, 1);
    const mat4 sky = kx_matrices.modelview;
    kx_mv_translate(-v.cam.pos.x, -v.cam.pos.y, -v.cam.pos.z);
    draw_sky(sky);
    use_default(T_T1);
    rect(-64, -64, 64, 64, 0, 0, 4, 4);
    draw_light(M_MOUNTAINS, T_GRASS, {0, 0, 0}, {0, 0, 0}, 0, 0, 1.5f);
    draw_light(M_MAP, T_CRYSTAL, {0, 0, 0}, {0, 0, 0}, 0, 0, 3.2f);
    // Bots at the first spawn points, facing different ways, with their slot tints.
    const vec3 tints[4] = {{0.07f, 0, 0}, {0.04f, 0, 0.05f}, {0, 0, 0.07f}, {0.04f, 0.04f, 0.05f}};
    int bot = 0;
    for (int i = 0; i < GAME_LEVEL_MARKER_COUNT; i++) {
        const game_level_marker_t& m = game_level_markers[i];
        if (m.type == OBJ_BOT_SPAWN && bot < 6) {
            const float heading = bot * 1.1f;  // direction of travel
            vec3 tint = tints[bot % 4];
            if (bot == 1) tint.x += 10.0f / 15;  // one of them just hit
            draw_light(M_PLAYER, T_T2, {m.x, m.y, 0}, tint, heading + kPi / 2, 0, 0.5f);
            bot++;
        }
        if (m.type == OBJ_HEALTHKIT) {
            draw_simple(M_REDCROSS, T_CRYSTAL, {m.x, m.y, 0.5f}, {1.1f, 1.9f, 1.3f},
                        static_cast<int>(v.time_ms / 2) * 0.0061359233f, 0, 0.075f);
            draw_simple(M_SPHERE, T_CRYSTAL, {m.x, m.y, -0.7f}, {0.9f, 1.3f, 1.1f}, 0, 0, 4.4f);
        }
    }
    // Shots in flight and effects in front of the camera.
    const float fx = -std::sin(v.cam.yaw), fy = std::cos(v.cam.yaw);
    const vec3 ahead = {v.cam.pos.x + fx * 6, v.cam.pos.y + fy * 6, 0.9f};
    draw_simple(M_LASER, T_WHITE, ahead, {0.2f, 1, 0.4f}, std::atan2(fy, fx), 0, 0.3f);
    draw_simple(M_LASER, T_WHITE, {ahead.x + fx * 3 + 0.8f * fy, ahead.y + fy * 3 - 0.8f * fx, 0.9f},
                {1, 0.2f, 0.2f}, std::atan2(-fy, -fx), 0, 0.3f);
    for (int k = 0; k < 4; k++)
        draw_simple(M_SPHERE, T_CRYSTAL,
                    {ahead.x + fx * (2 + k) - fy * (0.3f * k - 0.5f),
                     ahead.y + fy * (2 + k) + fx * (0.3f * k - 0.5f), 0.9f + 0.05f * k},
                    {1.4f, 1.4f, 0.9f}, 0, 0, 0.3f);
    draw_simple(M_SPHERE, T_CRYSTAL, {ahead.x + fx * 8 - fy * 2, ahead.y + fy * 8 + fx * 2, 0.5f},
                {1.3f, 0.8f, 0.6f}, 0, 0, 20 * 0.09f);
    draw_simple(M_SPHERE, T_CRYSTAL, {ahead.x + fx * 10 + fy * 3, ahead.y + fy * 10 - fx * 3, 0.5f},
                {1, 2, 8}, 0, 0, 25 * 0.25f);
    glDisable(GL_CULL_FACE);
    if (v.weapon >= 0) {
        glClear(GL_DEPTH_BUFFER_BIT);
        kx_mv_identity();
        kx_mv_scale(8);
        if (v.weapon == 0)
            draw_light(M_GUN1, T_CRYSTAL, {0.65f, -0.56f, 0.1f}, {0, 0, 0}, 0, 0, 1.2f);
        else
            draw_light(M_MACGUN, T_CRYSTAL, {0.35f, -0.25f, 0.1f}, {0, 0, 0}, 0, 0, 1.2f);
        kx_mat4_ortho(&kx_matrices.proj, 0, 1, 0, 1);
        kx_mv_identity();
        glDisable(GL_DEPTH_TEST);
        use_default(T_GUI);
        const float aspect = static_cast<float>(W) / H;
        const float h = v.weapon == 0 ? 0.06f : 0.04f, u = v.weapon == 0 ? 0.0f : 0.125f;
        rect(0.5f - h / aspect, 0.5f - h, 0.5f + h / aspect, 0.5f + h, u, 0.5f, u + 0.125f, 0.375f);
        // HUD in window pixels.
        kx_mat4_ortho(&kx_matrices.proj, 0, W, H, 0);
        use_default(T_GUI);
        const float U = W / 720 + 1;
        const float a = v.weapon == 0 ? 0.25f : 0.0f, b = v.weapon == 0 ? 0.0f : 0.25f;
        rect(16 * U, H - 48 * U, 80 * U, H - 16 * U, a, 0.875f, a + 0.25f, 1.0f);
        rect(80 * U, H - 48 * U, 144 * U, H - 16 * U, b, 0.75f, b + 0.25f, 0.875f);
        if (v.weapon == 1)
            for (int i = 0; i < 14; i++)
                rect((30 + 2 * i) * U, H - 30 * U, (31 + 2 * i) * U, H - 24 * U, 0.125f, 0.689453f, 0.125f,
                     0.689453f);
        const float hp = 0.05f + 0.9f * v.health / 60.0f, k = hp < 0.51f ? 0.125f : 0.0f;
        rect(W - 56 * U, H - (16 + 40 * hp) * U, W - 16 * U, H - 16 * U, k + 0.5f, 0.875f + 0.125f * (1 - hp),
             k + 0.625f, 1.0f);
        rect(W - 56 * U, H - 56 * U, W - 16 * U, H - 16 * U, 0.5f, 0.75f, 0.625f, 0.875f);
        for (int i = 0; i < 5; i++)
            rect(W - (72 + 9 * i) * U, H - 24 * U, W - (64 + 9 * i) * U, H - 16 * U, 0.625f, 0.75f, 0.75f,
                 0.875f);
        for (int i = 0; i < 7; i++)
            rect(W - (72 + 9 * i) * U, H - 32 * U, W - (64 + 9 * i) * U, H - 24 * U, 0.75f, 0.75f, 0.875f,
                 0.875f);
    }
}

// Reads the window back and writes it as <build>/contact/<name>.png; returns how
// many distinct grey levels it holds (a blank frame has one or two).
int save(const std::string& name) {
    std::vector<uint8_t> rgba(static_cast<size_t>(W) * H * 4);
    test_gl_read_rgba(0, 0, W, H, rgba.data());
    ag_image_t img = ag_image_make(W, H, 3);
    bool seen[256] = {};
    for (int y = 0; y < H; y++)
        for (int x = 0; x < W; x++) {
            const uint8_t* p = &rgba[(static_cast<size_t>(H - 1 - y) * W + x) * 4];
            std::memcpy(&img.pixels[(static_cast<size_t>(y) * W + x) * 3], p, 3);
            seen[(p[0] + p[1] + p[2]) / 3] = true;
        }
    const char* build = std::getenv("IRONVALE_BUILD_DIR");
    const std::string dir = std::string(build ? build : "..") + "/contact";
    mkdir(dir.c_str(), 0755);
    EXPECT_EQ(ag_png_write((dir + "/" + name + ".png").c_str(), img), 0);
    int levels = 0;
    for (bool s : seen) levels += s;
    return levels;
}

// Windows-1251 bytes from UTF-8 (ASCII, Cyrillic А-я, Ё, ё).
std::string cp1251(const char* utf8) {
    std::string out;
    for (const unsigned char* s = reinterpret_cast<const unsigned char*>(utf8); *s;) {
        if (*s < 0x80) {
            out += static_cast<char>(*s++);
            continue;
        }
        const unsigned code = ((s[0] & 0x1Fu) << 6) | (s[1] & 0x3Fu);
        s += 2;
        if (code >= 0x410 && code <= 0x44F)
            out += static_cast<char>(0xC0 + code - 0x410);
        else if (code == 0x401)
            out += static_cast<char>(0xA8);
        else if (code == 0x451)
            out += static_cast<char>(0xB8);
        else
            out += '?';
    }
    return out;
}

void text(const char* utf8, float x, float y, float scale, int align) {
    S->font.scale = scale;
    kx_vbo_t mesh;
    kx_text_build(&mesh, &S->font, cp1251(utf8).c_str(), align, 1.0f, 0);
    kx_sh_use(&kx_text_shader);
    glBindTexture(GL_TEXTURE_2D, S->tex[T_FONT]);
    glUniformMatrix4fv(kx_text_shader.slot[KX_SH_U_PROJ], 1, GL_FALSE, kx_matrices.proj.m);
    glUniformMatrix4fv(kx_text_shader.slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, kx_matrices.modelview.m);
    glUniform1i(kx_text_shader.slot[KX_SH_U_SAMPLER], 0);
    glUniform4f(kx_text_shader.slot[KX_SH_U_POS_MODIF], x, y, 1, 1);
    kx_vbo_draw(&mesh, &kx_text_shader);
    kx_text_free(&mesh);
}

class ContactSheet : public ::testing::Test {
   protected:
    static void SetUpTestSuite() {
        if (!test_gl_open(W, H)) return;
        ASSERT_EQ(chdir(asset_dir().c_str()), 0);
        kx_sh_init();
        S = new sheet_t();
        for (int i = 0; i < 8; i++)
            kx_vbo_load_rawmdl(&S->model[i], (std::string("models/") + kModelNames[i] + ".rawmdl").c_str());
        for (int i = 0; i < T_COUNT; i++) {
            const bool clamp = i == T_GUI || i >= T_BK;
            S->tex[i] =
                kx_tx_load_png((std::string("textures/") + kTexNames[i] + ".png").c_str(), 1, clamp, nullptr);
        }
        kx_sh_create(&S->light, "shaders/light2.vert.glsl", "shaders/light2.frag.glsl");
        look_up(&S->light);
        kx_sh_create(&S->simple, "shaders/simple.vert.glsl", "shaders/simple.frag.glsl");
        look_up(&S->simple);
        kx_sh_create_src(&S->flat, kFlatVs, kFlatFs);
        look_up(&S->flat);
        kx_text_create_shader("shaders/text.vert.glsl", "shaders/text.frag.glsl");
        kx_font_create(&S->font, S->tex[T_FONT], "font/fontcyr.bin", 56, 0.6f);
    }
    void SetUp() override {
        if (!S) GTEST_SKIP() << "no display";
    }
};

TEST_F(ContactSheet, GameViews) {
    const view_t views[] = {
        {{{-29.6071f, 9.6f, 1.0f}, -kPi / 2, kPi / 2},
         1,
         60,
         0},  // the start, looking down the east corridor
        {{{-6.4f, 35.2f, 1.0f}, kPi * 0.62f, kPi / 2}, 1, 45, 300},  // north hall: pillars and low walls
        {{{16.0f, 11.0f, 1.0f}, kPi, kPi / 2}, 0, 25, 600},          // the big east room
        {{{22.4f, -29.6f, 1.0f}, kPi * 0.9f, kPi / 2 + 0.15f}, 0, 60, 900},  // towards the southern field
        {{{-40.0f, -1.6f, 1.0f}, kPi, kPi / 2}, 1, 60, 1200},  // west: over the low walls into the pit
        {{{-48.0f, -48.0f, 22.0f}, -0.75f, kPi / 2 - 0.5f},
         -1,
         60,
         0},                                                 // overview from above the south-west corner
        {{{0, 0, 1.0f}, -kPi / 4, kPi * 0.82f}, -1, 60, 0},  // up into a corner of the sky box (fr, rt, up)
        {{{0, 0, 1.0f}, kPi * 0.75f, kPi * 0.82f}, -1, 60, 0},  // and the opposite one (bk, lt, up)
    };
    for (size_t i = 0; i < sizeof views / sizeof views[0]; i++) {
        draw_frame(views[i]);
        EXPECT_GT(save("view" + std::to_string(i)), 40) << i;
    }
}

TEST_F(ContactSheet, ModelTurntable) {
    glClearColor(0.35f, 0.37f, 0.42f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    struct tile_t {
        int model, tex;
        bool lit;
        float scale, dist;
        vec3 tint, centre;
        float rot_z, rot_y;
    } tiles[] = {
        // The view is wide (about 110 degrees), so the camera stands close.
        {M_PLAYER, T_T2, true, 0.5f, 0.8f, {0.07f, 0, 0}, {0, 0, 0.6f}, kPi / 2, 0},  // walking along +x
        {M_PLAYER, T_T2, true, 0.5f, 0.8f, {0, 0, 0.07f}, {0, 0, 0.6f}, kPi, 0},      // walking along +y
        {M_REDCROSS, T_CRYSTAL, false, 0.075f, 0.7f, {1.1f, 1.9f, 1.3f}, {0, 0, 0}, 0.6f, 0},
        {M_SPHERE, T_CRYSTAL, false, 4.4f, 1.8f, {0.9f, 1.3f, 1.1f}, {0, 0, 0}, 0, 0},
        {M_LASER, T_WHITE, false, 0.3f, 0.5f, {1, 0.2f, 0.2f}, {0, 0, 0}, 0.4f, 0},
        {M_SPHERE, T_CRYSTAL, false, 6.25f, 2.4f, {1, 2, 8}, {0, 0, 0}, 0, 0},
        // Guns laid on their side (they point along -z in the file).
        {M_GUN1, T_CRYSTAL, true, 1.2f, 1.0f, {0, 0, 0}, {-0.72f, 0.12f, 0.12f}, 0, kPi / 2},
        {M_MACGUN, T_CRYSTAL, true, 1.2f, 1.0f, {0, 0, 0}, {-0.75f, -0.19f, -0.18f}, 0, kPi / 2},
    };
    const int tw = W / 4, th = H / 2;
    for (int i = 0; i < 8; i++) {
        const tile_t& t = tiles[i];
        glViewport((i % 4) * tw, (1 - i / 4) * th, tw, th);
        kx_proj_frustum_for(&kx_matrices.proj, tw, th, 1.5f, 0.5f, 800);
        const float yaw = -0.7f, pitch = kPi / 2 - 0.3f;
        const vec3 fwd = {-std::sin(yaw) * std::sin(pitch), std::cos(yaw) * std::sin(pitch),
                          -std::cos(pitch)};
        const vec3 eye = kx_vec3_sub(t.centre, kx_vec3_scale(fwd, t.dist));
        kx_mv_identity();
        kx_mv_scale(8);
        kx_mv_rotate(-pitch, 1, 0, 0);
        kx_mv_rotate(-yaw, 0, 0, 1);
        kx_mv_translate(-eye.x, -eye.y, -eye.z);
        if (t.model == M_GUN1 || t.model == M_MACGUN) glDisable(GL_CULL_FACE);
        if (t.lit)
            draw_light(t.model, t.tex, {0, 0, 0}, t.tint, t.rot_z, t.rot_y, t.scale);
        else
            draw_simple(t.model, t.tex, {0, 0, 0}, t.tint, t.rot_z, t.rot_y, t.scale);
        glEnable(GL_CULL_FACE);
    }
    glViewport(0, 0, W, H);
    EXPECT_GT(save("models"), 40);
}

TEST_F(ContactSheet, LevelFromAboveWithItsRectangles) {
    glViewport(0, 0, W, H);
    glClearColor(0.1f, 0.1f, 0.12f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    // The level spans about x -45..32, y -42..38; keep units square on the wide window.
    const float cx = -6.5f, cy = -2.0f, half = 45.0f, aspect = static_cast<float>(W) / H;
    kx_mat4_ortho(&kx_matrices.proj, cx - half * aspect, cx + half * aspect, cy - half, cy + half);
    kx_mv_identity();
    use_default(T_T1);
    rect(-64, -64, 64, 64, 0, 0, 4, 4);
    draw_light(M_MAP, T_CRYSTAL, {0, 0, 0}, {0, 0, 0}, 0, 0, 3.2f);
    glDisable(GL_DEPTH_TEST);
    kx_sh_use(&S->flat);
    set_matrices(&S->flat);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const int pos = S->flat.slot[KX_SH_A_POS];
    glEnableVertexAttribArray(pos);
    glLineWidth(2);
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        const float line[12] = {r.x1, r.y1, 5, r.x2, r.y1, 5, r.x2, r.y2, 5, r.x1, r.y2, 5};
        const bool solid = r.clip_class == CLIP_SOLID;
        if (r.kind == RECT_AREA)
            glUniform4f(S->flat.slot[KX_SH_U_COLOR], solid ? 0.2f : 1.0f, 1.0f, solid ? 0.3f : 0.2f, 0.9f);
        else
            glUniform4f(S->flat.slot[KX_SH_U_COLOR], 1.0f, solid ? 0.1f : 0.55f, solid ? 0.6f : 0.0f, 1.0f);
        glVertexAttribPointer(pos, 3, GL_FLOAT, GL_FALSE, 12, line);
        glDrawArrays(GL_LINE_LOOP, 0, 4);
    }
    for (int i = 0; i < GAME_LEVEL_MARKER_COUNT; i++) {
        const game_level_marker_t& m = game_level_markers[i];
        const float d = 0.35f;
        const float quad[12] = {m.x - d, m.y - d, 6, m.x + d, m.y - d, 6,
                                m.x - d, m.y + d, 6, m.x + d, m.y + d, 6};
        if (m.type == OBJ_WAYPOINT)
            glUniform4f(S->flat.slot[KX_SH_U_COLOR], 0.3f, 0.6f, 1.0f, 1);
        else if (m.type == OBJ_HEALTHKIT)
            glUniform4f(S->flat.slot[KX_SH_U_COLOR], 1.0f, 0.2f, 1.0f, 1);
        else
            glUniform4f(S->flat.slot[KX_SH_U_COLOR], 1, 1, 1, 1);
        glVertexAttribPointer(pos, 3, GL_FLOAT, GL_FALSE, 12, quad);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    }
    kx_mat4_ortho(&kx_matrices.proj, 0, W, H, 0);
    kx_mv_identity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_CULL_FACE);  // text quads are not wound one way
    text("green: floor areas   yellow: no-walk areas", 10, 20, 0.45f, 0);
    text("magenta: blocks   orange: low blocks", 10, 48, 0.45f, 0);
    text("dots: waypoints, kits, spawns", 10, 76, 0.45f, 0);
    EXPECT_GT(save("level_top"), 40);
}

TEST_F(ContactSheet, Textures) {
    glViewport(0, 0, W, H);
    glClearColor(0.5f, 0.5f, 0.5f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    kx_mat4_ortho(&kx_matrices.proj, 0, W, H, 0);
    kx_mv_identity();
    const int order[] = {T_T1, T_GRASS, T_CRYSTAL, T_T2, T_GUI,  T_FONT, T_LT,
                         T_FR, T_RT,    T_BK,      T_UP, T_MENU, T_WHITE};
    const float s = 145;
    for (int i = 0; i < 13; i++) {
        const float x = 8 + (i % 7) * (s + 2), y = 8 + (i / 7) * (s + 30);
        use_default(order[i]);
        rect(x, y, x + s, y + s, 0, 0, 1, 1);
        text(kTexNames[order[i]], x + s / 2, y + s + 12, 0.3f, 2);
    }
    EXPECT_GT(save("textures"), 40);
}

TEST_F(ContactSheet, FontStrings) {
    glViewport(0, 0, W, H);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    kx_mat4_ortho(&kx_matrices.proj, 0, W, H, 0);
    kx_mv_identity();
    use_default(T_MENU);
    rect(0, 0, W, H, 0, 0, 1, 1);
    // Anchors as thin lines: centred text must sit on them.
    kx_sh_use(&S->flat);
    set_matrices(&S->flat);
    glUniform4f(S->flat.slot[KX_SH_U_COLOR], 1, 0.3f, 0.3f, 0.8f);
    const float lines[12] = {W / 2.0f, 0, 0, W / 2.0f, H, 0, 0, 120, 0, W, 120, 0};
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableVertexAttribArray(S->flat.slot[KX_SH_A_POS]);
    glVertexAttribPointer(S->flat.slot[KX_SH_A_POS], 3, GL_FLOAT, GL_FALSE, 12, lines);
    glDrawArrays(GL_LINES, 0, 4);
    text("IRONVALE", W / 2.0f, 60, 1.6f, 2);
    text("Single player  |  Одиночная игра", W / 2.0f, 120, 0.6f, 2);
    text("The quick brown fox jumps over the lazy dog. 0123456789", 20, 180, 0.6f, 0);
    text("Съешь же ещё этих мягких французских булок, да выпей чаю.", 20, 220, 0.6f, 0);
    text("!\"#$%&'()*+,-./:;<=>?@[]_{}~  ЁЖЩЮЯ ёжщюя", 20, 260, 0.6f, 0);
    text("em 4: Multiplayer / Сетевая игра / Options / Настройки", 20, 300, 0.4f, 0);
    text("em 10: Score  Счёт", 20, 350, 1.0f, 0);
    text("Right aligned", W - 20.0f, 420, 0.6f, 1);
    EXPECT_GT(save("font"), 40);
}

TEST_F(ContactSheet, GuiPieces) {
    // GUI vertices as the GUI renderer builds them: (x, y, mode, 1) and (u, v, highlight, extra).
    kx_sh_t gui;
    ASSERT_EQ(kx_sh_create(&gui, "shaders/gui.vert.glsl", "shaders/gui.frag.glsl"), 1);
    look_up(&gui);
    gui.slot[KX_SH_U_POS_MODIF] = kx_sh_uniform(&gui, "u_pos_modif");
    glViewport(0, 0, W, H);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    kx_mat4_ortho(&kx_matrices.proj, 0, W, H, 0);
    kx_mv_identity();
    use_default(T_MENU);
    rect(0, 0, W, H, 0, 0, 1, 1);
    std::vector<float> v;
    auto quad = [&](float x0, float y0, float x1, float y1, float mode, float u0, float v0, float u1,
                    float v1, float hl, float extra) {
        const float c[6][4] = {{x0, y0, u0, v0}, {x1, y0, u1, v0}, {x0, y1, u0, v1},
                               {x1, y0, u1, v0}, {x0, y1, u0, v1}, {x1, y1, u1, v1}};
        for (const auto& k : c) v.insert(v.end(), {k[0], k[1], mode, 1, k[2], k[3], hl, extra});
    };
    const float em = 6;
    const char* labels[] = {"Single player", "Multiplayer", "Options", "Quit"};
    for (int i = 0; i < 4; i++)
        quad(60, 150 + i * 60.0f, 360, 200 + i * 60.0f, 1, 0, 0, 1, 1, i == 1 ? 1.0f : 0.0f, 0);
    quad(560, 150, 960, 450, 1, 0, 0, 1, 1, 0, 0);                                      // options panel
    quad(580, 170, 580 + 5 * em, 170 + 5 * em, 0, 0.125f, 0.125f, 0.25f, 0.25f, 0, 0);  // checked box
    quad(580, 230, 580 + 5 * em, 230 + 5 * em, 0, 0, 0, 0.125f, 0.125f, 0, 0);          // hovered, unchecked
    quad(580, 290, 940, 290 + 5 * em, 1, 0, 0, 1, 1, 0, 0);                             // slider track
    quad(580 + 0.6f * (360 - 5 * em), 290, 580 + 0.6f * (360 - 5 * em) + 5 * em, 290 + 5 * em, 0, 0.125f,
         0.25f, 0.25f, 0.375f, 0, 0);
    quad(580, 350, 940, 390, 1, 0, 0, 1, 1, 0, 0);  // segmented choice
    quad(580 + 120, 350, 580 + 240, 350 + em, 0, 0.75f, 0.875f, 0.875f, 1, 0, 1);
    quad(600, 40, 860, 105, 0, 0.5f, 0, 1, 0.125f, 0, 0);  // title image
    kx_sh_use(&gui);
    glBindTexture(GL_TEXTURE_2D, S->tex[T_GUI]);
    glUniform1i(gui.slot[KX_SH_U_SAMPLER], 0);
    set_matrices(&gui);
    glUniform4f(gui.slot[KX_SH_U_POS_MODIF], 0, 0, 1, 1);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableVertexAttribArray(gui.slot[KX_SH_A_POS]);
    glEnableVertexAttribArray(gui.slot[KX_SH_A_UV]);
    glVertexAttribPointer(gui.slot[KX_SH_A_POS], 4, GL_FLOAT, GL_FALSE, 32, v.data());
    glVertexAttribPointer(gui.slot[KX_SH_A_UV], 4, GL_FLOAT, GL_FALSE, 32, v.data() + 4);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(v.size() / 8));
    for (int i = 0; i < 4; i++) text(labels[i], 210, 175 + i * 60.0f, em / 10, 2);
    text("Fullscreen", 580 + 6 * em, 170 + 2.5f * em, em / 10, 0);
    text("Invert mouse", 580 + 6 * em, 230 + 2.5f * em, em / 10, 0);
    text("Sensitivity", 760, 270, em / 10, 2);
    text("Multisampling: 2x", 760, 420, em / 10, 2);
    kx_sh_destroy(&gui);
    EXPECT_GT(save("gui"), 40);
}

}  // namespace
