// The GUI: one flat array of items read from three files (item definitions, the texts of
// one language, the layout coefficients), laid out into window rectangles, drawn in two
// passes (quads with the GUI shader and the GUI atlas, then texts with the text shader),
// and driven by the pointer and the keyboard (Parts 7.1 and 7.2).
// Items are addressed by their index; every entry point ignores an index at or beyond
// kx_gui.count (and the flag operations also ignore item 0). Main thread only.
// Depends on kx_text (meshes), kx_font, kx_sh, kx_vbo, kx_matrices, kx_app (em, window size,
// clock, drag marking), kx_sound (click), kx_log, kx_glcheck.
#pragma once

#include <cstdint>

#include "engine/audio/kx_sound.h"
#include "engine/gui/kx_font.h"
#include "engine/render/kx_sh.h"
#include "engine/render/kx_vbo.h"

// ---- limits and file formats ---------------------------------------------------------

constexpr int KX_GUI_MAX_ITEMS = 385;          // items read from a file at most
constexpr int KX_GUI_TEXT_SIZE = 2048;         // text buffer, NUL included
constexpr int KX_GUI_HANDLER_COUNT = 24;       // callback slots per item
constexpr int KX_GUI_TYPE_COUNT = 12;          // item types 0..11
constexpr int KX_GUI_ITEM_RECORD_BYTES = 64;   // record size in gui/ironvale.bin
constexpr int KX_GUI_COORDS_RECORD_BYTES = 80; // record size in gui/ironvale.0.bin
constexpr int KX_GUI_VERTEX_FLOATS = 8;        // x, y, mode, 1, u, v, highlight, extra (32 bytes)
constexpr int KX_GUI_LAYOUT_DEPTH = 64;        // parent stack of the layout walk (depths 0..63)

// ---- item types -----------------------------------------------------------

enum {
    KX_GUI_CONTAINER = 0,     // no quads; param = drawing modifier (dx, dy, scale, alpha)
    KX_GUI_BUTTON = 1,        // panel; click sound unless checked
    KX_GUI_LABEL = 2,         // text only
    KX_GUI_PANEL = 3,         // panel
    KX_GUI_CHECKBOX = 4,      // panel + box; tap flips 0x2
    KX_GUI_IMAGE = 5,         // param texture rectangle; no text
    KX_GUI_SLIDER = 6,        // track + knob; value (float 0..1) in param word 0
    KX_GUI_FIELD = 7,         // panel (text entry fields)
    KX_GUI_CHOICE = 8,        // panel + segment; tap: value = (value + 1) mod value_max
    KX_GUI_RADIO = 9,         // panel + mark; group = value
    KX_GUI_IMAGE_BUTTON = 10, // param texture rectangle
    KX_GUI_IMAGE_TOGGLE = 11  // param texture rectangle + box; tap flips 0x2
};

// ---- flag bits ------------------------------------------------------------

enum : uint32_t {
    KX_GUI_HIDDEN = 0x1,           // item and its subtree neither drawn nor hit
    KX_GUI_CHECKED = 0x2,          // checked / on; second texture row of some types
    KX_GUI_CENTER = 0x4,           // text centred
    KX_GUI_RIGHT = 0x8,            // text right-aligned (wins over 0x4)
    KX_GUI_SMALL = 0x10,           // font slot 1, scale 0.65
    KX_GUI_SMALLER = 0x20,         // font slot 2, scale 0.5 (wins over 0x10)
    KX_GUI_NOHIT = 0x40,           // not hit by the pointer
    KX_GUI_WRAP = 0x80,            // text wrapped to the item width
    KX_GUI_VARIANT = 0x100,        // type 9: vertical bar mark
    KX_GUI_BLINK = 0x200,          // text drawn with a blinking tail
    KX_GUI_TEXT_WITH_IMAGE = 0x400,// text still drawn when images are on
    KX_GUI_LOCKED = 0x10000,       // not hit (screens in transition)
    KX_GUI_PRESSED = 0x40000       // set / cleared by the pointer handling
};

