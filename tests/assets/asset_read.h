// Readers the asset tests share. Depends on libpng, libvorbisfile, kx_math.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/math/kx_math.h"

// <build>/assets, where the build writes the tree.
std::string asset_dir();
std::string asset_path(const std::string& relative);

std::vector<uint8_t> read_bytes(const std::string& path);

struct png_t {
    int width = 0, height = 0, channels = 0;  // channels 3 or 4 after expansion
    std::vector<uint8_t> pixels;              // rows top first
    const uint8_t* at(int x, int y) const { return &pixels[(static_cast<size_t>(y) * width + x) * channels]; }
};
bool read_png(const std::string& path, png_t* out);

struct pcm_t {
    int channels = 0, rate = 0;
    std::vector<int16_t> samples;  // interleaved
};
bool read_ogg(const std::string& path, pcm_t* out);

struct tri_t {
    vec3 p[3], n[3];
};
// Triangles of a .rawmdl file (false unless its size is a multiple of 96 bytes).
bool read_rawmdl(const std::string& path, std::vector<tri_t>* out);

// The files the game loads, in load order: models/<m>.rawmdl, textures/<t>.png,
// sounds/<s>.ogg, shaders/<sh>.{vert,frag}.glsl, and font/fontcyr.bin.
extern const char* const kModelNames[8];
extern const char* const kTextureNames[13];
extern const char* const kSoundNames[12];
extern const char* const kShaderNames[6];
std::vector<std::string> game_files();
