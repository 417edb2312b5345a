// The program icon at 100 pixels over a background whose centred square is
// blue and whose side margins are red: each row names a pixel and the colour
// worked out from the icon's shapes (corner radius 0.18, ring 0.26 +- 0.035,
// ticks 0.12..0.42 of half-width 0.03, outline 0.025, red dot 0.07).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "tools/assetgen/ag_icon.h"

namespace {

struct pixel_case {
    const char* what;
    int x, y;
    int r, g, b, a;
};

TEST(AssetIcon, ShapesOverTheCentredSquareOfTheBackground) {
    ag_image_t bg = ag_image_make(40, 20, 3);
    ag_image_fill(&bg, 0, 0, 40, 20, ag_rgb(1, 0, 0));
    ag_image_fill(&bg, 10, 0, 30, 20, ag_rgb(0, 0, 1));
    const ag_image_t icon = ag_icon(bg, 100);
    ASSERT_EQ((std::vector<int>{icon.width, icon.height, icon.channels}), (std::vector<int>{100, 100, 4}));
    const pixel_case cases[] = {
        {"rounded corner", 0, 0, 0, 0, 0, 0},
        {"far corner", 99, 99, 0, 0, 0, 0},
        {"left edge, middle: square's left side", 0, 50, 0, 0, 255, 255},
        {"right edge, middle", 99, 50, 0, 0, 255, 255},
        {"open background", 20, 20, 0, 0, 255, 255},
        {"centre dot", 50, 50, 230, 34, 34, 255},
        {"ring at 45 degrees", 68, 68, 245, 245, 235, 255},
        {"outline outside the ring", 71, 71, 20, 20, 26, 255},
        {"top tick", 50, 15, 245, 245, 235, 255},
        {"left tick", 12, 49, 245, 245, 235, 255},
        {"gap between dot and ticks", 60, 60, 0, 0, 255, 255},
    };
    for (const pixel_case& c : cases) {
        const uint8_t* p = &icon.pixels[(static_cast<size_t>(c.y) * 100 + c.x) * 4];
        EXPECT_LE(std::max({std::abs(p[0] - c.r), std::abs(p[1] - c.g), std::abs(p[2] - c.b)}), 1) << c.what;
        EXPECT_EQ(p[3], c.a) << c.what;
    }
}

}  // namespace
