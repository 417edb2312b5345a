// GUI texts and drawing under Xvfb (Mesa): text meshes built once and rebuilt only on change,
// a hover change rebuilding only the two items involved, and a small GUI drawn with the game's
// GUI and text shaders whose white text pixels are exactly the text layouts of its items.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"
#include "engine/gui/kx_text.h"
#include "engine/gui/kx_text_layout.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "engine/render/kx_tx.h"
#include "support/test_gl_context.h"
#include "tests/gui/gui_files.h"

namespace {

using namespace gui_files;

constexpr int kW = 320, kH = 240;

// Every byte advances 10 units and draws an 8 x 10 box above the pen, all white; at GUI text
// scale 0.8 and font scale 1.25 one unit is one pixel, so every edge is a whole pixel.
kx_font_t white_font(uint32_t texture) {
    kx_font_t f{texture, 1.25f, 10, {}, {}};
    for (int c = 0; c < 256; c++) {
        f.advance[c] = 10.0f;
        const float g[8] = {0, -10, 8, 0, 0, 0, 1, 1};
        for (int k = 0; k < 8; k++) f.glyph[c][k] = g[k];
    }
    return f;
}

kx_gui_item_t& item(int i) { return kx_gui.items[i]; }

class GuiDraw : public testing::Test {
   protected:
    static void SetUpTestSuite() {
        if (!test_gl_open(kW, kH)) return;
        kx_text_create_shader(IRONVALE_SHADERS "/text.vert.glsl", IRONVALE_SHADERS "/text.frag.glsl");
        ASSERT_EQ(kx_gui_create_shader(IRONVALE_SHADERS "/gui.vert.glsl", IRONVALE_SHADERS "/gui.frag.glsl"), 1);
        const std::vector<uint8_t> white(4 * 4 * 4, 255), red = {255, 0, 0, 255, 255, 0, 0, 255,
                                                                 255, 0, 0, 255, 255, 0, 0, 255};
        white_tx = kx_tx_create(4, 4, 4, 0, 1, white.data());
        red_tx = kx_tx_create(2, 2, 4, 0, 1, red.data());
        gl = true;
    }
    static void TearDownTestSuite() {
        if (!gl) return;
        kx_gui_destroy();
        kx_gui_destroy_shader();
        kx_text_destroy_shader();
        kx_tx_destroy(white_tx);
        kx_tx_destroy(red_tx);
        test_gl_close();
    }
    void SetUp() override {
        if (!gl) GTEST_SKIP() << "no display";
        kx_app.em = 8.0f;
        kx_app.width = kW, kx_app.height = kH;
        font = white_font(white_tx);
    }
    void TearDown() override { kx_gui_destroy(); }

    void load(const std::vector<item_def>& items, const std::vector<std::string>& texts,
              const std::vector<coord_def>& layout) {
        const auto g = image_of(gui_file(items)), l = image_of(lang_file(texts)), c = image_of(coords_file(layout));
        ASSERT_EQ(kx_gui_create_mem(g.data(), static_cast<long>(g.size()), "g", &font, &font, &font),
                  static_cast<int>(items.size()));
        ASSERT_EQ(kx_gui_load_lang_mem(l.data(), static_cast<long>(l.size()), "l", 0), 1);
        ASSERT_EQ(kx_gui_load_coords_mem(c.data(), static_cast<long>(c.size()), "c"), 1);
    }

