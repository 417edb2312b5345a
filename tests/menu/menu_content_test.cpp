// The generated menus as the game sees them: the files' structure, the items the
// program uses by number, both languages, keyboard links, and the layout at the
// window sizes players use (nothing overlaps, texts fit their boxes, the window
// centre is free for the fire button in game).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "assets/asset_read.h"
#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"
#include "menu/menu_fixture.h"

namespace {

const int kScreens[] = {15, 27, 37, 40, 44, 48, 53, 71};

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    uint32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
}

// Texts of a language file, checked whole; empty when malformed.
std::vector<std::string> lang_texts(const std::vector<uint8_t>& b, uint32_t count) {
    std::vector<std::string> out;
    if (b.size() < 4 || u32(b, 0) != count) return {};
    size_t at = 4;
    for (uint32_t i = 0; i < count; i++) {
        if (at + 4 > b.size() || at + 4 + u32(b, at) > b.size()) return {};
        out.emplace_back(reinterpret_cast<const char*>(&b[at + 4]), u32(b, at));
        at += 4 + u32(b, at);
    }
    return at == b.size() ? out : std::vector<std::string>{};
}

bool in_subtree(int root, int i) {
    if (i <= root) return false;
    for (int j = root + 1; j <= i; j++)
        if (kx_gui.items[j].level <= kx_gui.items[root].level) return false;
    return true;
}

// Hidden itself or under a hidden item.
bool hidden(int i) {
    int level = kx_gui.items[i].level + 1;
    for (int j = i; j > 0; j--) {
        if (kx_gui.items[j].level >= level) continue;
        level = kx_gui.items[j].level;
        if (kx_gui.items[j].flags & KX_GUI_HIDDEN) return true;
    }
    return false;
}

// Show exactly one screen (with the score table and chat box in game).
void show_screen(int screen) {
    for (int s : kScreens) kx_gui.items[s].flags |= KX_GUI_HIDDEN;
    kx_gui.items[screen].flags &= ~uint32_t{KX_GUI_HIDDEN};
    kx_gui.items[58].flags = screen == 71 ? kx_gui.items[58].flags & ~uint32_t{KX_GUI_HIDDEN}
                                          : kx_gui.items[58].flags | KX_GUI_HIDDEN;
}

class MenuContent : public testing::Test {
   protected:
    void SetUp() override {
        if (!menu_gui_open(1024, 600)) GTEST_SKIP() << "no display";
        kx_gui_load_lang("gui/ironvale.lang1.bin", 0);
    }
};

TEST(MenuFiles, CountsAgreeAndEveryItemTheProgramUsesHasItsType) {
    const auto items = read_bytes(asset_path("gui/ironvale.bin"));
    const auto coords = read_bytes(asset_path("gui/ironvale.0.bin"));
    ASSERT_GE(items.size(), 4u);
    const uint32_t n = u32(items, 0);
    EXPECT_EQ(n, 115u);  // 0..113 for the program, 114 the server field
    EXPECT_EQ(items.size(), 4 + 64 * n);
    EXPECT_EQ(coords.size(), 4 + 80 * n);
    EXPECT_EQ(u32(coords, 0), n);
    const auto en = lang_texts(read_bytes(asset_path("gui/ironvale.lang1.bin")), n);
    const auto ru = lang_texts(read_bytes(asset_path("gui/ironvale.lang0.bin")), n);
    ASSERT_EQ(en.size(), n);
    ASSERT_EQ(ru.size(), n);
    auto type = [&](int i) { return static_cast<int>(u32(items, 4 + 64 * i + 8)); };
    auto flags = [&](int i) { return u32(items, 4 + 64 * i + 12); };
    const struct {
        int type;
        std::vector<int> items;
    } kRequired[] = {
        {.type = 0, .items = {15, 27, 37, 40, 44, 48, 53, 71, 58, 64}},
        {.type = 1, .items = {9, 16, 17, 18, 19, 20, 23, 36, 39, 41, 42, 43, 46, 47, 51, 52, 76, 98}},
        {.type = 4, .items = {29, 30, 31, 32, 34}},
        {.type = 6, .items = {33}},
        {.type = 7, .items = {50, 55, 114}},
        {.type = 2, .items = {38, 60, 61, 62, 63, 65, 77, 78, 79, 81, 106, 107, 111, 112, 113}},
    };
    for (const auto& row : kRequired)
        for (int i : row.items) EXPECT_EQ(type(i), row.type) << "item " << i;
    for (int s : kScreens) EXPECT_EQ(flags(s) & 1, s == 15 ? 0u : 1u) << "screen " << s;
    // Every visible text in both languages; Russian never left in English. Item 16
    // names the other language, so the Russian file says "English" there.
    for (uint32_t i = 0; i < n; i++) {
        EXPECT_EQ(en[i].empty(), ru[i].empty()) << "item " << i;
        if (en[i].empty() || i == 16) continue;
        EXPECT_NE(en[i], ru[i]) << "item " << i;
        bool cyrillic = false;
        for (unsigned char c : ru[i]) cyrillic |= c >= 0xC0;
        EXPECT_TRUE(cyrillic) << "item " << i << ": " << ru[i];
    }
    EXPECT_EQ(ru[16], "English");
    EXPECT_EQ(en[60], "Player\n");  // column headers end their line: rows are appended
    for (int i : {106, 107, 111, 112, 113}) EXPECT_FALSE(en[i].empty()) << i;
}

