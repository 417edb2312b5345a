// The game font: glyphs of one TrueType face rasterised with FreeType into a
// 16 x 16 grid atlas (white glyphs with a dark rim, RGBA) and the metrics file
// the text layout reads: 256 advances, then 256 glyph records
// (x0, y0, x1, y1, s0, t0, s1, t1), all little-endian floats, 9216 bytes.
// Byte values are Windows-1251 (Latin and Cyrillic). Font units are atlas
// texels; y grows downwards from the anchor, and a line of capitals is centred
// on y = 0 so text centres on the middle of its item.
// Depends on FreeType, ag_image, ag_params.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/ag_image.h"
#include "tools/assetgen/ag_params.h"

constexpr int AG_FONT_METRIC_FLOATS = 256 + 256 * 8;

// The Unicode code point of a Windows-1251 byte; 0 where the code page has none.
uint32_t ag_cp1251_to_unicode(uint8_t byte);

// Rasterises the atlas and fills the metric floats; 0 on success, -1 logged.
int ag_font_build(const char* ttf_path, const ag_params_t& p, ag_image_t* atlas, std::vector<float>* metrics);

// One line of ASCII text as white RGBA at `pixel_size`; an empty image on failure.
ag_image_t ag_font_render_line(const char* ttf_path, const char* text, int pixel_size);
