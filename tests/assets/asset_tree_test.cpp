// The generated asset tree as the game will read it: every file the game loads is
// there; models are whole triangles with unit normals and consistent winding;
// the GUI atlas cells hold their pieces; sounds decode
// as mono clips of plausible length and level, through the engine's loader too.
#include <AL/al.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>

#include "assets/asset_read.h"
#include "engine/audio/kx_audio.h"
#include "engine/audio/kx_sound.h"

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

TEST(AssetTree, ModelsAreWholeOutwardFacingTriangles) {
    for (int m = 0; m < 8; m++) {
        SCOPED_TRACE(kModelNames[m]);
        std::vector<tri_t> tris;
        ASSERT_TRUE(read_rawmdl(asset_path(std::string("models/") + kModelNames[m] + ".rawmdl"), &tris));
        ASSERT_GT(tris.size(), 0u);
        EXPECT_LE(tris.size(), 65536u);  // the loader's limit
        double volume = 0;
        int bad_normals = 0, against = 0, degenerate = 0;
        for (const tri_t& t : tris) {
            for (const vec3& n : t.n) bad_normals += std::fabs(kx_vec3_length(n) - 1.0f) > 1e-3f;
            const vec3 face = cross(kx_vec3_sub(t.p[1], t.p[0]), kx_vec3_sub(t.p[2], t.p[0]));
            degenerate += kx_vec3_length(face) < 1e-9f;
            // Counter-clockwise from the side the normals face.
            against += dot(face, kx_vec3_add(kx_vec3_add(t.n[0], t.n[1]), t.n[2])) <= 0;
            volume += dot(t.p[0], cross(t.p[1], t.p[2])) / 6.0;
        }
        EXPECT_EQ(bad_normals, 0);
        EXPECT_EQ(against, 0) << "triangles wound against their normals";
        EXPECT_EQ(degenerate, 0);
        EXPECT_TRUE(volume > 0 || m == 1 || m == 7) << "closed parts must face outward";  // not hills, level
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
}

TEST(AssetTree, SoundsAreMonoClipsOfSaneLengthAndLevel) {
    const float seconds[12][2] = {{0.3f, 1.5f},  {0.2f, 1.5f}, {0.5f, 2.0f}, {0.3f, 1.5f},  {0.05f, 0.5f},
                                  {0.1f, 0.8f},  {0.8f, 3.0f}, {0.1f, 0.6f}, {0.08f, 0.4f}, {0.08f, 0.4f},
                                  {0.08f, 0.4f}, {0.08f, 0.4f}};  // kSoundNames order
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
        const double db = 10 * std::log10(best / (32768.0 * 32768.0) + 1e-12);
        EXPECT_TRUE(db > -28.0 && db < -8.0) << db << " dB";
        EXPECT_LT(std::abs(pcm.samples.front()) + std::abs(pcm.samples.back()), 2000) << "a click at an end";
        // The engine's loader takes it as one channel of 16-bit samples.
        kx_sound_t snd;
        kx_sound_load_ogg(&snd, path.c_str());
        EXPECT_EQ(snd.format, AL_FORMAT_MONO16);
        EXPECT_EQ(alGetError(), AL_NO_ERROR);
        kx_sound_unload(&snd);
    }
    kx_audio_term();
}

}  // namespace
