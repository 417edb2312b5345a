// Text registry files (see kx_text_registry.h).
//
// File format, little-endian:
//   u32 count
//   u32 size S            bytes the registry buffer holds
//   count x { u32 length L; L bytes }
// Each entry takes L + 1 bytes of the buffer (its bytes and a NUL), entries back to back.
#include "engine/gui/kx_text_registry.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/app/kx_log.h"

kx_text_registry_t kx_text_registry;

namespace {

uint32_t read_u32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

}  // namespace

int kx_text_registry_parse(const uint8_t* data, long len) {
    kx_text_registry_free();
    if (len < 8) {
        kxLog("%s\n", "Text registry: no header, nothing loaded.");
        return 0;
    }
    const uint32_t count = read_u32(data);
    const uint32_t size = read_u32(data + 4);
    // A registry of strings is small; a huge declared size is a broken file, not a reason to
    // reserve gigabytes.
    if (size > KX_TEXT_REGISTRY_MAX_BYTES) {
        kxLog("Text registry refused: declared size %u is above %u bytes \n", size,
              KX_TEXT_REGISTRY_MAX_BYTES);
        return 0;
    }
    // Every entry needs at least one byte (its NUL) in the buffer.
    if (count > size) {
        kxLog("Text registry refused: %u entries cannot fit in %u bytes \n", count, size);
        return 0;
    }
    char* buffer = static_cast<char*>(std::calloc(size > 0 ? size : 1, 1));
    // Entries past the end of the file are dropped, so the table never exceeds what it could hold.
    const uint32_t most = static_cast<uint32_t>(std::min<long>(count, (len - 8) / 4));
    const char** entries = static_cast<const char**>(std::calloc(most > 0 ? most : 1, sizeof(char*)));
    if (!buffer || !entries) {
        std::free(buffer);
        std::free(entries);
        kxLog("Text registry refused: cannot allocate %u bytes \n", size);
        return 0;
    }
    long at = 8;
    uint32_t used = 0, held = 0;
    bool cut = false;
    for (uint32_t i = 0; i < count && at + 4 <= len; i++) {
        const uint32_t length = read_u32(data + at);
        at += 4;
        if (length >= size - used) {  // L bytes and a NUL must fit
            std::free(buffer);
            std::free(entries);
            kxLog("Text registry refused: entry %u needs %u bytes, %u of %u left \n", i, length + 1,
                  size - used, size);
            return 0;
        }
        const long present = std::min<long>(length, len - at);
        cut = cut || present < static_cast<long>(length);
        std::memcpy(buffer + used, data + at, static_cast<size_t>(present));
        at += present;
        entries[held++] = buffer + used;
        used += length + 1;  // the buffer is zero-filled, so the NUL is already there
    }
    if (held < count || cut) kxLog("Text registry truncated: %u of %u entries \n", held, count);
    kx_text_registry = {buffer, size, held, entries};
    return 1;
}

int kx_text_registry_load(const char* path) {
    kxLog("Creating text registry (%s)...", path);
    std::vector<uint8_t> data;
    if (FILE* fp = std::fopen(path, "rb")) {
        uint8_t chunk[65536];
        for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, fp)) > 0;)
            data.insert(data.end(), chunk, chunk + n);
        std::fclose(fp);
    } else {
        kxLog("%s\n", " missing.");
        kx_text_registry_free();
        return 0;
    }
    kxLog("%s", "\n");
    return kx_text_registry_parse(data.data(), static_cast<long>(data.size()));
}

const char* kx_text_registry_get(uint32_t i) {
    return i < kx_text_registry.count ? kx_text_registry.entries[i] : "";
}

void kx_text_registry_free() {
    std::free(kx_text_registry.buffer);
    std::free(kx_text_registry.entries);
    kx_text_registry = {};
}
