// Game lifecycle: init, frame, resize, term (see game_main.h).
#include "game/game_main.h"

#ifndef _WIN32
#include <sys/resource.h>
#endif
#include <time.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"
#include "engine/audio/kx_audio.h"
#include "engine/gui/kx_gui.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_tx.h"
#include "game/draw/game_assets.h"
#include "game/draw/game_draw_frame.h"
#include "game/draw/game_fbo.h"
#include "game/draw/game_gui_items.h"
#include "game/draw/game_shaders.h"
#include "game/game_audio.h"
#include "game/game_bench.h"
#include "game/game_controls.h"
#include "game/game_loader.h"
#include "game/game_net_glue.h"
#include "game/game_options.h"
#include "game/game_outlets.h"
#include "game/game_settings_glue.h"
#include "game/menu/game_menu.h"
#include "game/menu/game_menu_server.h"
#include "game/net/game_net.h"
#include "game/net/game_net_connect.h"
#include "game/sim/game_tick.h"
#include "game/sim/game_world.h"

namespace {

int init_done = 0;

double cpu_ms() {
    timespec t;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

double wall_ms() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

// The anisotropy option re-filters the three textures seen at grazing angles.
void set_anisotropy(int level) {
    for (int t : {GAME_TX_GRASS, GAME_TX_CRYSTAL, GAME_TX_T1})
        kx_tx_set_quality(game_assets.textures[t], GL_TEXTURE_2D, level);
}

void gui_init() {
    if (kx_gui.created) kx_gui_destroy();
    game_gui_items_reset();
    const kx_font_t* f = &game_assets.font;
    kx_gui_create("gui/ironvale.bin", f, f, f);
    kx_gui_load_lang("gui/ironvale.lang1.bin", 0);
    kx_gui_load_coords("gui/ironvale.0.bin");
    kx_gui.texture = game_assets.textures[GAME_TX_GUI];
    // Button handlers, start screen, and items 73-75 hidden.
    game_menu_init(&game_netman);
    game_menu.hooks.name_labels = game_labels_build;
    game_menu.hooks.anisotropy = set_anisotropy;
}

// ---- the benchmark run: menus skipped, the player turning on the spot --------------

struct bench_run_t {
    int started;      // the game has been started
    double start_ms;  // wall clock at the first measured frame
    double last_ms;   // wall clock at the previous frame
} bench;

void bench_start_game() {
    std::srand(game_options.seed);
    game_menu_start_single();
    bench.started = 1;
    bench.start_ms = bench.last_ms = wall_ms();
    game_bench_reset();
}

// Peak resident size and the private part of the current one, in MiB; the Windows
// build does not measure them (0).
game_bench_memory_t memory_mib() {
    game_bench_memory_t m{0, 0};
#ifndef _WIN32
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    m.peak_rss_mb = ru.ru_maxrss / 1024.0;
    if (FILE* f = std::fopen("/proc/self/smaps_rollup", "r")) {
        char line[256];
        long kb = 0, total_kb = 0;
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "Private_Clean: %ld", &kb) == 1 || std::sscanf(line, "Private_Dirty: %ld", &kb) == 1)
                total_kb += kb;
        std::fclose(f);
        m.private_mb = total_kb / 1024.0;
    }
#endif
    return m;
}

void bench_finish() {
    const game_bench_summary_t s = game_bench_summary();
    char json[512];
    const game_bench_memory_t mem = memory_mib();
    game_bench_json(&s, &mem, game_world.bots_alive, json, sizeof json);
    std::printf("%s\n", json);
    std::fflush(stdout);
    kxAppQuit();
}

// One full turn every 20 seconds keeps the whole level passing the camera.
void bench_turn() {
    if (game_world.player) game_world.player->rot.y += static_cast<float>(2 * M_PI / 20000.0) * kx_app.dt;
}

void in_game_frame() {
    const bool measure = game_options.bench && bench.started;
    if (measure) bench_turn();
    const double c0 = measure ? cpu_ms() : 0;
    game_frame_step(kx_app.dt, kx_app.time);
    const double c1 = measure ? cpu_ms() : 0;
    game_draw();
    const double c2 = measure ? cpu_ms() : 0;
    kxAppSwapBuffers();
    if (!measure) return;
    const double c3 = cpu_ms();
    const double now = wall_ms();
    game_bench_frame(now - bench.last_ms, c1 - c0, c2 - c1, c3 - c2);
    bench.last_ms = now;
    if (now - bench.start_ms >= game_options.bench_seconds * 1000.0) bench_finish();
}

}  // namespace

