// Textures: 2D GL textures from 8-bit pixels with the engine's fixed rules for
// filtering, mipmaps and wrapping; PNG files decoded through libpng; re-filtering
// when the quality setting changes. A texture is its GL name; 0 means a failed load.
// Main thread only (GL, and the PNG reader's one module-level file).
// Depends on kx_gl, libpng, kx_log, kx_glcheck.
#pragma once

#include <cstdint>

// Signature shared by kx_tx_create and the creators handed to kx_tx_load_png.
typedef uint32_t (*kx_tx_create_fn)(int width, int height, int channels, int smooth, int clamp,
                                    const unsigned char* pixels);

// New texture from rows of width * channels bytes (1 luminance, 2 luminance+alpha,
// 3 RGB, 4 RGBA; rows tightly packed, first row at t = 0). Square power-of-two
// images with `smooth` get mipmaps; non-square or `clamp` textures clamp to the edge.
// The caller keeps pixels. Returns the name (left bound to GL_TEXTURE_2D).
uint32_t kx_tx_create(int width, int height, int channels, int smooth, int clamp, const unsigned char* pixels);

// Decode a PNG file (path relative to the working directory) of any colour type and
// bit depth to 8-bit RGB or RGBA and hand it to `create` (kx_tx_create when null).
// Returns the texture name, or 0 (logged) when the file is missing, not a PNG,
// corrupt or truncated.
uint32_t kx_tx_load_png(const char* path, int smooth, int clamp, kx_tx_create_fn create);

// Re-filter texture `name` bound to `target`: level 0 nearest, 1 trilinear,
// n > 1 trilinear with anisotropy n (bounded by kx_gl_caps.max_anisotropy).
void kx_tx_set_quality(uint32_t name, uint32_t target, int level);

// glDeleteTextures on the one name.
void kx_tx_destroy(uint32_t name);
