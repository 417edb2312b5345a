// The GUI compiler: reads the menus' readable source (assets/gui/ironvale.gui) and
// writes the game's three GUI file kinds: the item file "gui/ironvale.bin", one
// language file per language ("gui/ironvale.lang1.bin" English, "gui/ironvale.lang0.bin"
// Russian in Windows-1251) and the layout file "gui/ironvale.0.bin".
// Source syntax (one block per item, '#' starts a comment outside quotes):
//   item <number> <level> <type> [flag ...]     numbers run 0, 1, 2, ... without gaps
//     at <x> <y> <w> <h>      each a sum of terms 12u, 0.5W, 0.25H (u = GUI unit, W and H
//                             the parent's width and height); "fill" = at 0 0 1W 1H
//     nav down=<n> up=<n> right=<n> left=<n>   links as item numbers (stored relative)
//     param <a> <b> <c> <d>   four floats (containers default to 0 0 1 1)
//     value <v>  max <m>  indent <i>  tag <t>  image <l> <t> <r> <b>
//     en "<text>"  ru "<text>"  (UTF-8; escapes \n \" \\)
//   spare <from>-<to> <level>  hidden, empty, zero-sized items that only keep numbers free
// Depends on ag_font (the Windows-1251 table) and kx_log.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr int AG_GUI_MAX_ITEMS = 385;
constexpr int AG_GUI_MAX_TEXT = 2047;
enum { AG_GUI_RU = 0, AG_GUI_EN = 1 };  // language file index: lang0 Russian, lang1 English

struct ag_gui_item_t {
    int32_t level = 0, tag = 0, type = 0;
    uint32_t flags = 0;
    float param[4] = {0, 0, 0, 0};
    int32_t value = 0, value_max = 0, indent = 0;
    float image[4] = {0, 0, 0, 0};
    int32_t nav[4] = {-1, -1, -1, -1};  // absolute targets (down, up, right, left); -1 = none
    float layout[12] = {};
    std::string text[2];  // [AG_GUI_RU], [AG_GUI_EN]: Windows-1251 bytes
};

struct ag_gui_t {
    std::vector<ag_gui_item_t> items;
};

// UTF-8 to Windows-1251; -1 when a character has no byte in the code page or the
// UTF-8 is malformed.
int ag_gui_utf8_to_cp1251(const std::string& utf8, std::string* out);

// Parse a source text; 0, or -1 with a log line naming `name` and the line number.
int ag_gui_parse(const std::string& source, const char* name, ag_gui_t* gui);

// File images, little-endian, byte-exact to the game's loaders.
std::vector<uint8_t> ag_gui_items_file(const ag_gui_t& gui);
std::vector<uint8_t> ag_gui_lang_file(const ag_gui_t& gui, int lang);
std::vector<uint8_t> ag_gui_coords_file(const ag_gui_t& gui);

// Read the source at src_path and write the four files into out_dir; 0 or -1 (logged).
int ag_gui_build(const char* src_path, const char* out_dir);
