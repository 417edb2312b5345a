// Text registry: a file of numbered strings kept in one zero-filled buffer, entry i
// NUL-terminated right after entry i - 1. The game does not load one; tools and tests may.
// Depends on kx_log only.
#pragma once

#include <cstdint>

// Largest buffer a registry file may declare (64 MiB).
constexpr uint32_t KX_TEXT_REGISTRY_MAX_BYTES = 64u << 20;

// The one registry; lives from kx_text_registry_load to kx_text_registry_free.
struct kx_text_registry_t {
    char* buffer;          // size bytes, owned here
    uint32_t size;         // S declared by the file
    uint32_t count;        // entries held
    const char** entries;  // count pointers into buffer, owned here
};

extern kx_text_registry_t kx_text_registry;

// Read the registry file at path, replacing any loaded one. Returns 1 when loaded.
// A file whose entries need more than its declared size, whose count cannot fit in it, or
// that declares more than KX_TEXT_REGISTRY_MAX_BYTES is refused: 0, logged, nothing loaded. A truncated file
// keeps what it holds (an entry cut short keeps its bytes present, entries past the end are dropped) and
// returns 1.
int kx_text_registry_load(const char* path);

// Parse a registry image of len bytes (the file format, see kx_text_registry.cpp) as above.
int kx_text_registry_parse(const uint8_t* data, long len);

// Entry i, or "" when i is out of range or nothing is loaded.
const char* kx_text_registry_get(uint32_t i);

// Free the buffer and the table; safe when nothing is loaded.
void kx_text_registry_free();
