// Writes test PNG files with libpng: any colour type and bit depth, optional
// palette, tRNS chunk and interlacing. Samples are one int per channel, row by row.
// Used by the texture tests and the render benchmark.
#pragma once

#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

struct test_png_t {
    int width = 2, height = 2, color_type = PNG_COLOR_TYPE_RGB, bit_depth = 8;
    bool interlace = false;
    std::vector<int> samples = {};
    std::vector<png_color> palette = {};    // for PNG_COLOR_TYPE_PALETTE
    std::vector<png_byte> trns_alpha = {};  // palette tRNS: alpha per palette index
    bool trns_color = false;                // grey/RGB tRNS: trns_value is transparent
    png_color_16 trns_value{};
};

// Returns false when the file cannot be opened; a libpng error aborts (a broken test).
inline bool test_png_write(const std::string& path, const test_png_t& p) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_init_io(png, f);
    png_set_IHDR(png, info, p.width, p.height, p.bit_depth, p.color_type,
                 p.interlace ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
    if (!p.trns_alpha.empty())
        png_set_tRNS(png, info, p.trns_alpha.data(), static_cast<int>(p.trns_alpha.size()), nullptr);
    if (p.trns_color) png_set_tRNS(png, info, nullptr, 0, &p.trns_value);
    png_write_info(png, info);
    png_set_packing(png);  // below 8 bits one sample per byte, packed by libpng
    // Rows of one byte per sample; 16-bit samples as two bytes, big-endian.
    std::vector<std::vector<png_byte>> rows(static_cast<size_t>(p.height));
    for (size_t i = 0; i < p.samples.size(); ++i) {
        std::vector<png_byte>& row = rows[i * p.height / p.samples.size()];
        if (p.bit_depth == 16) row.push_back(static_cast<png_byte>(p.samples[i] >> 8));
        row.push_back(static_cast<png_byte>(p.samples[i]));
    }
    std::vector<png_bytep> ptrs;
    for (auto& row : rows) ptrs.push_back(row.data());
    png_write_image(png, ptrs.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    std::fclose(f);
    return true;
}
