// Textures: the filter, wrap and mipmap rules GL reports for each size case, every PNG
// colour type decoded to the expected bytes, and broken files refused.
#include "engine/render/kx_tx.h"

#include <array>
#include <iterator>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "engine/render/kx_gl.h"
#include "tests/render/png_writer.h"
#include "tests/render/render_fixture.h"

namespace {

using bytes = std::vector<unsigned char>;

// What the loader handed to its creator.
struct {
    int width, height, channels;
    bytes pixels;
} got;
uint32_t capture(int width, int height, int channels, int, int, const unsigned char* pixels) {
    got = {width, height, channels, bytes(pixels, pixels + static_cast<size_t>(width) * height * channels)};
    return 7;
}

}  // namespace

GLint tex_param(GLenum name) {
    GLint v = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &v);
    return v;
}

TEST_F(GlTest, TextureRulesBySizeAndFlags) {
    struct {
        int w, h, channels, smooth, clamp;
        GLint mag, min, wrap, level1_width, format;  // level1_width 0: no mipmaps
    } cases[] = {
        // clang-format off
        {256, 256, 3, 1, 0, GL_LINEAR,  GL_LINEAR_MIPMAP_LINEAR, GL_REPEAT,        128, GL_RGB},
        {64,  64,  4, 1, 1, GL_LINEAR,  GL_LINEAR_MIPMAP_LINEAR, GL_CLAMP_TO_EDGE, 32,  GL_RGBA},
        {512, 256, 1, 1, 0, GL_LINEAR,  GL_LINEAR,               GL_CLAMP_TO_EDGE, 0,   GL_LUMINANCE},
        {100, 100, 2, 1, 0, GL_LINEAR,  GL_LINEAR,               GL_REPEAT,        0,   GL_LUMINANCE_ALPHA},
        {64,  64,  3, 0, 0, GL_NEAREST, GL_LINEAR,               GL_REPEAT,        0,   GL_RGB},
        {0,   0,   3, 1, 0, GL_LINEAR,  GL_LINEAR,               GL_REPEAT,        0,   GL_RGB},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.w << "x" << c.h << " smooth " << c.smooth << " clamp " << c.clamp);
        const uint32_t name = kx_tx_create(c.w, c.h, c.channels, c.smooth, c.clamp, nullptr);  // left bound
        EXPECT_EQ((std::array{tex_param(GL_TEXTURE_MAG_FILTER), tex_param(GL_TEXTURE_MIN_FILTER),
                              tex_param(GL_TEXTURE_WRAP_S), tex_param(GL_TEXTURE_WRAP_T)}),
                  (std::array{c.mag, c.min, c.wrap, c.wrap}));
        GLint width1 = 0, format = 0;
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &width1);
        EXPECT_EQ(width1, c.level1_width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
        EXPECT_TRUE(!c.w || format == c.format) << format;
        kx_tx_destroy(name);
    }
}

// Quality levels: 0 nearest, 1 trilinear, n trilinear with anisotropy n up to the driver's most.
TEST_F(GlTest, QualityLevelsRefilterATexture) {
    struct {
        int level, max_anisotropy;
        GLint mag, min;
        float anisotropy;
    } cases[] = {
        // clang-format off
        {0, 16, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST, 1}, {1, 16, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, 1},
        {4, 16, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, 4},     {16, 16, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, 16},
        {8, 2, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, 2},      {8, 0, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, 1},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << ", driver most " << c.max_anisotropy);
        const uint32_t name = kx_tx_create(8, 8, 3, 0, 0, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        kx_gl_caps.max_anisotropy = c.max_anisotropy;
        kx_tx_set_quality(name, GL_TEXTURE_2D, c.level);  // binds it
        float anisotropy = 0;
        glGetTexParameterfv(GL_TEXTURE_2D, 0x84FE, &anisotropy);
        EXPECT_EQ(std::tuple(tex_param(GL_TEXTURE_MAG_FILTER), tex_param(GL_TEXTURE_MIN_FILTER), anisotropy),
                  std::tuple(c.mag, c.min, c.anisotropy));
        kx_tx_destroy(name);
    }
}

TEST_F(GlTest, EveryPngColourTypeDecodesToEightBitRgbOrRgba) {
    const std::vector<int> s12 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                           s16 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const std::pair<test_png_t, bytes> cases[] = {
        // A 2 x 2 file, and the RGB or RGBA bytes it gives.
        {{.color_type = PNG_COLOR_TYPE_GRAY, .bit_depth = 1, .samples = {1, 0, 0, 1}},
         {255, 255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 255}},
        {{.color_type = PNG_COLOR_TYPE_GRAY_ALPHA,
          .bit_depth = 16,
          .samples = {0x0A7F, 0xC87F, 0x147F, 0x647F, 0x1E7F, 0x327F, 0x287F, 0x007F}},
         {10, 10, 10, 200, 20, 20, 20, 100, 30, 30, 30, 50, 40, 40, 40, 0}},  // the high bytes are kept
        {{.interlace = true, .samples = s12, .trns_color = true, .trns_value = {0, 4, 5, 6, 0}},
         {1, 2, 3, 255, 4, 5, 6, 0, 7, 8, 9, 255, 10, 11, 12, 255}},
        {{.color_type = PNG_COLOR_TYPE_RGB_ALPHA, .samples = s16}, bytes(s16.begin(), s16.end())},
        {{.color_type = PNG_COLOR_TYPE_PALETTE,
          .samples = {0, 1, 2, 1},
          .palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
          .trns_alpha = {0, 128}},
         {255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255, 0, 255, 0, 128}},
    };
    for (const auto& [png, pixels] : cases) {
        SCOPED_TRACE(testing::Message() << "colour type " << png.color_type << ", depth " << png.bit_depth);
        ASSERT_TRUE(test_png_write(path("t.png"), png));
        got = {};
        EXPECT_EQ(kx_tx_load_png(path("t.png").c_str(), 1, 0, capture), 7u);
        EXPECT_EQ(got.width * got.height * got.channels, static_cast<int>(pixels.size()));
        EXPECT_EQ(got.pixels, pixels);
    }
}

TEST_F(GlTest, BrokenPngFilesReturnZero) {
    ASSERT_TRUE(test_png_write(path("good.png"), {.samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}));
    const std::string good(std::istreambuf_iterator<char>(std::ifstream(path("good.png")).rdbuf()), {});
    ASSERT_GT(good.size(), 70u);  // signature and header: 33 bytes, then the image data from byte 41
    std::string damaged = good;
    damaged[50] ^= 0x5A;
    // Not a PNG, cut in the header, cut in the image data, damaged image data.
    for (const std::string& broken :
         {std::string("not a png file"), good.substr(0, 20), good.substr(0, 50), damaged}) {
        got = {};
        EXPECT_EQ(kx_tx_load_png(put("bad.png", broken).c_str(), 1, 0, capture), 0u) << broken.size();
        EXPECT_EQ(got.channels, 0) << "the creator must not be called";
    }
}
