// Item quads and text anchors (kx_gui_build_item) and the hit test (see kx_gui.h). No GL.
#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"

namespace {

// Six vertices of one quad: (x0, y0), (x1, y0), (x0, y1), (x1, y0), (x0, y1), (x1, y1), each
// (x, y, mode, 1, u, v, highlight, extra).
float* quad(float* v, float x0, float y0, float x1, float y1, float u0, float v0, float u1, float v1, float mode,
            float highlight, float extra) {
    const float corners[6][4] = {{x0, y0, u0, v0}, {x1, y0, u1, v0}, {x0, y1, u0, v1},
                                 {x1, y0, u1, v0}, {x0, y1, u0, v1}, {x1, y1, u1, v1}};
    for (const auto& c : corners) {
        v[0] = c[0], v[1] = c[1], v[2] = mode, v[3] = 1.0f;
        v[4] = c[2], v[5] = c[3], v[6] = highlight, v[7] = extra;
        v += KX_GUI_VERTEX_FLOATS;
    }
    return v;
}

}  // namespace

void kx_gui_build_item(int item) {
    if (item < 0 || item >= kx_gui.count) return;
    kx_gui_item_t* it = &kx_gui.items[item];
    kx_gui.quad_builds++;
    const int type = it->type;
    if (type == KX_GUI_CONTAINER) {
        it->has_text = 0;
        return;
    }
    const float em = kx_app.em;
    const bool hovered = item == kx_gui.hover;
    const bool checked = (it->flags & KX_GUI_CHECKED) != 0;
    const float x = static_cast<float>(it->x), y = static_cast<float>(it->y);
    const float x2 = static_cast<float>(it->x2), y2 = static_cast<float>(it->y2);
    const float w = static_cast<float>(it->w), h = static_cast<float>(it->h);
    const float hl = hovered ? 1.0f : 0.0f;

    float v[12 * KX_GUI_VERTEX_FLOATS];
    float* p = v;
    // First quad.
    if (type == KX_GUI_IMAGE || type == KX_GUI_IMAGE_BUTTON || type == KX_GUI_IMAGE_TOGGLE) {
        float t0 = kx_gui_param(it, 1), t1 = kx_gui_param(it, 3);
        if (type != KX_GUI_IMAGE && hovered) t0 -= 0.125f, t1 -= 0.125f;
        p = quad(p, x, y, x2, y2, kx_gui_param(it, 0), t0, kx_gui_param(it, 2), t1, 0.0f, hl, 0.0f);
    } else if (type != KX_GUI_LABEL) {
        p = quad(p, x, y, x2, y2, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, hl, 0.0f);
    }
    // Second quad.
    const float box_u0 = hovered ? 0.0f : 0.125f;
    if (type == KX_GUI_CHECKBOX || type == KX_GUI_IMAGE_TOGGLE) {
        const float v0 = checked ? 0.125f : 0.0f;
        p = quad(p, x, y, x + h, y + h, box_u0, v0, box_u0 + 0.125f, v0 + 0.125f, 0.0f, 0.0f, 0.0f);
    } else if (type == KX_GUI_SLIDER) {
        const float value = kx_gui_param(it, 0);
        const float kx = x + (w - h) * value;
        p = quad(p, kx, y, kx + h, y + h, box_u0, 0.25f, box_u0 + 0.125f, 0.375f, 0.0f, 0.0f, 0.0f);
    } else if (type == KX_GUI_CHOICE || type == KX_GUI_RADIO) {
        const float u0 = checked ? 0.75f : 0.875f;
        float sx0, sy0, sx1, sy1;
        if (type == KX_GUI_CHOICE) {
            const int max = it->value_max < 1 ? 1 : it->value_max;
            const float part = w / static_cast<float>(max);
            sx0 = x + part * static_cast<float>(it->value), sx1 = sx0 + part;
            sy0 = y, sy1 = y + em;
        } else if (!checked) {
            sx0 = sy0 = -1999.0f, sx1 = sy1 = -1998.0f;
        } else if (it->flags & KX_GUI_VARIANT) {
            sx0 = x, sx1 = x + em, sy0 = y, sy1 = y2;
        } else {
            sx0 = x, sx1 = x2, sy0 = y, sy1 = y + em;
        }
        p = quad(p, sx0, sy0, sx1, sy1, u0, 0.875f, u0 + 0.125f, 1.0f, 0.0f, 0.0f, 1.0f);
    }

    // Text anchor.
    float tx = x + em;
    if (type == KX_GUI_CHECKBOX || type == KX_GUI_IMAGE_TOGGLE) tx += h - em;
    if (it->align == 2) tx += static_cast<float>(it->w / 2) - em;
    if (it->align == 1) tx += w - 2.0f * em;
    tx += static_cast<float>(it->text_indent) * em;
    it->text_x = tx > 1073741824.0f ? 1073741824 : tx < -1073741824.0f ? -1073741824 : static_cast<int32_t>(tx);
    it->text_y = it->y + it->h / 2;
    it->has_text = type != KX_GUI_IMAGE ? 1 : 0;

    const int n = kx_gui_type_vertices(type);
    if (n > 0 && it->first_vertex >= 0 && it->first_vertex + n <= kx_gui.vertex_count) {
        float* dst = kx_gui.vertices + static_cast<long>(it->first_vertex) * KX_GUI_VERTEX_FLOATS;
        for (int k = 0; k < n * KX_GUI_VERTEX_FLOATS; k++) dst[k] = v[k];
    }
}

int kx_gui_hit_test(int px, int py) {
    int skip = 999, best = 0, best_level = 0;
    for (int i = 0; i < kx_gui.count; i++) {
        const kx_gui_item_t* it = &kx_gui.items[i];
        if (it->level < best_level) break;
        if (it->level > skip) continue;
        skip = it->level;
        if (it->flags & (KX_GUI_HIDDEN | KX_GUI_NOHIT | KX_GUI_LOCKED)) continue;
        skip = 999;
        if (it->y < py && py < it->y2 && it->x < px && px < it->x2) best = i, best_level = it->level;
    }
    return best != 0 && kx_gui.items[best].type != KX_GUI_CONTAINER ? best : 0;
}