// ---- callback slots ---------------------------------------------------------

// Every slot has this signature; the argument is the item index.
typedef void (*kx_gui_handler_t)(int item);

enum {
    KX_GUI_ON_BUILD = 1,     // the type's geometry function (kx_gui_build_item)
    KX_GUI_ON_PRESS = 16,    // the item was pressed
    KX_GUI_ON_RELEASE = 17,  // the pressed item was released
    KX_GUI_ON_POINTER = 18,  // reserved for a pointer callback the game does not install
    KX_GUI_ON_ACTIVATE = 20, // tap / Enter; the game's button handlers
    KX_GUI_ON_GRAB = 21,     // a slider was grabbed
    KX_GUI_ON_VALUE = 22,    // a slider's value changed (also each drag move)
    KX_GUI_ON_DROP = 23      // a drag ended on the hovered item
};
// Slots 6, 7, 15, 19 hold the do-nothing default too but are never called by the GUI;
// all other slots (except 1, 16-18, 20-23) are null.

// Navigation link indices into kx_gui_item_t::nav.
enum { KX_GUI_NAV_DOWN = 0, KX_GUI_NAV_UP = 1, KX_GUI_NAV_RIGHT = 2, KX_GUI_NAV_LEFT = 3 };

// ---- the item record (fields in file order; the tail is this engine's own) -------

struct kx_gui_item_t {
    int32_t level;       // nesting depth; item 0 is the root
    int32_t tag;         // kept, not interpreted
    int32_t type;        // 0..11 (KX_GUI_CONTAINER ...)
    uint32_t flags;      // KX_GUI_HIDDEN ...
    uint32_t param[4];   // texture rect (types 5, 10, 11, floats), slider value (type 6, float in
                         // word 0), drawing modifier (type 0, floats); use kx_gui_param()
    int32_t value;       // type 8: current choice; type 9: radio group
    int32_t value_max;   // type 8: number of choices (below 1 counts as 1)
    int32_t text_indent; // text moved right by this many em
    float image[4];      // image rectangle (left, top, right, bottom) in the item image texture
    float image_aspect;  // (right - left) / (bottom - top) when bottom - top > 0.01, else 1
    kx_gui_handler_t handlers[KX_GUI_HANDLER_COUNT];
    int32_t nav[4];      // link offsets relative to this item: down, up, right, left
    float layout[12];    // coefficients c0..c11
    int32_t x, y, w, h;  // window pixels, y from the top
    int32_t x2, y2;      // x + w, y + h
    int32_t text_x, text_y;  // text anchor
    int32_t first_vertex;    // first vertex in kx_gui.vertices
    int32_t has_text;        // 1 when the text is drawn (every type but 0 and 5)
    int32_t offset_x, offset_y;  // run-time pixel offset added to the position
    float text_scale;    // 0.8, 0.65 (0x10), 0.5 (0x20)
    uint8_t align;       // 0 left, 1 right (0x8), 2 centred (0x4)
    uint8_t font;        // font slot 0, 1 (0x10), 2 (0x20)
    uint8_t wrap;        // 1 with 0x80
    kx_vbo_t text_mesh;  // the rendered text (buffer 0 while none is built)
    char text[KX_GUI_TEXT_SIZE];       // current text
    char base_text[KX_GUI_TEXT_SIZE];  // text as loaded

    // Engine-side tail: what text_mesh was built from, so an unchanged text is not rebuilt.
    int32_t mesh_built;                // 1 once text_mesh holds a buffer
    const kx_font_t* mesh_font;        // font, its scale, alignment, text scale and wrap
    float mesh_font_scale, mesh_scale, mesh_wrap;  //   width the mesh was built with
    uint8_t mesh_align;
    char mesh_text[KX_GUI_TEXT_SIZE];  // the text the mesh was built from
    int32_t trim_logged, vbo_logged;   // last "trim_count" line written for this item (-1: none)
};

