// Engine showcase: stand-in for the game's handlers. Loads a model, a texture and a
// lit shader from the asset directory (falling back to built-in ones while the asset
// generator has not produced them), then draws the model spinning into the game's
// framebuffers and composes the result to the window every frame.
// Depends on kx_app, kx_render (kx_gl, kx_sh, kx_vbo, kx_tx, kx_matrices), game_fbo.
#include "game/draw/engine_showcase.h"

#include <cmath>
#include <cstdio>

#include "engine/app/kx_app.h"
#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "engine/render/kx_sh.h"
#include "engine/render/kx_tx.h"
#include "engine/render/kx_vbo.h"
#include "game/draw/game_fbo.h"

namespace {

// What the showcase draws. Lifetime: OnInitDisplay .. OnTerm.
struct showcase_t {
    kx_vbo_t model;
    uint32_t texture;
    kx_sh_t light;
    vec3 center;   // model's bounding-box centre
    float radius;  // half the bounding-box diagonal, 1 for the built-in cube
} sc;

const char* const kModels[] = {"models/testplayer.rawmdl", "models/macgun1.rawmdl", "models/gun1.rawmdl",
                               "models/redcross.rawmdl",   "models/minisphere.rawmdl"};
const char* const kTextures[] = {"textures/t2.png", "textures/t1.png", "textures/crystal.png",
                                 "textures/grass.png", "textures/white.png"};

// Lit and textured: ambient u_lval_k.x plus diffuse u_lval_k.y from a fixed view-space
// light, tinted by u_color (the values the game feeds its light program).
const char* const kLightVertex =
    "uniform mat4 u_proj;\nuniform mat4 u_modelview;\nuniform mat3 u_normal_matrix;\n"
    "attribute vec4 a_pos;\nattribute vec3 a_norm;\nattribute vec2 a_uv;\n"
    "varying vec2 v_uv;\nvarying vec3 v_norm;\n"
    "void main() {\n  v_uv = a_uv;\n  v_norm = u_normal_matrix * a_norm;\n"
    "  gl_Position = u_proj * u_modelview * a_pos;\n}\n";
const char* const kLightFragment =
    "uniform sampler2D u_sampler;\nuniform vec3 u_lval_k;\nuniform vec4 u_color;\n"
    "varying vec2 v_uv;\nvarying vec3 v_norm;\n"
    "void main() {\n  float d = max(dot(normalize(v_norm), normalize(vec3(0.4, 0.6, 0.7))), 0.0);\n"
    "  vec4 t = texture2D(u_sampler, v_uv);\n"
    "  gl_FragColor = vec4(t.rgb * (u_lval_k.x + u_lval_k.y * d) + u_color.rgb, t.a * u_color.a);\n}\n";

bool file_exists(const char* path) {
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    std::fclose(f);
    return true;
}

// Bounding box of a model file, so any model fills the view. False when unreadable.
bool model_bounds(const char* path, vec3* center, float* radius) {
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return false;
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    float rec[8];
    bool any = false;
    while (std::fread(rec, sizeof rec, 1, f) == 1) {
        any = true;
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::fmin(lo[i], rec[i]);
            hi[i] = std::fmax(hi[i], rec[i]);
        }
    }
    std::fclose(f);
    if (!any) return false;
    *center = kx_vec3((lo[0] + hi[0]) * 0.5f, (lo[1] + hi[1]) * 0.5f, (lo[2] + hi[2]) * 0.5f);
    *radius = 0.5f * kx_vec3_length(kx_vec3(hi[0] - lo[0], hi[1] - lo[1], hi[2] - lo[2]));
    if (!(*radius > 1e-6f)) *radius = 1.0f;
    return true;
}

