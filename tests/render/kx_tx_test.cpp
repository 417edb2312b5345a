// Textures: the filter, wrap and mipmap rules GL reports for each size case, every PNG
// colour type decoded to the expected bytes, broken files refused, and quality changes.
#include "engine/render/kx_tx.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/render/kx_gl.h"
#include "tests/render/png_writer.h"
#include "tests/render/render_fixture.h"

namespace {

using bytes = std::vector<unsigned char>;

// A parameter of the bound texture, or with a level, of that level.
GLint tex_param(GLenum pname, int level = -1) {
    GLint v = 0;
    if (level < 0)
        glGetTexParameteriv(GL_TEXTURE_2D, pname, &v);
    else
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, pname, &v);
    return v;
}

// What the loader handed to its creator.
struct {
    int width, height, channels;
    bytes pixels;
} got;
uint32_t capture(int width, int height, int channels, int, int, const unsigned char* pixels) {
    got = {width, height, channels, bytes(pixels, pixels + static_cast<size_t>(width) * height * channels)};
    return 7;
}

// A size x size picture; at 16 bits each 8-bit value goes in the high byte, noise in the low one.
test_png_t png(int color_type, int bit_depth, std::vector<int> samples, int size = 2) {
    if (bit_depth == 16)
        for (int& s : samples) s = s << 8 | 0x7F;
    test_png_t p;
    p.color_type = color_type;
    p.bit_depth = bit_depth;
    p.samples = std::move(samples);
    p.width = p.height = size;
    return p;
}

}  // namespace

TEST_F(GlTest, TextureRulesBySizeAndFlags) {
    // Width, height, smooth, clamp; then magnification, minification, wrap, level 1 width (0: no mipmaps).
    const int cases[][8] = {
        {256, 256, 1, 0, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, GL_REPEAT, 128},
        {64, 64, 1, 1, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, GL_CLAMP_TO_EDGE, 32},
        {512, 256, 1, 0, GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, 0},
        {100, 100, 1, 0, GL_LINEAR, GL_LINEAR, GL_REPEAT, 0},
        {64, 64, 0, 0, GL_NEAREST, GL_LINEAR, GL_REPEAT, 0},
        {64, 32, 0, 1, GL_NEAREST, GL_LINEAR, GL_CLAMP_TO_EDGE, 0},
        {5, 3, 0, 0, GL_NEAREST, GL_LINEAR, GL_CLAMP_TO_EDGE, 0},  // 15-byte rows: no row padding
    };
    for (const auto& [w, h, smooth, clamp, mag, min, wrap, level1] : cases) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " smooth " << smooth << " clamp " << clamp);
        bytes px(static_cast<size_t>(w) * h * 3), back(px.size());
        for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<unsigned char>(i * 11);
        const uint32_t name = kx_tx_create(w, h, 3, smooth, clamp, px.data());
        GLint bound = 0, align = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &align);
        EXPECT_EQ(static_cast<uint32_t>(bound), name);
        EXPECT_EQ(align, 4);  // the caller's unpack state is left as it was
        EXPECT_EQ(tex_param(GL_TEXTURE_MAG_FILTER), mag);
        EXPECT_EQ(tex_param(GL_TEXTURE_MIN_FILTER), min);
        EXPECT_EQ(tex_param(GL_TEXTURE_WRAP_S), wrap);
        EXPECT_EQ(tex_param(GL_TEXTURE_WRAP_T), wrap);
        EXPECT_EQ(tex_param(GL_TEXTURE_WIDTH, 1), level1);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
        EXPECT_EQ(back, px);
        kx_tx_destroy(name);
    }
}

