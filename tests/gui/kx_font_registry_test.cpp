// Font metrics files and the text registry: valid, short, truncated and oversized input.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/gui/kx_font.h"
#include "engine/gui/kx_text_registry.h"

namespace {

namespace fs = std::filesystem;

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

// count -1: the number of entries.
std::vector<uint8_t> registry_image(uint32_t size, const std::vector<std::string>& entries,
                                    int64_t count = -1) {
    std::vector<uint8_t> out;
    put_u32(out, static_cast<uint32_t>(count < 0 ? entries.size() : count));
    put_u32(out, size);
    for (const auto& e : entries) {
        put_u32(out, static_cast<uint32_t>(e.size()));
        out.insert(out.end(), e.begin(), e.end());
    }
    return out;
}

std::string temp_file(const std::string& name, const std::vector<uint8_t>& bytes) {
    const fs::path dir = fs::temp_directory_path() / ("ironvale_gui_" + std::to_string(getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / name).string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::vector<std::string> registry_entries() {
    std::vector<std::string> got;
    for (uint32_t i = 0; i < kx_text_registry.count; i++) got.emplace_back(kx_text_registry_get(i));
    return got;
}

class TextFiles : public testing::Test {
   protected:
    void TearDown() override {
        kx_text_registry_free();
        fs::remove_all(fs::temp_directory_path() / ("ironvale_gui_" + std::to_string(getpid())));
    }
};

TEST_F(TextFiles, DeclaredSizeMustHoldEveryEntryAndItsNul) {
    const struct {
        uint32_t size;
        std::vector<std::string> entries;
        int64_t count;
        int loaded;
    } cases[] = {
        {32, {"Play", "", "Quit game"}, -1, 1},
        {10, {"abcd", "efgh"}, -1, 1},  // exactly full
        {9, {"abcd", "efgh"}, -1, 0},   // one byte short: refused
        {4, {"abcd"}, -1, 0},           // no room for the NUL
        {0, {}, -1, 1},                 // empty registry
        {0, {""}, -1, 0},               // even an empty entry needs its NUL
        {3, {"", "", ""}, -1, 1},
        {100, {std::string(200, 'x')}, -1, 0},  // far beyond the buffer
        {20, {"abc", std::string(0xFFFF, 'x'), "d"}, -1, 0},
        {0xFFFFFFF0u, {"abc"}, -1, 0},  // a declared size no registry needs
        {KX_TEXT_REGISTRY_MAX_BYTES, {"abc"}, -1, 1},
        {16, {}, 0xFFFFFFFFu, 0},  // more entries than bytes: refused before allocating
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " entries " << c.entries.size());
        const auto image = registry_image(c.size, c.entries, c.count);
        EXPECT_EQ(kx_text_registry_parse(image.data(), static_cast<long>(image.size())), c.loaded);
        EXPECT_EQ(registry_entries(), c.loaded ? c.entries : std::vector<std::string>{});
        EXPECT_EQ(kx_text_registry_get(static_cast<uint32_t>(c.entries.size())), std::string());
        if (!c.loaded) {
            EXPECT_EQ(kx_text_registry.buffer, nullptr) << "nothing kept from a refused file";
        }
    }
}

TEST_F(TextFiles, TruncatedFileKeepsWhatItHolds) {
    const auto whole = registry_image(64, {"first", "second", "third"});
    const struct {
        size_t keep_bytes;
        std::vector<std::string> expected;
        int loaded;
    } cases[] = {
        {whole.size(), {"first", "second", "third"}, 1},
        {whole.size() - 2, {"first", "second", "thi"}, 1},  // last entry cut short
        {8 + 4 + 5 + 2, {"first"}, 1},                      // inside the second length field
        {8 + 4 + 5, {"first"}, 1},
        {8, {}, 1},
        {7, {}, 0},  // not even a header
        {0, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keep_bytes << " bytes");
        // A separate allocation of exactly the kept bytes, so ASan sees any read past them.
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(c.keep_bytes));
        EXPECT_EQ(kx_text_registry_parse(cut.data(), static_cast<long>(cut.size())), c.loaded);
        EXPECT_EQ(registry_entries(), c.expected);
    }
    const std::string path = temp_file("reg.bin", whole);
    EXPECT_EQ(kx_text_registry_load(path.c_str()), 1);
    EXPECT_EQ(registry_entries(), (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(kx_text_registry_load("no/such/registry.bin"), 0);
    EXPECT_EQ(kx_text_registry.count, 0u) << "a failed load leaves nothing behind";
}

TEST_F(TextFiles, FontFileHoldsAdvancesThenGlyphsAndAShortOneKeepsWhatIsThere) {
    std::vector<uint8_t> whole(KX_FONT_FILE_BYTES);
    for (int i = 0; i < KX_FONT_FILE_BYTES / 4; i++) {
        const float v = static_cast<float>(i) * 0.5f;
        std::memcpy(&whole[static_cast<size_t>(i) * 4], &v, 4);
    }
    for (const long bytes : {long{KX_FONT_FILE_BYTES}, 1024L, 100L, 0L, -1L}) {
        SCOPED_TRACE(bytes);
        const std::string path =
            bytes < 0 ? "no/such/font.bin" : temp_file("font.bin", {whole.begin(), whole.begin() + bytes});
        kx_font_t f;
        std::memset(&f, 0x55, sizeof f);
        EXPECT_EQ(kx_font_create(&f, 7, path.c_str(), 56, 1.25f), bytes == KX_FONT_FILE_BYTES);
        EXPECT_EQ(f.texture, 7u);
        EXPECT_EQ(f.size, 56);
        EXPECT_FLOAT_EQ(f.scale, 1.25f);
        const long floats = std::max(0L, bytes) / 4;
        for (int i = 0; i < 256; i++) EXPECT_FLOAT_EQ(f.advance[i], i < floats ? i * 0.5f : 0.0f);
        for (int i = 0; i < 256 * 8; i++) {
            const int at = 256 + i;
            ASSERT_FLOAT_EQ(f.glyph[i / 8][i % 8], at < floats ? at * 0.5f : 0.0f) << i;
        }
    }
}

}  // namespace
