// FreeType glyph rasteriser for the game font and for lettering painted into
// other textures. Depends on FreeType, ag_image, ag_params, kx_log.
#include "tools/assetgen/ag_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/app/kx_log.h"

// Windows-1251, bytes 0x80..0xBF (0xC0..0xFF are U+0410..U+044F in order).
static const uint16_t kCp1251High[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0000, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

uint32_t ag_cp1251_to_unicode(uint8_t byte) {
    if (byte < 0x20) return 0;
    if (byte < 0x80) return byte == 0x7F ? 0 : byte;
    if (byte < 0xC0) return kCp1251High[byte - 0x80];
    return 0x0410u + (byte - 0xC0u);
}

namespace {

struct ft_t {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    ~ft_t() {
        if (face) FT_Done_Face(face);
        if (lib) FT_Done_FreeType(lib);
    }
};

int ft_open(ft_t* ft, const char* path, int pixel_size) {
    if (FT_Init_FreeType(&ft->lib) || FT_New_Face(ft->lib, path, 0, &ft->face) ||
        FT_Set_Pixel_Sizes(ft->face, 0, static_cast<FT_UInt>(pixel_size))) {
        kxLog("assetgen: can't open font %s \n", path);
        return -1;
    }
    return 0;
}

}  // namespace

int ag_font_build(const char* ttf_path, const ag_params_t& p, ag_image_t* atlas,
                  std::vector<float>* metrics) {
    const int pixel_size = static_cast<int>(ag_param(p, "font.pixel_size"));
    const int rim = static_cast<int>(ag_param(p, "font.rim_px"));
    const float rim_alpha = ag_param(p, "font.rim_alpha");
    const float tracking = ag_param(p, "font.tracking");
    const int atlas_size = static_cast<int>(ag_param(p, "font.atlas_size"));
    const int cell = atlas_size / 16;
    ft_t ft;
    if (ft_open(&ft, ttf_path, pixel_size)) return -1;

    // Centre capitals on the anchor: the baseline sits half a cap height below it.
    float cap_height = 0.7f * pixel_size;
    if (!FT_Load_Char(ft.face, 'H', FT_LOAD_DEFAULT)) cap_height = ft.face->glyph->metrics.height / 64.0f;
    const float baseline = std::round(cap_height / 2);
    float space_advance = pixel_size * 0.3f;
    if (!FT_Load_Char(ft.face, ' ', FT_LOAD_DEFAULT)) space_advance = ft.face->glyph->advance.x / 64.0f;

    *atlas = ag_image_make(atlas_size, atlas_size, 4);
    metrics->assign(AG_FONT_METRIC_FLOATS, 0.0f);
    float* advance = metrics->data();
    float* glyph = metrics->data() + 256;
    std::vector<float> cover, dilated;
    for (int byte = 0; byte < 256; byte++) {
        const uint32_t code = ag_cp1251_to_unicode(static_cast<uint8_t>(byte));
        if (byte >= 0x20 && code == 0) advance[byte] = space_advance + tracking;  // unassigned byte
        if (code == 0) continue;
        if (FT_Load_Char(ft.face, code, FT_LOAD_RENDER)) {
            kxLog("assetgen: font has no glyph for U+%04X \n", code);
            continue;
        }
        const FT_GlyphSlot g = ft.face->glyph;
        advance[byte] = g->advance.x / 64.0f + tracking;
        const int bw = static_cast<int>(g->bitmap.width), bh = static_cast<int>(g->bitmap.rows);
        if (bw == 0 || bh == 0) continue;
        // Glyph plus rim, clipped to the cell with one texel of air on each side.
        const int w = std::min(bw + 2 * rim, cell - 2), h = std::min(bh + 2 * rim, cell - 2);
        cover.assign(static_cast<size_t>(w) * h, 0.0f);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const int gx = x - rim, gy = y - rim;
                if (gx >= 0 && gy >= 0 && gx < bw && gy < bh)
                    cover[y * w + x] = g->bitmap.buffer[gy * g->bitmap.pitch + gx] / 255.0f;
            }
        dilated.assign(cover.size(), 0.0f);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                float m = 0;
                for (int dy = -rim; dy <= rim; dy++)
                    for (int dx = -rim; dx <= rim; dx++) {
                        const int sx = x + dx, sy = y + dy;
                        if (dx * dx + dy * dy > rim * rim + rim || sx < 0 || sy < 0 || sx >= w || sy >= h)
                            continue;
                        m = std::max(m, cover[sy * w + sx]);
                    }
                dilated[y * w + x] = m;
            }
        const int cx = (byte % 16) * cell + 1, cy = (byte / 16) * cell + 1;
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++) {
                const float a = cover[y * w + x], r = dilated[y * w + x] * rim_alpha;
                const float out_a = a + r * (1 - a);
                const float lum = out_a > 0 ? a / out_a : 0;  // white over a black rim
                ag_image_set(atlas, cx + x, cy + y, ag_rgb(lum, lum, lum), out_a);
            }
        float* rec = glyph + byte * 8;
        rec[0] = static_cast<float>(g->bitmap_left - rim);
        rec[1] = baseline - g->bitmap_top - rim;
        rec[2] = rec[0] + w;
        rec[3] = rec[1] + h;
        rec[4] = static_cast<float>(cx) / atlas_size;
        rec[5] = static_cast<float>(cy) / atlas_size;
        rec[6] = static_cast<float>(cx + w) / atlas_size;
        rec[7] = static_cast<float>(cy + h) / atlas_size;
    }
    return 0;
}

ag_image_t ag_font_render_line(const char* ttf_path, const char* text, int pixel_size) {
    ft_t ft;
    if (ft_open(&ft, ttf_path, pixel_size)) return {};
    const int ascent = static_cast<int>(ft.face->size->metrics.ascender / 64);
    const int height =
        static_cast<int>((ft.face->size->metrics.ascender - ft.face->size->metrics.descender) / 64);
    int width = 0;
    for (const char* c = text; *c; c++)
        if (!FT_Load_Char(ft.face, static_cast<unsigned char>(*c), FT_LOAD_DEFAULT))
            width += static_cast<int>(ft.face->glyph->advance.x / 64);
    ag_image_t img = ag_image_make(width + 2, height, 4);
    int pen = 1;
    for (const char* c = text; *c; c++) {
        if (FT_Load_Char(ft.face, static_cast<unsigned char>(*c), FT_LOAD_RENDER)) continue;
        const FT_GlyphSlot g = ft.face->glyph;
        for (unsigned y = 0; y < g->bitmap.rows; y++)
            for (unsigned x = 0; x < g->bitmap.width; x++) {
                const int px = pen + g->bitmap_left + static_cast<int>(x),
                          py = ascent - g->bitmap_top + static_cast<int>(y);
                if (px < 0 || py < 0 || px >= img.width || py >= img.height) continue;
                uint8_t* d = &img.pixels[(static_cast<size_t>(py) * img.width + px) * 4];
                d[0] = d[1] = d[2] = 255;
                d[3] = std::max(d[3], g->bitmap.buffer[y * g->bitmap.pitch + x]);
            }
        pen += static_cast<int>(g->advance.x / 64);
    }
    return img;
}