// Float view of a param word (slider value, texture rectangle, modifier).
float kx_gui_param(const kx_gui_item_t* it, int word);
void kx_gui_set_param(kx_gui_item_t* it, int word, float value);

// ---- the GUI record --------------------------------------------------------------------

// The one GUI. Lifetime: kx_gui_create .. kx_gui_destroy (the shader and the texture are
// the caller's and outlive both). Plain global, main thread only.
struct kx_gui_t {
    int32_t count;              // items held (0 when none)
    kx_gui_item_t* items;       // count items, owned here
    float* vertices;            // vertex_count * 8 floats, owned here; client-side array
    int32_t vertex_count;       // sum of the items' per-type vertex counts
    int32_t created;            // 1 after kx_gui_create
    const kx_font_t* fonts[3];  // font slots 0..2 (not owned)
    int32_t images_on;          // item images drawn beside texts
    int32_t hover;              // hovered item (0 = none)
    int32_t pressed;            // item pressed last (stays after release)
    int32_t keyboard_mode;      // 1 while keyboard navigation is on
    int32_t pointer_x, pointer_y;  // stored by the game before each pointer call
    kx_sound_t* click_sound;    // played on activation; null = off
    int32_t click_on;           // 1 while a click sound is set
    kx_sh_t shader;             // the GUI program (kx_gui_create_shader)
    uint32_t texture;           // GUI atlas texture ("textures/gui.png"), set by the game
    uint32_t image_texture;     // texture of the item images (images_on); 0: the GUI atlas
    uint32_t flags;             // global flags, kept for the game (it sets 16); none has an effect

    // Counters for tests and benchmarks: quad builds and text mesh builds since creation.
    uint64_t quad_builds;
    uint64_t text_builds;
};

extern kx_gui_t kx_gui;

// Vertices per item type (0, 6, 0, 6, 12, 6, 12, 6, 12, 12, 6, 12); 0 outside 0..11.
int kx_gui_type_vertices(int type);

// ---- files, layout, texts, flags ----------------------------------------------

// Destroy any GUI, then read the item file: log "\nCreating GUI (%s) ...\n", reset hover,
// pressed, images and click sound, keep the three font slots, allocate the items (at most
// 385; more: "ERROR, too many gui items\n") and the vertex array. A missing or empty file
// (or a count of 0 or less) gives an empty GUI. An item type outside 0..11 is logged and the
// item becomes a hidden container. Returns the item count.
int kx_gui_create(const char* path, const kx_font_t* font0, const kx_font_t* font1, const kx_font_t* font2);
// The same from a file image of len bytes; `label` stands for the path in the log.
int kx_gui_create_mem(const uint8_t* data, long len, const char* label, const kx_font_t* font0,
                      const kx_font_t* font1, const kx_font_t* font2);

// Set images_on and read a language file into text and base_text of every item, rebuilding
// the text meshes. The whole file is checked first (count equal to the item count, every
// length at most 2047, all bytes present); on failure nothing changes and a line is logged
// ("ERROR, gui count mismatch [%s]'s count\nAborted\n" for a wrong count). Returns 1 when applied.
int kx_gui_load_lang(const char* path, int images_on);
int kx_gui_load_lang_mem(const uint8_t* data, long len, const char* label, int images_on);

// Read the coordinates file (nav, layout, flag mask and value per item), then lay out
// (kx_gui_recalc). A count mismatch is logged and nothing is applied (the layout still
// runs); a short record logs "kx_gui_load_coords: warning: case 7717   (fres=%d) \n" and
// keeps zeros for the bytes that did not arrive. Returns 1 when applied.
int kx_gui_load_coords(const char* path);
int kx_gui_load_coords_mem(const uint8_t* data, long len, const char* label);

// Lay every item out for kx_app's window size and em, rebuild every item's quads (slot 1),
// then every text mesh whose text or style changed.
void kx_gui_recalc();

// Free the text meshes, the vertex array and the items; count becomes 0. Safe twice.
void kx_gui_destroy();