TEST_F(MenuContent, ScoreTableChatBoxAndStringsSitOutsideTheScreens) {
    for (int i : {58, 59, 60, 61, 62, 63, 64, 65, 98, 106, 107, 111, 112, 113})
        for (int s : kScreens) EXPECT_FALSE(in_subtree(s, i)) << i << " in screen " << s;
    for (int i = 59; i <= 63; i++) EXPECT_TRUE(in_subtree(58, i)) << i;
    EXPECT_TRUE(in_subtree(64, 65));
    for (int i : {58, 64}) {
        EXPECT_EQ(kx_gui.items[i].level, 1);
        for (int w = 0; w < 4; w++) EXPECT_EQ(kx_gui_param(&kx_gui.items[i], w), w < 2 ? 0.0f : 1.0f) << i;
    }
    for (int i : {98, 106, 107, 111, 112, 113}) EXPECT_TRUE(hidden(i)) << i;
    for (int s : kScreens) EXPECT_EQ(kx_gui.items[s].level, 1) << s;
}

TEST_F(MenuContent, EveryDefaultItemAndLinkLeadsToAVisibleItemOfTheSameScreen) {
    const int keys[] = {KX_KEY_DOWN, KX_KEY_UP, KX_KEY_RIGHT, KX_KEY_LEFT};
    for (int s : kScreens) {
        show_screen(s);
        kx_gui_set_hover(0);
        kx_gui_key(KX_KEY_DOWN, s);
        const int first = kx_gui.hover;
        EXPECT_TRUE(in_subtree(s, first) && !hidden(first)) << "screen " << s << " default " << first;
        // Walk every link of every item reached from the default item.
        std::vector<int> todo = {first}, seen;
        while (!todo.empty()) {
            const int from = todo.back();
            todo.pop_back();
            if (std::find(seen.begin(), seen.end(), from) != seen.end()) continue;
            seen.push_back(from);
            for (int key : keys) {
                kx_gui_set_hover(from);
                kx_gui_key(key, s);
                const int to = kx_gui.hover;
                EXPECT_TRUE(in_subtree(s, to) && !hidden(to) && kx_gui.items[to].type != 2)
                    << "screen " << s << ": " << from << " -> " << to;
                todo.push_back(to);
            }
        }
        // A click at the centre of each item reached takes that item too.
        for (int i : seen) {
            const kx_gui_item_t& it = kx_gui.items[i];
            EXPECT_EQ(kx_gui_hit_test(it.x + it.w / 2, it.y + it.h / 2), i) << "screen " << s;
        }
        // Every button, box, slider and field of the screen is reachable.
        for (int i = s + 1; in_subtree(s, i); i++) {
            const int type = kx_gui.items[i].type;
            if (hidden(i) || type == 2 || type == 3 || type == 5) continue;
            EXPECT_NE(std::find(seen.begin(), seen.end(), i), seen.end()) << "screen " << s << " item " << i;
        }
    }
    EXPECT_EQ(15 + kx_gui.items[15].nav[KX_GUI_NAV_DOWN], 17);  // Down, Return: single player
    show_screen(15);
    kx_gui_set_hover(0);
}

// Per window size and language: the items of each screen don't overlap, their texts
// stay inside their boxes, and in game nothing at the window centre takes a click.
TEST_F(MenuContent, EveryScreenFitsAtThreeWindowSizesInBothLanguages) {
    const struct {
        int w, h;
    } kSizes[] = {{1024, 600}, {1280, 720}, {1920, 1080}};
    for (const char* lang : {"gui/ironvale.lang1.bin", "gui/ironvale.lang0.bin"}) {
        kx_gui_load_lang(lang, 0);
        for (const auto& size : kSizes) {
            menu_gui_resize(size.w, size.h);
            const std::string where = std::string(lang) + " " + std::to_string(size.w);
            for (int s : kScreens) {
                std::vector<int> shown;
                for (int i = s + 1; in_subtree(s, i); i++)
                    if (!(kx_gui.items[i].flags & KX_GUI_HIDDEN) && kx_gui.items[i].w > 0) shown.push_back(i);
                for (size_t a = 0; a < shown.size(); a++) {
                    const kx_gui_item_t& p = kx_gui.items[shown[a]];
                    EXPECT_TRUE(p.x >= 0 && p.y >= 0 && p.x2 <= size.w && p.y2 <= size.h) << where << " " << shown[a];
                    for (size_t b = a + 1; b < shown.size(); b++) {
                        const kx_gui_item_t& q = kx_gui.items[shown[b]];
                        EXPECT_FALSE(p.x < q.x2 && q.x < p.x2 && p.y < q.y2 && q.y < p.y2)
                            << where << ": " << shown[a] << " overlaps " << shown[b];
                    }
                    // Column headers end in a line break (rows are appended); other
                    // several-line texts grow downwards by design.
                    const char* lf = std::strchr(p.text, '\n');
                    if (!p.text[0] || (lf && lf[1])) continue;
                    const menu_box_t t = menu_text_box(shown[a]);
                    EXPECT_TRUE(t.x0 >= p.x && t.x1 <= p.x2 && t.y0 >= p.y && t.y1 <= p.y2)
                        << where << ": text of " << shown[a] << " (" << t.x0 << ".." << t.x1 << ", " << t.y0
                        << ".." << t.y1 << ") leaves its box " << p.x << ".." << p.x2 << ", " << p.y << ".."
                        << p.y2;
                }
            }
            show_screen(71);
            for (int i : {77, 78}) kx_gui_show(i);
            EXPECT_EQ(kx_gui_hit_test(size.w / 2, size.h / 2), 0) << where;
            for (int i : {77, 78}) kx_gui_hide(i);
            show_screen(15);
        }
    }
    kx_gui_load_lang("gui/ironvale.lang1.bin", 0);
    menu_gui_resize(1024, 600);
}

}  // namespace