    static inline bool gl = false;
    static inline uint32_t white_tx = 0, red_tx = 0;
    kx_font_t font;
};

TEST_F(GuiDraw, TextsAreBuiltOnceAndRebuiltOnlyWhenTheyChange) {
    load({item_def{0, 0}, item_def{1, 1}, item_def{1, 2, KX_GUI_WRAP}, item_def{1, 1}}, {"", "Play", "Hello there", "Quit"},
         {fill(), at_em(1, 1, 10, 3), at_em(1, 5, 10, 3), at_em(1, 9, 10, 3)});
    EXPECT_EQ(kx_gui.text_builds, 4u);  // the layout built each text once; the language waited for it
    EXPECT_EQ(item(1).text_mesh.count, 4u * KX_TEXT_VERTS_PER_BYTE);
    EXPECT_EQ(item(0).text_mesh.count, 0u);
    auto builds = [] { return kx_gui.text_builds; };
    uint64_t before = builds();
    kx_gui_set_text(1, "Play");
    kx_gui_printf(1, "%s", "Play");
    kx_gui_printf(1, "%s", item(1).text);  // formatting from its own text
    kx_gui_refresh_text(1);
    kx_gui_update_text(-1, 1);  // indices outside the items are ignored, even forced
    kx_gui_update_text(kx_gui.count, 1);
    kx_gui_recalc();  // same window, same font: nothing to rebuild
    kx_gui_set_offset(3, 1, 1);
    EXPECT_EQ(builds(), before);
    kx_gui_set_text(1, "Pause");
    EXPECT_EQ(builds(), before + 1);
    EXPECT_EQ(item(1).text_mesh.count, 5u * KX_TEXT_VERTS_PER_BYTE);
    kx_gui_printf(1, "%s %d", item(1).text, 7);
    EXPECT_STREQ(item(1).text, "Pause 7");
    item(1).text[0] = 'C';  // edited in place, then refreshed
    kx_gui_refresh_text(1);
    EXPECT_EQ(builds(), before + 3);
    item(1).flags |= KX_GUI_SMALL;
    kx_gui_refresh_text(1);
    EXPECT_EQ(item(1).font, 1);
    EXPECT_EQ(item(1).text_scale, 0.65f);
    EXPECT_EQ(builds(), before + 4);
    // A wider window changes only the wrapped text's width; a new font scale changes every text.
    before = builds();
    kx_app.width = kW + 80;
    kx_gui_recalc();
    EXPECT_EQ(builds(), before);  // the items' widths are in em
    kx_app.em = 10.0f;
    kx_gui_recalc();
    EXPECT_EQ(builds(), before + 1);
    font.scale = 2.0f;
    kx_gui_recalc();
    EXPECT_EQ(builds(), before + 5);
    // A long text is cut at 2047 bytes.
    kx_gui_set_text(2, std::string(5000, 'x').c_str());
    EXPECT_EQ(std::string(item(2).text).size(), 2047u);
    kx_gui_printf(2, "%s", std::string(5000, 'y').c_str());
    EXPECT_EQ(std::string(item(2).text).size(), 2047u);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(GuiDraw, HoverChangeRebuildsOnlyTheTwoItemsInvolved) {
    std::vector<item_def> items = {item_def{0, 0}, item_def{1, 0}};
    std::vector<std::string> texts = {"", ""};
    std::vector<coord_def> layout = {fill(), fill()};
    for (int i = 0; i < 20; i++) {
        items.push_back(item_def{2, 1});
        texts.push_back("Button " + std::to_string(i));
        layout.push_back(at_em(1, 1.0f + 2.5f * static_cast<float>(i), 12, 2));
    }
    load(items, texts, layout);
    std::vector<uint64_t> quads;
    const uint64_t text_before = kx_gui.text_builds;
    for (const auto& [x, y] : {std::pair{20, 12}, std::pair{20, 32}, std::pair{21, 33}, std::pair{300, 200}}) {
        const uint64_t q = kx_gui.quad_builds;
        kx_gui_set_pointer(x, y);
        kx_gui_pointer_down();
        quads.push_back(kx_gui.quad_builds - q);
    }
    // Nothing -> 2, 2 -> 3, 3 -> 3 (the same item: built once), 3 -> nothing.
    EXPECT_EQ(quads, (std::vector<uint64_t>{2, 2, 1, 2}));
    kx_gui_set_hover(5);
    item(5).nav[KX_GUI_NAV_DOWN] = 1;
    const uint64_t q = kx_gui.quad_builds;
    kx_gui_key(KX_KEY_DOWN, 1);
    EXPECT_EQ(kx_gui.quad_builds - q, 2u);
    EXPECT_EQ(kx_gui.text_builds, text_before);
}

// The white pixels expected from one text: its layout quads at the anchor, drawn at `scale`.
void expect_text(std::vector<uint8_t>* mask, const kx_font_t& f, const std::string& s, int align, float text_scale,
                 float ax, float ay, float scale, size_t bytes) {
    std::vector<float> v(s.size() * KX_TEXT_FLOATS_PER_BYTE);
    kx_text_layout(&f, s.data(), s.size(), align, text_scale, 0.0f, v.data());
    for (size_t b = 0; b < bytes; b++) {
        const float* q = &v[b * KX_TEXT_FLOATS_PER_BYTE];
        if (q[3] == 0.0f) continue;
        const float x0 = ax + q[0] * scale, y0 = ay + q[1] * scale;
        const float x1 = ax + q[40] * scale, y1 = ay + q[41] * scale;
        for (int y = static_cast<int>(y0); y < static_cast<int>(y1); y++)
            for (int x = static_cast<int>(x0); x < static_cast<int>(x1); x++)
                if (x >= 0 && x < kW && y >= 0 && y < kH) (*mask)[(kH - 1 - y) * kW + x] = 1;
    }
}

TEST_F(GuiDraw, DrawnTextsAppearWhereTheirItemsAre) {
    item_def screen{1, 0}, blink{2, 7, KX_GUI_BLINK}, hidden{1, 1, KX_GUI_HIDDEN}, pic{2, 1};
    pic.image[0] = 0, pic.image[1] = 0, pic.image[2] = 1, pic.image[3] = 1;  // a square image
    // Images no higher than 0.001 are not drawn: those items keep their texts.
    item_def quit{2, 1}, label{2, 2, KX_GUI_RIGHT};
    quit.image[2] = 1, quit.image[3] = 0.001f;
    label.image[1] = label.image[3] = 0.5f, label.image[2] = 1;
    // 0 root; 1 screen; 2 centred button; 3 left button; 4 right-aligned label; 5 blinking
    // field; 6 button with an image; 7 a hidden container with a button 8 under it.
    load({item_def{0, 0}, screen, item_def{2, 1, KX_GUI_CENTER}, quit, label, blink,
          pic, hidden, item_def{2, 1}},
         {"", "", "OK", "Quit", "R", "ab", "Img", "", "Hidden"},
         {fill(), fill(), at_em(2, 2, 10, 3), at_em(2, 6, 10, 3), at_em(14, 2, 10, 3), at_em(14, 6, 10, 3),
          at_em(2, 10, 10, 3), fill(), at_em(2, 20, 10, 3)});
    kx_gui.texture = 0;
    kx_gui.image_texture = red_tx;
    kx_app.width = kW, kx_app.height = kH;
    kx_proj_ortho_pixels();
    kx_mv_identity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    const struct {
        float dx, dy, scale;
        uint16_t time;  // trims the blinking tail by (~(time >> 8)) & 3 characters
        int images_on;
    } frames[] = {{0, 0, 1, 768, 0}, {0, 0, 1, 512, 0}, {0, 0, 1, 0, 0}, {10, 5, 1, 768, 0}, {-40, -20, 2, 256, 0},
                  {0, 0, 1, 768, 1}};
    for (const auto& fr : frames) {
        SCOPED_TRACE(testing::Message() << fr.dx << "," << fr.dy << " x" << fr.scale << " t" << fr.time);
        kx_gui_set_param(&item(1), 0, fr.dx);
        kx_gui_set_param(&item(1), 1, fr.dy);
        kx_gui_set_param(&item(1), 2, fr.scale);
        kx_gui_set_param(&item(1), 3, 1.0f);
        kx_gui.images_on = fr.images_on;
        kx_app.time = fr.time;
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        kx_gui_set_text(8, ("Hidden " + std::to_string(&fr - frames)).c_str());  // a new mesh, left bound
        testing::internal::CaptureStdout();
        kx_gui_render();
        std::vector<uint8_t> mask(kW * kH, 0), image(kW * kH * 4);
        test_gl_read_rgba(0, 0, kW, kH, image.data());
        kx_gui_render();  // a second frame, for the log
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

        const int trim = (~(fr.time >> 8)) & 3;
        for (int i : {2, 3, 4, 5, 6}) {
            const kx_gui_item_t& it = item(i);
            const std::string s = it.text;
            size_t bytes = s.size();
            if (i == 5) bytes = trim > static_cast<int>(bytes) ? 0 : bytes - trim;
            if (i == 6 && fr.images_on) continue;  // the image replaces the text
            expect_text(&mask, font, s, it.align, 0.8f, it.text_x * fr.scale + fr.dx, it.text_y * fr.scale + fr.dy,
                        fr.scale, bytes);
        }
        int wrong = 0, white = 0;
        for (int p = 0; p < kW * kH; p++) {
            const bool is_white = image[p * 4] > 250 && image[p * 4 + 1] > 250 && image[p * 4 + 2] > 250;
            white += is_white;
            wrong += is_white != (mask[p] == 1);
        }
        EXPECT_GT(white, 100);
        EXPECT_EQ(wrong, 0) << "white pixels off the items' text layouts";
        // The panels are drawn under the texts: a point of button 3 right of its text is panel
        // coloured (blue-grey), a point outside every item stays black.
        const int px = static_cast<int>((16 + 70) * fr.scale + fr.dx), py = static_cast<int>((48 + 20) * fr.scale + fr.dy);
        const uint8_t* c = &image[((kH - 1 - py) * kW + px) * 4];
        EXPECT_TRUE(c[2] > c[0] && c[2] > 20 && c[2] < 200) << int(c[0]) << " " << int(c[1]) << " " << int(c[2]);
        const uint8_t* out = &image[((kH - 1 - 230) * kW + 310) * 4];
        EXPECT_EQ(out[0] + out[1] + out[2], 0);
        if (fr.images_on) {
            // The image quad sits right of the anchor of item 6 (left-aligned), from the image texture.
            // It is 0.35 h = 8.4 pixels high each way and as wide (a square image), so it
            // covers 0..16.8 to the right and -8.4..8.4 around the anchor.
            const kx_gui_item_t& it = item(6);
            auto red = [&](int dx, int dy) {
                const uint8_t* r = &image[((kH - 1 - (it.text_y + dy)) * kW + it.text_x + dx) * 4];
                return r[0] > 200 && r[1] < 40 && r[2] < 40;
            };
            EXPECT_TRUE(red(0, 0) && red(8, 0) && red(16, 0) && red(8, -8) && red(8, 7));
            EXPECT_FALSE(red(-1, 0) || red(17, 0) || red(8, -9) || red(8, 8));
        }
        // The blinking tail's line is written once per change, not once per frame.
        const std::string line = "trim_count " + std::to_string(trim) + ", vbo_count " +
                                 std::to_string(trim >= 2 ? 0 : (2 - trim) * 6) + "\n";
        EXPECT_NE(log.find(line), std::string::npos) << log;
        EXPECT_EQ(log.find(line), log.rfind(line)) << log;
    }
}

TEST_F(GuiDraw, ItemsBeforeAnyContainerDrawAtRest) {
    // A button at (40, 40)-(120, 80) with no screen container before it; its text "I" is one
    // glyph box 8 x 10 above the pen at the text anchor.
    load({item_def{0, 0}, item_def{1, 1}}, {"", "I"}, {fill(), at_em(5, 5, 10, 5)});
    kx_proj_ortho_pixels();
    kx_mv_identity();
    for (kx_sh_t* sh : {&kx_gui.shader, &kx_text_shader}) {  // what an earlier frame's last container left
        kx_sh_use(sh);
        glUniform4f(sh->slot[KX_SH_U_POS_MODIF], 100.0f, 100.0f, 2.0f, 0.5f);
    }
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    kx_gui_render();
    auto lit = [](int x, int y) { return (test_gl_pixel(x, kH - 1 - y) >> 8) != 0; };
    EXPECT_TRUE(lit(40, 40) && lit(119, 79));  // the corner pixels, and none past them
    EXPECT_FALSE(lit(39, 40) || lit(40, 39) || lit(120, 79) || lit(119, 80) || lit(150, 150));
    auto white = [](int x, int y) { return (test_gl_pixel(x, kH - 1 - y) >> 8) == 0xFFFFFFu; };
    const int tx = item(1).text_x, ty = item(1).text_y;
    EXPECT_TRUE(white(tx, ty - 10) && white(tx + 7, ty - 1));
    EXPECT_FALSE(white(tx - 1, ty - 5) || white(tx + 8, ty - 5) || white(tx + 2, ty - 11) || white(tx + 2, ty));
}

}  // namespace
