// GUI state, the three files, the layout walk and the text and flag operations (see
// kx_gui.h). No GL here: text meshes go through kx_gui_update_text / kx_gui_free_text.
#include "engine/gui/kx_gui.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"

kx_gui_t kx_gui;

namespace {

// The count the item file declared (above KX_GUI_MAX_ITEMS when it was cut), and whether
// the items have been laid out since creation (text meshes wait for the first layout).
int32_t g_declared_count = 0;
int g_laid_out = 0;

void do_nothing(int) {}

int32_t rd_i32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// The whole file in memory; empty when missing or unreadable.
std::vector<uint8_t> read_file(const char* path) {
    std::vector<uint8_t> data;
    FILE* f = path ? std::fopen(path, "rb") : nullptr;
    if (!f) return data;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) data.insert(data.end(), buf, buf + n);
    std::fclose(f);
    return data;
}

// A float sum truncated towards zero into window pixels; NaN gives 0 and huge values stop
// at +-2^30 instead of overflowing the int.
int32_t to_px(float v) {
    if (!(v == v)) return 0;
    if (v > 1073741824.0f) return 1073741824;
    if (v < -1073741824.0f) return -1073741824;
    return static_cast<int32_t>(v);
}

bool valid(int item) { return item >= 0 && item < kx_gui.count; }

// The count a language or layout file must carry: the item count, or the count the item
// file declared when that was above the limit (then only the first 385 are read).
bool count_matches(int32_t n) {
    return n == kx_gui.count || (g_declared_count > KX_GUI_MAX_ITEMS && n == g_declared_count);
}

}  // namespace

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

// ---- creating --------------------------------------------------------------------------

int kx_gui_create(const char* path, const kx_font_t* font0, const kx_font_t* font1, const kx_font_t* font2) {
    const std::vector<uint8_t> data = read_file(path);
    return kx_gui_create_mem(data.data(), static_cast<long>(data.size()), path, font0, font1, font2);
}

int kx_gui_create_mem(const uint8_t* data, long len, const char* label, const kx_font_t* font0,
                      const kx_font_t* font1, const kx_font_t* font2) {
    kx_gui_destroy();
    kxLog("\n");
    kxLog("Creating GUI (%s) ...\n", label);
    kx_gui.click_sound = nullptr;
    kx_gui.click_on = 0;
    kx_gui.images_on = 0;
    kx_gui.hover = 0;
    kx_gui.pressed = 0;
    kx_gui.keyboard_mode = 0;
    kx_gui.flags = 0;
    kx_gui.quad_builds = 0;
    kx_gui.text_builds = 0;
    kx_gui.fonts[0] = font0;
    kx_gui.fonts[1] = font1;
    kx_gui.fonts[2] = font2;
    g_laid_out = 0;

    int32_t n = 0;
    if (!data || len < 4) {
        kxLog("kx_gui_create: [%s] is missing or empty: no items\n", label);
    } else {
        n = rd_i32(data);
    }
    g_declared_count = n;
    if (n < 0) n = 0;
    const int32_t count = n > KX_GUI_MAX_ITEMS ? KX_GUI_MAX_ITEMS : n;

    kx_gui.items = count > 0 ? new kx_gui_item_t[count]() : nullptr;
    kx_gui.count = count;
    int32_t total = 0;
    int cut_logged = 0;
    for (int32_t i = 0; i < count; i++) {
        kx_gui_item_t* it = &kx_gui.items[i];
        uint8_t rec[KX_GUI_ITEM_RECORD_BYTES] = {};
        const long at = 4 + static_cast<long>(i) * KX_GUI_ITEM_RECORD_BYTES;
        const long avail = len - at;
        if (avail < KX_GUI_ITEM_RECORD_BYTES && !cut_logged) {
            kxLog("kx_gui_create: [%s] is cut short at item %d of %d\n", label, i, count);
            cut_logged = 1;
        }
        if (avail > 0) std::memcpy(rec, data + at, avail < KX_GUI_ITEM_RECORD_BYTES ? avail : KX_GUI_ITEM_RECORD_BYTES);
        std::memcpy(&it->level, rec + 0, 4);
        std::memcpy(&it->tag, rec + 4, 4);
        std::memcpy(&it->type, rec + 8, 4);
        std::memcpy(&it->flags, rec + 12, 4);
        std::memcpy(it->param, rec + 16, 16);
        std::memcpy(&it->value, rec + 32, 4);
        std::memcpy(&it->value_max, rec + 36, 4);
        std::memcpy(&it->text_indent, rec + 40, 4);
        std::memcpy(it->image, rec + 48, 16);
        if (it->type < 0 || it->type >= KX_GUI_TYPE_COUNT) {
            kxLog("kx_gui_create: item %d has type %d (not 0-11): refused, kept as a hidden container\n", i,
                  it->type);
            it->type = KX_GUI_CONTAINER;
            it->flags |= KX_GUI_HIDDEN;
            kx_gui_set_param(it, 0, 0.0f);
            kx_gui_set_param(it, 1, 0.0f);
            kx_gui_set_param(it, 2, 1.0f);
            kx_gui_set_param(it, 3, 1.0f);
        }
        const float ih = it->image[3] - it->image[1];
        it->image_aspect = ih > 0.01f ? (it->image[2] - it->image[0]) / ih : 1.0f;
        it->first_vertex = total;
        total += kx_gui_type_vertices(it->type);
        it->handlers[KX_GUI_ON_BUILD] = kx_gui_build_item;
        for (int slot : {6, 7, 15, 16, 17, 18, 19, 20, 21, 22, 23}) it->handlers[slot] = do_nothing;
        it->text_scale = 0.8f;
        it->trim_logged = -1;
        it->vbo_logged = -1;
    }
    if (n > KX_GUI_MAX_ITEMS) kxLog("ERROR, too many gui items\n");

    kx_gui.vertex_count = total;
    kx_gui.vertices = new float[static_cast<size_t>(total > 0 ? total : 1) * KX_GUI_VERTEX_FLOATS]();
    kx_gui.created = 1;
    return count;
}

