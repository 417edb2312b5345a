// An 8-bit image in memory (rows top first, 3 or 4 channels) and the PNG writer.
// PNG files carry no time or text chunks and a fixed compression level, so the
// same pixels always give the same bytes.
// Depends on libpng.
#pragma once

#include <cstdint>
#include <vector>

struct ag_image_t {
    int width = 0;
    int height = 0;
    int channels = 0;  // 3 (RGB) or 4 (RGBA)
    std::vector<uint8_t> pixels;
};

struct ag_rgb_t {
    float r, g, b;
};

ag_image_t ag_image_make(int width, int height, int channels);
// Stores a colour with components in 0..1 (clamped, rounded); alpha ignored for RGB.
void ag_image_set(ag_image_t* img, int x, int y, ag_rgb_t c, float alpha = 1.0f);
ag_rgb_t ag_image_get(const ag_image_t& img, int x, int y);
// Fills the rectangle [x0, x1) x [y0, y1) with one colour.
void ag_image_fill(ag_image_t* img, int x0, int y0, int x1, int y1, ag_rgb_t c, float alpha = 1.0f);

// Writes the image as PNG (RGB or RGBA, 8 bits); returns 0, or -1 after a log line.
int ag_png_write(const char* path, const ag_image_t& img);

ag_rgb_t ag_rgb(float r, float g, float b);
ag_rgb_t ag_rgb_mix(ag_rgb_t a, ag_rgb_t b, float t);
ag_rgb_t ag_rgb_scale(ag_rgb_t a, float s);
// Hue in turns (0..1), saturation and value in 0..1.
ag_rgb_t ag_hsv(float h, float s, float v);
