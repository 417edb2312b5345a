// The program icon at 100 pixels over a background whose centred square is
// blue and whose side margins are red: each row names a pixel and the colour
// worked out from the icon's shapes (corner radius 0.18, ring 0.26 +- 0.035,
// ticks 0.12..0.42 of half-width 0.03, outline 0.025, red dot 0.07).
#include <gtest/gtest.h>

#include <cstdlib>

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
    ASSERT_EQ(icon.width, 100);
    ASSERT_EQ(icon.height, 100);
    ASSERT_EQ(icon.channels, 4);
    const pixel_case cases[] = {
        {.what = "rounded corner", .x = 0, .y = 0, .r = 0, .g = 0, .b = 0, .a = 0},
        {.what = "far corner", .x = 99, .y = 99, .r = 0, .g = 0, .b = 0, .a = 0},
        {.what = "left edge, middle: square's left side",
         .x = 0,
         .y = 50,
         .r = 0,
         .g = 0,
         .b = 255,
         .a = 255},
        {.what = "right edge, middle", .x = 99, .y = 50, .r = 0, .g = 0, .b = 255, .a = 255},
        {.what = "open background", .x = 20, .y = 20, .r = 0, .g = 0, .b = 255, .a = 255},
        {.what = "centre dot", .x = 50, .y = 50, .r = 230, .g = 34, .b = 34, .a = 255},
        {.what = "ring at 45 degrees", .x = 68, .y = 68, .r = 245, .g = 245, .b = 235, .a = 255},
        {.what = "outline outside the ring", .x = 71, .y = 71, .r = 20, .g = 20, .b = 26, .a = 255},
        {.what = "top tick", .x = 50, .y = 15, .r = 245, .g = 245, .b = 235, .a = 255},
        {.what = "left tick", .x = 12, .y = 49, .r = 245, .g = 245, .b = 235, .a = 255},
        {.what = "gap between dot and ticks", .x = 60, .y = 60, .r = 0, .g = 0, .b = 255, .a = 255},
    };
    for (const pixel_case& c : cases) {
        const uint8_t* p = &icon.pixels[(static_cast<size_t>(c.y) * 100 + c.x) * 4];
        EXPECT_LE(std::abs(p[0] - c.r), 1) << c.what;
        EXPECT_LE(std::abs(p[1] - c.g), 1) << c.what;
        EXPECT_LE(std::abs(p[2] - c.b), 1) << c.what;
        EXPECT_EQ(p[3], c.a) << c.what;
    }
}

}  // namespace
