// Vertex buffers: one GL buffer object per mesh plus the attribute layout that says
// which shader slot each attribute feeds, and the .rawmdl model loader.
// Main thread only (GL). Depends on kx_gl, kx_sh, kx_log, kx_glcheck.
#pragma once

#include <cstdint>

#include "engine/render/kx_sh.h"

// One attribute of a vertex: `size` floats starting `offset` floats into the vertex,
// fed to the location held in slot `slot` of the drawing program.
struct kx_vbo_attrib_t {
    uint32_t size;    // 3 or 4 components
    uint32_t type;    // GL_FLOAT
    uint32_t offset;  // in floats
    uint32_t slot;    // KX_SH_A_POS, KX_SH_A_UV, KX_SH_A_NORM
};

enum { KX_VBO_MAX_ATTRIBS = 7 };

// A mesh: small, no pointer to vertex data, copied freely by value.
struct kx_vbo_t {
    uint32_t count;         // vertices to draw
    uint32_t buffer;        // GL buffer name
    uint32_t stride;        // bytes per vertex
    uint32_t attrib_count;  // entries used in attribs
    uint32_t mode;          // GL primitive (GL_TRIANGLES)
    kx_vbo_attrib_t attribs[KX_VBO_MAX_ATTRIBS];
};

// Model files: at most 65536 triangles (196608 vertices, a 6291456-byte file).
constexpr uint32_t KX_VBO_RAWMDL_MAX_VERTICES = 196608;
constexpr long KX_VBO_RAWMDL_RECORD_BYTES = 32;

// Upload vertex_count * floats_per_vertex floats into a new buffer (left bound) and
// fill vbo; the attribs (at most 7, more are dropped) are copied. The caller keeps data.
void kx_vbo_create(kx_vbo_t* vbo, const float* data, uint32_t vertex_count, uint32_t floats_per_vertex,
                   uint32_t mode, uint32_t attrib_count, const kx_vbo_attrib_t* attribs);

// Read a .rawmdl file into a new buffer with the model layout (position, normal, uv).
// Returns 1, or 0 with a log line when the file is missing, unreadable, longer than
// 65536 triangles or not a whole number of 32-byte records (vbo untouched).
int kx_vbo_try_rawmdl(kx_vbo_t* vbo, const char* path);

// Read a .rawmdl file and expand it (kx_vbo_expand_rawmdl) without touching GL. Returns a
// new[] array of *records * 12 floats owned by the caller, or nullptr with a log line on the
// failures kx_vbo_try_rawmdl names (*records untouched then).
float* kx_vbo_read_rawmdl(const char* path, uint32_t* records);

// kx_vbo_try_rawmdl, but a model that cannot be loaded is fatal: exit status 1.
void kx_vbo_load_rawmdl(kx_vbo_t* vbo, const char* path);

// Expand `records` 32-byte model records into 12-float vertices in out
// (records * 12 floats). Exposed for the loader thread and the tests.
void kx_vbo_expand_rawmdl(const float* in, uint32_t records, float* out);

// Draw the whole mesh: kx_vbo_draw_ex(vbo, sh, vbo->mode, vbo->count).
void kx_vbo_draw(const kx_vbo_t* vbo, const kx_sh_t* sh);

// Draw the first `count` vertices with `mode`, attributes fed to sh's slots (slots
// holding -1 are skipped). sh must already be current with its uniforms set.
void kx_vbo_draw_ex(const kx_vbo_t* vbo, const kx_sh_t* sh, uint32_t mode, uint32_t count);

// Delete the buffer object; the record is not cleared.
void kx_vbo_destroy(kx_vbo_t* vbo);
