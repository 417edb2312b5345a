// The Win32 shell's arithmetic, run on any platform: the performance-counter
// clock (no overflow for large counters) and typed characters to Windows-1251.
#include "engine/app/win32/kx_win32_conv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

TEST(Win32Clock, CounterToMilliseconds) {
    // 100 days of a 3 GHz counter: counter * 1000 would pass 2^64.
    const struct {
        uint64_t counter, frequency, want_ms;
    } rows[] = {{0, 10'000'000, 0},
                {12'345'678, 10'000'000, 1'234},
                {2'999'999, 3'000'000, 999},
                {25'920'000'000'000'000, 3'000'000'000, 8'640'000'000},
                {25'920'001'500'000'000, 3'000'000'000, 8'640'000'500},
                {UINT64_MAX, 1'000, UINT64_MAX},
                {5, 0, 0}};
    for (const auto& r : rows)
        EXPECT_EQ(kx_win32_conv_clock_ms(r.counter, r.frequency), r.want_ms) << r.counter;
}

TEST(Win32Char, TypedCharactersToCodePage1251) {
    // The chart below covers 0x80..0xBF; here ASCII, А and я, and characters without a code (é, just
    // outside А..я, CJK, a surrogate half).
    const struct {
        unsigned int utf16;
        int want;
    } rows[] = {{'A', 65},      {8, 8},         {13, 13},    {0x7F, 0x7F}, {0, 0},
                {0x0410, 0xC0}, {0x044F, 0xFF}, {0x0080, 0}, {0x00E9, 0},  {0x040D, 0},
                {0x0450, 0},    {0x4E2D, 0},    {0xD83D, 0}};
    for (const auto& r : rows) EXPECT_EQ(kx_win32_conv_cp1251(r.utf16), r.want) << std::hex << r.utf16;
}

// Every code 1..255 but the code page's one hole (0x98) is reached by exactly one character.
TEST(Win32Char, EveryCodeFromOneCharacter) {
    std::set<int> codes;
    int mapped = 0;
    for (unsigned int ch = 0; ch <= 0xFFFF; ch++) {
        const int c = kx_win32_conv_cp1251(ch);
        if (c == 0) continue;
        mapped++;
        codes.insert(c);
        ASSERT_GE(c, 1);
        ASSERT_LE(c, 255);
    }
    EXPECT_EQ(mapped, 254);
    EXPECT_EQ(codes.size(), 254u);
    EXPECT_EQ(codes.count(0x98), 0u);
}

// The code page's chart for 0x80..0xBF, one row of 16 per line as printed ('?'
// marks the unused 0x98): each character must give its own position.
TEST(Win32Char, ChartRows80ToBF) {
    const char8_t* rows[4] = {
        u8"ЂЃ‚ѓ„…†‡€‰Љ‹ЊЌЋЏ",
        u8"ђ‘’“”•–—?™љ›њќћџ",
        u8"\u00A0ЎўЈ¤Ґ¦§Ё©Є«¬\u00AD®Ї",
        u8"°±Ііґµ¶·ё№є»јЅѕї",
    };
    for (int row = 0; row < 4; row++) {
        const char8_t* p = rows[row];
        for (int col = 0; col < 16; col++) {
            // Decode one UTF-8 character (one to three bytes here).
            unsigned int ch = *p++;
            if (ch >= 0xE0) {
                ch = (ch & 0x0F) << 12 | (p[0] & 0x3F) << 6 | (p[1] & 0x3F);
                p += 2;
            } else if (ch >= 0xC0) {
                ch = (ch & 0x1F) << 6 | (p[0] & 0x3F);
                p += 1;
            }
            const int code = 0x80 + row * 16 + col;
            if (code == 0x98) continue;
            EXPECT_EQ(kx_win32_conv_cp1251(ch), code) << std::hex << ch;
        }
        EXPECT_EQ(*p, 0) << row;
    }
}
