// Text layout: a byte string laid out with a font into one textured quad per visible
// byte (alignment, scaling, line breaks, word wrap). Pure computation on plain arrays,
// no GL: kx_text (the mesh upload) and the tests use it. Depends on kx_font.
#pragma once

#include <cstddef>

#include "engine/gui/kx_font.h"

constexpr int KX_TEXT_VERTS_PER_BYTE = 6;
constexpr int KX_TEXT_FLOATS_PER_VERTEX = 8;  // x, y, 0, 1, u, v, 1, 0
constexpr int KX_TEXT_FLOATS_PER_BYTE = KX_TEXT_VERTS_PER_BYTE * KX_TEXT_FLOATS_PER_VERTEX;

// Alignment: 0 starts at the anchor, 1 ends there, 2 is centred on it.
enum { KX_TEXT_ALIGN_LEFT = 0, KX_TEXT_ALIGN_RIGHT = 1, KX_TEXT_ALIGN_CENTER = 2 };

// Where the pen stopped, and how many line breaks (explicit and wrapped) were made.
struct kx_text_layout_t {
    float pen_x;
    int pen_y;
    int lines;  // 1 + breaks
};

// Lay out len bytes of str into out (len * KX_TEXT_FLOATS_PER_BYTE floats, all written:
// bytes that draw nothing get zero vertices). Positions are pixels relative to the
// anchor, y downwards; s = scale * font->scale; a wrap width below 1.01 means no wrap.
// Line breaks: backslash, line feed, carriage return; "\r\n" and "\n\r" are one break each.
// Every byte advances the pen. Line feed, carriage return, space and backslash draw nothing.
kx_text_layout_t kx_text_layout(const kx_font_t* font, const char* str, size_t len, int align, float scale,
                                float wrap_width, float* out);
