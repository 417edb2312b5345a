// The Win32 shell's arithmetic, run on any platform: the performance-counter
// clock (no overflow for large counters) and typed characters to Windows-1251.
#include "engine/app/win32/kx_win32_conv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

TEST(Win32Clock, CounterToMilliseconds) {
    struct row {
        uint64_t counter, frequency, want_ms;
    };
    const row rows[] = {
        {.counter = 0, .frequency = 10'000'000, .want_ms = 0},
        {.counter = 12'345'678, .frequency = 10'000'000, .want_ms = 1'234},
        {.counter = 2'999'999, .frequency = 3'000'000, .want_ms = 999},
        // 100 days of a 3 GHz counter: counter * 1000 would pass 2^64.
        {.counter = 25'920'000'000'000'000, .frequency = 3'000'000'000, .want_ms = 8'640'000'000},
        {.counter = 25'920'001'500'000'000, .frequency = 3'000'000'000, .want_ms = 8'640'000'500},
        {.counter = UINT64_MAX, .frequency = 1'000, .want_ms = UINT64_MAX},
        {.counter = 5, .frequency = 0, .want_ms = 0},
    };
    for (const auto& r : rows) EXPECT_EQ(kx_win32_conv_clock_ms(r.counter, r.frequency), r.want_ms) << r.counter;
}

TEST(Win32Char, TypedCharactersToCodePage1251) {
    struct row {
        unsigned int utf16;
        int want;
    };
    const row rows[] = {
        {.utf16 = 'A', .want = 65},     {.utf16 = 8, .want = 8},         {.utf16 = 13, .want = 13},
        {.utf16 = 0x7F, .want = 0x7F},  {.utf16 = 0, .want = 0},         {.utf16 = 0x0410, .want = 0xC0},  // А
        {.utf16 = 0x044F, .want = 0xFF},  // я
        {.utf16 = 0x0401, .want = 0xA8},  // Ё
        {.utf16 = 0x0451, .want = 0xB8},  // ё
        {.utf16 = 0x2116, .want = 0xB9},  // №
        {.utf16 = 0x20AC, .want = 0x88},  // €
        {.utf16 = 0x0402, .want = 0x80},  // Ђ, first of the table
        {.utf16 = 0x0457, .want = 0xBF},  // ї, last of the table
        {.utf16 = 0x00A0, .want = 0xA0},  // no-break space
        {.utf16 = 0x0080, .want = 0},     {.utf16 = 0x00E9, .want = 0},      // é has no code
        {.utf16 = 0x040D, .want = 0},     {.utf16 = 0x0450, .want = 0},      // just outside А..я
        {.utf16 = 0x4E2D, .want = 0},     {.utf16 = 0xD83D, .want = 0},      // CJK, a surrogate half
    };
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
