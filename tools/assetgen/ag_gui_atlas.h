// The GUI and HUD atlas "gui.png" (512 x 512 RGBA). Cells, in texture units
// (v = 0 at the top row):
//   checkbox      u 0-0.125 hovered, 0.125-0.25 normal; v 0-0.125 unchecked, 0.125-0.25 checked
//   slider knob   same u; v 0.25-0.375
//   crosshairs    v 0.375-0.5: u 0-0.125 spread gun, 0.125-0.25 machine gun
//   ammo tick     a solid block around the texel (0.125, 0.689453)
//   v 0.75-0.875  u 0-0.25 machine gun (dim), 0.25-0.5 spread gun (dim), 0.5-0.625 health
//                 frame, 0.625-0.75 life, 0.75-0.875 opponent
//   v 0.875-1     u 0-0.25 machine gun, 0.25-0.5 spread gun, 0.5-0.625 health column,
//                 0.625-0.75 low-health column, 0.75-0.875 segment on, 0.875-1 segment off
//   title         u 0.5-1, v 0-0.125: the game's name (for image items of the menus)
// Depends on ag_image, ag_params, ag_font (the title lettering).
#pragma once

#include "tools/assetgen/ag_image.h"
#include "tools/assetgen/ag_params.h"

constexpr int AG_GUI_SIZE = 512;

// Paints the atlas; `font_path` is the TrueType file for the title lettering.
ag_image_t ag_gui_atlas(const ag_params_t& p, const char* font_path);
