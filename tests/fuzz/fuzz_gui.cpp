// libFuzzer harness for the GUI loaders: one input holds an item file, a language file and a
// layout file (u16 length of the first, u16 length of the second, the two files, the rest is
// the layout file). All three are loaded in start-up order, the items are laid out, their
// quads built hovered and not, hit-tested at a few points and given new texts.
// Text meshes are laid out (kx_text_layout) but not uploaded: this program has no GL.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"
#include "engine/gui/kx_text_layout.h"

kx_app_t kx_app;  // this program is the application: a fixed window, em 8

namespace {

kx_font_t make_font() {
    kx_font_t f{};
    f.scale = 0.8f;
    f.size = 56;
    for (int c = 0; c < 256; c++) {
        f.advance[c] = 20.0f + static_cast<float>(c % 7);
        const float g[8] = {1, -40, 18, 10, 0, 0, 1, 1};
        std::memcpy(f.glyph[c], g, sizeof g);
    }
    return f;
}

const kx_font_t font = make_font();
std::vector<float> scratch;

}  // namespace

// The GL-free stand-ins for the mesh upload of kx_gui_render.cpp: the text is laid out as
// kx_text_build would, with the item's font, alignment, scale and wrap width.
void kx_gui_update_text(int item, int) {
    if (item < 0 || item >= kx_gui.count) return;
    kx_gui_item_t* it = &kx_gui.items[item];
    it->text_scale = (it->flags & KX_GUI_SMALLER) ? 0.5f : (it->flags & KX_GUI_SMALL) ? 0.65f : 0.8f;
    it->font = (it->flags & KX_GUI_SMALLER) ? 2 : (it->flags & KX_GUI_SMALL) ? 1 : 0;
    const kx_font_t* f = kx_gui.fonts[it->font];
    if (!f) return;
    const size_t len = strnlen(it->text, KX_GUI_TEXT_SIZE);
    if (len >= KX_GUI_TEXT_SIZE) __builtin_trap();  // a text without its NUL
    scratch.resize(len * KX_TEXT_FLOATS_PER_BYTE + 1);
    const float wrap = (static_cast<float>(it->w) - 2.0f * kx_app.em) * static_cast<float>(it->wrap);
    kx_text_layout(f, it->text, len, it->align, it->text_scale, wrap, scratch.data());
    kx_gui.text_builds++;
}

void kx_gui_free_text(int) {}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::freopen("/dev/null", "w", stdout)) return 0;  // the GUI's log lines
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4) return 0;
    size_t gui_len = data[0] | (data[1] << 8), lang_len = data[2] | (data[3] << 8);
    data += 4, size -= 4;
    if (gui_len > size) gui_len = size;
    if (lang_len > size - gui_len) lang_len = size - gui_len;
    // Each file in its own allocation of exactly its size, so reads past one are caught.
    const std::vector<uint8_t> gui(data, data + gui_len), lang(data + gui_len, data + gui_len + lang_len),
        coords(data + gui_len + lang_len, data + size);
    kx_app.width = 640, kx_app.height = 480, kx_app.em = 8.0f;

    kx_gui_create_mem(gui.data(), static_cast<long>(gui.size()), "fuzz.bin", &font, &font, &font);
    kx_gui_load_lang_mem(lang.data(), static_cast<long>(lang.size()), "fuzz.lang", 0);
    kx_gui_load_coords_mem(coords.data(), static_cast<long>(coords.size()), "fuzz.0.bin");
    for (int i = 0; i < kx_gui.count; i++) {
        kx_gui.hover = i;
        kx_gui_build_item(i);
    }
    kx_gui.hover = 0;
    for (int i = 0; i < kx_gui.count; i++) kx_gui_build_item(i);
    const int points[][2] = {{0, 0}, {1, 1}, {320, 240}, {639, 479}, {100, 400}};
    for (const auto& p : points) {
        const int hit = kx_gui_hit_test(p[0], p[1]);
        if (hit < 0 || hit >= (kx_gui.count > 0 ? kx_gui.count : 1)) __builtin_trap();
    }
    for (int i = -1; i <= kx_gui.count; i++) {
        kx_gui_printf(i, "%s|%d", i >= 0 && i < kx_gui.count ? kx_gui.items[i].base_text : "", i);
        kx_gui_toggle(i);
    }
    kx_app.width = 1920, kx_app.height = 1080, kx_app.em = 20.0f;
    kx_gui_recalc();
    kx_gui_destroy();
    return 0;
}
