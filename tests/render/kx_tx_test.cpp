// Textures: the filter, wrap and mipmap rules GL reports for each size case, every
// PNG colour type and bit depth decoded to the expected bytes, broken files
// refused without a crash, and quality changes.
#include <cstring>
#include <string>
#include <vector>

#include "engine/render/kx_gl.h"
#include "engine/render/kx_tx.h"
#include "tests/render/png_writer.h"
#include "tests/render/render_fixture.h"

namespace {

GLint tex_param(GLenum pname) {
    GLint v = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, pname, &v);
    return v;
}
GLint level_width(int level) {
    GLint v = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &v);
    return v;
}

// What the loader handed to its creator.
struct captured_t {
    int width = 0, height = 0, channels = 0;
    std::vector<unsigned char> pixels;
} got;

uint32_t capture(int width, int height, int channels, int, int, const unsigned char* pixels) {
    got.width = width;
    got.height = height;
    got.channels = channels;
    got.pixels.assign(pixels, pixels + static_cast<size_t>(width) * height * channels);
    return 7;
}

class KxTx : public GlTest {};

}  // namespace

TEST_F(KxTx, CreateRulesBySizeAndFlags) {
    const struct {
        int w, h, smooth, clamp;
        GLint mag, min, wrap;
        GLint level1_width;  // 0: no mipmaps
    } cases[] = {
        {256, 256, 1, 0, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, GL_REPEAT, 128},
        {64, 64, 1, 1, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, GL_CLAMP_TO_EDGE, 32},
        {512, 256, 1, 0, GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, 0},
        {100, 100, 1, 0, GL_LINEAR, GL_LINEAR, GL_REPEAT, 0},
        {64, 64, 0, 0, GL_NEAREST, GL_LINEAR, GL_REPEAT, 0},
        {64, 32, 0, 1, GL_NEAREST, GL_LINEAR, GL_CLAMP_TO_EDGE, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " smooth " + std::to_string(c.smooth) +
                     " clamp " + std::to_string(c.clamp));
        std::vector<unsigned char> px(static_cast<size_t>(c.w) * c.h * 3, 200);
        const uint32_t name = kx_tx_create(c.w, c.h, 3, c.smooth, c.clamp, px.data());
        ASSERT_NE(name, 0u);
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<uint32_t>(bound), name);
        EXPECT_EQ(tex_param(GL_TEXTURE_MAG_FILTER), c.mag);
        EXPECT_EQ(tex_param(GL_TEXTURE_MIN_FILTER), c.min);
        EXPECT_EQ(tex_param(GL_TEXTURE_WRAP_S), c.wrap);
        EXPECT_EQ(tex_param(GL_TEXTURE_WRAP_T), c.wrap);
        EXPECT_EQ(level_width(0), c.w);
        EXPECT_EQ(level_width(1), c.level1_width);
        kx_tx_destroy(name);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(KxTx, RowsOfAnyLengthUploadExactly) {
    // 5 RGB pixels make a 15-byte row: no padding may be assumed between rows.
    const int w = 5, h = 3;
    std::vector<unsigned char> px(w * h * 3);
    for (size_t i = 0; i < px.size(); ++i) px[i] = static_cast<unsigned char>(i * 11);
    const uint32_t name = kx_tx_create(w, h, 3, 0, 0, px.data());
    std::vector<unsigned char> back(px.size() + 16, 0xEE);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, back.data());
    EXPECT_EQ(std::vector<unsigned char>(back.begin(), back.begin() + px.size()), px);
    GLint align = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &align);
    EXPECT_EQ(align, 4);  // the caller's unpack state is left as it was
    kx_tx_destroy(name);
}

