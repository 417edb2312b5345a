// Vertex buffers and the .rawmdl model loader.
// Depends on kx_gl, kx_sh, kx_log, kx_glcheck.
#include "engine/render/kx_vbo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"
#include "engine/render/kx_gl.h"

void kx_vbo_create(kx_vbo_t* vbo, const float* data, uint32_t vertex_count, uint32_t floats_per_vertex,
                   uint32_t mode, uint32_t attrib_count, const kx_vbo_attrib_t* attribs) {
    kxCheckGlError("before glGenBuffers");
    GLuint name = 0;
    glGenBuffers(1, &name);
    kxCheckGlError("after glGenBuffers");
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vertex_count) * floats_per_vertex * sizeof(float), data,
                 GL_STATIC_DRAW);
    kxCheckGlError("kx_vbo_create");
    vbo->buffer = name;
    vbo->mode = mode;
    vbo->stride = floats_per_vertex * static_cast<uint32_t>(sizeof(float));
    vbo->count = vertex_count;
    if (attrib_count > KX_VBO_MAX_ATTRIBS) {
        kxLog("kx_vbo_create: %u attributes, only %d kept \n", attrib_count, KX_VBO_MAX_ATTRIBS);
        attrib_count = KX_VBO_MAX_ATTRIBS;
    }
    vbo->attrib_count = attrib_count;
    for (uint32_t i = 0; i < attrib_count; ++i) vbo->attribs[i] = attribs[i];
}

// The .rawmdl model file: no header, count or trailer; a plain sequence of 32-byte
// vertex records, three per triangle, drawn as a triangle list. Each record is eight
// 32-bit IEEE-754 floats, little-endian (the machine's order on every build):
//
//   offset  0  position x     offset 16  normal y
//   offset  4  position y     offset 20  normal z
//   offset  8  position z     offset 24  texture u
//   offset 12  normal x       offset 28  texture v
//
// On load each record becomes a 12-float vertex (x, y, z, 1), (nx, ny, nz, 0), (u, v, 0, 0)
// with attributes (4, 0, a_pos), (3, 4, a_norm), (4, 8, a_uv), stride 48.
void kx_vbo_expand_rawmdl(const float* in, uint32_t records, float* out) {
    for (uint32_t i = 0; i < records; ++i, in += 8, out += 12) {
        out[0] = in[0];
        out[1] = in[1];
        out[2] = in[2];
        out[3] = 1.0f;
        out[4] = in[3];
        out[5] = in[4];
        out[6] = in[5];
        out[7] = 0.0f;
        out[8] = in[6];
        out[9] = in[7];
        out[10] = 0.0f;
        out[11] = 0.0f;
    }
}

float* kx_vbo_read_rawmdl(const char* path, uint32_t* records) {
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        kxLog("Error while creating VBO, missing file [%s] \n", path);
        return nullptr;
    }
    constexpr long max_bytes = static_cast<long>(KX_VBO_RAWMDL_MAX_VERTICES) * KX_VBO_RAWMDL_RECORD_BYTES;
    long length = -1;
    if (std::fseek(f, 0, SEEK_END) == 0) length = std::ftell(f);
    std::rewind(f);
    // A file we cannot size, or one that does not fit, is refused before anything is read.
    if (length < 0 || length > max_bytes) {
        kxLog("Error while creating VBO, model file [%s] is too long (%ld bytes, at most %ld) \n", path, length,
              max_bytes);
        std::fclose(f);
        return nullptr;
    }
    if (length % KX_VBO_RAWMDL_RECORD_BYTES != 0) {
        kxLog("Error while creating VBO, model file [%s] is %ld bytes, not whole 32-byte vertices \n", path, length);
        std::fclose(f);
        return nullptr;
    }
    const uint32_t n = static_cast<uint32_t>(length / KX_VBO_RAWMDL_RECORD_BYTES);
    std::unique_ptr<float[]> raw(new (std::nothrow) float[static_cast<size_t>(n) * 8 + 8]);
    std::unique_ptr<float[]> staging(new (std::nothrow) float[static_cast<size_t>(n) * 12 + 12]);
    if (!raw || !staging) {
        kxLog("Error while creating VBO, no memory for [%s] \n", path);
        std::fclose(f);
        return nullptr;
    }
    const size_t got = std::fread(raw.get(), 1, static_cast<size_t>(length), f);
    std::fclose(f);
    if (got != static_cast<size_t>(length)) {
        kxLog("Error while creating VBO, short read of [%s] (%zu of %ld bytes) \n", path, got, length);
        return nullptr;
    }
    kx_vbo_expand_rawmdl(raw.get(), n, staging.get());
    *records = n;
    return staging.release();
}

int kx_vbo_try_rawmdl(kx_vbo_t* vbo, const char* path) {
    uint32_t records = 0;
    std::unique_ptr<float[]> vertices(kx_vbo_read_rawmdl(path, &records));
    if (!vertices) return 0;
    const kx_vbo_attrib_t attribs[3] = {
        {4, GL_FLOAT, 0, KX_SH_A_POS},
        {3, GL_FLOAT, 4, KX_SH_A_NORM},
        {4, GL_FLOAT, 8, KX_SH_A_UV},
    };
    kx_vbo_create(vbo, vertices.get(), records, 12, GL_TRIANGLES, 3, attribs);
    return 1;
}

void kx_vbo_load_rawmdl(kx_vbo_t* vbo, const char* path) {
    if (!kx_vbo_try_rawmdl(vbo, path)) std::exit(1);
}

void kx_vbo_draw(const kx_vbo_t* vbo, const kx_sh_t* sh) { kx_vbo_draw_ex(vbo, sh, vbo->mode, vbo->count); }

void kx_vbo_draw_ex(const kx_vbo_t* vbo, const kx_sh_t* sh, uint32_t mode, uint32_t count) {
    glBindBuffer(GL_ARRAY_BUFFER, vbo->buffer);
    const uint32_t n = vbo->attrib_count < uint32_t{KX_VBO_MAX_ATTRIBS} ? vbo->attrib_count : uint32_t{KX_VBO_MAX_ATTRIBS};
    for (uint32_t i = 0; i < n; ++i) {
        const kx_vbo_attrib_t& a = vbo->attribs[i];
        if (a.slot >= KX_SH_SLOT_COUNT) continue;
        const int32_t location = sh->slot[a.slot];
        if (location == -1) continue;
        glEnableVertexAttribArray(static_cast<GLuint>(location));
        glVertexAttribPointer(static_cast<GLuint>(location), static_cast<GLint>(a.size), a.type, GL_FALSE,
                              static_cast<GLsizei>(vbo->stride),
                              reinterpret_cast<const void*>(static_cast<uintptr_t>(a.offset) * sizeof(float)));
    }
    glDrawArrays(mode, 0, static_cast<GLsizei>(count));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void kx_vbo_destroy(kx_vbo_t* vbo) {
    const GLuint name = vbo->buffer;
    glDeleteBuffers(1, &name);
}
