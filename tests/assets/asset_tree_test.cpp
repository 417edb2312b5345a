// The generated asset tree as the game will read it: every file the game loads
// exists; models are whole triangles with unit normals and consistent winding;
// textures decode at the sizes the renderer expects; sounds decode as mono clips
// of plausible length and level; the font and the GUI atlas hold what the text
// layout and the HUD read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "assets/asset_read.h"
#include "tools/assetgen/ag_atlas.h"

namespace {

vec3 cross(vec3 a, vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(vec3 a, vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST(AssetTree, EveryFileTheGameLoadsExists) {
    std::vector<std::string> files;
    for (const char* m : kModelNames) files.push_back(std::string("models/") + m + ".rawmdl");
    for (const char* t : {"menu_background", "t2", "crystal", "t1", "grass", "gui", "white", "skybox_bk",
                          "skybox_fr", "skybox_lt", "skybox_rt", "skybox_up", "font8cyr"})
        files.push_back(std::string("textures/") + t + ".png");
    for (const char* s : {"single-shot", "healthkit-mono", "shot-and-reload", "reload-mono", "hit",
                          "player-hit", "explosion", "player-shot", "step0", "step1", "step2", "step3"})
        files.push_back(std::string("sounds/") + s + ".ogg");
    for (const char* sh : {"grid", "fullscreen", "light2", "simple", "text", "gui"}) {
        files.push_back(std::string("shaders/") + sh + ".vert.glsl");
        files.push_back(std::string("shaders/") + sh + ".frag.glsl");
    }
    files.push_back("font/fontcyr.bin");
    for (const std::string& f : files) EXPECT_FALSE(read_bytes(asset_path(f)).empty()) << f;
}

TEST(AssetTree, TreeStaysSmall) {
    size_t total = 0;
    for (const char* m : kModelNames)
        total += read_bytes(asset_path(std::string("models/") + m + ".rawmdl")).size();
    for (const char* t : {"menu_background", "t2", "crystal", "t1", "grass", "gui", "white", "skybox_bk",
                          "skybox_fr", "skybox_lt", "skybox_rt", "skybox_up", "font8cyr"})
        total += read_bytes(asset_path(std::string("textures/") + t + ".png")).size();
    EXPECT_LT(total, 10u * 1024 * 1024);
}

// ---- models ----

struct model_case_t {
    const char* name;
    bool closed;          // made of closed parts: the enclosed volume must be positive
    vec3 lo_min, lo_max;  // allowed range of the bounding box's low corner
    vec3 hi_min, hi_max;  // and of its high corner
};

// Model units: world size divided by the draw scale (players 0.5, bullets and
// effects 0.3, cross 0.075, guns 1.2 in a view scaled by 8, hills 1.5, level 3.2).
const model_case_t kModels[] = {
    {"testplayer",
     true,
     {-0.8f, -1.4f, -0.05f},
     {-0.3f, -0.6f, 0.0f},
     {0.3f, 0.1f, 2.2f},
     {0.8f, 0.6f, 2.6f}},
    {"minisphere",
     true,
     {-0.3f, -0.3f, -0.3f},
     {-0.1f, -0.1f, -0.1f},
     {0.1f, 0.1f, 0.1f},
     {0.3f, 0.3f, 0.3f}},
    {"laserbullet",
     true,
     {-2.0f, -0.3f, -0.3f},
     {-0.5f, -0.05f, -0.05f},
     {0.5f, 0.05f, 0.05f},
     {2.0f, 0.3f, 0.3f}},
    {"redcross", true, {-6, -1.5f, -6}, {-3, -0.3f, -3}, {3, 0.3f, 3}, {6, 1.5f, 6}},
    // Guns point along -z from just in front of the eye (z < 0 is in front of it).
    {"gun1", true, {-0.5f, -0.5f, -2.0f}, {0.35f, 0.3f, -0.5f}, {-0.4f, -0.2f, -0.3f}, {0.5f, 0.5f, 0.3f}},
    {"macgun1", true, {-0.5f, -0.5f, -2.0f}, {0.35f, 0.3f, -0.5f}, {-0.4f, -0.2f, -0.3f}, {0.5f, 0.5f, 0.3f}},
    {"mountains1", false, {-110, -110, -1}, {-60, -60, 0}, {60, 60, 10}, {110, 110, 40}},
    {"map3", false, {-16, -15, -0.01f}, {-13, -13, 0.01f}, {9, 11, 0.8f}, {12, 14, 1.0f}},
};

class ModelTest : public ::testing::TestWithParam<model_case_t> {};

TEST_P(ModelTest, WholeTrianglesUnitNormalsConsistentWinding) {
    const model_case_t& c = GetParam();
    std::vector<tri_t> tris;
    ASSERT_TRUE(read_rawmdl(asset_path(std::string("models/") + c.name + ".rawmdl"), &tris)) << c.name;
    ASSERT_GT(tris.size(), 0u);
    EXPECT_LE(tris.size(), 65536u);  // the loader's limit
    vec3 lo = tris[0].p[0], hi = lo;
    double volume = 0;
    int against = 0, degenerate = 0;
    for (const tri_t& t : tris) {
        for (int k = 0; k < 3; k++) {
            EXPECT_NEAR(kx_vec3_length(t.n[k]), 1.0f, 1e-3f) << c.name;
            lo = {std::min(lo.x, t.p[k].x), std::min(lo.y, t.p[k].y), std::min(lo.z, t.p[k].z)};
            hi = {std::max(hi.x, t.p[k].x), std::max(hi.y, t.p[k].y), std::max(hi.z, t.p[k].z)};
        }
        const vec3 face = cross(kx_vec3_sub(t.p[1], t.p[0]), kx_vec3_sub(t.p[2], t.p[0]));
        const float area2 = kx_vec3_length(face);
        if (area2 < 1e-9f) {
            degenerate++;
            continue;
        }
        // Counter-clockwise from the side the normals face.
        const vec3 avg = kx_vec3_add(kx_vec3_add(t.n[0], t.n[1]), t.n[2]);
        if (dot(face, avg) <= 0) against++;
        volume += dot(t.p[0], cross(t.p[1], t.p[2])) / 6.0;
    }
    EXPECT_EQ(against, 0) << c.name << ": triangles wound against their normals";
    EXPECT_EQ(degenerate, 0) << c.name;
    if (c.closed) {
        EXPECT_GT(volume, 0.0) << c.name << ": closed parts must face outward";
    }
    EXPECT_GE(lo.x, c.lo_min.x) << c.name;
    EXPECT_GE(lo.y, c.lo_min.y) << c.name;
    EXPECT_GE(lo.z, c.lo_min.z) << c.name;
    EXPECT_LE(lo.x, c.lo_max.x) << c.name;
    EXPECT_LE(lo.y, c.lo_max.y) << c.name;
    EXPECT_LE(lo.z, c.lo_max.z) << c.name;
    EXPECT_GE(hi.x, c.hi_min.x) << c.name;
    EXPECT_GE(hi.y, c.hi_min.y) << c.name;
    EXPECT_GE(hi.z, c.hi_min.z) << c.name;
    EXPECT_LE(hi.x, c.hi_max.x) << c.name;
    EXPECT_LE(hi.y, c.hi_max.y) << c.name;
    EXPECT_LE(hi.z, c.hi_max.z) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Models, ModelTest, ::testing::ValuesIn(kModels),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

TEST(AssetTree, HillsRingTheLevelInsideTheFarPlane) {
    std::vector<tri_t> tris;
    ASSERT_TRUE(read_rawmdl(asset_path("models/mountains1.rawmdl"), &tris));
    const float scale = 1.5f;
    float nearest_high = 1e9f, farthest = 0;
    for (const tri_t& t : tris)
        for (const vec3& p : t.p) {
            const float r = std::sqrt(p.x * p.x + p.y * p.y) * scale;
            farthest = std::max(farthest, r);
            if (p.z * scale > 1.0f) nearest_high = std::min(nearest_high, r);
        }
    // Beyond the play field (it reaches 45 units from the origin) and the ground's
    // edge is hidden; within 200 units of any player (the view reaches ~200 units).
    EXPECT_GT(nearest_high, 50.0f);
    EXPECT_LT(nearest_high, 70.0f);
    EXPECT_LT(farthest + 45.0f, 200.0f);
}

// ---- textures ----

struct texture_case_t {
    const char* name;
    int width, height, channels;
};

const texture_case_t kTextures[] = {
    {"t1", 512, 512, 3},         {"grass", 512, 512, 3},     {"crystal", 512, 512, 3},
    {"t2", 256, 256, 3},         {"white", 32, 32, 3},       {"menu_background", 1024, 576, 3},
    {"skybox_bk", 512, 512, 3},  {"skybox_fr", 512, 512, 3}, {"skybox_lt", 512, 512, 3},
    {"skybox_rt", 512, 512, 3},  {"skybox_up", 512, 512, 3}, {"gui", 512, 512, 4},
    {"font8cyr", 1024, 1024, 4},
};

class TextureTest : public ::testing::TestWithParam<texture_case_t> {};

TEST_P(TextureTest, DecodesAtItsSize) {
    const texture_case_t& c = GetParam();
    png_t img;
    ASSERT_TRUE(read_png(asset_path(std::string("textures/") + c.name + ".png"), &img)) << c.name;
    EXPECT_EQ(img.width, c.width);
    EXPECT_EQ(img.height, c.height);
    EXPECT_EQ(img.channels, c.channels);
    // Not a flat fill (except white): some contrast somewhere.
    int lo = 255, hi = 0;
    for (size_t i = 0; i < img.pixels.size(); i += img.channels) {
        lo = std::min<int>(lo, img.pixels[i + 1]);
        hi = std::max<int>(hi, img.pixels[i + 1]);
    }
    if (std::string(c.name) == "white") {
        EXPECT_EQ(lo, 255);
    } else {
        EXPECT_GT(hi - lo, 40) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(Textures, TextureTest, ::testing::ValuesIn(kTextures),
                         [](const auto& param_info) { return std::string(param_info.param.name); });

// Repeating textures wrap without a seam: the step from the last column back to
// the first is no bigger than a typical step between neighbouring columns (and
// likewise for rows).
struct tile_case_t {
    const char* file;
    ag_region_t region;  // the part that repeats
};

TEST(AssetTree, RepeatingTexturesTileWithoutSeams) {
    // The ground and the hills repeat whole; the level repeats its field region per tile.
    const tile_case_t cases[] = {{"t1", {0, 0, 1, 1}},
                                 {"grass", {0, 0, 1, 1}},
                                 {"crystal", AG_CRYSTAL_HAZARD},
                                 {"crystal", AG_CRYSTAL_CAP}};
    for (const tile_case_t& c : cases) {
        png_t img;
        ASSERT_TRUE(read_png(asset_path(std::string("textures/") + c.file + ".png"), &img));
        const int ch = img.channels;
        const int x0 = static_cast<int>(c.region.u0 * img.width),
                  y0 = static_cast<int>(c.region.v0 * img.height);
        const int w = static_cast<int>((c.region.u1 - c.region.u0) * img.width);
        const int h = static_cast<int>((c.region.v1 - c.region.v0) * img.height);
        auto px = [&](int x, int y, int k) {
            return static_cast<int>(img.pixels[(static_cast<size_t>(y0 + y) * img.width + x0 + x) * ch + k]);
        };
        for (int axis = 0; axis < 2; axis++) {
            const int n = axis ? h : w, len = axis ? w : h;
            auto step = [&](int a, int b) {  // mean difference between line a and line b
                double sum = 0;
                for (int i = 0; i < len; i++)
                    for (int k = 0; k < 3; k++)
                        sum += std::abs(axis ? px(i, a, k) - px(i, b, k) : px(a, i, k) - px(b, i, k));
                return sum / (len * 3);
            };
            double inner = 0;
            int lines = 0;
            for (int a = 1; a < n - 1; a += 3, lines++) inner += step(a, a + 1);
            inner /= lines;
            EXPECT_LT(step(n - 1, 0), inner * 1.6 + 1) << c.file << (axis ? " rows" : " columns");
        }
    }
}

// Sky faces meet without a seam under the sky box the level draws: a pixel line
// on one face's edge equals the matching line on its neighbour.
struct sky_edge_t {
    const char* a;
    const char* b;
    int a_edge, b_edge;  // 0 left column, 1 right column, 2 top row, 3 bottom row
    bool reversed;       // b runs the opposite way
};

const sky_edge_t kSkyEdges[] = {
    {"fr", "rt", 1, 0, false}, {"rt", "bk", 1, 0, false}, {"bk", "lt", 1, 0, false},
    {"lt", "fr", 1, 0, false}, {"fr", "up", 2, 3, false}, {"rt", "up", 2, 1, true},
    {"bk", "up", 2, 2, true},  {"lt", "up", 2, 0, false},
};

TEST(AssetTree, SkyFacesMeetWithoutSeams) {
    for (const sky_edge_t& e : kSkyEdges) {
        png_t a, b;
        ASSERT_TRUE(read_png(asset_path(std::string("textures/skybox_") + e.a + ".png"), &a));
        ASSERT_TRUE(read_png(asset_path(std::string("textures/skybox_") + e.b + ".png"), &b));
        const int n = a.width;
        auto at = [n](const png_t& img, int edge, int i) {
            const int x = edge == 0 ? 0 : edge == 1 ? n - 1 : i;
            const int y = edge == 2 ? 0 : edge == 3 ? n - 1 : i;
            return &img.pixels[(static_cast<size_t>(y) * n + x) * 3];
        };
        int worst = 0;
        for (int i = 0; i < n; i++) {
            const uint8_t* pa = at(a, e.a_edge, i);
            const uint8_t* pb = at(b, e.b_edge, e.reversed ? n - 1 - i : i);
            for (int k = 0; k < 3; k++) worst = std::max(worst, std::abs(pa[k] - pb[k]));
        }
        EXPECT_LE(worst, 2) << e.a << " / " << e.b;
    }
}

// ---- GUI atlas ----

struct cell_case_t {
    const char* name;
    float u0, v0, u1, v1;
};

const cell_case_t kCells[] = {
    {"checkbox hovered", 0, 0, 0.125f, 0.125f},
    {"checkbox", 0.125f, 0, 0.25f, 0.125f},
    {"checkbox hovered checked", 0, 0.125f, 0.125f, 0.25f},
    {"checkbox checked", 0.125f, 0.125f, 0.25f, 0.25f},
    {"slider hovered", 0, 0.25f, 0.125f, 0.375f},
    {"slider", 0.125f, 0.25f, 0.25f, 0.375f},
    {"crosshair spread", 0, 0.375f, 0.125f, 0.5f},
    {"crosshair mg", 0.125f, 0.375f, 0.25f, 0.5f},
    {"mg icon", 0, 0.875f, 0.25f, 1},
    {"spread icon", 0.25f, 0.875f, 0.5f, 1},
    {"mg icon dim", 0, 0.75f, 0.25f, 0.875f},
    {"spread icon dim", 0.25f, 0.75f, 0.5f, 0.875f},
    {"health column", 0.5f, 0.875f, 0.625f, 1},
    {"low health column", 0.625f, 0.875f, 0.75f, 1},
    {"health frame", 0.5f, 0.75f, 0.625f, 0.875f},
    {"life", 0.625f, 0.75f, 0.75f, 0.875f},
    {"opponent", 0.75f, 0.75f, 0.875f, 0.875f},
    {"segment on", 0.75f, 0.875f, 0.875f, 1},
    {"segment off", 0.875f, 0.875f, 1, 1},
};

TEST(AssetTree, GuiAtlasCellsHoldTheirPieces) {
    png_t img;
    ASSERT_TRUE(read_png(asset_path("textures/gui.png"), &img));
    ASSERT_EQ(img.channels, 4);
    const int n = img.width;
    auto alpha = [&](int x, int y) { return img.pixels[(static_cast<size_t>(y) * n + x) * 4 + 3]; };
    for (const cell_case_t& c : kCells) {
        int solid = 0;
        const int x0 = static_cast<int>(c.u0 * n), x1 = static_cast<int>(c.u1 * n);
        const int y0 = static_cast<int>(c.v0 * n), y1 = static_cast<int>(c.v1 * n);
        for (int y = y0; y < y1; y++)
            for (int x = x0; x < x1; x++) solid += alpha(x, y) > 128;
        EXPECT_GT(solid, (x1 - x0) * (y1 - y0) / 20) << c.name;
        // A clear rim keeps mipmaps from bleeding into the next cell.
        for (int x = x0; x < x1; x++) EXPECT_LT(alpha(x, y0), 8) << c.name;
    }
    // The ammo tick samples one texel with linear filtering: its 2 x 2 neighbourhood is solid.
    const int ax = static_cast<int>(0.125f * n), ay = static_cast<int>(0.689453f * n);
    for (int dy = -1; dy <= 0; dy++)
        for (int dx = -1; dx <= 0; dx++) EXPECT_EQ(alpha(ax + dx, ay + dy), 255);
    // The health frame's middle is clear so the bar shows through it.
    EXPECT_EQ(alpha(static_cast<int>(0.5625f * n), static_cast<int>(0.8125f * n)), 0);
}

// ---- font ----

TEST(AssetTree, FontMetricsCoverLatinAndCyrillicAndCentreOnTheAnchor) {
    const std::vector<uint8_t> bytes = read_bytes(asset_path("font/fontcyr.bin"));
    ASSERT_EQ(bytes.size(), 9216u);
    float f[2304];
    std::memcpy(f, bytes.data(), sizeof f);
    const float* advance = f;
    const float* glyph = f + 256;
    png_t atlas;
    ASSERT_TRUE(read_png(asset_path("textures/font8cyr.png"), &atlas));
    auto drawn = [&](int c) {
        const float* g = glyph + c * 8;
        return g[2] > g[0] && g[3] > g[1];
    };
    for (int c = 33; c < 256; c++) {
        const bool printable = c < 127 || c >= 0xC0 || c == 0xA8 || c == 0xB8;  // plus Ё ё
        if (!printable) continue;
        const float* g = glyph + c * 8;
        EXPECT_GT(advance[c], 5.0f) << c;
        EXPECT_TRUE(drawn(c)) << c;
        for (int k = 4; k < 8; k++) {
            EXPECT_GE(g[k], 0.0f) << c;
            EXPECT_LE(g[k], 1.0f) << c;
        }
        // The box is as big as its texture rectangle (one font unit per texel).
        EXPECT_NEAR(g[2] - g[0], (g[6] - g[4]) * atlas.width, 0.01f) << c;
        EXPECT_NEAR(g[3] - g[1], (g[7] - g[5]) * atlas.height, 0.01f) << c;
        // Its texture rectangle holds ink.
        int ink = 0;
        for (int y = static_cast<int>(g[5] * atlas.height); y < static_cast<int>(g[7] * atlas.height); y++)
            for (int x = static_cast<int>(g[4] * atlas.width); x < static_cast<int>(g[6] * atlas.width); x++)
                ink += atlas.pixels[(static_cast<size_t>(y) * atlas.width + x) * 4 + 3] > 200;
        EXPECT_GT(ink, 3) << c;
    }
    EXPECT_GT(advance[' '], 5.0f);
    EXPECT_FALSE(drawn(' '));
    EXPECT_FALSE(drawn('\n'));
    // Capitals (Latin H, Cyrillic Ж) sit centred on y = 0, where items put the anchor.
    for (int c : {int('H'), 0xC6}) {
        const float* g = glyph + c * 8;
        EXPECT_NEAR((g[1] + g[3]) / 2, 0.0f, 2.0f) << c;
    }
    // Nominal size 56: capitals are 30-40 units tall, within one line.
    const float* h = glyph + 'H' * 8;
    EXPECT_GT(h[3] - h[1], 30.0f);
    EXPECT_LT(h[3] - h[1], 44.0f);
}

// ---- sounds ----

struct sound_case_t {
    const char* name;
    float min_s, max_s;
};

const sound_case_t kSounds[] = {
    {"single-shot", 0.3f, 1.5f}, {"healthkit-mono", 0.2f, 1.5f}, {"shot-and-reload", 0.5f, 2.0f},
    {"reload-mono", 0.3f, 1.5f}, {"hit", 0.05f, 0.5f},           {"player-hit", 0.1f, 0.8f},
    {"explosion", 0.8f, 3.0f},   {"player-shot", 0.1f, 0.6f},    {"step0", 0.08f, 0.4f},
    {"step1", 0.08f, 0.4f},      {"step2", 0.08f, 0.4f},         {"step3", 0.08f, 0.4f},
};

float loudest_rms_db(const pcm_t& pcm) {
    const size_t w = static_cast<size_t>(pcm.rate / 20);
    double best = 0;
    for (size_t s = 0; s + w <= pcm.samples.size(); s += w / 4) {
        double sum = 0;
        for (size_t i = s; i < s + w; i++) sum += static_cast<double>(pcm.samples[i]) * pcm.samples[i];
        best = std::max(best, sum / w);
    }
    return static_cast<float>(10 * std::log10(best / (32768.0 * 32768.0) + 1e-12));
}

TEST(AssetTree, SoundsAreMonoClipsOfSaneLengthAndLevel) {
    std::vector<float> levels;
    for (const sound_case_t& c : kSounds) {
        pcm_t pcm;
        ASSERT_TRUE(read_ogg(asset_path(std::string("sounds/") + c.name + ".ogg"), &pcm)) << c.name;
        EXPECT_EQ(pcm.channels, 1) << c.name;
        ASSERT_GT(pcm.rate, 0);
        const float seconds = static_cast<float>(pcm.samples.size()) / pcm.rate;
        EXPECT_GE(seconds, c.min_s) << c.name;
        EXPECT_LE(seconds, c.max_s) << c.name;
        int peak = 0;
        for (int16_t s : pcm.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_LT(peak, 32000) << c.name << " clips";
        const float db = loudest_rms_db(pcm);
        EXPECT_GT(db, -28.0f) << c.name;
        EXPECT_LT(db, -8.0f) << c.name;
        levels.push_back(db);
        // Starts and ends quietly: no click at either end.
        EXPECT_LT(std::abs(static_cast<int>(pcm.samples.front())), 1000) << c.name;
        EXPECT_LT(std::abs(static_cast<int>(pcm.samples.back())), 1000) << c.name;
    }
    // No clip is louder than the rest by surprise.
    std::vector<float> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    const float median = sorted[sorted.size() / 2];
    for (size_t i = 0; i < levels.size(); i++)
        EXPECT_LT(std::fabs(levels[i] - median), 10.0f) << kSounds[i].name;
}

TEST(AssetTree, FootstepsDiffer) {
    std::vector<std::vector<int16_t>> steps;
    for (const char* s : {"step0", "step1", "step2", "step3"}) {
        pcm_t pcm;
        ASSERT_TRUE(read_ogg(asset_path(std::string("sounds/") + s + ".ogg"), &pcm));
        steps.push_back(pcm.samples);
    }
    for (size_t a = 0; a < steps.size(); a++)
        for (size_t b = a + 1; b < steps.size(); b++) EXPECT_NE(steps[a], steps[b]) << a << " " << b;
}

}  // namespace
