// Image helpers and the libpng writer. Depends on libpng and kx_log.
#include "tools/assetgen/ag_image.h"

#include <png.h>

#include <cmath>
#include <cstdio>

#include "engine/app/kx_log.h"

ag_image_t ag_image_make(int width, int height, int channels) {
    ag_image_t img;
    img.width = width;
    img.height = height;
    img.channels = channels;
    img.pixels.assign(static_cast<size_t>(width) * height * channels, 0);
    return img;
}

static uint8_t to_byte(float v) {
    if (!(v > 0.0f)) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<uint8_t>(std::lround(v * 255.0f));
}

void ag_image_set(ag_image_t* img, int x, int y, ag_rgb_t c, float alpha) {
    uint8_t* p = &img->pixels[(static_cast<size_t>(y) * img->width + x) * img->channels];
    p[0] = to_byte(c.r);
    p[1] = to_byte(c.g);
    p[2] = to_byte(c.b);
    if (img->channels == 4) p[3] = to_byte(alpha);
}

ag_rgb_t ag_image_get(const ag_image_t& img, int x, int y) {
    const uint8_t* p = &img.pixels[(static_cast<size_t>(y) * img.width + x) * img.channels];
    return {p[0] / 255.0f, p[1] / 255.0f, p[2] / 255.0f};
}

void ag_image_fill(ag_image_t* img, int x0, int y0, int x1, int y1, ag_rgb_t c, float alpha) {
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) ag_image_set(img, x, y, c, alpha);
}

int ag_png_write(const char* path, const ag_image_t& img) {
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        kxLog("assetgen: can't write %s \n", path);
        return -1;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        kxLog("assetgen: libpng failed on %s \n", path);
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return -1;
    }
    png_init_io(png, f);
    png_set_compression_level(png, 6);
    png_set_IHDR(png, info, static_cast<png_uint_32>(img.width), static_cast<png_uint_32>(img.height), 8,
                 img.channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t row = static_cast<size_t>(img.width) * img.channels;
    for (int y = 0; y < img.height; y++) {
        png_write_row(png, const_cast<png_bytep>(&img.pixels[y * row]));
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0 ? 0 : -1;
}

ag_rgb_t ag_rgb(float r, float g, float b) { return {r, g, b}; }
ag_rgb_t ag_rgb_mix(ag_rgb_t a, ag_rgb_t b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}
ag_rgb_t ag_rgb_scale(ag_rgb_t a, float s) { return {a.r * s, a.g * s, a.b * s}; }

ag_rgb_t ag_hsv(float h, float s, float v) {
    h = h - std::floor(h);
    const float f = h * 6.0f;
    const int i = static_cast<int>(f) % 6;
    const float t = f - std::floor(f);
    const float p = v * (1 - s), q = v * (1 - s * t), u = v * (1 - s * (1 - t));
    switch (i) {
        case 0:
            return {v, u, p};
        case 1:
            return {q, v, p};
        case 2:
            return {p, v, u};
        case 3:
            return {p, q, v};
        case 4:
            return {u, p, v};
        default:
            return {v, p, q};
    }
}