// ---- language ----------------------------------------------------------------------------

int kx_gui_load_lang(const char* path, int images_on) {
    const std::vector<uint8_t> data = read_file(path);
    return kx_gui_load_lang_mem(data.data(), static_cast<long>(data.size()), path, images_on);
}

int kx_gui_load_lang_mem(const uint8_t* data, long len, const char* label, int images_on) {
    kxLog("\n");
    kxLog("Loading GUI lang (%s):\n", label);
    kx_gui.images_on = images_on;
    if (!data || len < 4) {
        kxLog("ERROR, gui lang [%s] is missing or empty\nAborted\n", label);
        return 0;
    }
    const int32_t n = rd_i32(data);
    if (!count_matches(n)) {
        kxLog("ERROR, gui count mismatch [%s]'s count\nAborted\n", label);
        return 0;
    }
    const int32_t count = n > KX_GUI_MAX_ITEMS ? KX_GUI_MAX_ITEMS : n;
    // Check the whole file before any text is replaced.
    long pos = 4;
    for (int32_t i = 0; i < count; i++) {
        if (len - pos < 4) {
            kxLog("ERROR, gui lang [%s] is cut short at text %d\nAborted\n", label, i);
            return 0;
        }
        uint32_t l;
        std::memcpy(&l, data + pos, 4);
        pos += 4;
        if (l > KX_GUI_TEXT_SIZE - 1) {
            kxLog("ERROR, gui lang [%s]: text %d is %u bytes long (at most %d)\nAborted\n", label, i, l,
                  KX_GUI_TEXT_SIZE - 1);
            return 0;
        }
        if (len - pos < static_cast<long>(l)) {
            kxLog("ERROR, gui lang [%s] is cut short at text %d\nAborted\n", label, i);
            return 0;
        }
        pos += l;
    }
    pos = 4;
    for (int32_t i = 0; i < count; i++) {
        kx_gui_item_t* it = &kx_gui.items[i];
        uint32_t l;
        std::memcpy(&l, data + pos, 4);
        pos += 4;
        std::memcpy(it->text, data + pos, l);
        it->text[l] = 0;
        pos += l;
        std::memcpy(it->base_text, it->text, l + 1);
        if (g_laid_out) kx_gui_update_text(i, 0);
    }
    if (n > KX_GUI_MAX_ITEMS) kxLog("ERROR, too many gui items\n");
    return 1;
}

