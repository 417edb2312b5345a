// Font metrics files and the text registry: valid, short, truncated and oversized input,
// and the font the asset generator makes, when it is there.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/gui/kx_font.h"
#include "engine/gui/kx_text_layout.h"
#include "engine/gui/kx_text_registry.h"

namespace {

namespace fs = std::filesystem;

void put_u32(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t b[4];
    std::memcpy(b, &v, 4);
    out.insert(out.end(), b, b + 4);
}

std::vector<uint8_t> registry_image(uint32_t size, const std::vector<std::string>& entries) {
    std::vector<uint8_t> out;
    put_u32(out, static_cast<uint32_t>(entries.size()));
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

class Registry : public testing::Test {
   protected:
    void TearDown() override { kx_text_registry_free(); }
};

TEST_F(Registry, EntriesSitBackToBackEachWithItsNul) {
    const auto image = registry_image(32, {"Play", "", "Quit game"});
    ASSERT_EQ(kx_text_registry_parse(image.data(), static_cast<long>(image.size())), 1);
    ASSERT_EQ(kx_text_registry.count, 3u);
    EXPECT_EQ(kx_text_registry.size, 32u);
    EXPECT_STREQ(kx_text_registry_get(0), "Play");
    EXPECT_STREQ(kx_text_registry_get(1), "");
    EXPECT_STREQ(kx_text_registry_get(2), "Quit game");
    EXPECT_STREQ(kx_text_registry_get(3), "");
    EXPECT_EQ(kx_text_registry.entries[0], kx_text_registry.buffer);
    EXPECT_EQ(kx_text_registry.entries[1], kx_text_registry.buffer + 5);
    EXPECT_EQ(kx_text_registry.entries[2], kx_text_registry.buffer + 6);
    for (uint32_t i = 15; i < 32; i++) EXPECT_EQ(kx_text_registry.buffer[i], 0) << "zero-filled tail";
}

TEST_F(Registry, DeclaredSizeMustHoldEveryEntryAndItsNul) {
    const struct {
        uint32_t size;
        std::vector<std::string> entries;
        int loaded;
    } cases[] = {
        {10, {"abcd", "efgh"}, 1},  // exactly full
        {9, {"abcd", "efgh"}, 0},   // one byte short: refused
        {4, {"abcd"}, 0},           // no room for the NUL
        {0, {}, 1},                 // empty registry
        {0, {""}, 0},               // even an empty entry needs its NUL
        {3, {"", "", ""}, 1},
        {100, {std::string(200, 'x')}, 0},  // far beyond the buffer
        {20, {"abc", std::string(0xFFFF, 'x'), "d"}, 0},
        {0xFFFFFFF0u, {"abc"}, 0},  // a declared size no registry needs
        {KX_TEXT_REGISTRY_MAX_BYTES, {"abc"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "size " << c.size << " entries " << c.entries.size());
        const auto image = registry_image(c.size, c.entries);
        testing::internal::CaptureStdout();
        EXPECT_EQ(kx_text_registry_parse(image.data(), static_cast<long>(image.size())), c.loaded);
        const std::string log = testing::internal::GetCapturedStdout();
        if (c.loaded) {
            EXPECT_EQ(kx_text_registry.count, c.entries.size());
            for (size_t i = 0; i < c.entries.size(); i++)
                EXPECT_EQ(kx_text_registry_get(static_cast<uint32_t>(i)), c.entries[i]);
        } else {
            EXPECT_EQ(kx_text_registry.count, 0u) << "nothing kept from a refused file";
            EXPECT_EQ(kx_text_registry.buffer, nullptr);
            EXPECT_NE(log.find("refused"), std::string::npos) << log;
        }
    }
}

TEST_F(Registry, CountLargerThanTheBufferIsRefusedBeforeAllocating) {
    std::vector<uint8_t> image;
    put_u32(image, 0xFFFFFFFFu);
    put_u32(image, 16);
    testing::internal::CaptureStdout();
    EXPECT_EQ(kx_text_registry_parse(image.data(), static_cast<long>(image.size())), 0);
    testing::internal::GetCapturedStdout();
}

TEST_F(Registry, TruncatedFileKeepsWhatItHolds) {
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
        {8 + 2, {}, 1},
        {8, {}, 1},
        {7, {}, 0},  // not even a header
        {0, {}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.keep_bytes << " bytes");
        // A separate allocation of exactly the kept bytes, so ASan sees any read past them.
        std::vector<uint8_t> cut(whole.begin(), whole.begin() + static_cast<long>(c.keep_bytes));
        testing::internal::CaptureStdout();
        EXPECT_EQ(kx_text_registry_parse(cut.data(), static_cast<long>(cut.size())), c.loaded);
        testing::internal::GetCapturedStdout();
        std::vector<std::string> got;
        for (uint32_t i = 0; i < kx_text_registry.count; i++) got.emplace_back(kx_text_registry_get(i));
        EXPECT_EQ(got, c.expected);
    }
}

TEST_F(Registry, LoadReadsTheFileAndLogs) {
    const std::string path = temp_file("reg.bin", registry_image(20, {"New game", "Options"}));
    testing::internal::CaptureStdout();
    EXPECT_EQ(kx_text_registry_load(path.c_str()), 1);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log.rfind("Creating text registry (" + path + ")...", 0), 0u) << log;
    EXPECT_STREQ(kx_text_registry_get(1), "Options");

    testing::internal::CaptureStdout();
    EXPECT_EQ(kx_text_registry_load("no/such/registry.bin"), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(kx_text_registry.count, 0u) << "a failed load leaves nothing behind";
}

std::vector<uint8_t> font_image() {
    std::vector<uint8_t> out(KX_FONT_FILE_BYTES);
    for (int i = 0; i < KX_FONT_FILE_BYTES / 4; i++) {
        const float v = static_cast<float>(i) * 0.5f;
        std::memcpy(&out[static_cast<size_t>(i) * 4], &v, 4);
    }
    return out;
}

TEST(Font, FileHoldsAdvancesThenGlyphRecords) {
    const std::string path = temp_file("font.bin", font_image());
    kx_font_t f;
    std::memset(&f, 0x55, sizeof f);
    testing::internal::CaptureStdout();
    EXPECT_EQ(kx_font_create(&f, 7, path.c_str(), 56, 1.25f), 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Font Creating (" + path + ") (fontsize 56)... \n");
    EXPECT_EQ(f.texture, 7u);
    EXPECT_EQ(f.size, 56);
    EXPECT_FLOAT_EQ(f.scale, 1.25f);
    EXPECT_FLOAT_EQ(f.advance[0], 0.0f);
    EXPECT_FLOAT_EQ(f.advance[255], 127.5f);
    EXPECT_FLOAT_EQ(f.glyph[0][0], 128.0f);  // float 256
    EXPECT_FLOAT_EQ(f.glyph['A'][5], (256 + 65 * 8 + 5) * 0.5f);
    EXPECT_FLOAT_EQ(f.glyph[255][7], 2303 * 0.5f);  // the last float of the file
}

TEST(Font, ShortOrMissingFileKeepsWhatIsThereAndZeroesTheRest) {
    const auto whole = font_image();
    const struct {
        long bytes;
        const char* name;
    } cases[] = {{1024, "adv.bin"}, {100, "short.bin"}, {0, "empty.bin"}, {-1, "missing.bin"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = "no/such/font.bin";
        if (c.bytes >= 0)
            path = temp_file(c.name, std::vector<uint8_t>(whole.begin(), whole.begin() + c.bytes));
        kx_font_t f;
        std::memset(&f, 0x55, sizeof f);
        testing::internal::CaptureStdout();
        EXPECT_EQ(kx_font_create(&f, 1, path.c_str(), 56, 1.0f), 0);
        testing::internal::GetCapturedStdout();
        const long floats = std::max(0L, c.bytes) / 4;
        for (int i = 0; i < 256; i++) EXPECT_FLOAT_EQ(f.advance[i], i < floats ? i * 0.5f : 0.0f);
        for (int i = 0; i < 256; i++) EXPECT_FLOAT_EQ(f.glyph[i][3], 0.0f);
    }
}

TEST(Font, GeneratedGameFontIsUsable) {
    const char* build = std::getenv("IRONVALE_BUILD_DIR");
    const fs::path path = fs::path(build ? build : "..") / "assets/font/fontcyr.bin";
    if (!fs::exists(path)) GTEST_SKIP() << "no generated font at " << path;
    EXPECT_EQ(fs::file_size(path), static_cast<uintmax_t>(KX_FONT_FILE_BYTES));
    kx_font_t f;
    testing::internal::CaptureStdout();
    ASSERT_EQ(kx_font_create(&f, 0, path.c_str(), 56, 1.6f), 1);
    testing::internal::GetCapturedStdout();
    for (const unsigned char c : std::string("AZaz09?\xC0\xDF\xE0\xFF")) {
        SCOPED_TRACE(static_cast<int>(c));
        EXPECT_GT(f.advance[c], 0.0f);
        EXPECT_LT(f.glyph[c][0], f.glyph[c][2]) << "box has width";
        EXPECT_LT(f.glyph[c][1], f.glyph[c][3]) << "box has height";
        for (int k = 4; k < 8; k++) {
            EXPECT_GE(f.glyph[c][k], 0.0f);
            EXPECT_LE(f.glyph[c][k], 1.0f);
        }
    }
    EXPECT_GT(f.advance[' '], 0.0f);
    std::vector<float> v(5 * KX_TEXT_FLOATS_PER_BYTE);
    const kx_text_layout_t r = kx_text_layout(&f, "Hello", 5, 0, 1.0f, 0.0f, v.data());
    EXPECT_GT(r.pen_x, 20.0f);
    EXPECT_LT(r.pen_x, 400.0f);
}

}  // namespace
