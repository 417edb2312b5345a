// Font metrics files (see kx_font.h).
//
// Metrics file format (font/fontcyr.bin), 9216 bytes, no header, little-endian floats:
//   offset    0: float advance[256]      horizontal advance of each byte value, font units
//   offset 1024: float glyph[256][8]     per byte value: x0, y0, x1, y1 (box relative to
//                                        the pen, y downwards), s0, t0, s1, t1 (atlas rectangle)
#include "engine/gui/kx_font.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "engine/app/kx_log.h"

int kx_font_read(kx_font_t* font, const uint8_t* data, long len) {
    uint8_t image[KX_FONT_FILE_BYTES] = {};
    const long have = std::clamp<long>(len, 0, KX_FONT_FILE_BYTES);
    if (have > 0) std::memcpy(image, data, static_cast<size_t>(have));
    static_assert(sizeof(font->advance) + sizeof(font->glyph) == KX_FONT_FILE_BYTES);
    std::memcpy(font->advance, image, sizeof(font->advance));
    std::memcpy(font->glyph, image + sizeof(font->advance), sizeof(font->glyph));
    return len >= KX_FONT_FILE_BYTES;
}

int kx_font_create(kx_font_t* font, uint32_t texture, const char* path, int size, float scale) {
    kxLog("Font Creating (%s) (fontsize %d)... \n", path, size);
    font->texture = texture;
    font->scale = scale;
    font->size = size;
    uint8_t image[KX_FONT_FILE_BYTES];
    long got = 0;
    if (FILE* fp = std::fopen(path, "rb")) {
        got = static_cast<long>(std::fread(image, 1, sizeof image, fp));
        std::fclose(fp);
    }
    if (!kx_font_read(font, image, got)) {
        kxLog("Font metrics %s: %ld of %d bytes, the rest draws nothing \n", path, got, KX_FONT_FILE_BYTES);
        return 0;
    }
    return 1;
}