int game_init_done() { return init_done; }

void GameInit() {
    game_reset_state();
    game_fbo_reset_settings();
    kxAppSetVSync(0);
    kxAppSetContinuous(1);
    game_settings_start();
    if (!game_settings_windowed()) kxAppSetFullscreen(1);
    if (game_options.width > 0) kxAppSetWindowSize(game_options.width, game_options.height);
    kxLog("%s\n", "=== Ironvale ===");

    game_net_init();
    kxFlagsCreate(16);

    game_fbo_init();
    kxLog("%s\n", "Audio init...");
    kx_audio_init(1, 1, 1);

    kxLog("%s\n", "--- Game Init ---");
    game_shaders_init();
    kxLog("%s\n", "Creating vbo test model...");
    game_assets_load_models();
    kxLog("%s\n", "Creating textures...");
    game_assets_load_textures();
    kxLog("%s\n", "Creating mission bg textures...");
    kxLog("%s\n", "Creating click sound...");
    game_audio_load();

    kxLog("%s\n", "--- GAME FONT ---");
    game_assets_load_font();
    kxLog("%s\n", "Fonts has been created.");
    game_labels_build_letters();

    kxLog("%s\n", "--- GAME GUI INIT ---");
    gui_init();
    game_outlets_install();
    game_net_glue_install();

    kxLog("%s\n", "--- GAME LOADER LOAD ---");
    game_loader_reset();
    game_loader_start(0);

    if (!game_world_init()) kxLog("%s\n", "GameInit: no memory for the object pools ");
    game_settings_apply();
    kxLog("%s\n", "End of GameInit()");
    init_done = 1;
}

void game_frame() {
    game_net_poll(kx_app.dt);
    if (loader_active) game_loader_service();
    if (kxFlagsTake(1)) {
        loader_progress = 1;
        kxAppSetVSync(1);
        game_loader_start(1);
    }
    if (kxFlagsTake(2)) kxLog("%s\n", "Stage 1 has been loaded. ");

    const int mode = game_loader_mode();
    if (mode == 3) {
        in_game_frame();
        return;
    }
    if (mode == 2) {
        game_draw_loader(loader_progress);
    } else {
        if (game_options.bench && !bench.started) {
            bench_start_game();
            return;
        }
        // A benchmark game that ended early still reports what it measured.
        if (game_options.bench) {
            bench_finish();
            return;
        }
        // --connect with --name joins at once, as if typed on the multiplayer screen.
        // A join the command line asked for is not the player's choice to keep.
        if (mode == 0 && game_net_take_autojoin()) {
            kx_gui_set_text(GAME_ITEM_NAME, game_net_arg_name());
            const auto changed = game_menu.hooks.changed;
            game_menu.hooks.changed = nullptr;
            game_menu_connect();
            game_menu.hooks.changed = changed;
        }
        game_menu_server_update();
        game_draw_menu();
    }
    kxAppSwapBuffers();
}

void game_on_resize(int width, int height) {
    fbo_width = width;
    fbo_height = height;
    // Before game init ends there are no framebuffers, font or GUI to rebuild.
    if (!init_done) return;
    game_fbo_reconfigure();
    game_assets.font.scale = kx_app.em / 10.0f;
    kx_gui_recalc();
}

void GameTerm() {
    game_loader_join();
    game_net_term();
    kxFlagsFree();
    game_audio_unload();
    game_labels_free();
    game_assets_free_textures();
    game_assets_free_models();
    kxLog("%s\n", "--- Game Term ---");
    game_world_term();
    kx_gui_destroy();
    game_shaders_term();
    game_fbo_term();
    kx_audio_term();
    init_done = 0;
    kxLog("%s\n", "GameTerm Done.");
}

void game_install_handlers() {
    kx_app.OnInitDisplay = GameInit;
    kx_app.OnTerm = GameTerm;
    kx_app.OnProcess = game_frame;
    kx_app.OnResize = game_on_resize;
    kx_app.OnKeyDown = game_on_key_down;
    kx_app.OnKeyUp = game_on_key_up;
    kx_app.OnChar = game_on_char;
    kx_app.OnPointerDown = game_on_pointer_down;
    kx_app.OnPointerUp = game_on_pointer_up;
    kx_app.OnTap = game_on_tap;
    kx_app.OnDragStart = game_on_drag_start;
    kx_app.OnDragEnd = game_on_drag_end;
    kx_app.OnDragMove = game_on_drag_move;
    kx_app.OnPointerMove = game_on_pointer_move;
    kx_app.OnMouseLook = game_on_mouse_look;
}