// A unit cube in the model layout, for when no model file is there yet.
void build_cube(kx_vbo_t* vbo) {
    // Each face: normal, then the two axes spanning it.
    static const float faces[6][3][3] = {
        {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},  {{-1, 0, 0}, {0, -1, 0}, {0, 0, 1}}, {{0, 1, 0}, {-1, 0, 0}, {0, 0, 1}},
        {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   {{0, 0, -1}, {1, 0, 0}, {0, -1, 0}}};
    float data[36 * 12];
    float* out = data;
    for (const auto& face : faces) {
        const float* f = face[0];
        const float* u = face[1];
        const float* v = face[2];
        const float corners[6][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners) {
            for (int i = 0; i < 3; ++i) out[i] = 0.5f * (f[i] + c[0] * u[i] + c[1] * v[i]);
            out[3] = 1.0f;
            out[4] = f[0];
            out[5] = f[1];
            out[6] = f[2];
            out[7] = 0.0f;
            out[8] = (c[0] + 1) * 0.5f;
            out[9] = (c[1] + 1) * 0.5f;
            out[10] = out[11] = 0.0f;
            out += 12;
        }
    }
    const kx_vbo_attrib_t attribs[3] = {
        {4, GL_FLOAT, 0, KX_SH_A_POS}, {3, GL_FLOAT, 4, KX_SH_A_NORM}, {4, GL_FLOAT, 8, KX_SH_A_UV}};
    kx_vbo_create(vbo, data, 36, 12, GL_TRIANGLES, 3, attribs);
}

// A two-colour checkerboard, for when no texture file is there yet.
uint32_t build_checker() {
    static unsigned char px[64 * 64 * 3];
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            unsigned char* p = px + (y * 64 + x) * 3;
            const bool odd = ((x / 8) + (y / 8)) & 1;
            p[0] = odd ? 230 : 40;
            p[1] = odd ? 170 : 90;
            p[2] = odd ? 60 : 160;
        }
    return kx_tx_create(64, 64, 3, 1, 0, px);
}

void load_model() {
    for (const char* path : kModels) {
        if (!file_exists(path)) continue;
        if (kx_vbo_try_rawmdl(&sc.model, path) && sc.model.count > 0 && model_bounds(path, &sc.center, &sc.radius)) {
            kxLog("showcase: model %s, %u vertices \n", path, sc.model.count);
            return;
        }
    }
    kxLog("%s\n", "showcase: no model file found, drawing the built-in cube ");
    build_cube(&sc.model);
    sc.center = kx_vec3(0, 0, 0);
    sc.radius = 0.87f;
}

void load_texture() {
    for (const char* path : kTextures) {
        if (!file_exists(path)) continue;
        sc.texture = kx_tx_load_png(path, 1, 0, nullptr);
        if (sc.texture != 0) return;
    }
    kxLog("%s\n", "showcase: no texture file found, using a checkerboard ");
    sc.texture = build_checker();
}

void build_light_shader() {
    const char* vs = "shaders/light2.vert.glsl";
    const char* fs = "shaders/light2.frag.glsl";
    int ok = 0;
    if (file_exists(vs) && file_exists(fs)) {
        ok = kx_sh_create(&sc.light, vs, fs);
        if (!ok) kx_sh_destroy(&sc.light);
    }
    if (!ok) {
        kxLog("%s\n", "showcase: using the built-in light shader ");
        kx_sh_create_src(&sc.light, kLightVertex, kLightFragment);
    }
    kx_sh_t& s = sc.light;
    s.slot[KX_SH_A_POS] = kx_sh_attrib(&s, "a_pos");
    s.slot[KX_SH_A_UV] = kx_sh_attrib(&s, "a_uv");
    s.slot[KX_SH_A_NORM] = kx_sh_attrib(&s, "a_norm");
    s.slot[KX_SH_U_SAMPLER] = kx_sh_uniform(&s, "u_sampler");
    s.slot[KX_SH_U_COLOR_LIGHT] = kx_sh_uniform(&s, "u_color");
    s.slot[KX_SH_U_LVAL_K] = kx_sh_uniform(&s, "u_lval_k");
    s.slot[KX_SH_U_PROJ] = kx_sh_uniform(&s, "u_proj");
    s.slot[KX_SH_U_MODELVIEW] = kx_sh_uniform(&s, "u_modelview");
    s.slot[KX_SH_U_MODELVIEW_LIGHT] = kx_sh_uniform(&s, "u_modelview_light");
    s.slot[KX_SH_U_NORMAL_MATRIX] = kx_sh_uniform(&s, "u_normal_matrix");
}

