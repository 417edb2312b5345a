// libFuzzer harnesses of every file parser: .rawmdl models, PNG textures (decoded without
// GL), Ogg Vorbis sounds (decoded without OpenAL), the text registry and the font metrics.
// One program per harness is built from this file; FUZZ_ENTRY names the function it runs.
// Every byte a parser hands on is read, so ASan sees any read past what it allocated; the
// log (standard output) goes to /dev/null.
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "engine/audio/kx_sound.h"
#include "engine/gui/kx_font.h"
#include "engine/gui/kx_text_registry.h"
#include "engine/render/kx_tx.h"
#include "engine/render/kx_vbo.h"

namespace {

volatile uint32_t g_sink = 0;  // keeps the reads of touch
void touch(const void* p, size_t len) {
    uint32_t s = 0;
    for (size_t i = 0; i < len; i++) s += static_cast<const uint8_t*>(p)[i];
    g_sink = g_sink + s;
}
void check(bool ok) {
    if (!ok) __builtin_trap();
}

// The loaders that take a path read this file, rewritten for every input.
std::string g_path;
void write_input(const uint8_t* data, size_t size) {
    FILE* f = std::fopen(g_path.c_str(), "wb");
    check(f != nullptr && std::fwrite(data, 1, size, f) == size);
    std::fclose(f);
}

int g_png_channels = 0;
uint32_t take_pixels(int width, int height, int channels, int, int, const unsigned char* pixels) {
    check(width > 0 && height > 0 && (channels == 3 || channels == 4));
    touch(pixels, static_cast<size_t>(width) * height * channels);
    g_png_channels = channels;
    return 1;
}

}  // namespace

void fuzz_rawmdl(const uint8_t* data, size_t size) {
    write_input(data, size);
    uint32_t records = 0;
    std::unique_ptr<float[]> v(kx_vbo_read_rawmdl(g_path.c_str(), &records));
    check(!v == (size % 32 != 0));  // the size alone decides (inputs stay far below the limit)
    if (!v) return;
    check(records * 32 == size);
    for (uint32_t i = 0; i < records; i++) {
        const float* r = v.get() + i * 12;
        float in[8];
        std::memcpy(in, data + i * 32, 32);
        const float want[12] = {in[0], in[1], in[2], 1, in[3], in[4], in[5], 0, in[6], in[7], 0, 0};
        check(std::memcmp(r, want, sizeof want) == 0);
    }
}

void fuzz_png(const uint8_t* data, size_t size) {
    write_input(data, size);
    g_png_channels = 0;
    uint32_t name = kx_tx_load_png(g_path.c_str(), 1, 0, take_pixels);
    check(name == (g_png_channels ? 1u : 0u));
}

void fuzz_ogg(const uint8_t* data, size_t size) {
    if (size == 0) return;
    FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    check(f != nullptr);
    std::vector<int16_t> pcm;
    int channels = 0, rate = 0;
    if (!kx_sound_decode_ogg(f, &pcm, &channels, &rate)) return;
    check(channels == 1 || channels == 2);
    check(pcm.size() % static_cast<size_t>(channels) == 0);  // whole frames
    touch(pcm.data(), pcm.size() * 2);
}

void fuzz_text_registry(const uint8_t* data, size_t size) {
    std::vector<uint8_t> exact(data, data + size);  // heap copy: a read past the end is caught
    if (!kx_text_registry_parse(exact.data(), static_cast<long>(size))) {
        check(kx_text_registry.count == 0 && *kx_text_registry_get(0) == '\0');
        return;
    }
    const kx_text_registry_t& r = kx_text_registry;
    for (uint32_t i = 0; i < r.count; i++) {
        const char* e = kx_text_registry_get(i);
        check(e >= r.buffer && e < r.buffer + r.size);
        const size_t room = static_cast<size_t>(r.buffer + r.size - e);
        check(strnlen(e, room) < room);  // NUL-terminated inside the buffer
    }
    check(*kx_text_registry_get(r.count) == '\0');
    kx_text_registry_free();
}

void fuzz_font(const uint8_t* data, size_t size) {
    std::vector<uint8_t> exact(data, data + size);
    kx_font_t font;
    std::memset(&font, 0xAB, sizeof font);
    const int whole = kx_font_read(&font, exact.data(), static_cast<long>(size));
    check(whole == (size >= KX_FONT_FILE_BYTES));
    // The tables hold the file's bytes, then zeros where the file ended.
    const uint8_t* tables = reinterpret_cast<const uint8_t*>(font.advance);
    static_assert(offsetof(kx_font_t, glyph) == offsetof(kx_font_t, advance) + sizeof(font.advance));
    for (size_t i = 0; i < KX_FONT_FILE_BYTES; i++) check(tables[i] == (i < size ? data[i] : 0));
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::freopen("/dev/null", "w", stdout);
    const char* dir = std::getenv("TMPDIR");
    g_path = std::string(dir ? dir : "/tmp") + "/ironvale-fuzz-" + std::to_string(getpid());
    std::atexit([] { unlink(g_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FUZZ_ENTRY(data, size);
    return 0;
}
