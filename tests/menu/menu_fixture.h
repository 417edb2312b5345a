// The game's GUI on a real GL context (the test X server, Mesa): the generated font,
// GUI atlas, shaders and the three GUI files, laid out for a chosen window size, and
// an offscreen target to draw it into and read it back.
// Depends on test_gl_context, kx_gui, kx_render, asset_read, ag_image.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/gui/kx_font.h"

// Open the GL window, load the assets from <build>/assets (the working directory
// becomes that folder, as in the game), create the GUI, English texts and layout at
// w x h. False when there is no display or a file failed to load.
bool menu_gui_open(int w, int h);
// Lay the GUI out again for a new window size (em and the font scale follow, as in the game).
void menu_gui_resize(int w, int h);
// The game font (em / 10 scale).
const kx_font_t* menu_font();

// Ink box (x0, y0, x1, y1) in window pixels of item i's text, from the game font's layout
// (wrapped at the item's width less 2 em when it wraps).
struct menu_box_t {
    float x0, y0, x1, y1;
};
menu_box_t menu_text_box(int i);

// Draw the GUI over the menu background at the current size into an offscreen target
// and read it back: RGB bytes, top row first.
std::vector<uint8_t> menu_gui_draw();
// Write RGB pixels of the current size as <build>/contact/<name>.png.
bool menu_save_png(const std::string& name, const std::vector<uint8_t>& rgb);