// Copy text (cut to 2047 bytes; null = "") into the item and rebuild its text mesh when
// the text or style changed.
void kx_gui_set_text(int item, const char* text);
// Format into the item's text (at most 2048 bytes with the NUL) and rebuild as set_text.
void kx_gui_printf(int item, const char* format, ...) __attribute__((format(printf, 2, 3)));
// Recompute text_scale and font from flags and rebuild the mesh from text (after in-place edits).
void kx_gui_refresh_text(int item);

// Set the item's pixel offset and lay everything out again.
void kx_gui_set_offset(int item, int dx, int dy);
// Set callback slot 0..23 of the item (null allowed: nothing is called). Ignores item 0.
void kx_gui_set_handler(int item, int slot, kx_gui_handler_t fn);
// Set, clear, flip flag 0x1 (hidden). Ignore item 0.
void kx_gui_hide(int item);
void kx_gui_show(int item);
void kx_gui_toggle(int item);
// 1 when the item's flag 0x1 is set (0 for an index out of range).
int kx_gui_is_hidden(int item);

// The click sound played on activation (the caller keeps the sound); clear turns it off.
void kx_gui_set_click_sound(kx_sound_t* sound);
void kx_gui_clear_click_sound();

// ---- rendering ----------------------------------------------------------------

// Build the GUI program (attributes a_pos, a_uv; uniforms u_proj, u_modelview,
// u_pos_modif, u_sampler) into kx_gui.shader. Returns 1 when it linked.
int kx_gui_create_shader(const char* vs_path, const char* fs_path);
void kx_gui_destroy_shader();

// Draw the GUI: quads (GUI shader, kx_gui.texture), then texts (kx_text_shader, font slot 0
// texture), with the current kx_matrices. Nothing when there are no items.
void kx_gui_render();

// Slot 1 of every item: rebuild its quads into the vertex array and set text_x, text_y,
// has_text.
void kx_gui_build_item(int item);

// ---- pointer and keyboard ------------------------------------------------------

// Store the pointer position used by the calls below (window pixels, y from the top).
void kx_gui_set_pointer(int x, int y);

// The deepest (last among equals) visible, hittable, non-container item strictly containing
// (x, y), or 0.
int kx_gui_hit_test(int x, int y);

// Press at the stored pointer: hover the hit item; a slider is grabbed (drag marked, slots
// 21, 22); the hovered item becomes the pressed one (flag 0x40000, slot 16). Also turns
// keyboard mode off. Returns 1 when an item took the press.
int kx_gui_pointer_down();
// Release: hover none; clear 0x40000 on the pressed item and call its slot 17. Returns 1
// when an item had been pressed.
int kx_gui_pointer_up();
// Tap on the hovered item: click sound, the type's behaviour, slot 20, rebuild. Nothing
// when no item is hovered.
void kx_gui_activate();
// Drag start: hover none. Drag end: slot 23 of the hovered item.
void kx_gui_drag_start();
void kx_gui_drag_end();
// Drag move: a hovered slider follows the pointer (returns 1); the hovered item is rebuilt
// and its slot 22 called.
int kx_gui_drag_move();

// Make item the hovered one (0 = none), rebuilding the old and the new hovered items.
void kx_gui_set_hover(int item);

// Keyboard navigation: Down, Up, Right, Left move the hover along the hovered item's link
// (or to the screen item's default item, screen + its down link, when none is hovered);
// Return activates the hovered item. These keys turn keyboard mode on; others are ignored.
// Links that lead outside the items are ignored. Returns 1 when the key was used.
int kx_gui_key(int key, int screen_item);
// Switch keyboard navigation mode on (1) or off (0).
void kx_gui_set_keyboard_mode(int on);

// ---- engine-internal (shared by kx_gui*.cpp) -------------------------------------------

// Recompute text_scale and font from flags, then rebuild the text mesh unless it was built
// from the same text, font, scale, alignment and wrap width (force: rebuild anyway).
void kx_gui_update_text(int item, int force);
// Release the item's text mesh.
void kx_gui_free_text(int item);
