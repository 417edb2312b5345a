// The GUI test fixture (see menu_fixture.h).
#include "menu/menu_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "assets/asset_read.h"
#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"
#include "engine/gui/kx_text.h"
#include "engine/gui/kx_text_layout.h"
#include "engine/render/kx_fbo.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "engine/render/kx_sh.h"
#include "engine/render/kx_tx.h"
#include "support/test_gl_context.h"
#include "tools/assetgen/ag_image.h"

namespace {

struct fixture_t {
    bool open = false;
    kx_font_t font;
    uint32_t background = 0;
};
fixture_t F;

}  // namespace

bool menu_gui_open(int w, int h) {
    if (F.open) {
        menu_gui_resize(w, h);
        return true;
    }
    if (!test_gl_open(1024, 600) || chdir(asset_dir().c_str()) != 0) return false;
    kxAppZero();
    kx_app.screen_class = 1;  // the desktop shells' GUI unit
    kx_sh_init();
    kxAppUpdateSize(w, h);
    const uint32_t font_tex = kx_tx_load_png("textures/font8cyr.png", 1, 1, nullptr);
    kx_gui.texture = kx_tx_load_png("textures/gui.png", 1, 1, nullptr);
    if (!font_tex || !kx_gui.texture || !kx_font_create(&F.font, font_tex, "font/fontcyr.bin", 56, kx_app.em / 10))
        return false;
    kx_text_create_shader("shaders/text.vert.glsl", "shaders/text.frag.glsl");
    if (!kx_gui_create_shader("shaders/gui.vert.glsl", "shaders/gui.frag.glsl")) return false;
    kx_gui_create("gui/ironvale.bin", &F.font, &F.font, &F.font);
    if (!kx_gui_load_lang("gui/ironvale.lang1.bin", 0) || !kx_gui_load_coords("gui/ironvale.0.bin")) return false;
    F.open = true;
    return true;
}

void menu_gui_resize(int w, int h) {
    kxAppUpdateSize(w, h);
    F.font.scale = kx_app.em / 10;
    kx_gui_recalc();
}

const kx_font_t* menu_font() { return &F.font; }

menu_box_t menu_text_box(int i) {
    const kx_gui_item_t* it = &kx_gui.items[i];
    const size_t n = std::strlen(it->text);
    std::vector<float> v(n * KX_TEXT_FLOATS_PER_BYTE);
    const float wrap = it->wrap ? static_cast<float>(it->w) - 2 * kx_app.em : 0;
    kx_text_layout(&F.font, it->text, n, it->align, it->text_scale, wrap, v.data());
    menu_box_t b = {1e9f, 1e9f, -1e9f, -1e9f};
    for (size_t c = 0; c < n; c++) {
        if (std::strchr("\n\r \\", it->text[c])) continue;
        for (int k = 0; k < KX_TEXT_VERTS_PER_BYTE; k++) {
            const float* p = &v[(c * KX_TEXT_VERTS_PER_BYTE + k) * KX_TEXT_FLOATS_PER_VERTEX];
            b = {std::min(b.x0, p[0]), std::min(b.y0, p[1]), std::max(b.x1, p[0]), std::max(b.y1, p[1])};
        }
    }
    return {b.x0 + it->text_x, b.y0 + it->text_y, b.x1 + it->text_x, b.y1 + it->text_y};
}

std::vector<uint8_t> menu_gui_draw() {
    const int w = kx_app.width, h = kx_app.height;
    if (!F.background) F.background = kx_tx_load_png("textures/menu_background.png", 1, 0, nullptr);
    kx_fbo_t fbo{};
    kx_fbo_create(&fbo, 0, KX_FBO_COLOR_TEX, w, h);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo.fbo);
    glViewport(0, 0, w, h);
    glClearColor(0.3f, 0.3f, 0.32f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_DEPTH_TEST);
    kx_proj_ortho_pixels();
    kx_mv_identity();
    kx_sh_use(&kx_sh_default);
    kx_matrices_set(&kx_sh_default);
    glBindTexture(GL_TEXTURE_2D, F.background);
    kx_draw_rect(kx_sh_default.slot[KX_SH_A_POS], kx_sh_default.slot[KX_SH_A_UV], 0, 0, static_cast<float>(w),
                 static_cast<float>(h), 0, 0, 1, 1, 0, 0, 0);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    kx_gui_render();
    glFinish();
    std::vector<uint8_t> rgba(static_cast<size_t>(w) * h * 4), rgb(static_cast<size_t>(w) * h * 3);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            std::memcpy(&rgb[(static_cast<size_t>(y) * w + x) * 3], &rgba[(static_cast<size_t>(h - 1 - y) * w + x) * 4], 3);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    kx_fbo_destroy(&fbo, KX_FBO_COLOR_TEX);
    return rgb;
}

bool menu_save_png(const std::string& name, const std::vector<uint8_t>& rgb) {
    const std::string dir = asset_dir() + "/../contact";
    mkdir(dir.c_str(), 0755);
    ag_image_t img = ag_image_make(kx_app.width, kx_app.height, 3);
    std::memcpy(img.pixels.data(), rgb.data(), rgb.size());
    return ag_png_write((dir + "/" + name + ".png").c_str(), img) == 0;
}
