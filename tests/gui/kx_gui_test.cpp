// GUI engine: the three loaders on good, short, truncated, mismatched and oversized files, the
// layout walk, quads of the item types, hit testing, pointer, slider, type 8 and 9 taps and
// keyboard navigation. Font slots stay empty here, so no text mesh (and no GL) is involved;
// tests/gui/kx_gui_draw_test.cpp covers texts and drawing under Xvfb.
#include "engine/gui/kx_gui.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/audio/kx_sound.h"
#include "tests/gui/gui_files.h"

namespace {

using namespace gui_files;
namespace fs = std::filesystem;

int create(const std::string& file) {
    const auto b = image_of(file);  // exactly the file's bytes, so ASan sees any read past them
    return kx_gui_create_mem(b.data(), static_cast<long>(b.size()), "t.bin", nullptr, nullptr, nullptr);
}
int lang(const std::string& file, int images_on = 0) {
    const auto b = image_of(file);
    return kx_gui_load_lang_mem(b.data(), static_cast<long>(b.size()), "t.lang", images_on);
}
int coords(const std::string& file) {
    const auto b = image_of(file);
    return kx_gui_load_coords_mem(b.data(), static_cast<long>(b.size()), "t.0.bin");
}

// Runs f and returns what it logged.
template <typename F>
std::string logged(F f) {
    testing::internal::CaptureStdout();
    f();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

kx_gui_item_t& item(int i) { return kx_gui.items[i]; }

struct rect_t {
    int x, y, w, h;
    bool operator==(const rect_t& o) const { return x == o.x && y == o.y && w == o.w && h == o.h; }
};
rect_t rect(int i) { return {item(i).x, item(i).y, item(i).w, item(i).h}; }

// Vertex k of item i: (x, y, mode, 1, u, v, highlight, extra).
const float* vertex(int i, int k) { return kx_gui.vertices + (item(i).first_vertex + k) * KX_GUI_VERTEX_FLOATS; }
using floats = std::vector<float>;
floats vert(int i, int k, int n = 8) { return floats(vertex(i, k), vertex(i, k) + n); }

std::vector<int> calls;  // (slot * 1000 + item) of every handler call, in order
template <int Slot>
void record(int i) {
    calls.push_back(Slot * 1000 + i);
}

class Gui : public testing::Test {
   protected:
    void SetUp() override {
        kx_gui_destroy();
        kx_app.em = 8.0f;
        kx_app.width = 640, kx_app.height = 480;
        kx_app.dragging[0] = 0;
        calls.clear();
    }
    void TearDown() override { kx_gui_destroy(); }

    // A window-filling screen (item 1) holding the given items at level 2, laid out by coords.
    void screen(std::vector<item_def> items, std::vector<coord_def> layouts) {
        items.insert(items.begin(), {item_def{0, 0}, item_def{1, 0}});
        layouts.insert(layouts.begin(), {fill(), fill()});
        for (size_t i = 2; i < items.size(); i++) items[i].level = items[i].level ? items[i].level : 2;
        ASSERT_EQ(create(gui_file(items)), static_cast<int>(items.size()));
        ASSERT_EQ(coords(coords_file(layouts)), 1);
    }
};

// ---- item file -----------------------------------------------------------------------------

TEST_F(Gui, ItemFileFieldsAspectVerticesAndDefaultHandlers) {
    item_def a{0, 6, 0x280, {0.25f, 1, 2, 3}, 7, 9, 4, 55, {0.1f, 0.2f, 0.5f, 0.4f}};
    item_def b{1, 9}, c{2, 2};
    c.image[3] = 0.005f;  // too flat: aspect 1
    c.image[2] = 3.0f;
    ASSERT_EQ(create(gui_file({a, b, c, item_def{1, 4}})), 4);
    const kx_gui_item_t& i0 = item(0);
    EXPECT_EQ((std::vector<int>{i0.level, i0.tag, i0.type, static_cast<int>(i0.flags), i0.value, i0.value_max,
                                i0.text_indent}),
              (std::vector<int>{0, 55, 6, 0x280, 7, 9, 4}));
    EXPECT_EQ(
        (std::vector<float>{kx_gui_param(&i0, 0), kx_gui_param(&i0, 3), i0.image[1], item(2).image_aspect}),
        (std::vector<float>{0.25f, 3.0f, 0.2f, 1.0f}));
    EXPECT_FLOAT_EQ(i0.image_aspect, 2.0f);  // 0.4 / 0.2
    EXPECT_EQ((std::vector<int>{item(0).first_vertex, item(1).first_vertex, item(2).first_vertex,
                                item(3).first_vertex, kx_gui.vertex_count}),
              (std::vector<int>{0, 12, 24, 24, 36}));
    for (int slot = 0; slot < KX_GUI_HANDLER_COUNT; slot++) {
        const bool expected = slot == 1 || slot == 6 || slot == 7 || (slot >= 15 && slot <= 23);
        EXPECT_EQ(item(1).handlers[slot] != nullptr, expected) << slot;
    }
    EXPECT_EQ(item(1).handlers[KX_GUI_ON_BUILD], &kx_gui_build_item);
    EXPECT_EQ(item(1).text_scale, 0.8f);
    EXPECT_EQ(kx_gui.created, 1);
}

TEST_F(Gui, ItemFileLimitsTypesAndMissingBytes) {
    std::vector<item_def> many(400, item_def{1, 1});
    std::string log = logged([&] { EXPECT_EQ(create(gui_file(many)), KX_GUI_MAX_ITEMS); });
    EXPECT_NE(log.find("\nCreating GUI (t.bin) ...\n"), std::string::npos);
    EXPECT_NE(log.find("ERROR, too many gui items\n"), std::string::npos);
    EXPECT_EQ(kx_gui.vertex_count, 6 * KX_GUI_MAX_ITEMS);

    // Types outside 0..11 are refused: the item becomes a hidden container at rest.
    item_def bad{1, 12, 0, {5, 5, 5, 5}}, neg{1, -1};
    log = logged([&] { EXPECT_EQ(create(gui_file({item_def{}, bad, neg, item_def{1, 11}})), 4); });
    EXPECT_NE(log.find("item 1 has type 12 (not 0-11)"), std::string::npos);
    EXPECT_NE(log.find("item 2 has type -1 (not 0-11)"), std::string::npos);
    for (int i : {1, 2}) {
        EXPECT_EQ(item(i).type, KX_GUI_CONTAINER);
        EXPECT_TRUE(item(i).flags & KX_GUI_HIDDEN);
        for (int w = 0; w < 4; w++) EXPECT_EQ(kx_gui_param(&item(i), w), w < 2 ? 0.0f : 1.0f);
    }
    EXPECT_EQ(kx_gui.vertex_count, 12);

    // A record cut short keeps zeros for the bytes that did not arrive; missing records are empty.
    const std::string whole = gui_file({item_def{0, 3, 0x4}, item_def{1, 8, 0x2}}, 3);
    log = logged([&] { EXPECT_EQ(create(whole.substr(0, 4 + 64 + 8)), 3); });
    EXPECT_NE(log.find("cut short at item 1 of 3"), std::string::npos);
    // Item 1's bytes from 8 on did not arrive.
    EXPECT_EQ((std::vector<int>{item(0).type, item(1).level, item(1).type, item(2).type,
                                static_cast<int>(item(2).flags)}),
              (std::vector<int>{3, 1, 0, 0, 0}));

    for (const std::string& empty : {std::string(), std::string("\x01\x00", 2), gui_file({}, 0), gui_file({}, -5)}) {
        EXPECT_EQ(create(empty), 0);
        EXPECT_EQ(kx_gui.count, 0);
    }
    EXPECT_EQ(kx_gui_create("/nonexistent/gui.bin", nullptr, nullptr, nullptr), 0);
}

TEST_F(Gui, EmptyGuiIgnoresEveryEntryPoint) {
    ASSERT_EQ(create(""), 0);
    EXPECT_EQ(lang(lang_file({"x"})), 0);
    EXPECT_EQ(coords(coords_file({fill()})), 0);
    kx_gui_recalc();
    for (int i : {-1, 0, 1, 384, 385, 100000}) {
        kx_gui_set_text(i, "x"), kx_gui_printf(i, "%d", i), kx_gui_refresh_text(i),
            kx_gui_set_offset(i, 1, 1);
        kx_gui_set_handler(i, 20, nullptr), kx_gui_hide(i), kx_gui_show(i), kx_gui_toggle(i);
        EXPECT_EQ(kx_gui_is_hidden(i), 0);
        kx_gui_set_hover(i), kx_gui_build_item(i);
        EXPECT_EQ(kx_gui_key(KX_KEY_DOWN, i), 1);
    }
    EXPECT_EQ((std::vector<int>{kx_gui_hit_test(1, 1), kx_gui_pointer_down()}), (std::vector<int>{0, 0}));
    kx_gui_activate(), kx_gui_drag_start();
    EXPECT_EQ(kx_gui_drag_move(), 0);
    kx_gui_drag_end();
    EXPECT_EQ(kx_gui_pointer_up(), 0);
    kx_gui_render();  // no items: returns before any GL call
    EXPECT_EQ(kx_gui.hover, 0);
    kx_gui_destroy(), kx_gui_destroy();
}

TEST_F(Gui, IndexAtOrBeyondTheCountIsIgnored) {
    screen({item_def{0, 1}}, {at_em(1, 1, 4, 2)});
    const uint64_t builds = kx_gui.quad_builds;
    for (int i : {3, 4, -1})
        kx_gui_set_text(i, "x"), kx_gui_hide(i), kx_gui_set_hover(i), kx_gui_set_handler(i, 20, nullptr);
    EXPECT_EQ(kx_gui.hover, 0);
    EXPECT_EQ(kx_gui.quad_builds, builds);
    // The flag operations and handler setting ignore item 0.
    kx_gui_hide(0), kx_gui_toggle(0), kx_gui_set_handler(0, 20, nullptr);
    EXPECT_EQ(item(0).flags, 0u);
    EXPECT_NE(item(0).handlers[20], nullptr);
    kx_gui_set_handler(2, 24, nullptr);  // slot out of range
    kx_gui_set_handler(2, 20, record<20>);
    EXPECT_EQ(item(2).handlers[20], &record<20>);
    kx_gui_hide(2);
    std::vector<int> hidden = {kx_gui_is_hidden(2)};
    kx_gui_toggle(2);
    hidden.push_back(kx_gui_is_hidden(2));
    kx_gui_toggle(2);
    hidden.push_back(kx_gui_is_hidden(2));
    kx_gui_show(2);
    hidden.push_back(kx_gui_is_hidden(2));
    EXPECT_EQ(hidden, (std::vector<int>{1, 0, 1, 0}));
}

// ---- language file ---------------------------------------------------------------------------

TEST_F(Gui, LanguageFileIsCheckedWholeBeforeAnyTextChanges) {
    ASSERT_EQ(create(gui_file({item_def{}, item_def{1, 1}, item_def{1, 2}})), 3);
    const std::string cyr = "\xCD\xEE\xE2\xE0\xFF \xE8\xE3\xF0\xE0";  // Windows-1251 bytes kept as they are
    std::string log = logged([&] { EXPECT_EQ(lang(lang_file({"", "Start", cyr}), 1), 1); });
    EXPECT_NE(log.find("\nLoading GUI lang (t.lang):\n"), std::string::npos);
    EXPECT_EQ(std::string(item(1).text) + "|" + item(1).base_text + "|" + item(2).text, "Start|Start|" + cyr);
    EXPECT_EQ(kx_gui.images_on, 1);

    const std::string good = lang_file({"a", "b", std::string(2047, 'c')});
    const struct {
        std::string file, line;
    } bad[] = {
        {lang_file({"a", "b"}), "ERROR, gui count mismatch [t.lang]'s count\nAborted\n"},
        {lang_file({"a", "b", "c", "d"}), "ERROR, gui count mismatch [t.lang]'s count\nAborted\n"},
        {good.substr(0, good.size() - 1), "is cut short at text 2\nAborted\n"},
        {good.substr(0, 4 + 5 + 2), "is cut short at text 1\nAborted\n"},  // inside a length field
        {lang_file({"a", std::string(2048, 'b'), "c"}), "text 1 is 2048 bytes long (at most 2047)\nAborted\n"},
        {lang_file({"a", "b"}, 3), "is cut short at text 2\nAborted\n"},
        {lang_file({}, 3).substr(0, 3), "is missing or empty\nAborted\n"},
    };
    for (const auto& c : bad) {
        SCOPED_TRACE(c.line);
        log = logged([&] { EXPECT_EQ(lang(c.file), 0); });
        EXPECT_NE(log.find(c.line), std::string::npos) << log;
        EXPECT_STREQ(item(1).text, "Start");  // nothing replaced
        EXPECT_EQ(std::string(item(2).base_text), cyr);
    }
    EXPECT_EQ(kx_gui_load_lang("/nonexistent/lang.bin", 0), 0);
    EXPECT_STREQ(item(1).text, "Start");
    EXPECT_EQ(lang(good), 1);
    EXPECT_EQ(std::string(item(2).text), std::string(2047, 'c'));

    // A file read from disk goes through the same path.
    const fs::path p = fs::temp_directory_path() / ("ironvale_gui_" + std::to_string(getpid()) + ".lang");
    std::ofstream(p, std::ios::binary) << lang_file({"x", "From disk", "z"});
    EXPECT_EQ(kx_gui_load_lang(p.c_str(), 0), 1);
    fs::remove(p);
    EXPECT_STREQ(item(1).text, "From disk");
}

TEST_F(Gui, OversizedFilesReadTheFirst385Items) {
    std::vector<item_def> many(400, item_def{1, 2});
    create(gui_file(many));
    std::vector<std::string> texts(400, "t");
    texts[384] = "last read";
    std::string log = logged([&] { EXPECT_EQ(lang(lang_file(texts)), 1); });
    EXPECT_NE(log.find("ERROR, too many gui items\n"), std::string::npos);
    EXPECT_STREQ(item(384).text, "last read");
    EXPECT_EQ(lang(lang_file(std::vector<std::string>(385, "u"))), 1);  // the count held also fits
    std::vector<coord_def> recs(400, fill());
    recs[384].mask = 1, recs[384].value = 1;
    log = logged([&] { EXPECT_EQ(coords(coords_file(recs)), 1); });
    EXPECT_NE(log.find("ERROR, too many gui items\n"), std::string::npos);
    EXPECT_TRUE(item(384).flags & KX_GUI_HIDDEN);
}

// ---- layout file -------------------------------------------------------------------------------

TEST_F(Gui, LayoutFileLinksCoefficientsAndFlagMasks) {
    item_def hidden{1, 1, KX_GUI_HIDDEN | 0x10};
    ASSERT_EQ(create(gui_file({item_def{}, hidden, item_def{1, 1, 0x4}})), 3);
    coord_def show = fill(), set = at_em(1, 2, 3, 4);
    show.nav[0] = 1, show.nav[3] = -1;
    show.mask = KX_GUI_HIDDEN;  // value 0: shows the item the GUI file hid
    set.mask = 0x4, set.value = 0x8 | 0x80;
    const std::string log = logged([&] { ASSERT_EQ(coords(coords_file({fill(), show, set})), 1); });
    EXPECT_EQ(log.find("case 7717"), std::string::npos) << "whole records are no warning";
    EXPECT_EQ((std::vector<int>{static_cast<int>(item(1).flags), item(1).nav[0], item(1).nav[3],
                                static_cast<int>(item(2).flags), item(2).align, item(2).wrap, item(1).font}),
              (std::vector<int>{0x10, 1, -1, 0x88, 1, 1, 1}));
    EXPECT_EQ(item(2).layout[3], 2.0f);
    EXPECT_TRUE(rect(2) == (rect_t{8, 16, 24, 32}));
}

TEST_F(Gui, ShortOrMismatchedLayoutFiles) {
    ASSERT_EQ(create(gui_file({item_def{}, item_def{1, 1}, item_def{1, 1}})), 3);
    coord_def a = at_em(1, 1, 1, 1), b = at_em(2, 2, 2, 2);
    a.nav[1] = 7;
    ASSERT_EQ(coords(coords_file({fill(), a, a})), 1);
    std::string log = logged([&] { EXPECT_EQ(coords(coords_file({fill(), b})), 0); });
    EXPECT_NE(log.find("ERROR, gui count mismatch [t.0.bin]'s count\nAborted\n"), std::string::npos);
    EXPECT_EQ(item(1).layout[0], 1.0f);  // not applied

    // The third record stops after 30 bytes: nav and the first 14 bytes of layout arrive, the
    // rest reads as zero (never as what was there before).
    std::string file = coords_file({fill(), b, b});
    log = logged([&] { EXPECT_EQ(coords(file.substr(0, file.size() - 50)), 1); });
    EXPECT_NE(log.find("kx_gui_load_coords: warning: case 7717   (fres=30) \n"), std::string::npos);
    EXPECT_EQ((std::vector<float>{item(2).layout[0], item(2).layout[3], item(2).layout[6]}),
              (std::vector<float>{2, 0, 0}));
    EXPECT_TRUE(rect(2) == (rect_t{16, 0, 0, 0}));
    EXPECT_EQ(item(2).nav[1], 0);
    log = logged([&] { coords(coords_file({fill(), b, b}).substr(0, 4 + 80)); });
    EXPECT_NE(log.find("(fres=0) \n"), std::string::npos);
    EXPECT_EQ(item(1).layout[0], 0.0f);
    log = logged([&] { EXPECT_EQ(kx_gui_load_coords("/nonexistent/gui.0.bin"), 0); });
    EXPECT_NE(log.find("is missing or empty"), std::string::npos);
}

// ---- layout walk -----------------------------------------------------------------------------

TEST_F(Gui, LayoutWalkNestsByLevel) {
    // Each item sits 1 em right and 2 em below its parent's corner, half its parent's size.
    coord_def half;
    half.layout[0] = 1, half.layout[3] = 2, half.layout[7] = 0.5f, half.layout[11] = 0.5f;
    const struct {
        std::vector<int> levels;
        std::vector<rect_t> rects;
    } cases[] = {
        // 0, 1, 2, 2, 1: items 2 and 3 inside item 1, items 1 and 4 inside item 0.
        {{0, 1, 2, 2, 1},
         {{8, 16, 320, 240}, {16, 32, 160, 120}, {24, 48, 80, 60}, {24, 48, 80, 60}, {16, 32, 160, 120}}},
        // A jump from 1 to 3 moves one step only: item 2 is inside item 1.
        {{0, 1, 3}, {{8, 16, 320, 240}, {16, 32, 160, 120}, {24, 48, 80, 60}}},
        // 0, 2, 2, 0, 0: one step per item both ways, so item 2 is inside item 1 and item 3 inside item 0.
        {{0, 2, 2, 0, 0},
         {{8, 16, 320, 240}, {16, 32, 160, 120}, {24, 48, 80, 60}, {16, 32, 160, 120}, {8, 16, 320, 240}}},
        // A first item above level 0 has no previous item: it stays inside the window.
        {{3, 3}, {{8, 16, 320, 240}, {16, 32, 160, 120}}},
        // Levels below 0 never take the depth below 0.
        {{0, -1, -5, 1}, {{8, 16, 320, 240}, {8, 16, 320, 240}, {8, 16, 320, 240}, {16, 32, 160, 120}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.levels));
        std::vector<item_def> items;
        for (int l : c.levels) items.push_back(item_def{l, 3});
        create(gui_file(items));
        coords(coords_file(std::vector<coord_def>(items.size(), half)));
        for (size_t i = 0; i < items.size(); i++) {
            const rect_t r = rect(static_cast<int>(i));
            EXPECT_TRUE(r == c.rects[i]) << i << ": " << r.x << "," << r.y << "," << r.w << "," << r.h;
            EXPECT_EQ(item(static_cast<int>(i)).x2, r.x + r.w);
            EXPECT_EQ(item(static_cast<int>(i)).y2, r.y + r.h);
        }
    }
}

TEST_F(Gui, LayoutCoefficientsOffsetsAndLimits) {
    // Parent item 1 at (100, 50) size 200 x 80; each coefficient alone on item 2.
    const float u = 8;
    const struct {
        int k;
        rect_t r;
    } cases[] = {{0, {108, 50, 0, 0}}, {1, {300, 50, 0, 0}},  {2, {180, 50, 0, 0}},  {3, {100, 58, 0, 0}},
                 {4, {100, 250, 0, 0}}, {5, {100, 130, 0, 0}}, {6, {100, 50, 8, 0}},   {7, {100, 50, 200, 0}},
                 {8, {100, 50, 80, 0}},  {9, {100, 50, 0, 8}},  {10, {100, 50, 0, 200}}, {11, {100, 50, 0, 80}}};
    coord_def parent;
    parent.layout[0] = 100 / u, parent.layout[3] = 50 / u, parent.layout[6] = 200 / u, parent.layout[9] = 80 / u;
    create(gui_file({item_def{}, item_def{1, 3}, item_def{2, 3}}));
    for (const auto& c : cases) {
        coord_def one;
        one.layout[c.k] = 1;
        coords(coords_file({fill(), parent, one}));
        EXPECT_TRUE(rect(2) == c.r) << c.k;
    }
    // c0 = 1 and c6 = 10 at u = 8: 8 pixels right of the parent's edge, 80 wide.
    coords(coords_file({fill(), parent, at_em(1, 0, 10, 0)}));
    EXPECT_TRUE(rect(2) == (rect_t{108, 50, 80, 0}));
    // Truncation towards zero, negative sums included.
    coord_def frac;
    frac.layout[0] = -0.3f, frac.layout[3] = 0.3f, frac.layout[6] = 1.9f, frac.layout[9] = -1.9f;
    coords(coords_file({fill(), fill(), frac}));
    EXPECT_TRUE(rect(2) == (rect_t{-2, 2, 15, -15}));
    // An offset moves the item and everything laid out inside it.
    coords(coords_file({fill(), parent, fill()}));
    kx_gui_set_offset(1, 5, -7);
    EXPECT_TRUE(rect(1) == (rect_t{105, 43, 200, 80}));
    EXPECT_TRUE(rect(2) == (rect_t{105, 43, 200, 80}));
    EXPECT_EQ(item(1).offset_x, 5);
    // Coefficients far out of range or NaN give bounded pixels, never undefined conversions.
    coord_def wild;
    wild.layout[0] = 1e30f, wild.layout[3] = std::nanf(""), wild.layout[6] = -1e30f, wild.layout[9] = 1.5e8f;
    coords(coords_file({fill(), fill(), wild}));
    EXPECT_TRUE(rect(2) == (rect_t{1 << 30, 0, -(1 << 30), 1 << 30}));  // 1.2e9 pixels high: held at 2^30
    // A level staircase deeper than the parent stack stays inside its last entry.
    std::vector<item_def> deep;
    for (int l = 0; l < 200; l++) deep.push_back(item_def{l, 3});
    create(gui_file(deep));
    coord_def step;
    step.layout[0] = 0.125f, step.layout[7] = step.layout[11] = 1;
    coords(coords_file(std::vector<coord_def>(200, step)));
    EXPECT_EQ(item(KX_GUI_LAYOUT_DEPTH - 1).x, KX_GUI_LAYOUT_DEPTH);
    EXPECT_EQ(item(199).x, KX_GUI_LAYOUT_DEPTH);
}

// ---- quads and text anchors ------------------------------------------------------------------

TEST_F(Gui, QuadsAndTextAnchorsOfTheTypes) {
    item_def image{2, 5, 0, {0.5f, 0.25f, 0.75f, 0.5f}}, toggle{2, 11, KX_GUI_CHECKED, {0, 0.5f, 0.25f, 0.75f}};
    item_def slider{2, 6}, choice{2, 8, KX_GUI_CHECKED}, radio{2, 9, KX_GUI_CHECKED | KX_GUI_VARIANT};
    slider.param[0] = 0.25f, choice.value = 2, choice.value_max = 4;
    screen({item_def{2, 1}, item_def{2, 2, 0x4}, item_def{2, 4, 0x8}, image, slider, choice, radio, toggle,
            item_def{2, 9}, item_def{2, 7}},
           std::vector<coord_def>(10, at_em(10, 5, 20, 4)));  // (80, 40) 160 x 32 each
    // Type 1: one panel quad over the rectangle, texture (0,0)-(1,1), mode 1.
    EXPECT_EQ(vert(2, 0), (floats{80, 40, 1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(vert(2, 5), (floats{240, 72, 1, 1, 1, 1, 0, 0}));
    EXPECT_EQ(item(2).text_x, 88);  // x + em
    EXPECT_EQ(item(2).text_y, 56);  // y + h / 2
    EXPECT_EQ(item(2).has_text, 1);
    EXPECT_EQ(item(3).text_x, 88 + 80 - 8);  // centred: + w/2 - em
    // Type 4: box of side h at the left edge, u by hover, v by checked; text beside it.
    EXPECT_EQ(vert(4, 6), (floats{80, 40, 0, 1, 0.125f, 0, 0, 0}));
    EXPECT_EQ(item(4).text_x, 80 + 8 + 32 - 8 + 160 - 16);  // beside the box, right-aligned: + w - 2 em
    // Type 5: the param rectangle, mode 0, no text.
    EXPECT_EQ(vert(5, 5), (floats{240, 72, 0, 1, 0.75f, 0.5f, 0, 0}));
    EXPECT_EQ(item(5).has_text, 0);
    // Type 6: knob at x + (w - h) * value.
    EXPECT_EQ(vert(6, 6), (floats{80 + 32, 40, 0, 1, 0.125f, 0.25f, 0, 0}));
    EXPECT_EQ(vert(6, 11), (floats{80 + 32 + 32, 72, 0, 1, 0.25f, 0.375f, 0, 0}));
    // Type 8: segment 2 of 4 from y to y + em, checked row, extra 1.
    EXPECT_EQ(vert(7, 6), (floats{160, 40, 0, 1, 0.75f, 0.875f, 0, 1}));
    EXPECT_EQ(vert(7, 11), (floats{200, 48, 0, 1, 0.875f, 1, 0, 1}));
    // Type 9 with 0x100: a bar em wide over the full height; unchecked: far off screen.
    EXPECT_EQ(vert(8, 11, 2), (floats{88, 72}));
    EXPECT_EQ(vert(10, 6, 2), (floats{-1999, -1999}));
    // Type 11: the param rectangle, then a checked box; hovered: v - 0.125 and the hover column.
    kx_gui_set_hover(9);
    EXPECT_EQ(vert(9, 0), (floats{80, 40, 0, 1, 0, 0.375f, 1, 0}));
    EXPECT_EQ(vert(9, 6), (floats{80, 40, 0, 1, 0, 0.125f, 0, 0}));
    // Type 2 draws no quad; the container only says it has no text.
    EXPECT_EQ(kx_gui_type_vertices(2), 0);
    EXPECT_EQ(item(1).has_text, 0);
    EXPECT_EQ(kx_gui_type_vertices(12), 0);
    // Text indent moves the anchor right by em each.
    item(11).text_indent = 3;
    kx_gui_build_item(11);
    EXPECT_EQ(item(11).text_x, 88 + 24);
}

// ---- hit test --------------------------------------------------------------------------------

TEST_F(Gui, HitTestEdgesDepthAndHiddenSubtrees) {
    // 2: panel (80,40)-(240,72) holding button 3 at (88,48)-(104,56); 4: a later panel over the
    // right half of 2, (160,40)-(240,72); 5: a container holding button 6, both (320,320)-(400,400).
    screen({item_def{2, 3}, item_def{3, 1}, item_def{2, 3}, item_def{2, 0}, item_def{3, 1}},
           {at_em(10, 5, 20, 4), at_em(1, 1, 2, 1), at_em(20, 5, 10, 4), at_em(40, 40, 10, 10), fill()});
    const struct {
        int x, y, hit;
    } points[] = {
        {90, 50, 3},  {88, 50, 2},  {104, 50, 2},  {90, 48, 2},   {90, 56, 2},    // edges do not hit
        {80, 41, 0},  {81, 41, 2},  {160, 41, 2},  {161, 41, 4},  {200, 60, 4},   // the later equal wins
        {239, 71, 4}, {240, 71, 0}, {330, 330, 6}, {400, 400, 0}, {0, 0, 0},
    };
    for (const auto& p : points) EXPECT_EQ(kx_gui_hit_test(p.x, p.y), p.hit) << p.x << "," << p.y;
    // Flags that hide a whole subtree from the test.
    for (uint32_t f : {KX_GUI_HIDDEN, KX_GUI_NOHIT, KX_GUI_LOCKED}) {
        item(2).flags = f;
        EXPECT_EQ(kx_gui_hit_test(90, 50), 0) << f;  // 3 is under 2
        EXPECT_EQ(kx_gui_hit_test(81, 41), 0) << f;
        EXPECT_EQ(kx_gui_hit_test(200, 60), 4) << f;  // 4 is not under 2
        item(2).flags = 0;
        item(1).flags = f;
        EXPECT_EQ(kx_gui_hit_test(330, 330), 0) << f;  // the whole screen
        item(1).flags = 0;
    }
    item(3).flags = KX_GUI_NOHIT;  // a not-hit item lets its parent take the point
    EXPECT_EQ(kx_gui_hit_test(90, 50), 2);
    // A container (item 5) is never the result, but its children are.
    item(6).flags = KX_GUI_HIDDEN;
    EXPECT_EQ(kx_gui_hit_test(330, 330), 0);
}

// ---- pointer, slider, taps --------------------------------------------------------------------

TEST_F(Gui, SliderFollowsThePointerAndClamps) {
    // Item 2: x 100, w 200, h 20.
    coord_def s;
    s.layout[0] = 12.5f, s.layout[3] = 10, s.layout[6] = 25, s.layout[9] = 2.5f;
    screen({item_def{2, 6}, item_def{2, 6}}, {s, at_em(10, 20, 3, 3)});
    kx_gui_set_handler(2, KX_GUI_ON_GRAB, record<21>);
    kx_gui_set_handler(2, KX_GUI_ON_VALUE, record<22>);
    kx_gui_set_handler(2, KX_GUI_ON_PRESS, record<16>);
    kx_gui_set_handler(2, KX_GUI_ON_RELEASE, record<17>);
    const struct {
        int px;
        float value;
    } cases[] = {{110, 0.0f}, {200, 0.5f}, {101, 0.0f}, {299, 1.0f}, {290, 1.0f}, {146, 0.2f}};
    for (const auto& c : cases) {
        calls.clear();
        kx_app.dragging[0] = 0;
        kx_gui_set_pointer(c.px, 90);
        EXPECT_EQ(kx_gui_pointer_down(), 1) << c.px;
        EXPECT_FLOAT_EQ(kx_gui_param(&item(2), 0), c.value) << c.px;
        EXPECT_EQ(calls, (std::vector<int>{21002, 22002, 16002}));
        const int pressed_flag = (item(2).flags & KX_GUI_PRESSED) != 0;
        EXPECT_EQ((std::vector<int>{kx_app.dragging[0], kx_gui.pressed, pressed_flag}), (std::vector<int>{1, 2, 1}));
        EXPECT_FLOAT_EQ(vertex(2, 6)[0], 100 + 180 * c.value);  // the knob moved with it
        kx_gui_set_pointer(c.px, 900);  // dragging keeps following the x of the pointer
        EXPECT_EQ(kx_gui_drag_move(), 1);
        EXPECT_FLOAT_EQ(kx_gui_param(&item(2), 0), c.value);
        EXPECT_EQ(kx_gui_pointer_up(), 1);
        EXPECT_FALSE(item(2).flags & KX_GUI_PRESSED);
        EXPECT_EQ(calls.back(), 17002);
    }
    // Dragged past either end, the value stops at 1 and 0.
    kx_gui_set_pointer(200, 90);
    kx_gui_pointer_down();
    for (const auto& [px, value] : {std::pair{400, 1.0f}, std::pair{0, 0.0f}, std::pair{110, 0.0f}}) {
        kx_gui_set_pointer(px, 90);
        EXPECT_EQ(kx_gui_drag_move(), 1);
        EXPECT_EQ(kx_gui_param(&item(2), 0), value) << px;
    }
    kx_gui_pointer_up();
    // A slider as wide as it is high gives 0, never NaN.
    kx_gui_set_pointer(100, 180);
    ASSERT_EQ(kx_gui_pointer_down(), 1);
    EXPECT_EQ(kx_gui.hover, 3);
    EXPECT_EQ(kx_gui_param(&item(3), 0), 0.0f);
    EXPECT_EQ(vertex(3, 6)[0], 80.0f);
}

TEST_F(Gui, PressReleaseHoverAndDrag) {
    screen({item_def{2, 1}, item_def{2, 3}}, {at_em(0, 0, 10, 10), at_em(20, 0, 10, 10)});
    kx_gui_set_handler(2, KX_GUI_ON_PRESS, record<16>);
    kx_gui_set_handler(2, KX_GUI_ON_RELEASE, record<17>);
    kx_gui_set_handler(2, KX_GUI_ON_DROP, record<23>);
    kx_gui_set_handler(3, KX_GUI_ON_VALUE, record<22>);
    kx_gui.keyboard_mode = 1;
    kx_gui_set_pointer(40, 40);
    // Hovered, its first quad highlighted; only sliders mark a drag.
    EXPECT_EQ((floats{1.0f * kx_gui_pointer_down(), 1.0f * kx_gui.keyboard_mode, 1.0f * kx_gui.hover, vertex(2, 0)[6],
                      1.0f * kx_app.dragging[0]}),
              (floats{1, 0, 2, 1, 0}));
    kx_gui_drag_end();
    // Pressed stays set.
    EXPECT_EQ((floats{1.0f * kx_gui_pointer_up(), 1.0f * kx_gui.hover, vertex(2, 0)[6], 1.0f * kx_gui.pressed}),
              (floats{1, 0, 0, 2}));
    EXPECT_EQ(calls, (std::vector<int>{16002, 23002, 17002}));
    kx_gui_set_pointer(600, 400);  // a press on nothing leaves nothing pressed
    EXPECT_EQ((std::vector<int>{kx_gui_pointer_down(), kx_gui.pressed, kx_gui_pointer_up()}),
              (std::vector<int>{0, 0, 0}));
    // Drag start drops the hover; a drag move on a non-slider only rebuilds and reports.
    kx_gui_set_hover(3);
    kx_gui_drag_start();
    EXPECT_EQ(kx_gui.hover, 0);
    kx_gui_set_hover(3);
    calls.clear();
    EXPECT_EQ(kx_gui_drag_move(), 0);
    EXPECT_EQ(calls, (std::vector<int>{22003}));
}

TEST_F(Gui, ChoiceCyclesAndRadioGroupsAndCheckboxes) {
    item_def choice{2, 8}, r1{2, 9, KX_GUI_CHECKED}, r2{2, 9}, r3{2, 9, KX_GUI_CHECKED}, zero{2, 8};
    choice.value_max = 3, r1.value = r2.value = 5, r3.value = 6, zero.value_max = 0;
    screen({choice, r1, r2, r3, item_def{2, 4}, zero, item_def{2, 11}}, std::vector<coord_def>(7, at_em(1, 1, 9, 2)));
    for (int i = 2; i <= 8; i++) kx_gui_set_handler(i, KX_GUI_ON_ACTIVATE, record<20>);
    kx_gui_set_hover(2);
    std::vector<int> values;
    for (int k = 0; k < 4; k++) kx_gui_activate(), values.push_back(item(2).value);
    EXPECT_EQ(values, (std::vector<int>{1, 2, 0, 1}));
    EXPECT_EQ(vertex(2, 6)[0], 8 + 24);  // segment 1 of 3 over 72 pixels
    // value_max below 1 counts as 1: the value stays 0, no division by zero.
    kx_gui_set_hover(7);
    kx_gui_activate();
    EXPECT_EQ(item(7).value, 0);
    EXPECT_EQ(vertex(7, 6)[0], 8);
    EXPECT_EQ(vertex(7, 11)[0], 8 + 72);
    // Radio: tapping the unchecked one of group 5 unchecks the other; group 6 is untouched.
    calls.clear();
    kx_gui_set_hover(4);
    kx_gui_activate();
    EXPECT_EQ((std::vector<uint32_t>{item(3).flags & KX_GUI_CHECKED, item(4).flags & KX_GUI_CHECKED,
                                     item(5).flags & KX_GUI_CHECKED}),
              (std::vector<uint32_t>{0, KX_GUI_CHECKED, KX_GUI_CHECKED}));
    EXPECT_EQ(vertex(3, 6)[0], -1999.0f);  // its mark moved away
    // Tapping a checked one changes nothing but still calls slot 20.
    kx_gui_activate();
    EXPECT_TRUE(item(4).flags & KX_GUI_CHECKED);
    EXPECT_EQ(calls, (std::vector<int>{20004, 20004}));
    // Checkbox and image toggle flip 0x2 each tap.
    for (int i : {6, 8}) {
        kx_gui_set_hover(i);
        kx_gui_activate();
        EXPECT_TRUE(item(i).flags & KX_GUI_CHECKED);
        EXPECT_EQ(vertex(i, 6)[5], 0.125f);
        kx_gui_activate();
        EXPECT_FALSE(item(i).flags & KX_GUI_CHECKED);
    }
    // Nothing hovered: nothing is activated.
    calls.clear();
    kx_gui_set_hover(0);
    kx_gui_activate();
    EXPECT_TRUE(calls.empty());
}

// A tap clicks on boxes and toggles always, on buttons, choices, radios and image buttons only
// while unchecked, and never on the other types.
TEST_F(Gui, ClickSoundOnlyForTheTypesThatClick) {
    std::vector<item_def> items;
    for (int type = 0; type < 12; type++)
        for (uint32_t flags : {0u, uint32_t{KX_GUI_CHECKED}}) {
            items.push_back(item_def{2, type, flags});
            items.back().value = static_cast<int>(items.size());  // radios each in a group of their own
        }
    screen(items, std::vector<coord_def>(items.size(), at_em(1, 1, 9, 2)));
    kx_sound_t click{};
    kx_gui_set_click_sound(&click);
    std::string heard;
    for (int i = 2; i < kx_gui.count; i++) {
        click.playing = 0;
        kx_gui_set_hover(i);
        kx_gui_activate();
        heard += click.playing ? '1' : '0';
    }
    kx_gui_clear_click_sound();
    EXPECT_EQ(heard, "00" "10" "00" "00" "11" "00" "00" "00" "10" "10" "10" "11");  // (unchecked, checked) by type
}

// ---- keyboard -------------------------------------------------------------------------------

TEST_F(Gui, KeyboardNavigationFollowsLinks) {
    // Screen 1 defaults to item 3; 3 <-> 4 by down/up, 4 -> 2 by right, 2 -> 3 by left.
    screen({item_def{2, 1}, item_def{2, 1}, item_def{2, 1}}, std::vector<coord_def>(3, at_em(1, 1, 4, 2)));
    auto link = [](int i, int down, int up, int right, int left) {
        item(i).nav[0] = down, item(i).nav[1] = up, item(i).nav[2] = right, item(i).nav[3] = left;
    };
    link(1, 2, 0, 0, 0);
    link(3, 1, 0, 50, -500);  // right and left lead outside the items
    link(4, 0, -1, -2, 0);
    link(2, 0, 0, 0, 1);
    kx_gui_set_handler(4, KX_GUI_ON_ACTIVATE, record<20>);
    const struct {
        int key, hover;
    } steps[] = {{KX_KEY_UP, 3},    {KX_KEY_DOWN, 4}, {KX_KEY_UP, 3},   {KX_KEY_RIGHT, 3}, {KX_KEY_LEFT, 3},
                 {KX_KEY_DOWN, 4},  {KX_KEY_RIGHT, 2}, {KX_KEY_LEFT, 3}, {KX_KEY_DOWN, 4}, {'a', 4},
                 {KX_KEY_RETURN, 4}};
    for (const auto& s : steps) {
        const int used = kx_gui_key(s.key, 1);
        EXPECT_EQ(used, s.key != 'a') << s.key;
        EXPECT_EQ(kx_gui.hover, s.hover) << s.key;
    }
    EXPECT_EQ(calls, (std::vector<int>{20004}));
    EXPECT_EQ(kx_gui.keyboard_mode, 1);
    EXPECT_EQ((std::vector<float>{vertex(4, 0)[6], vertex(3, 0)[6]}), (std::vector<float>{1, 0}));
    // Return with nothing hovered does nothing but turns keyboard mode on.
    kx_gui_set_hover(0);
    kx_gui_set_keyboard_mode(0);
    EXPECT_EQ(kx_gui_key(KX_KEY_RETURN, 1), 1);
    EXPECT_EQ(kx_gui.keyboard_mode, 1);
    // A screen whose default link leads outside the items hovers nothing.
    item(1).nav[0] = 1000;
    kx_gui_key(KX_KEY_DOWN, 1);
    EXPECT_EQ(kx_gui.hover, 0);
    kx_gui_key(KX_KEY_DOWN, 999);  // a screen index outside the items
    EXPECT_EQ(kx_gui.hover, 0);
}

}  // namespace
