// The program icon: a square cut from the middle of the menu background, with
// rounded corners and the game's crosshair (a ring with four ticks and the
// health kit's red at its centre). Sizes are those of the hicolor icon theme.
// Depends on ag_image.
#pragma once

#include "tools/assetgen/ag_image.h"

constexpr int AG_ICON_SIZES[] = {16, 24, 32, 48, 64, 128, 256};

// An RGBA icon of size x size pixels painted over `background` (any size, RGB
// or RGBA); transparent outside the rounded square. 4 x 4 samples per pixel.
ag_image_t ag_icon(const ag_image_t& background, int size);