// ---- coordinates -----------------------------------------------------------------------

int kx_gui_load_coords(const char* path) {
    const std::vector<uint8_t> data = read_file(path);
    return kx_gui_load_coords_mem(data.data(), static_cast<long>(data.size()), path);
}

int kx_gui_load_coords_mem(const uint8_t* data, long len, const char* label) {
    int applied = 0;
    if (!data || len < 4) {
        kxLog("ERROR, gui coords [%s] is missing or empty\nAborted\n", label);
    } else if (!count_matches(rd_i32(data))) {
        kxLog("ERROR, gui count mismatch [%s]'s count\nAborted\n", label);
    } else {
        const int32_t n = rd_i32(data);
        const int32_t count = n > KX_GUI_MAX_ITEMS ? KX_GUI_MAX_ITEMS : n;
        for (int32_t i = 0; i < count; i++) {
            kx_gui_item_t* it = &kx_gui.items[i];
            uint8_t rec[KX_GUI_COORDS_RECORD_BYTES] = {};
            const long at = 4 + static_cast<long>(i) * KX_GUI_COORDS_RECORD_BYTES;
            long got = len - at;
            if (got < 0) got = 0;
            if (got > KX_GUI_COORDS_RECORD_BYTES) got = KX_GUI_COORDS_RECORD_BYTES;
            if (got > 0) std::memcpy(rec, data + at, got);
            if (got < KX_GUI_COORDS_RECORD_BYTES)
                kxLog("kx_gui_load_coords: warning: case 7717   (fres=%d) \n", static_cast<int>(got));
            std::memcpy(it->nav, rec, 16);
            std::memcpy(it->layout, rec + 16, 48);
            uint32_t mask, value;
            std::memcpy(&mask, rec + 64, 4);
            std::memcpy(&value, rec + 68, 4);
            it->flags = (it->flags & ~mask) | value;
        }
        if (n > KX_GUI_MAX_ITEMS) kxLog("ERROR, too many gui items\n");
        applied = 1;
    }
    kx_gui_recalc();
    return applied;
}

// ---- layout ------------------------------------------------------------------------------

void kx_gui_recalc() {
    if (kx_gui.count <= 0) return;
    const float u = kx_app.em;
    struct rect_t {
        float x, y, w, h;
    } stack[KX_GUI_LAYOUT_DEPTH];
    stack[0] = {0.0f, 0.0f, static_cast<float>(kx_app.width), static_cast<float>(kx_app.height)};
    int d = 0;
    for (int i = 0; i < kx_gui.count; i++) {
        kx_gui_item_t* it = &kx_gui.items[i];
        const uint32_t f = it->flags;
        it->align = (f & KX_GUI_RIGHT) ? 1 : (f & KX_GUI_CENTER) ? 2 : 0;
        it->font = (f & KX_GUI_SMALLER) ? 2 : (f & KX_GUI_SMALL) ? 1 : 0;
        it->wrap = (f & KX_GUI_WRAP) ? 1 : 0;
        if (i > 0) {
            if (it->level > d && d + 1 < KX_GUI_LAYOUT_DEPTH) {
                const kx_gui_item_t* prev = &kx_gui.items[i - 1];
                d++;
                stack[d] = {static_cast<float>(prev->x), static_cast<float>(prev->y), static_cast<float>(prev->w),
                            static_cast<float>(prev->h)};
            } else if (it->level < d && d > 0) {
                d--;
            }
        }
        const rect_t& p = stack[d];
        const float* c = it->layout;
        it->x = to_px(p.x + c[0] * u + c[1] * p.w + c[2] * p.h + static_cast<float>(it->offset_x));
        it->y = to_px(p.y + c[3] * u + c[4] * p.w + c[5] * p.h + static_cast<float>(it->offset_y));
        it->w = to_px(c[6] * u + c[7] * p.w + c[8] * p.h);
        it->h = to_px(c[9] * u + c[10] * p.w + c[11] * p.h);
        it->x2 = to_px(static_cast<float>(it->x) + static_cast<float>(it->w));
        it->y2 = to_px(static_cast<float>(it->y) + static_cast<float>(it->h));
        if (it->handlers[KX_GUI_ON_BUILD]) it->handlers[KX_GUI_ON_BUILD](i);
    }
    g_laid_out = 1;
    for (int i = 0; i < kx_gui.count; i++) kx_gui_update_text(i, 0);
}

