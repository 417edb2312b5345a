// The menus drawn by the GUI renderer under the test X server: the main menu's
// button texts land where the text layout of their items puts them, in both
// languages; and the GUI sheet, every screen in both languages at 1024x600 and
// 1920x1080, written to <build>/contact/gui-<lang>-<width>-<screen>.png.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"
#include "menu/menu_fixture.h"

namespace {

const int kScreens[] = {15, 27, 37, 40, 44, 48, 53, 71};
const char* const kLang[2] = {"gui/ironvale.lang1.bin", "gui/ironvale.lang0.bin"};

struct box_t {
    int x0, y0, x1, y1;
};

// Ink box of an item's text in whole window pixels.
box_t text_box(int i) {
    const menu_box_t b = menu_text_box(i);
    return {static_cast<int>(b.x0), static_cast<int>(b.y0), static_cast<int>(b.x1), static_cast<int>(b.y1)};
}

// White-ish pixels (the font's fill) inside a rectangle.
int white_in(const std::vector<uint8_t>& rgb, box_t r) {
    int n = 0;
    for (int y = std::max(r.y0, 0); y < std::min(r.y1, kx_app.height); y++)
        for (int x = std::max(r.x0, 0); x < std::min(r.x1, kx_app.width); x++) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * kx_app.width + x) * 3];
            n += p[0] > 215 && p[1] > 215 && p[2] > 215;
        }
    return n;
}

void show_only(int screen) {
    for (int s : kScreens) kx_gui.items[s].flags |= KX_GUI_HIDDEN;
    kx_gui.items[screen].flags &= ~uint32_t{KX_GUI_HIDDEN};
}

class MenuRender : public testing::Test {
   protected:
    void SetUp() override {
        if (!menu_gui_open(1024, 600)) GTEST_SKIP() << "no display";
    }
    void TearDown() override {
        kx_gui_load_lang(kLang[0], 0);
        menu_gui_resize(1024, 600);
        show_only(15);
    }
};

// Each main-menu button shows its text inside the ink box its text layout gives, and
// nowhere else in the button; the two languages draw different texts there.
TEST_F(MenuRender, MainMenuButtonTextsAppearWhereTheirItemsAre) {
    std::vector<uint8_t> shots[2];
    for (int lang = 0; lang < 2; lang++) {
        kx_gui_load_lang(kLang[lang], 0);
        show_only(15);
        shots[lang] = menu_gui_draw();
        for (int i = 16; i <= 20; i++) {
            const kx_gui_item_t& it = kx_gui.items[i];
            const box_t ink = text_box(i);
            const int inside = white_in(shots[lang], ink);
            const int all = white_in(shots[lang], {it.x, it.y, it.x2, it.y2});
            EXPECT_GT(inside, (ink.x1 - ink.x0) * (ink.y1 - ink.y0) / 12) << kLang[lang] << " item " << i;
            EXPECT_GE(inside, all * 97 / 100) << kLang[lang] << " item " << i << ": text outside its place";
            EXPECT_TRUE(ink.x0 > it.x && ink.x1 < it.x2 && ink.y0 > it.y && ink.y1 < it.y2) << i;
        }
    }
    int differing = 0;
    const kx_gui_item_t& single = kx_gui.items[17];
    for (int y = single.y; y < single.y2; y++)
        for (int x = single.x; x < single.x2; x++) {
            const size_t at = (static_cast<size_t>(y) * kx_app.width + x) * 3;
            differing += shots[0][at] != shots[1][at];
        }
    EXPECT_GT(differing, single.w * single.h / 20);
}

// The sheet: every screen as the player meets it, the in-game one with a score table,
// chat lines and the HUD texts filled in.
TEST_F(MenuRender, GuiSheetOfEveryScreen) {
    const int sizes[2][2] = {{1024, 600}, {1920, 1080}};
    for (int i : {73, 74, 75}) kx_gui_hide(i);  // as the game does at start
    for (int lang = 0; lang < 2; lang++) {
        kx_gui_load_lang(kLang[lang], 0);
        for (const auto& size : sizes) {
            menu_gui_resize(size[0], size[1]);
            for (int s : kScreens) {
                show_only(s);
                const bool in_game = s == 71 || s == 53;
                if (in_game) {
                    kx_gui_show(58);
                    kx_gui_printf(59, "%s: %s", kx_gui.items[113].text, "localhost:25280");
                    kx_gui_printf(60, "%sAlice\nBob\nPlayer\n", kx_gui.items[60].base_text);
                    kx_gui_printf(61, "%s3\n1\n12\n", kx_gui.items[61].base_text);
                    kx_gui_printf(62, "%s2\n4\n0\n", kx_gui.items[62].base_text);
                    kx_gui_printf(63, "%s12\n38\n5\n", kx_gui.items[63].base_text);
                    kx_gui_printf(65, "Bob: hi\nAlice %s Bob\n%s\n", kx_gui.items[106].text, kx_gui.items[111].text);
                    kx_gui_printf(77, "%s: %d", kx_gui.items[77].base_text, 4);
                    kx_gui_set_text(79, "[Free Camera Mode]\n\n[Debug drawing mode]");
                    kx_gui_set_text(81, "fps: 59.8");
                    for (int i : {77, 78, 81}) kx_gui_show(i);
                }
                if (s == 37) kx_gui_set_text(38, "Lost connection to server (Error: -4) (Code: 104)");
                const auto rgb = menu_gui_draw();
                const std::string name = std::string("gui-") + (lang ? "ru" : "en") + "-" +
                                         std::to_string(size[0]) + "-" + std::to_string(s);
                EXPECT_TRUE(menu_save_png(name, rgb)) << name;
                EXPECT_GT(white_in(rgb, {0, 0, size[0], size[1]}), 200) << name;
                if (in_game) {
                    kx_gui_hide(58);
                    for (int i : {77, 78, 81}) kx_gui_hide(i);
                    for (int i : {59, 60, 61, 62, 63, 65, 79, 81}) kx_gui_set_text(i, kx_gui.items[i].base_text);
                }
            }
        }
    }
}

}  // namespace
