// Bitmap fonts: a glyph table (advances and boxes per byte value) read from a metrics
// file, plus the GL texture of the glyph atlas, which the caller loads.
// Depends on kx_log only (no GL: the texture is just a name here).
#pragma once

#include <cstdint>

constexpr int KX_FONT_FILE_BYTES = 9216;  // 256 advances + 256 glyph records of 8 floats

// One font; lives for the program's run. Characters are single bytes indexing the tables.
struct kx_font_t {
    uint32_t texture;     // GL texture of the glyph atlas
    float scale;          // pixels per font unit (the game passes em / 10)
    int32_t size;         // nominal glyph height in font units (line height is size * 1.2)
    float advance[256];   // horizontal advance per byte value, font units
    float glyph[256][8];  // x0, y0, x1, y1 (font units, relative to the pen), s0, t0, s1, t1
};

// Fill texture, scale and size and read both tables from the metrics file at path.
// Returns 1 when the whole file was read; 0 (logged) when it is missing or short, in which
// case what was present is kept and the rest of the tables is zero (those bytes draw nothing).
int kx_font_create(kx_font_t* font, uint32_t texture, const char* path, int size, float scale);

// Fill the tables from a metrics image of `len` bytes (the file format, see kx_font.cpp).
// Bytes past len read as zero. Returns 1 when len covers the whole format.
int kx_font_read(kx_font_t* font, const uint8_t* data, long len);
