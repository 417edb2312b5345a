// GUI state, files, layout and text operations (see kx_gui.h). Stub: entry points exist,
// behaviour lands next.
#include "engine/gui/kx_gui.h"

#include <cstring>

kx_gui_t kx_gui;

float kx_gui_param(const kx_gui_item_t* it, int word) {
    float f;
    std::memcpy(&f, &it->param[word & 3], 4);
    return f;
}
void kx_gui_set_param(kx_gui_item_t* it, int word, float value) { std::memcpy(&it->param[word & 3], &value, 4); }
int kx_gui_type_vertices(int type) {
    static const int counts[KX_GUI_TYPE_COUNT] = {0, 6, 0, 6, 12, 6, 12, 6, 12, 12, 6, 12};
    return type >= 0 && type < KX_GUI_TYPE_COUNT ? counts[type] : 0;
}
int kx_gui_create(const char*, const kx_font_t*, const kx_font_t*, const kx_font_t*) { return 0; }
int kx_gui_create_mem(const uint8_t*, long, const char*, const kx_font_t*, const kx_font_t*, const kx_font_t*) {
    return 0;
}
int kx_gui_load_lang(const char*, int) { return 0; }
int kx_gui_load_lang_mem(const uint8_t*, long, const char*, int) { return 0; }
int kx_gui_load_coords(const char*) { return 0; }
int kx_gui_load_coords_mem(const uint8_t*, long, const char*) { return 0; }
void kx_gui_recalc() {}
void kx_gui_destroy() {}
void kx_gui_set_text(int, const char*) {}
void kx_gui_printf(int, const char*, ...) {}
void kx_gui_refresh_text(int) {}
void kx_gui_set_offset(int, int, int) {}
void kx_gui_set_handler(int, int, kx_gui_handler_t) {}
void kx_gui_hide(int) {}
void kx_gui_show(int) {}
void kx_gui_toggle(int) {}
int kx_gui_is_hidden(int) { return 0; }
void kx_gui_set_click_sound(kx_sound_t*) {}
void kx_gui_clear_click_sound() {}
int kx_gui_create_shader(const char*, const char*) { return 0; }
void kx_gui_destroy_shader() {}
void kx_gui_render() {}
void kx_gui_build_item(int) {}
void kx_gui_set_pointer(int, int) {}
int kx_gui_hit_test(int, int) { return 0; }
int kx_gui_pointer_down() { return 0; }
int kx_gui_pointer_up() { return 0; }
void kx_gui_activate() {}
void kx_gui_drag_start() {}
void kx_gui_drag_end() {}
int kx_gui_drag_move() { return 0; }
void kx_gui_set_hover(int) {}
int kx_gui_key(int, int) { return 0; }
void kx_gui_set_keyboard_mode(int) {}
void kx_gui_update_text(int, int) {}
void kx_gui_free_text(int) {}
