// The game's GUI content (the generated gui/*.bin in <build>/assets) through the engine:
// all four files load with one item count, and on every screen the default item and every
// keyboard link lead to a visible item of that screen, one that a click at its centre hits,
// at each window size the game supports. Skipped while the build holds no GUI content.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"

namespace {

namespace fs = std::filesystem;

// The menu screens.
const int kScreens[] = {15, 27, 37, 40, 44, 48, 53, 71};

std::string gui_dir() {
    const char* build = std::getenv("IRONVALE_BUILD_DIR");
    return build ? std::string(build) + "/assets/gui/" : std::string();
}

kx_gui_item_t& item(int i) { return kx_gui.items[i]; }

// Last item of the subtree of s (the run of items after it with a deeper level).
int subtree_end(int s) {
    int e = s;
    while (e + 1 < kx_gui.count && item(e + 1).level > item(s).level) e++;
    return e;
}

// Whether item i of screen s is drawn when s is: neither it nor an item it is nested in
// (up to s) is hidden.
bool visible_in(int s, int i) {
    if (i <= s || i > subtree_end(s)) return false;
    int level = item(i).level + 1;
    for (int j = i; j > s; j--) {
        if (item(j).level >= level) continue;
        level = item(j).level;
        if (item(j).flags & KX_GUI_HIDDEN) return false;
    }
    return true;
}

class GuiContent : public testing::Test {
   protected:
    void SetUp() override {
        dir = gui_dir();
        if (dir.empty() || !fs::exists(dir + "ironvale.bin")) GTEST_SKIP() << "no GUI content in " << dir;
    }
    void TearDown() override { kx_gui_destroy(); }
    std::string dir;
};

TEST_F(GuiContent, FilesLoadWithOneCount) {
    const int n = kx_gui_create((dir + "ironvale.bin").c_str(), nullptr, nullptr, nullptr);
    EXPECT_GE(n, 114);
    EXPECT_LE(n, KX_GUI_MAX_ITEMS);
    for (const char* lang : {"ironvale.lang1.bin", "ironvale.lang0.bin"})
        EXPECT_EQ(kx_gui_load_lang((dir + lang).c_str(), 0), 1) << lang;
    EXPECT_EQ(kx_gui_load_coords((dir + "ironvale.0.bin").c_str()), 1);
    for (int s : kScreens) EXPECT_EQ(item(s).type, KX_GUI_CONTAINER) << "screen " << s;
}

TEST_F(GuiContent, EveryScreenDefaultAndLinkLeadsToAVisibleHittableItem) {
    ASSERT_GE(kx_gui_create((dir + "ironvale.bin").c_str(), nullptr, nullptr, nullptr), 114);
    ASSERT_EQ(kx_gui_load_lang((dir + "ironvale.lang1.bin").c_str(), 0), 1);
    ASSERT_EQ(kx_gui_load_coords((dir + "ironvale.0.bin").c_str()), 1);
    for (const auto& [w, h] : {std::pair{1024, 600}, std::pair{1280, 720}, std::pair{1920, 1080}}) {
        kx_app.width = w, kx_app.height = h, kx_app.screen_class = 1;
        kx_app.em = static_cast<float>(static_cast<int>(4.0f * static_cast<float>(h) / 100.0f)) * 0.25f;
        if (140.0f * h / w > 100.0f) kx_app.em = static_cast<float>(static_cast<int>(4.0f * w / 140.0f)) * 0.25f;
        kx_gui_recalc();
        for (int s : kScreens) {
            SCOPED_TRACE(testing::Message() << "screen " << s << " at " << w << "x" << h);
            for (int other : kScreens) kx_gui_hide(other);  // as the menus leave them: only s shown
            kx_gui_show(s);
            std::vector<int> targets = {s + item(s).nav[KX_GUI_NAV_DOWN]};
            EXPECT_TRUE(visible_in(s, targets[0])) << "default item " << targets[0];
            for (int i = s + 1; i <= subtree_end(s); i++) {
                if (!visible_in(s, i)) continue;
                for (int k = 0; k < 4; k++) {
                    if (item(i).nav[k] == 0) continue;
                    targets.push_back(i + item(i).nav[k]);
                    EXPECT_TRUE(visible_in(s, targets.back())) << "link " << k << " of item " << i;
                }
            }
            // Each target is where the pointer would take it too.
            for (int t : targets) {
                if (!visible_in(s, t)) continue;
                const kx_gui_item_t& it = item(t);
                EXPECT_EQ(kx_gui_hit_test(it.x + it.w / 2, it.y + it.h / 2), t) << "item " << t;
                EXPECT_TRUE(it.x >= 0 && it.y >= 0 && it.x2 <= w && it.y2 <= h) << "item " << t << " off the window";
            }
            // Down from nothing hovered selects the default item, as the menus expect.
            kx_gui_set_hover(0);
            kx_gui_key(KX_KEY_DOWN, s);
            EXPECT_EQ(kx_gui.hover, targets[0]);
        }
    }
}

}  // namespace