TEST_F(GlTest, EveryPngColourTypeDecodesToEightBitRgbOrRgba) {
    const bytes grey_alpha = {10, 10, 10, 200, 20, 20, 20, 100, 30, 30, 30, 50, 40, 40, 40, 0};
    const std::vector<int> s12 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    test_png_t rgb_trns = png(PNG_COLOR_TYPE_RGB, 8, s12), pal = png(PNG_COLOR_TYPE_PALETTE, 8, {0, 1, 2, 1});
    rgb_trns.trns_color = true;
    rgb_trns.trns_value = {0, 4, 5, 6, 0};
    pal.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    test_png_t pal_trns = pal, interlaced = png(PNG_COLOR_TYPE_RGB, 8, std::vector<int>(27), 3);
    pal_trns.trns_alpha = {0, 128};
    for (size_t i = 0; i < 27; ++i) interlaced.samples[i] = static_cast<int>((i * 37) % 256);
    interlaced.interlace = true;
    const struct {
        const char* what;
        test_png_t png;
        int channels;
        bytes pixels;
    } cases[] = {
        {"grey 8",
         png(PNG_COLOR_TYPE_GRAY, 8, {0, 85, 170, 255}),
         3,
         {0, 0, 0, 85, 85, 85, 170, 170, 170, 255, 255, 255}},
        {"grey 1",
         png(PNG_COLOR_TYPE_GRAY, 1, {1, 0, 0, 1}),
         3,
         {255, 255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 255}},
        {"grey+alpha 8", png(PNG_COLOR_TYPE_GRAY_ALPHA, 8, {10, 200, 20, 100, 30, 50, 40, 0}), 4, grey_alpha},
        {"grey+alpha 16", png(PNG_COLOR_TYPE_GRAY_ALPHA, 16, {10, 200, 20, 100, 30, 50, 40, 0}), 4,
         grey_alpha},
        {"RGB 8", png(PNG_COLOR_TYPE_RGB, 8, s12), 3, bytes(s12.begin(), s12.end())},
        {"RGB tRNS", rgb_trns, 4, {1, 2, 3, 255, 4, 5, 6, 0, 7, 8, 9, 255, 10, 11, 12, 255}},
        {"RGBA 16",
         png(PNG_COLOR_TYPE_RGB_ALPHA, 16, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}),
         4,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"palette", pal, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 255, 0}},
        {"palette tRNS", pal_trns, 4, {255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255, 0, 255, 0, 128}},
        {"interlaced RGB", interlaced, 3, bytes(interlaced.samples.begin(), interlaced.samples.end())},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(test_png_write(path("t.png"), c.png));
        got = {};
        EXPECT_EQ(kx_tx_load_png(path("t.png").c_str(), 1, 0, capture), 7u);
        EXPECT_EQ(got.width, c.png.width);
        EXPECT_EQ(got.height, c.png.height);
        EXPECT_EQ(got.channels, c.channels);
        EXPECT_EQ(got.pixels, c.pixels);
    }
}

TEST_F(GlTest, BrokenPngFilesReturnZero) {
    // A valid, poorly compressible image to cut and damage.
    test_png_t p = png(PNG_COLOR_TYPE_RGB, 8, std::vector<int>(32 * 32 * 3), 32);
    unsigned seed = 12345;
    for (int& s : p.samples) s = static_cast<int>((seed = seed * 1103515245u + 12345u) >> 24);
    ASSERT_TRUE(test_png_write(path("good.png"), p));
    std::stringstream read;
    read << std::ifstream(path("good.png"), std::ios::binary).rdbuf();
    const std::string good = read.str();
    ASSERT_GT(good.size(), 1000u);
    auto flipped = [&](size_t at) {
        return std::string(good).replace(at, 1, 1, static_cast<char>(good[at] ^ 0x5A));
    };
    // Missing, empty, not a PNG, cut in the signature, header and image data, damaged header and data.
    for (const std::string& broken :
         {std::string("-"), std::string(), std::string("this is not a png file"), good.substr(0, 8),
          good.substr(0, 20), good.substr(0, 40), good.substr(0, good.size() / 2),
          good.substr(0, good.size() - 30), flipped(good.size() / 2), flipped(18)}) {
        SCOPED_TRACE(broken.size());
        std::filesystem::remove(path("bad.png"));
        if (broken != "-") put("bad.png", broken);
        got = {};
        uint32_t name = 1;
        logged([&] { name = kx_tx_load_png(path("bad.png").c_str(), 1, 0, capture); });
        EXPECT_EQ(name, 0u);
        EXPECT_EQ(got.channels, 0) << "the creator must not be called";
    }
}

TEST_F(GlTest, PngTextureQualityLevels) {
    const test_png_t p = png(PNG_COLOR_TYPE_RGB_ALPHA, 8, std::vector<int>(64 * 64 * 4, 77), 64);
    ASSERT_TRUE(test_png_write(path("a.png"), p));
    const uint32_t name = kx_tx_load_png(path("a.png").c_str(), 1, 1, nullptr);  // the default creator
    ASSERT_NE(name, 0u);
    EXPECT_EQ(tex_param(GL_TEXTURE_WIDTH, 1), 32);
    EXPECT_EQ(tex_param(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    // Level 0 nearest, 1 trilinear, n > 1 trilinear with anisotropy n up to the driver's maximum.
    const int max_aniso = kx_gl_caps.max_anisotropy;
    for (int level : {0, 1, 2, 1000}) {
        SCOPED_TRACE(level);
        glBindTexture(GL_TEXTURE_2D, 0);
        kx_tx_set_quality(name, GL_TEXTURE_2D, level);
        EXPECT_EQ(tex_param(GL_TEXTURE_MAG_FILTER), level ? GL_LINEAR : GL_NEAREST);
        EXPECT_EQ(tex_param(GL_TEXTURE_MIN_FILTER),
                  level ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST);
        GLfloat a = 0;
        glGetTexParameterfv(GL_TEXTURE_2D, 0x84FE, &a);
        EXPECT_TRUE(max_aniso == 0 || level == 0 || a == static_cast<float>(std::min(level, max_aniso))) << a;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    kx_tx_destroy(name);
}
