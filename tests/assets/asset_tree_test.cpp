// The generated asset tree as the game will read it: every file the game loads is
// there; models are whole triangles with unit normals and consistent winding;
// the GUI atlas and the font hold what the HUD and the text layout read; sounds decode
// as mono clips of plausible length and level, through the engine's loader too.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "assets/asset_read.h"
#include "engine/audio/kx_audio.h"
#include "engine/audio/kx_sound.h"
#include "tools/assetgen/ag_atlas.h"

namespace {

TEST(AssetTree, EveryFileTheGameLoadsIsThereAndTheTreeStaysSmall) {
    size_t total = 0;
    for (const std::string& f : game_files()) {
        const size_t n = read_bytes(asset_path(f)).size();
        EXPECT_GT(n, 0u) << f;
        total += n;
    }
    EXPECT_LT(total, 10u * 1024 * 1024);
}

vec3 cross(vec3 a, vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
float dot(vec3 a, vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

TEST(AssetTree, ModelsAreWholeOutwardFacingTrianglesOfTheirSize) {
    // Bounding boxes in model units: world size divided by the draw scale (players 0.5,
    // bullets and effects 0.3, cross 0.075, guns 1.2 in a view scaled by 8, hills 1.5, level
    // 3.2). Guns point along -z from just in front of the eye. Closed models enclose volume.
    const struct {
        const char* name;
        bool closed;
        float lo_min[3], lo_max[3], hi_min[3], hi_max[3];
    } cases[] = {
        {"testplayer",
         true,
         {-0.8f, -1.4f, -0.05f},
         {-0.3f, -0.6f, 0},
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
         {-2, -0.3f, -0.3f},
         {-0.5f, -0.05f, -0.05f},
         {0.5f, 0.05f, 0.05f},
         {2, 0.3f, 0.3f}},
        {"redcross", true, {-6, -1.5f, -6}, {-3, -0.3f, -3}, {3, 0.3f, 3}, {6, 1.5f, 6}},
        {"gun1", true, {-0.5f, -0.5f, -2}, {0.35f, 0.3f, -0.5f}, {-0.4f, -0.2f, -0.3f}, {0.5f, 0.5f, 0.3f}},
        {"macgun1",
         true,
         {-0.5f, -0.5f, -2},
         {0.35f, 0.3f, -0.5f},
         {-0.4f, -0.2f, -0.3f},
         {0.5f, 0.5f, 0.3f}},
        {"mountains1", false, {-110, -110, -1}, {-60, -60, 0}, {60, 60, 10}, {110, 110, 40}},
        {"map3", false, {-16, -15, -0.01f}, {-13, -13, 0.01f}, {9, 11, 0.8f}, {12, 14, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<tri_t> tris;
        ASSERT_TRUE(read_rawmdl(asset_path(std::string("models/") + c.name + ".rawmdl"), &tris));
        ASSERT_GT(tris.size(), 0u);
        EXPECT_LE(tris.size(), 65536u);  // the loader's limit
        float lo[3] = {1e9f, 1e9f, 1e9f}, hi[3] = {-1e9f, -1e9f, -1e9f};
        double volume = 0;
        int bad_normals = 0, against = 0, degenerate = 0;
        for (const tri_t& t : tris) {
            for (int k = 0; k < 3; k++) {
                bad_normals += std::fabs(kx_vec3_length(t.n[k]) - 1.0f) > 1e-3f;
                const float p[3] = {t.p[k].x, t.p[k].y, t.p[k].z};
                for (int a = 0; a < 3; a++) lo[a] = std::min(lo[a], p[a]), hi[a] = std::max(hi[a], p[a]);
            }
            const vec3 face = cross(kx_vec3_sub(t.p[1], t.p[0]), kx_vec3_sub(t.p[2], t.p[0]));
            degenerate += kx_vec3_length(face) < 1e-9f;
            // Counter-clockwise from the side the normals face.
            against += dot(face, kx_vec3_add(kx_vec3_add(t.n[0], t.n[1]), t.n[2])) <= 0;
            volume += dot(t.p[0], cross(t.p[1], t.p[2])) / 6.0;
        }
        EXPECT_EQ(bad_normals, 0);
        EXPECT_EQ(against, 0) << "triangles wound against their normals";
        EXPECT_EQ(degenerate, 0);
        if (c.closed) {
            EXPECT_GT(volume, 0.0) << "closed parts must face outward";
        }
        for (int a = 0; a < 3; a++) {
            EXPECT_GE(lo[a], c.lo_min[a]) << "axis " << a;
            EXPECT_LE(lo[a], c.lo_max[a]) << "axis " << a;
            EXPECT_GE(hi[a], c.hi_min[a]) << "axis " << a;
            EXPECT_LE(hi[a], c.hi_max[a]) << "axis " << a;
        }
    }
}

TEST(AssetTree, GuiAtlasCellsHoldTheirPieces) {
    const struct {
        const char* name;
        int x0, y0, x1, y1;  // in eighths of the atlas
    } cells[] = {
        // clang-format off
        {"checkbox hovered", 0, 0, 1, 1}, {"checkbox", 1, 0, 2, 1}, {"checkbox hovered checked", 0, 1, 1, 2},
        {"checkbox checked", 1, 1, 2, 2}, {"slider hovered", 0, 2, 1, 3}, {"slider", 1, 2, 2, 3},
        {"crosshair spread", 0, 3, 1, 4}, {"crosshair mg", 1, 3, 2, 4}, {"mg icon", 0, 7, 2, 8},
        {"spread icon", 2, 7, 4, 8}, {"mg icon dim", 0, 6, 2, 7}, {"spread icon dim", 2, 6, 4, 7},
        {"health column", 4, 7, 5, 8}, {"low health column", 5, 7, 6, 8}, {"health frame", 4, 6, 5, 7},
        {"life", 5, 6, 6, 7}, {"opponent", 6, 6, 7, 7}, {"segment on", 6, 7, 7, 8}, {"segment off", 7, 7, 8, 8},
    };  // clang-format on
    png_t img;
    ASSERT_TRUE(read_png(asset_path("textures/gui.png"), &img));
    ASSERT_EQ(img.channels, 4);
    const int n = img.width, e = n / 8;
    for (const auto& c : cells) {
        int solid = 0, rim = 0;
        for (int y = c.y0 * e; y < c.y1 * e; y++)
            for (int x = c.x0 * e; x < c.x1 * e; x++) solid += img.at(x, y)[3] > 128;
        for (int x = c.x0 * e; x < c.x1 * e; x++) rim = std::max<int>(rim, img.at(x, c.y0 * e)[3]);
        EXPECT_GT(solid * 20, (c.x1 - c.x0) * (c.y1 - c.y0) * e * e) << c.name;
        EXPECT_LT(rim, 8) << c.name << ": a clear top rim keeps mipmaps from bleeding into the next cell";
    }
    // The ammo tick samples one texel with linear filtering: its 2 x 2 neighbourhood is solid.
    const int ax = n / 8, ay = static_cast<int>(0.689453f * n);
    EXPECT_EQ(img.at(ax - 1, ay - 1)[3] & img.at(ax, ay - 1)[3] & img.at(ax - 1, ay)[3] & img.at(ax, ay)[3],
              255);
    EXPECT_EQ(img.at(n * 9 / 16, n * 13 / 16)[3], 0)
        << "the health frame's middle is clear so the bar shows through";
}

TEST(AssetTree, FontMetricsCoverLatinAndCyrillicAndCentreOnTheAnchor) {
    const std::vector<uint8_t> bytes = read_bytes(asset_path("font/fontcyr.bin"));
    ASSERT_EQ(bytes.size(), 9216u);
    float advance[256], glyph[256][8];
    std::memcpy(advance, bytes.data(), sizeof advance);
    std::memcpy(glyph, bytes.data() + sizeof advance, sizeof glyph);
    png_t atlas;
    ASSERT_TRUE(read_png(asset_path("textures/font8cyr.png"), &atlas));
    for (int c = 33; c < 256; c++) {
        if (c >= 127 && c < 0xC0 && c != 0xA8 && c != 0xB8) continue;  // printable: ASCII, А-я, Ё, ё
        const float* g = glyph[c];
        EXPECT_GT(advance[c], 5.0f) << c;
        EXPECT_TRUE(g[4] >= 0 && g[5] >= 0 && g[6] <= 1 && g[7] <= 1) << c;
        // The box is as big as its texture rectangle (one font unit per texel) and holds ink.
        EXPECT_NEAR(g[2] - g[0], (g[6] - g[4]) * atlas.width, 0.01f) << c;
        EXPECT_NEAR(g[3] - g[1], (g[7] - g[5]) * atlas.height, 0.01f) << c;
        int ink = 0;
        for (int y = static_cast<int>(g[5] * atlas.height); y < static_cast<int>(g[7] * atlas.height); y++)
            for (int x = static_cast<int>(g[4] * atlas.width); x < static_cast<int>(g[6] * atlas.width); x++)
                ink += atlas.at(x, y)[3] > 200;
        EXPECT_GT(ink, 3) << c;
    }
    EXPECT_GT(advance[' '], 5.0f);
    EXPECT_FALSE(glyph[' '][2] > glyph[' '][0]) << "a space draws nothing";
    // Capitals (Latin H, Cyrillic Ж) sit centred on y = 0, where items put the anchor;
    // at nominal size 56 they are 30-44 units tall.
    for (int c : {int('H'), 0xC6}) {
        EXPECT_NEAR((glyph[c][1] + glyph[c][3]) / 2, 0.0f, 2.0f) << c;
        EXPECT_TRUE(glyph[c][3] - glyph[c][1] > 30 && glyph[c][3] - glyph[c][1] < 44) << c;
    }
}

TEST(AssetTree, SoundsAreMonoClipsOfSaneLengthAndLevel) {
    const float seconds[12][2] = {{0.3f, 1.5f},  {0.2f, 1.5f}, {0.5f, 2.0f}, {0.3f, 1.5f},  {0.05f, 0.5f},
                                  {0.1f, 0.8f},  {0.8f, 3.0f}, {0.1f, 0.6f}, {0.08f, 0.4f}, {0.08f, 0.4f},
                                  {0.08f, 0.4f}, {0.08f, 0.4f}};  // kSoundNames order
    std::vector<float> levels;
    std::vector<std::vector<int16_t>> steps;
    setenv("ALSOFT_DRIVERS", "null", 1);
    kx_audio_init(1, 1, 1);
    for (int i = 0; i < 12; i++) {
        const std::string name = kSoundNames[i], path = asset_path("sounds/" + name + ".ogg");
        SCOPED_TRACE(name);
        pcm_t pcm;
        ASSERT_TRUE(read_ogg(path, &pcm));
        EXPECT_EQ(pcm.channels, 1);
        ASSERT_GT(pcm.rate, 0);
        const float length = static_cast<float>(pcm.samples.size()) / pcm.rate;
        EXPECT_TRUE(length >= seconds[i][0] && length <= seconds[i][1]) << length << " s";
        int peak = 0;
        for (int16_t s : pcm.samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_LT(peak, 32000) << "clips";
        // Loudest 50 ms window, in dB below full scale.
        const size_t w = static_cast<size_t>(pcm.rate / 20);
        double best = 0;
        for (size_t s = 0; s + w <= pcm.samples.size(); s += w / 4) {
            double sum = 0;
            for (size_t k = s; k < s + w; k++) sum += static_cast<double>(pcm.samples[k]) * pcm.samples[k];
            best = std::max(best, sum / w);
        }
        levels.push_back(static_cast<float>(10 * std::log10(best / (32768.0 * 32768.0) + 1e-12)));
        EXPECT_TRUE(levels.back() > -28.0f && levels.back() < -8.0f) << levels.back() << " dB";
        EXPECT_LT(std::abs(pcm.samples.front()) + std::abs(pcm.samples.back()), 2000) << "a click at an end";
        if (name.rfind("step", 0) == 0) steps.push_back(pcm.samples);
        // The engine's loader takes it as one channel of 16-bit samples.
        kx_sound_t snd;
        kx_sound_load_ogg(&snd, path.c_str());
        EXPECT_EQ(snd.format, AL_FORMAT_MONO16);
        EXPECT_EQ(alGetError(), AL_NO_ERROR);
        kx_sound_unload(&snd);
    }
    kx_audio_term();
    std::vector<float> sorted = levels;
    std::sort(sorted.begin(), sorted.end());
    for (size_t i = 0; i < levels.size(); i++)  // no clip is louder than the rest by surprise
        EXPECT_LT(std::fabs(levels[i] - sorted[sorted.size() / 2]), 10.0f) << kSoundNames[i];
    for (size_t a = 0; a < steps.size(); a++)
        for (size_t b = a + 1; b < steps.size(); b++)
            EXPECT_NE(steps[a], steps[b]) << "footsteps " << a << " " << b;
}

}  // namespace