void on_init_display() {
    kxLog("%s\n", "--- Engine showcase init (stand-in for the game) ---");
    game_fbo_reset_settings();
    // Exercise the multisampled path whenever the driver offers it.
    ms_enabled = ms_samples > 0 ? 1 : 0;
    game_fbo_init();
    load_model();
    load_texture();
    build_light_shader();
    kxAppSetContinuous(1);
    kxCheckGlError("showcase init");
}

void draw_scene() {
    game_fbo_bind_scene();
    glClearColor(0.2f, 0.2f, 0.3f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);

    const float angle = static_cast<float>(std::fmod(static_cast<double>(kx_app.time_ms) * 0.0008, 6.283185307));
    kx_proj_frustum(0.7f, 0.5f, 800.0f);
    kx_mv_identity();
    kx_mv_translate(0.0f, 0.0f, -1.9f);
    kx_mv_rotate(-1.2f, 1.0f, 0.0f, 0.0f);  // world z up, seen slightly from above
    kx_mv_rotate(angle, 0.0f, 0.0f, 1.0f);
    mat3 normal;
    kx_mat3_normal(&normal, &kx_matrices.modelview);
    mat4 view;
    kx_mat4_copy(&view, &kx_matrices.modelview);
    kx_mv_scale(1.0f / sc.radius);
    kx_mv_translate(-sc.center.x, -sc.center.y, -sc.center.z);

    const kx_sh_t& s = sc.light;
    kx_sh_use(&s);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, sc.texture);
    glUniform1i(s.slot[KX_SH_U_SAMPLER], 0);
    glUniform3f(s.slot[KX_SH_U_LVAL_K], 0.3108f, 1.44f, 0.0f);
    glUniform4f(s.slot[KX_SH_U_COLOR_LIGHT], 0.0f, 0.0f, 0.0f, 1.0f);
    glUniformMatrix4fv(s.slot[KX_SH_U_MODELVIEW_LIGHT], 1, GL_FALSE, view.m);
    glUniformMatrix3fv(s.slot[KX_SH_U_NORMAL_MATRIX], 1, GL_FALSE, normal.m);
    kx_matrices_set(&s);
    kx_vbo_draw(&sc.model, &s);
    glDisable(GL_DEPTH_TEST);
}

void compose() {
    game_fbo_resolve();
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, kx_app.width, kx_app.height);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    kx_sh_use(&kx_sh_default);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, fbo_main.color_tex);
    glUniform1i(kx_sh_default.slot[KX_SH_U_SAMPLER], 0);
    kx_proj_ortho_unit();
    kx_mv_identity();
    kx_matrices_set(&kx_sh_default);
    kx_draw_rect_unit(kx_sh_default.slot[KX_SH_A_POS], kx_sh_default.slot[KX_SH_A_UV], 0.0f, 0.0f, 1.0f, 1.0f);
    glEnable(GL_BLEND);
}

void on_process() {
    draw_scene();
    compose();
    kxCheckGlError("showcase frame");
    kxAppSwapBuffers();
}

void on_resize(int width, int height) {
    fbo_width = width;
    fbo_height = height;
    game_fbo_reconfigure();
}

// Escape leaves, so a person (or a test) can end the run cleanly.
void on_key_down(int key, int /*first*/) {
    if (key == KX_KEY_ESCAPE) kxAppQuit();
}

void on_term() {
    kxLog("%s\n", "--- Engine showcase term ---");
    kx_vbo_destroy(&sc.model);
    kx_tx_destroy(sc.texture);
    kx_sh_destroy(&sc.light);
    game_fbo_term();
}

}  // namespace

void engine_showcase_install() {
    kx_app.OnInitDisplay = on_init_display;
    kx_app.OnProcess = on_process;
    kx_app.OnResize = on_resize;
    kx_app.OnTerm = on_term;
    kx_app.OnKeyDown = on_key_down;
}
