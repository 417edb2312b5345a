// Readers the asset tests share: the asset directory, whole files, PNGs through
// libpng, Ogg Vorbis through libvorbisfile, and .rawmdl triangles.
// Depends on libpng, libvorbisfile, kx_math.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math/kx_math.h"

// <build>/assets (from IRONVALE_BUILD_DIR), where the build writes the tree.
std::string asset_dir();
std::string asset_path(const std::string& relative);

// Whole file; empty when missing.
std::vector<uint8_t> read_bytes(const std::string& path);

struct png_t {
    int width = 0, height = 0, channels = 0;  // channels 3 or 4 after expansion
    std::vector<uint8_t> pixels;              // rows top first
};
// Decodes with libpng; false when the file is missing or broken.
bool read_png(const std::string& path, png_t* out);

struct pcm_t {
    int channels = 0, rate = 0;
    std::vector<int16_t> samples;  // interleaved
};
// Decodes the whole stream with libvorbisfile; false on failure.
bool read_ogg(const std::string& path, pcm_t* out);

struct tri_t {
    vec3 p[3];
    vec3 n[3];
    float uv[3][2];
};
// Triangles of a .rawmdl file (false unless its size is a multiple of 96 bytes).
bool read_rawmdl(const std::string& path, std::vector<tri_t>* out);

// The game's model files, in load order.
extern const char* const kModelNames[8];
