// Text layout into plain vertex arrays (see kx_text_layout.h).
#include "engine/gui/kx_text_layout.h"

#include <cstring>

namespace {

bool draws_nothing(unsigned char c) { return c == '\n' || c == '\r' || c == ' ' || c == '\\'; }

// "\r\n" and "\n\r" are one break each: the second byte of a pair does not break again.
// Only a byte that broke the line starts a pair, so "\r\n\r\n" still makes two breaks.
bool breaks_line(unsigned char c, int prev, bool prev_broke) {
    if (c == '\\') return true;
    if (c == '\n') return !(prev == '\r' && prev_broke);
    if (c == '\r') return !(prev == '\n' && prev_broke);
    return false;
}

void emit_quad(float* v, const float* g, float s, float pen_x, float pen_y) {
    const float x0 = g[0] * s + pen_x, y0 = g[1] * s + pen_y;
    const float x1 = g[2] * s + pen_x, y1 = g[3] * s + pen_y;
    const float corners[6][4] = {
        {x0, y0, g[4], g[5]}, {x1, y0, g[6], g[5]}, {x0, y1, g[4], g[7]},
        {x1, y0, g[6], g[5]}, {x0, y1, g[4], g[7]}, {x1, y1, g[6], g[7]},
    };
    for (const auto& c : corners) {
        v[0] = c[0], v[1] = c[1], v[2] = 0.0f, v[3] = 1.0f;
        v[4] = c[2], v[5] = c[3], v[6] = 1.0f, v[7] = 0.0f;
        v += KX_TEXT_FLOATS_PER_VERTEX;
    }
}

// Move the quads of bytes [from, to) by (dx, dy); zero vertices of blank bytes move too,
// which is harmless: they keep zero area.
void shift_quads(float* out, size_t from, size_t to, float dx, float dy) {
    for (size_t i = from * KX_TEXT_VERTS_PER_BYTE; i < to * KX_TEXT_VERTS_PER_BYTE; i++) {
        float* v = out + i * KX_TEXT_FLOATS_PER_VERTEX;
        if (v[3] == 0.0f) continue;  // an undrawn vertex stays all zero
        v[0] += dx;
        v[1] += dy;
    }
}

}  // namespace

kx_text_layout_t kx_text_layout(const kx_font_t* font, const char* str, size_t len, int align, float scale,
                                float wrap_width, float* out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(str);
    const float s = scale * font->scale;
    const float line_height = static_cast<float>(font->size) * s * 1.2f;
    const int line_step = static_cast<int>(line_height);
    const float wrap = wrap_width < 1.01f ? 4096.0f : wrap_width;

    // Alignment measures the whole string as one line, breaks included.
    float align_x = 0.0f;
    if (align == KX_TEXT_ALIGN_RIGHT || align == KX_TEXT_ALIGN_CENTER) {
        float width = 0.0f;
        for (size_t i = 0; i < len; i++) width += font->advance[bytes[i]] * s - 1.0f;
        align_x = align == KX_TEXT_ALIGN_RIGHT ? -width : -width / 2.0f;
    }

    if (len > 0) std::memset(out, 0, len * KX_TEXT_FLOATS_PER_BYTE * sizeof(float));
    kx_text_layout_t r = {0.0f, 0, 1};
    bool have_break = false;
    bool prev_broke = false;
    size_t break_at = 0;  // quads after this byte move when the line wraps
    float break_x = 0.0f;
    for (size_t i = 0; i < len; i++) {
        const unsigned char c = bytes[i];
        if (!draws_nothing(c))
            emit_quad(out + i * KX_TEXT_FLOATS_PER_BYTE, font->glyph[c], s, r.pen_x + align_x,
                      static_cast<float>(r.pen_y));
        // One pixel tighter than the advance, for every byte.
        r.pen_x += font->advance[c] * s - 1.0f;
        if (c == ' ' || c == '\t') {
            have_break = true;
            break_at = i;
            break_x = r.pen_x;
        }
        const bool broke = breaks_line(c, i > 0 ? bytes[i - 1] : -1, prev_broke);
        prev_broke = broke;
        if (broke) {
            r.pen_y += line_step;
            r.pen_x = 0.0f;
            r.lines++;
            have_break = false;
        }
        if (r.pen_x > wrap && have_break) {
            // The word after the last space or tab starts the next line; it moves by the
            // same whole-pixel step as the pen so one line keeps one baseline.
            shift_quads(out, break_at + 1, i + 1, -break_x, static_cast<float>(line_step));
            r.pen_x -= break_x;
            r.pen_y += line_step;
            r.lines++;
            have_break = false;
        }
    }
    return r;
}