// ---- destroying --------------------------------------------------------------------------

void kx_gui_destroy() {
    for (int i = 0; i < kx_gui.count; i++) kx_gui_free_text(i);
    delete[] kx_gui.items;
    delete[] kx_gui.vertices;
    kx_gui.items = nullptr;
    kx_gui.vertices = nullptr;
    kx_gui.count = 0;
    kx_gui.vertex_count = 0;
    kx_gui.created = 0;
    kx_gui.hover = 0;
    kx_gui.pressed = 0;
    g_declared_count = 0;
    g_laid_out = 0;
}

// ---- texts -------------------------------------------------------------------------------

void kx_gui_set_text(int item, const char* text) {
    if (!valid(item)) return;
    if (!text) text = "";
    char* dst = kx_gui.items[item].text;
    const size_t l = strnlen(text, KX_GUI_TEXT_SIZE - 1);
    std::memmove(dst, text, l);  // the text may be the item's own
    dst[l] = 0;
    kx_gui_update_text(item, 0);
}

void kx_gui_printf(int item, const char* format, ...) {
    if (!valid(item) || !format) return;
    char buf[KX_GUI_TEXT_SIZE];  // the arguments may point into the item's own text
    va_list ap;
    va_start(ap, format);
    const int r = std::vsnprintf(buf, sizeof buf, format, ap);
    va_end(ap);
    if (r < 0) buf[0] = 0;
    std::memcpy(kx_gui.items[item].text, buf, sizeof buf);
    kx_gui_update_text(item, 0);
}

void kx_gui_refresh_text(int item) {
    if (!valid(item)) return;
    kx_gui.items[item].text[KX_GUI_TEXT_SIZE - 1] = 0;
    kx_gui_update_text(item, 0);
}

// ---- offsets, handlers, flags --------------------------------------------------------------

void kx_gui_set_offset(int item, int dx, int dy) {
    if (!valid(item)) return;
    kx_gui.items[item].offset_x = dx;
    kx_gui.items[item].offset_y = dy;
    kx_gui_recalc();
}

void kx_gui_set_handler(int item, int slot, kx_gui_handler_t fn) {
    if (item <= 0 || !valid(item) || slot < 0 || slot >= KX_GUI_HANDLER_COUNT) return;
    kx_gui.items[item].handlers[slot] = fn;
}

void kx_gui_hide(int item) {
    if (item > 0 && valid(item)) kx_gui.items[item].flags |= KX_GUI_HIDDEN;
}

void kx_gui_show(int item) {
    if (item > 0 && valid(item)) kx_gui.items[item].flags &= ~uint32_t{KX_GUI_HIDDEN};
}

void kx_gui_toggle(int item) {
    if (item > 0 && valid(item)) kx_gui.items[item].flags ^= KX_GUI_HIDDEN;
}

int kx_gui_is_hidden(int item) { return valid(item) && (kx_gui.items[item].flags & KX_GUI_HIDDEN) ? 1 : 0; }

void kx_gui_set_click_sound(kx_sound_t* sound) {
    kx_gui.click_sound = sound;
    kx_gui.click_on = sound ? 1 : 0;
}

void kx_gui_clear_click_sound() {
    kx_gui.click_sound = nullptr;
    kx_gui.click_on = 0;
}