TEST_F(KxTx, EveryPngColourTypeDecodesToEightBitRgbOrRgba) {
    auto grey = [](std::initializer_list<int> v) {
        std::vector<unsigned char> out;
        for (int g : v) out.insert(out.end(), {static_cast<unsigned char>(g), static_cast<unsigned char>(g),
                                               static_cast<unsigned char>(g)});
        return out;
    };
    const std::vector<png_color> pal = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    std::vector<int> big(3 * 3 * 3);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<int>((i * 37) % 256);

    struct png_case {
        const char* what;
        test_png_t png;
        int channels;
        std::vector<unsigned char> pixels;
        bool trns_logged;
    };
    std::vector<png_case> cases;
    auto add = [&](const char* what, test_png_t p, int ch, std::vector<unsigned char> px, bool trns = false) {
        cases.push_back({what, std::move(p), ch, std::move(px), trns});
    };
    test_png_t p;
    p.color_type = PNG_COLOR_TYPE_GRAY;
    p.samples = {0, 85, 170, 255};
    add("grey 8", p, 3, grey({0, 85, 170, 255}));
    p.bit_depth = 1;
    p.samples = {0, 1, 1, 0};
    add("grey 1", p, 3, grey({0, 255, 255, 0}));
    p.bit_depth = 4;
    p.samples = {0, 5, 10, 15};
    add("grey 4", p, 3, grey({0, 85, 170, 255}));
    p.bit_depth = 16;
    p.samples = {0x0000, 0x55AA, 0xAA01, 0xFFFF};
    add("grey 16", p, 3, grey({0, 0x55, 0xAA, 0xFF}));
    p.bit_depth = 8;
    p.samples = {0, 85, 170, 255};
    p.trns_color = true;
    p.trns_value.gray = 85;
    add("grey with tRNS", p, 4, {0, 0, 0, 255, 85, 85, 85, 0, 170, 170, 170, 255, 255, 255, 255, 255}, true);

    p = test_png_t{};
    p.color_type = PNG_COLOR_TYPE_GRAY_ALPHA;
    p.samples = {10, 200, 20, 100, 30, 50, 40, 0};
    add("grey+alpha 8", p, 4, {10, 10, 10, 200, 20, 20, 20, 100, 30, 30, 30, 50, 40, 40, 40, 0});
    p.bit_depth = 16;
    p.samples = {0x0A00, 0xC800, 0x1400, 0x6400, 0x1E00, 0x3200, 0x2800, 0x0000};
    add("grey+alpha 16", p, 4, {10, 10, 10, 200, 20, 20, 20, 100, 30, 30, 30, 50, 40, 40, 40, 0});

    p = test_png_t{};
    p.color_type = PNG_COLOR_TYPE_RGB;
    p.samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    add("RGB 8", p, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    p.bit_depth = 16;
    p.samples = {0x0100, 0x0200, 0x0300, 0x0400, 0x0500, 0x0600, 0x0700, 0x0800, 0x0900, 0x0A00, 0x0B00, 0x0CFF};
    add("RGB 16", p, 3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    p.bit_depth = 8;
    p.samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    p.trns_color = true;
    p.trns_value.red = 4;
    p.trns_value.green = 5;
    p.trns_value.blue = 6;
    add("RGB with tRNS", p, 4, {1, 2, 3, 255, 4, 5, 6, 0, 7, 8, 9, 255, 10, 11, 12, 255}, true);

    p = test_png_t{};
    p.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    p.samples = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    add("RGBA 8", p, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    p.bit_depth = 16;
    p.samples = {0x0100, 0x0200, 0x0300, 0x0400, 0x0500, 0x0600, 0x0700, 0x0800,
                 0x0900, 0x0A00, 0x0B00, 0x0C00, 0x0D00, 0x0E00, 0x0F00, 0x10FF};
    add("RGBA 16", p, 4, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});

    p = test_png_t{};
    p.color_type = PNG_COLOR_TYPE_PALETTE;
    p.palette = pal;
    p.samples = {0, 1, 2, 1};
    add("palette 8", p, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 255, 0});
    p.bit_depth = 2;
    add("palette 2", p, 3, {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 255, 0});
    p.bit_depth = 8;
    p.trns_alpha = {0, 128};
    add("palette with tRNS", p, 4, {255, 0, 0, 0, 0, 255, 0, 128, 0, 0, 255, 255, 0, 255, 0, 128}, true);

    p = test_png_t{};
    p.width = p.height = 3;
    p.interlace = true;
    p.samples = big;
    add("interlaced RGB", p, 3, std::vector<unsigned char>(big.begin(), big.end()));

    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = path("t.png");
        ASSERT_TRUE(test_png_write(file, c.png));
        got = captured_t{};
        uint32_t name = 0;
        const std::string log = logged([&] { name = kx_tx_load_png(file.c_str(), 1, 0, capture); });
        EXPECT_EQ(name, 7u);
        EXPECT_EQ(got.width, c.png.width);
        EXPECT_EQ(got.height, c.png.height);
        EXPECT_EQ(got.channels, c.channels);
        EXPECT_EQ(got.pixels, c.pixels);
        EXPECT_EQ(log.find("checking png_get_valid, setting tRNS to alpha... ") != std::string::npos, c.trns_logged);
        EXPECT_NE(log.find(std::to_string(c.png.width) + "x" + std::to_string(c.png.height) +
                           ", bpp=" + std::to_string(c.channels) + "\n"),
                  std::string::npos)
            << log;
    }
}

