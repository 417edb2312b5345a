// A font made in memory for the text tests: every byte advances 10 units and draws an
// 8 x 10 box from the pen (y from -10 to 0); its texture s0 is byte / 256, so a quad
// tells which byte it belongs to.
#pragma once

#include <string>
#include <vector>

#include "engine/gui/kx_font.h"
#include "engine/gui/kx_text_layout.h"

inline kx_font_t test_font() {
    kx_font_t f{};
    f.scale = 1.0f;
    f.size = 10;  // lines 12 apart
    for (int c = 0; c < 256; c++) {
        f.advance[c] = 10.0f;
        const float g[8] = {0.0f, -10.0f, 8.0f, 0.0f, c / 256.0f, 0.0f, (c + 1) / 256.0f, 1.0f};
        for (int k = 0; k < 8; k++) f.glyph[c][k] = g[k];
    }
    return f;
}

// One drawn quad read back from a vertex array.
struct text_quad_t {
    int byte;
    float x0, y0, x1, y1;
};

inline std::vector<text_quad_t> drawn_quads(const std::vector<float>& v) {
    std::vector<text_quad_t> out;
    for (size_t i = 0; i < v.size(); i += KX_TEXT_FLOATS_PER_BYTE) {
        const float* q = &v[i];
        const float* last = q + 5 * KX_TEXT_FLOATS_PER_VERTEX;
        if (q[3] != 0.0f)
            out.push_back({static_cast<int>(q[4] * 256.0f + 0.5f), q[0], q[1], last[0], last[1]});
    }
    return out;
}

inline std::vector<float> lay_out(const kx_font_t& f, const std::string& s, int align, float scale,
                                  float wrap, kx_text_layout_t* result = nullptr) {
    std::vector<float> v(s.size() * KX_TEXT_FLOATS_PER_BYTE, -7.0f);  // garbage that must be overwritten
    const kx_text_layout_t r = kx_text_layout(&f, s.data(), s.size(), align, scale, wrap, v.data());
    if (result) *result = r;
    return v;
}
