// Writes test PNG files with libpng: any colour type and bit depth, optional
// palette, tRNS chunk and interlacing. Samples are given as one int per channel.
#pragma once

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

struct test_png_t {
    int width = 2, height = 2;
    int color_type = PNG_COLOR_TYPE_RGB;
    int bit_depth = 8;
    bool interlace = false;
    std::vector<int> samples;         // width * height * channels, row by row
    std::vector<png_color> palette;   // for PNG_COLOR_TYPE_PALETTE
    std::vector<png_byte> trns_alpha; // palette tRNS: alpha per palette index
    bool trns_color = false;          // grey/RGB tRNS: this colour is transparent
    png_color_16 trns_value{};
};

inline int test_png_channels(int color_type) {
    switch (color_type) {
        case PNG_COLOR_TYPE_GRAY: return 1;
        case PNG_COLOR_TYPE_GRAY_ALPHA: return 2;
        case PNG_COLOR_TYPE_RGB: return 3;
        case PNG_COLOR_TYPE_RGB_ALPHA: return 4;
        default: return 1;  // palette index
    }
}

// Returns false when libpng refused.
inline bool test_png_write(const std::string& path, const test_png_t& p) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, p.width, p.height, p.bit_depth, p.color_type,
                 p.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
    if (!p.trns_alpha.empty())
        png_set_tRNS(png, info, p.trns_alpha.data(), static_cast<int>(p.trns_alpha.size()), nullptr);
    if (p.trns_color) png_set_tRNS(png, info, nullptr, 0, &p.trns_value);
    png_write_info(png, info);
    const int channels = test_png_channels(p.color_type);
    // Pack each row at the file's bit depth (1..16 bits per sample, big-endian).
    std::vector<std::vector<png_byte>> rows(p.height);
    for (int y = 0; y < p.height; ++y) {
        const size_t bits = static_cast<size_t>(p.width) * channels * p.bit_depth;
        rows[y].assign((bits + 7) / 8, 0);
        for (int i = 0; i < p.width * channels; ++i) {
            const unsigned v = static_cast<unsigned>(p.samples[static_cast<size_t>(y) * p.width * channels + i]);
            if (p.bit_depth == 16) {
                rows[y][i * 2] = static_cast<png_byte>(v >> 8);
                rows[y][i * 2 + 1] = static_cast<png_byte>(v & 0xFF);
            } else {
                const size_t bit = static_cast<size_t>(i) * p.bit_depth;
                rows[y][bit / 8] |= static_cast<png_byte>(v << (8 - p.bit_depth - bit % 8));
            }
        }
    }
    std::vector<png_bytep> ptrs(p.height);
    for (int y = 0; y < p.height; ++y) ptrs[y] = rows[y].data();
    png_write_image(png, ptrs.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}