TEST_F(KxTx, PngBecomesATextureWithTheDefaultCreator) {
    test_png_t p;
    p.width = p.height = 4;
    p.color_type = PNG_COLOR_TYPE_RGB_ALPHA;
    p.samples.assign(4 * 4 * 4, 77);
    ASSERT_TRUE(test_png_write(path("a.png"), p));
    const uint32_t name = kx_tx_load_png(path("a.png").c_str(), 1, 1, nullptr);
    ASSERT_NE(name, 0u);
    EXPECT_EQ(level_width(0), 4);
    EXPECT_EQ(level_width(1), 2);
    EXPECT_EQ(tex_param(GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
    kx_tx_destroy(name);
}

TEST_F(KxTx, BrokenFilesReturnZero) {
    // A valid, poorly compressible image to cut and damage.
    test_png_t p;
    p.width = p.height = 32;
    p.samples.resize(32 * 32 * 3);
    unsigned seed = 12345;
    for (int& s : p.samples) s = static_cast<int>((seed = seed * 1103515245u + 12345u) >> 24);
    ASSERT_TRUE(test_png_write(path("good.png"), p));
    std::vector<unsigned char> good;
    {
        FILE* f = std::fopen(path("good.png").c_str(), "rb");
        ASSERT_NE(f, nullptr);
        for (int ch; (ch = std::fgetc(f)) != EOF;) good.push_back(static_cast<unsigned char>(ch));
        std::fclose(f);
    }
    ASSERT_GT(good.size(), 1000u);
    auto cut = [&](size_t n) { return std::vector<unsigned char>(good.begin(), good.begin() + n); };
    auto flipped = [&](size_t at) {
        auto v = good;
        v[at] ^= 0x5A;
        return v;
    };
    const std::string text = "this is not a png file at all";
    const struct {
        const char* what;
        std::vector<unsigned char> bytes;
        const char* log_has;
    } cases[] = {
        {"missing", {}, "could not be opened for reading"},
        {"empty", std::vector<unsigned char>(), "is not recognized as a PNG file"},
        {"text", std::vector<unsigned char>(text.begin(), text.end()), "is not recognized as a PNG file"},
        {"signature only", cut(8), "[read_png_file] during init_io / png_jmpbuf \n"},
        {"cut in header", cut(20), "[read_png_file] during init_io / png_jmpbuf \n"},
        {"cut after header", cut(40), "[read_png_file]"},
        {"cut in image data", cut(good.size() / 2), "[read_png_file] Error on setjmp\n"},
        {"cut near the end", cut(good.size() - 30), "[read_png_file] Error on setjmp\n"},
        {"damaged image data", flipped(good.size() / 2), "[read_png_file] Error on setjmp\n"},
        {"damaged header", flipped(18), "[read_png_file] during init_io / png_jmpbuf \n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = path("bad.png");
        std::remove(file.c_str());
        if (std::strcmp(c.what, "missing") != 0) write_file("bad.png", c.bytes.data(), c.bytes.size());
        got = captured_t{};
        uint32_t name = 1;
        const std::string log = logged([&] { name = kx_tx_load_png(file.c_str(), 1, 0, capture); });
        EXPECT_EQ(name, 0u);
        EXPECT_EQ(got.channels, 0) << "the creator must not be called";
        EXPECT_NE(log.find(c.log_has), std::string::npos) << log;
    }
}

TEST_F(KxTx, QualityLevels) {
    std::vector<unsigned char> px(64 * 64 * 4, 9);
    const uint32_t name = kx_tx_create(64, 64, 4, 1, 0, px.data());
    const int max_aniso = kx_gl_caps.max_anisotropy;
    const struct {
        int level;
        GLint mag, min;
        float aniso;  // < 0: not checked
    } cases[] = {
        {0, GL_NEAREST, GL_NEAREST_MIPMAP_NEAREST, -1.0f},
        {1, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, 1.0f},
        {2, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, max_aniso >= 2 ? 2.0f : -1.0f},
        {4, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, max_aniso >= 4 ? 4.0f : -1.0f},
        {1000, GL_LINEAR, GL_LINEAR_MIPMAP_LINEAR, max_aniso > 0 ? static_cast<float>(max_aniso) : -1.0f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        glBindTexture(GL_TEXTURE_2D, 0);
        kx_tx_set_quality(name, GL_TEXTURE_2D, c.level);
        EXPECT_EQ(tex_param(GL_TEXTURE_MAG_FILTER), c.mag);
        EXPECT_EQ(tex_param(GL_TEXTURE_MIN_FILTER), c.min);
        if (c.aniso >= 0.0f && max_aniso > 0) {
            GLfloat a = 0;
            glGetTexParameterfv(GL_TEXTURE_2D, 0x84FE, &a);
            EXPECT_EQ(a, c.aniso);
        }
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    kx_tx_destroy(name);
}
