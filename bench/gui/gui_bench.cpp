// GUI speed on a real GL context (the display in $DISPLAY; Xvfb with Mesa in CI):
// loading the three GUI files with every text mesh built (target < 20 ms), drawing the
// in-game screen with a full score table and chat box (target < 0.5 ms CPU per frame), and a
// hover change. The GUI is a generated one shaped like the game's (8 screens of buttons, the
// score table's four 13-line columns, a 9-line chat box, HUD texts, hidden string holders, 385
// items in all); with IRONVALE_GUI_DIR set to a folder holding gui/ironvale.bin,
// ironvale.lang1.bin and ironvale.0.bin, BM_LoadRealContent loads those too.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"
#include "engine/gui/kx_text.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "engine/render/kx_tx.h"
#include "tests/gui/gui_files.h"
#include "tests/support/test_gl_context.h"

namespace {

using namespace gui_files;

kx_font_t g_font;

kx_font_t bench_font(uint32_t texture) {
    kx_font_t f{};
    f.texture = texture;
    f.scale = 1.6f;  // em 16 / 10
    f.size = 56;
    for (int c = 0; c < 256; c++) {
        f.advance[c] = 20.0f + static_cast<float>(c % 13);
        const float g[8] = {1, -40, 18, 10, c / 256.0f, 0, (c + 1) / 256.0f, 1};
        for (int k = 0; k < 8; k++) f.glyph[c][k] = g[k];
    }
    return f;
}

struct sample_t {
    std::string gui, lang, coords;
    int in_game = 0, chat = 0, score = 0;
};

void put_file(const std::string& path, const std::string& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

sample_t sample_gui() {
    std::vector<item_def> items = {item_def{0, 0}};
    std::vector<std::string> texts = {""};
    std::vector<coord_def> coords = {fill()};
    sample_t s;
    auto add = [&](item_def it, const std::string& text, coord_def c) {
        items.push_back(it), texts.push_back(text), coords.push_back(c);
        return static_cast<int>(items.size()) - 1;
    };
    item_def screen{1, 0};
    for (int k = 0; k < 8; k++) {
        item_def sc = screen;
        sc.param[2] = sc.param[3] = 1.0f;
        if (k != 7) sc.flags = KX_GUI_HIDDEN;
        const int id = add(sc, "", fill());
        if (k == 7) s.in_game = id;
        for (int b = 0; b < 6; b++)
            add(item_def{2, 1, KX_GUI_CENTER}, "Button " + std::to_string(k * 6 + b) + " of the menu",
                at_em(20, 8 + 3.5f * b, 30, 3));
    }
    item_def box{1, 0};
    box.param[2] = box.param[3] = 1.0f;
    add(box, "", fill());
    s.score = add(item_def{2, 3}, "", at_em(10, 6, 60, 30));
    const char* heads[] = {"Name", "Frags", "Deaths", "Ping"};
    for (int c = 0; c < 4; c++) {
        std::string col = heads[c];
        for (int r = 0; r < 12; r++) col += "\n" + (c == 0 ? "Player " + std::to_string(r) : std::to_string(r * 7 % 40));
        add(item_def{3, 2, KX_GUI_SMALL | KX_GUI_NOHIT}, col, at_em(1 + 15 * c, 2, 14, 26));
    }
    add(box, "", fill());
    std::string chat;
    for (int l = 0; l < 9; l++)
        chat += "Player " + std::to_string(l) + ": the quick brown fox jumps over the lazy dog, line " +
                std::to_string(l) + "\n";
    s.chat = add(item_def{2, 2, KX_GUI_SMALL | KX_GUI_WRAP | KX_GUI_NOHIT}, chat, at_em(1, 40, 60, 14));
    for (int h = 0; h < 4; h++)
        add(item_def{2, 2, KX_GUI_NOHIT | (h == 3 ? KX_GUI_BLINK : 0u)}, "HUD " + std::to_string(h) + ": 100",
            at_em(1 + 20 * h, 1, 18, 2));
    item_def holder{1, 0, KX_GUI_HIDDEN};
    add(holder, "", fill());
    while (items.size() < static_cast<size_t>(KX_GUI_MAX_ITEMS))
        add(item_def{2, 2}, "String holder " + std::to_string(items.size()), at_em(0, 0, 10, 2));
    s.gui = gui_file(items), s.lang = lang_file(texts), s.coords = coords_file(coords);
    return s;
}

sample_t g_sample;
std::string g_dir;

bool setup() {
    static int state = 0;
    if (state == 0) {
        state = test_gl_open(1280, 720) ? 1 : -1;
        if (state == 1) {
            kx_app.width = 1280, kx_app.height = 720, kx_app.em = 16.0f;
            kx_text_create_shader(IRONVALE_SHADERS "/text.vert.glsl", IRONVALE_SHADERS "/text.frag.glsl");
            kx_gui_create_shader(IRONVALE_SHADERS "/gui.vert.glsl", IRONVALE_SHADERS "/gui.frag.glsl");
            const std::vector<uint8_t> white(4 * 4 * 4, 255);
            g_font = bench_font(kx_tx_create(4, 4, 4, 0, 1, white.data()));
            g_sample = sample_gui();
            char tmpl[] = "/tmp/kx_gui_bench_XXXXXX";
            g_dir = mkdtemp(tmpl) ? tmpl : "/tmp";
            put_file(g_dir + "/ironvale.bin", g_sample.gui);
            put_file(g_dir + "/ironvale.lang1.bin", g_sample.lang);
            put_file(g_dir + "/ironvale.0.bin", g_sample.coords);
        }
    }
    return state == 1;
}

void load(const std::string& dir) {
    kx_gui_create((dir + "/ironvale.bin").c_str(), &g_font, &g_font, &g_font);
    kx_gui_load_lang((dir + "/ironvale.lang1.bin").c_str(), 0);
    kx_gui_load_coords((dir + "/ironvale.0.bin").c_str());
}

void BM_LoadAndBuildEveryText(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display");
    for (auto _ : state) {
        load(g_dir);
        glFinish();
    }
    state.counters["items"] = kx_gui.count;
    state.counters["text_builds"] = static_cast<double>(kx_gui.text_builds);
    kx_gui_destroy();
}
BENCHMARK(BM_LoadAndBuildEveryText)->Unit(benchmark::kMillisecond);

void BM_LoadRealContent(benchmark::State& state) {
    const char* dir = std::getenv("IRONVALE_GUI_DIR");
    if (!dir) return state.SkipWithError("IRONVALE_GUI_DIR not set");
    if (!setup()) return state.SkipWithError("no display");
    const std::string gui = std::string(dir) + "/gui";
    for (auto _ : state) {
        load(gui);
        glFinish();
    }
    state.counters["items"] = kx_gui.count;
    kx_gui_destroy();
}
BENCHMARK(BM_LoadRealContent)->Unit(benchmark::kMillisecond);

void BM_DrawInGameScreen(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display");
    load(g_dir);
    kx_proj_ortho_pixels();
    kx_mv_identity();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    int frame = 0;
    for (auto _ : state) {
        kx_app.time = static_cast<uint16_t>(frame++ * 16);
        kx_gui_render();
        glFlush();
    }
    glFinish();
    state.counters["chat_bytes"] = static_cast<double>(std::string(kx_gui.items[g_sample.chat].text).size());
    kx_gui_destroy();
}
BENCHMARK(BM_DrawInGameScreen)->Unit(benchmark::kMicrosecond);

void BM_HoverChange(benchmark::State& state) {
    if (!setup()) return state.SkipWithError("no display");
    load(g_dir);
    const int a = g_sample.in_game + 1, b = g_sample.in_game + 2;
    int k = 0;
    for (auto _ : state) kx_gui_set_hover(k++ & 1 ? a : b);
    kx_gui_destroy();
}
BENCHMARK(BM_HoverChange)->Unit(benchmark::kNanosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    // The GUI's log lines go to standard output, so the results are written to standard error.
    benchmark::ConsoleReporter reporter;
    reporter.SetOutputStream(&std::cerr);
    reporter.SetErrorStream(&std::cerr);
    if (!std::freopen("/dev/null", "w", stdout)) return 1;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    test_gl_close();
    return 0;
}
