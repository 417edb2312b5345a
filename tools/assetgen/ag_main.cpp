// assetgen: writes the game's whole asset tree (shaders, models, textures,
// sounds, font, GUI files) from the parameter tables, shader and GUI sources under assets/.
//   assetgen <source assets dir> <output dir> <font.ttf>
//   assetgen --icons <source assets dir> <output dir>
// The second form writes the program icon as <output dir>/<N>x<N>/apps/ironvale.png
// (the hicolor theme's layout), apart from the tree the game reads.
// Jobs run on a few threads; every job is deterministic, so the tree is the
// same bytes on every run. Exit status 0 when every file was written.
// Depends on every ag_* module and kx_log.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "engine/app/kx_log.h"
#include "tools/assetgen/ag_font.h"
#include "tools/assetgen/ag_gui.h"
#include "tools/assetgen/ag_gui_atlas.h"
#include "tools/assetgen/ag_icon.h"
#include "tools/assetgen/ag_map.h"
#include "tools/assetgen/ag_models.h"
#include "tools/assetgen/ag_ogg.h"
#include "tools/assetgen/ag_params.h"
#include "tools/assetgen/ag_sounds.h"
#include "tools/assetgen/ag_textures.h"

namespace fs = std::filesystem;

namespace {

struct job_t {
    std::string name;
    std::function<int()> run;
};

const char* const kShaders[] = {"grid", "fullscreen", "light2", "simple", "text", "gui"};

int copy_source(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        kxLog("assetgen: can't copy %s: %s \n", from.c_str(), ec.message().c_str());
        return -1;
    }
    return 0;
}

int write_font_metrics(const fs::path& path, const std::vector<float>& metrics) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return -1;
    const bool ok = std::fwrite(metrics.data(), sizeof(float), metrics.size(), f) == metrics.size();
    return (std::fclose(f) == 0 && ok) ? 0 : -1;
}

int write_icons(const fs::path& src, const fs::path& out) {
    ag_params_t p;
    if (ag_params_load(&p, (src / "params" / "textures.txt").c_str())) return 1;
    const ag_image_t background = ag_tex_menu_background(p);
    if (ag_params_missing()) return 1;
    for (int size : AG_ICON_SIZES) {
        const fs::path dir = out / (std::to_string(size) + "x" + std::to_string(size)) / "apps";
        std::error_code ec;
        fs::create_directories(dir, ec);
        if (ec || ag_png_write((dir / "ironvale.png").c_str(), ag_icon(background, size))) {
            kxLog("assetgen: can't write the %d-pixel icon in %s \n", size, dir.c_str());
            return 1;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--icons") return write_icons(argv[2], argv[3]);
    if (argc != 4) {
        kxLog("usage: assetgen <source assets dir> <output dir> <font.ttf> \n"
              "       assetgen --icons <source assets dir> <output dir> \n");
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    const fs::path src = argv[1], out = argv[2];
    const std::string ttf = argv[3];
    ag_params_t p;
    for (const char* table : {"textures.txt", "sounds.txt", "models.txt"})
        if (ag_params_load(&p, (src / "params" / table).c_str())) return 1;
    for (const char* dir : {"shaders", "models", "textures", "sounds", "font", "gui"}) {
        std::error_code ec;
        fs::create_directories(out / dir, ec);
        if (ec) {
            kxLog("assetgen: can't create %s \n", (out / dir).c_str());
            return 1;
        }
    }

    std::vector<job_t> jobs;
    auto png = [&](const std::string& name, std::function<ag_image_t()> paint) {
        jobs.push_back({name, [=] { return ag_png_write((out / "textures" / name).c_str(), paint()); }});
    };
    auto model = [&](const std::string& name, std::function<ag_mesh_t()> build) {
        jobs.push_back(
            {name, [=] { return ag_rawmdl_write((out / "models" / (name + ".rawmdl")).c_str(), build()); }});
    };
    // The slow ones first, so the threads finish together.
    for (int f = 0; f < AG_SKY_FACES; f++)
        png(std::string("skybox_") + ag_sky_face_names[f] + ".png",
            [&p, f] { return ag_tex_sky_face(p, f); });
    png("menu_background.png", [&p] { return ag_tex_menu_background(p); });
    png("t1.png", [&p] { return ag_tex_ground(p); });
    png("grass.png", [&p] { return ag_tex_grass(p); });
    png("crystal.png", [&p] { return ag_tex_crystal(p); });
    png("t2.png", [&p] { return ag_tex_suit(p); });
    png("white.png", [] { return ag_tex_white(); });
    png("gui.png", [&p, ttf] { return ag_gui_atlas(p, ttf.c_str()); });
    jobs.push_back({"font", [&p, ttf, out] {
                        ag_image_t atlas;
                        std::vector<float> metrics;
                        if (ag_font_build(ttf.c_str(), p, &atlas, &metrics)) return -1;
                        if (ag_png_write((out / "textures" / "font8cyr.png").c_str(), atlas)) return -1;
                        return write_font_metrics(out / "font" / "fontcyr.bin", metrics);
                    }});
    for (int i = 0; i < 12; i++) {
        jobs.push_back({ag_sound_names[i], [&p, i, out] {
                            const ag_sound_t s = ag_sound_make(p, i);
                            if (s.samples.empty()) return -1;
                            return ag_ogg_write((out / "sounds" / s.file).c_str(), s.samples, AG_SOUND_RATE,
                                                ag_param(p, "sounds.vorbis_quality"), 0x1A0 + i);
                        }});
    }
    model("testplayer", [&p] { return ag_model_testplayer(p); });
    model("gun1", [&p] { return ag_model_gun1(p); });
    model("macgun1", [&p] { return ag_model_macgun1(p); });
    model("minisphere", [&p] { return ag_model_minisphere(p); });
    model("laserbullet", [&p] { return ag_model_laserbullet(p); });
    model("redcross", [&p] { return ag_model_redcross(p); });
    model("mountains1", [&p] { return ag_model_mountains(p); });
    model("map3", [&p] { return ag_model_map(p); });
    jobs.push_back({"gui", [src, out] {
                        return ag_gui_build((src / "gui" / "ironvale.gui").c_str(), (out / "gui").c_str());
                    }});
    for (const char* sh : kShaders) {
        for (const char* stage : {".vert.glsl", ".frag.glsl"}) {
            const std::string file = std::string(sh) + stage;
            jobs.push_back(
                {file, [=] { return copy_source(src / "shaders" / file, out / "shaders" / file); }});
        }
    }

    std::atomic<size_t> next{0};
    std::atomic<int> failures{0};
    auto worker = [&] {
        for (size_t i; (i = next++) < jobs.size();) {
            const auto t0 = std::chrono::steady_clock::now();
            const int rc = jobs[i].run();
            const double job_ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            if (job_ms > 500) kxLog("assetgen: %s took %.0f ms \n", jobs[i].name.c_str(), job_ms);
            if (rc != 0) {
                kxLog("assetgen: FAILED %s \n", jobs[i].name.c_str());
                failures++;
            }
        }
    };
    const unsigned threads = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    std::vector<std::thread> pool;
    for (unsigned t = 0; t < threads; t++) pool.emplace_back(worker);
    for (std::thread& t : pool) t.join();

    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
    if (failures || ag_params_missing()) {
        kxLog("assetgen: %d jobs failed, %d parameters missing \n", failures.load(), ag_params_missing());
        return 1;
    }
    kxLog("assetgen: %zu files in %s (%.0f ms, %u threads) \n", jobs.size() + 4, out.c_str(), ms, threads);
    return 0;
}
