// The GUI compiler: a small source compiled byte by byte into the three file kinds,
// Windows-1251 conversion, and sources it must refuse.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tools/assetgen/ag_gui.h"

namespace {

std::vector<uint8_t> words(std::initializer_list<uint32_t> w) {
    std::vector<uint8_t> b;
    for (uint32_t v : w)
        for (int k = 0; k < 4; k++) b.push_back(static_cast<uint8_t>(v >> (8 * k)));
    return b;
}
uint32_t bits(float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    return v;
}

TEST(GuiCompiler, WritesTheThreeFileKindsByteForByte) {
    const char* src =
        "item 0 0 container   # the root\n"
        "  fill\n"
        "item 1 1 checkbox hidden checked small nohit wrap\n"
        "  at 0.5W-12u 3u+0.25H 20u 1H-2u\n"
        "  nav down=2 up=0 left=2\n"
        "  value 3\n  max 4\n  indent 2\n  tag 9\n"
        "  param 0.5 0 1 0.125\n"
        "  image 0 0.5 1 1\n"
        "  en \"Say \\\"hi\\\"\\n\"\n"
        "  ru \"Ёж ё\"\n"
        "spare 2-2 2\n";
    ag_gui_t gui;
    ASSERT_EQ(ag_gui_parse(src, "t", &gui), 0);
    ASSERT_EQ(gui.items.size(), 3u);

    std::vector<uint8_t> items = words({3});
    for (auto rec : {words({0, 0, 0, 0, 0, 0, bits(1), bits(1), 0, 0, 0, 0, 0, 0, 0, 0}),
                     words({1, 9, 4, 0x1 | 0x2 | 0x10 | 0x40 | 0x80, bits(0.5f), 0, bits(1), bits(0.125f), 3, 4,
                            2, 0, 0, bits(0.5f), bits(1), bits(1)}),
                     words({2, 0, 2, 0x41, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0})})
        items.insert(items.end(), rec.begin(), rec.end());
    EXPECT_EQ(ag_gui_items_file(gui), items);

    std::vector<uint8_t> coords = words({3});
    const float root[12] = {0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1};
    const float one[12] = {-12, 0.5f, 0, 3, 0, 0.25f, 20, 0, 0, -2, 0, 1};
    for (int i = 0; i < 3; i++) {
        // Links are stored relative to the item: down 2 from item 1 is +1, up 0 is -1.
        auto nav = i == 1 ? words({1, static_cast<uint32_t>(-1), 0, 1}) : words({0, 0, 0, 0});
        coords.insert(coords.end(), nav.begin(), nav.end());
        for (int c = 0; c < 12; c++) {
            auto f = words({bits(i == 0 ? root[c] : i == 1 ? one[c] : 0.0f)});
            coords.insert(coords.end(), f.begin(), f.end());
        }
        auto tail = words({0, 0, 0, 0});
        coords.insert(coords.end(), tail.begin(), tail.end());
    }
    EXPECT_EQ(ag_gui_coords_file(gui), coords);

    std::vector<uint8_t> en = words({3, 0, 9});
    for (char c : std::string("Say \"hi\"\n")) en.push_back(static_cast<uint8_t>(c));
    auto tail = words({0});
    en.insert(en.end(), tail.begin(), tail.end());
    EXPECT_EQ(ag_gui_lang_file(gui, AG_GUI_EN), en);
    const std::vector<uint8_t> ru = {3, 0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0xA8, 0xE6, ' ', 0xB8, 0, 0, 0, 0};
    EXPECT_EQ(ag_gui_lang_file(gui, AG_GUI_RU), ru);
}

// x of "at" as coefficients of (u, W, H); also whole-number and float fields.
TEST(GuiCompiler, LayoutTermsAddUpAndNumbersParse) {
    const struct {
        const char* x;
        float u, w, h;
    } kTerms[] = {
        {"0.5W-12u", -12, 0.5f, 0}, {"-u+H", -1, 0, 1}, {"2u+3u-W", 5, -1, 0},
        {"+4u", 4, 0, 0},           {"0", 0, 0, 0},
    };
    for (const auto& t : kTerms) {
        ag_gui_t gui;
        ASSERT_EQ(ag_gui_parse(std::string("item 0 0 container\n  at ") + t.x + " 0 0 0\n", "t", &gui), 0) << t.x;
        EXPECT_EQ(std::vector<float>(gui.items[0].layout, gui.items[0].layout + 3),
                  (std::vector<float>{t.u, t.w, t.h}))
            << t.x;
    }
    ag_gui_t gui;
    ASSERT_EQ(ag_gui_parse("item 0 0 container\n  value -5\n  max 1000000\n  indent -1000000\n", "t", &gui), 0);
    EXPECT_EQ((std::vector<int>{gui.items[0].value, gui.items[0].value_max, gui.items[0].indent}),
              (std::vector<int>{-5, 1000000, -1000000}));
    EXPECT_EQ(ag_gui_parse("item 0 0 container\n  value 1000001\n", "t", &gui), -1);
    EXPECT_EQ(ag_gui_parse("item 0 0 container\n  param 0 0 1 1x\n", "t", &gui), -1);
    EXPECT_EQ(ag_gui_parse("item 0 0 container\r\n  fill\r\n", "t", &gui), 0) << "CRLF lines";
    ASSERT_EQ(ag_gui_parse("item 0 0 container\n  param 5 6 7 8\n", "t", &gui), 0);
    EXPECT_EQ((std::vector<float>{gui.items[0].param[2], gui.items[0].param[3]}), (std::vector<float>{7, 8}))
        << "a container's own modifier is kept";
    ASSERT_EQ(ag_gui_parse("item 0 0 imagetoggle\n", "t", &gui), 0);
    EXPECT_EQ(gui.items[0].type, 11);
}

TEST(GuiCompiler, ConvertsUtf8ToWindows1251) {
    const struct {
        const char* utf8;
        const char* cp1251;  // null: refused
    } kCases[] = {
        {"Abc 09", "Abc 09"},
        {"АЯаяЁё", "\xC0\xDF\xE0\xFF\xA8\xB8"},
        {"«№»—", "\xAB\xB9\xBB\x97"},
        {"€", "\x88"},
        {"ü", nullptr},         // no byte in the code page
        {"\xD0", nullptr},      // cut sequence
        {"\xD0\x41", nullptr},  // bad continuation
        {"\xD0\xD0", nullptr},  // a lead byte where a continuation belongs
        {"\xF0\x9F\x98\x80", nullptr},
    };
    for (const auto& c : kCases) {
        std::string out;
        EXPECT_EQ(ag_gui_utf8_to_cp1251(c.utf8, &out), c.cp1251 ? 0 : -1) << c.utf8;
        EXPECT_TRUE(!c.cp1251 || out == c.cp1251) << out;
    }
}

TEST(GuiCompiler, RefusesBrokenSources) {
    const struct {
        const char* why;
        const char* src;
    } kCases[] = {
        {"empty", "# nothing\n"},
        {"gap in numbers", "item 0 0 container\nitem 2 1 label\n"},
        {"root not level 0", "item 0 1 container\n"},
        {"level jumps two", "item 0 0 container\nitem 1 2 label\n"},
        {"unknown type", "item 0 0 box\n"},
        {"unknown flag", "item 0 0 container shiny\n"},
        {"keyword before an item", "fill\nitem 0 0 container\n"},
        {"keyword after spare", "item 0 0 container\nspare 1-2 1\n  fill\n"},
        {"spare out of order", "item 0 0 container\nspare 2-3 1\n"},
        {"spare at level 0", "item 0 0 container\nspare 1-3 0\n"},
        {"spare past the limit", "item 0 0 container\nspare 1-400 1\n"},
        {"unquoted text", "item 0 0 container\n  en hello\n"},
        {"open quote", "item 0 0 container\n  en \"hello\n"},
        {"bad escape", "item 0 0 container\n  en \"a\\tb\"\n"},
        {"Russian outside the code page", "item 0 0 container\n  ru \"ü\"\n"},
        {"term without unit", "item 0 0 container\n  at 5 0 1W 1H\n"},
        {"bad unit", "item 0 0 container\n  at 5px 0 1W 1H\n"},
        {"three layout terms", "item 0 0 container\n  at 0 0 1W\n"},
        {"link past the end", "item 0 0 container\n  nav down=1\n"},
        {"bad link name", "item 0 0 container\nitem 1 1 label\n  nav back=0\n"},
        {"negative link", "item 0 0 container\n  nav down=-1\n"},
        {"three param numbers", "item 0 0 container\n  param 0 0 1\n"},
        {"five image numbers", "item 0 0 container\n  image 0 0 1 1 1\n"},
        {"value not a number", "item 0 0 container\n  value x\n"},
        {"unknown keyword", "item 0 0 container\n  colour red\n"},
    };
    for (const auto& c : kCases) {
        ag_gui_t gui;
        EXPECT_EQ(ag_gui_parse(c.src, "t", &gui), -1) << c.why;
    }
    std::string big = "item 0 0 container\n  en \"" + std::string(2048, 'x') + "\"\n";
    ag_gui_t gui;
    EXPECT_EQ(ag_gui_parse(big, "t", &gui), -1) << "2048-byte text";
    big = "item 0 0 container\n  en \"" + std::string(2047, 'x') + "\"\n";
    EXPECT_EQ(ag_gui_parse(big, "t", &gui), 0) << "2047-byte text";
    EXPECT_EQ(ag_gui_parse("item 0 0 container\nspare 1-384 1\n", "t", &gui), 0);
    EXPECT_EQ(gui.items.size(), 385u);
    EXPECT_EQ(ag_gui_parse("item 0 0 container\nspare 1-384 1\nitem 385 1 label\n", "t", &gui), -1);
}

}  // namespace
