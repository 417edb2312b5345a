// Textures: creation with the engine's filter/mipmap/wrap rules, PNG decoding
// through libpng with a custom read callback, quality changes, deletion.
// Depends on kx_gl, libpng, kx_log, kx_glcheck.
#include "engine/render/kx_tx.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"
#include "engine/render/kx_gl.h"

#ifndef GL_TEXTURE_MAX_ANISOTROPY_EXT
#define GL_TEXTURE_MAX_ANISOTROPY_EXT 0x84FE
#endif
#ifndef GL_GENERATE_MIPMAP
#define GL_GENERATE_MIPMAP 0x8191
#endif

uint32_t kx_tx_create(int width, int height, int channels, int smooth, int clamp, const unsigned char* pixels) {
    GLenum format = GL_RGB;
    if (channels == 4) format = GL_RGBA;
    else if (channels == 1) format = GL_LUMINANCE;
    else if (channels == 2) format = GL_LUMINANCE_ALPHA;

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    // Rows are tightly packed; GL's default 4-byte row alignment would read past the
    // end of an RGB image whose row length is not a multiple of 4.
    GLint unpack_alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack_alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    const bool pot_square = width != 0 && width == (width & -width) && width == height;
    if (smooth && pot_square) {
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, 1);
        kxCheckGlError("stage1");
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, width, 0, format, GL_UNSIGNED_BYTE,
                     pixels);
        kxCheckGlError("stage2");
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format, GL_UNSIGNED_BYTE,
                     pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, smooth ? GL_LINEAR : GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    }
    if (clamp || width != height) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack_alignment);
    return name;
}

namespace {

// The file being decoded; one PNG at a time (main thread).
FILE* png_file = nullptr;

// A short read is a truncated file: libpng must stop, not decode garbage.
void png_read_callback(png_structp png, png_bytep out, png_size_t length) {
    if (png_file == nullptr || std::fread(out, 1, length, png_file) != length) png_error(png, "file truncated");
}

// Where a libpng error jumped from: before the header, or while decoding.
enum { kStageInit = 0, kStageDecode = 1 };

// One decode in progress. Kept in the caller's frame and written only through a
// pointer, so its fields survive libpng's longjmp and are released by the caller.
struct png_job_t {
    png_structp png;
    png_infop info;
    unsigned char* pixels;
    png_bytep* rows;
    int width, height, channels;
};

// Requests the transforms for the colour type. Returns 0 for an unsupported type.
int png_set_transforms(png_job_t* job, const char* path, int color_type, int bit_depth) {
    png_structp png = job->png;
    switch (color_type) {
        case PNG_COLOR_TYPE_RGB:
        case PNG_COLOR_TYPE_RGB_ALPHA:
            break;
        case PNG_COLOR_TYPE_PALETTE:
            png_set_palette_to_rgb(png);
            break;
        case PNG_COLOR_TYPE_GRAY:
            if (bit_depth < 8) png_set_expand_gray_1_2_4_to_8(png);
            png_set_gray_to_rgb(png);
            break;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            png_set_gray_to_rgb(png);
            png_set_expand(png);
            std::printf(
                "PNG: Warning, alpha channel for 8- or 16-bit GRAY_ALPHA image (%s) will be LOST! Use PALETTE or "
                "32-bit RGBA format. \n",
                path);
            break;
        default:
            std::printf("PNG: Error, unsupported color type (#%d) of image (%s). \n", color_type, path);
            return 0;
    }
    if (png_get_valid(png, job->info, PNG_INFO_tRNS)) {
        kxLog("%s\n", "checking png_get_valid, setting tRNS to alpha... ");
        png_set_tRNS_to_alpha(png);
    }
    // 16-bit samples would not fit the 8-bit texture formats.
    if (bit_depth == 16) png_set_strip_16(png);
    png_set_interlace_handling(png);
    return 1;
}

// The libpng part of a load. Returns 1 with job->pixels filled, 0 on any failure
// (logged). Holds no C++ objects, so libpng's longjmp skips no destructor.
int png_decode(png_job_t* job, const char* path) {
    volatile int stage = kStageInit;
    if (setjmp(png_jmpbuf(job->png))) {
        if (stage == kStageInit) kxLog("%s", "[read_png_file] during init_io / png_jmpbuf \n");
        else kxLog("%s", "[read_png_file] Error on setjmp\n");
        return 0;
    }
    png_set_read_fn(job->png, nullptr, png_read_callback);
    png_set_sig_bytes(job->png, 8);
    // Far beyond any texture the GL takes; keeps width * height * 4 sane.
    png_set_user_limits(job->png, 16384, 16384);
    png_read_info(job->png, job->info);
    job->width = static_cast<int>(png_get_image_width(job->png, job->info));
    job->height = static_cast<int>(png_get_image_height(job->png, job->info));
    const int color_type = png_get_color_type(job->png, job->info);
    const int bit_depth = png_get_bit_depth(job->png, job->info);
    if (!png_set_transforms(job, path, color_type, bit_depth)) return 0;

    // Size everything by what the transforms actually produce (a tRNS chunk adds alpha).
    png_read_update_info(job->png, job->info);
    job->channels = png_get_channels(job->png, job->info);
    const size_t rowbytes = png_get_rowbytes(job->png, job->info);
    if (rowbytes != static_cast<size_t>(job->width) * static_cast<size_t>(job->channels)) {
        kxLog("[read_png_file] unexpected row size %zu for %dx%d, %d channels \n", rowbytes, job->width,
              job->height, job->channels);
        return 0;
    }
    stage = kStageDecode;
    job->pixels = static_cast<unsigned char*>(std::malloc(rowbytes * static_cast<size_t>(job->height)));
    job->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * static_cast<size_t>(job->height)));
    if (job->pixels == nullptr || job->rows == nullptr) {
        kxLog("[read_png_file] no memory for %dx%d \n", job->width, job->height);
        return 0;
    }
    for (int i = 0; i < job->height; ++i) job->rows[i] = job->pixels + static_cast<size_t>(i) * rowbytes;
    png_read_image(job->png, job->rows);
    return 1;
}

}  // namespace

uint32_t kx_tx_load_png(const char* path, int smooth, int clamp, kx_tx_create_fn create) {
    kxLog("Creating tx PNG adv [%s]: ", path);
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        kxLog("[read_png_file] File %s could not be opened for reading \n", path);
        return 0;
    }
    unsigned char header[8] = {0};
    if (std::fread(header, 1, 8, f) != 8 || png_sig_cmp(header, 0, 8) != 0) {
        kxLog("[read_png_file] File %s is not recognized as a PNG file \n", path);
        std::fclose(f);
        return 0;
    }
    png_job_t job{};
    job.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (job.png == nullptr) {
        kxLog("%s", "[read_png_file] png_create_read_struct failed \n");
        std::fclose(f);
        return 0;
    }
    job.info = png_create_info_struct(job.png);
    if (job.info == nullptr) {
        kxLog("%s", "[read_png_file] png_create_info_struct failed \n");
        png_destroy_read_struct(&job.png, nullptr, nullptr);
        std::fclose(f);
        return 0;
    }
    png_file = f;
    const int ok = png_decode(&job, path);
    png_file = nullptr;
    png_destroy_read_struct(&job.png, &job.info, nullptr);
    std::fclose(f);

    uint32_t name = 0;
    if (ok) {
        kxLog("%dx%d, bpp=%d\n", job.width, job.height, job.channels);
        name = (create != nullptr ? create : kx_tx_create)(job.width, job.height, job.channels, smooth, clamp,
                                                           job.pixels);
    }
    std::free(job.pixels);
    std::free(job.rows);
    return name;
}

void kx_tx_set_quality(uint32_t name, uint32_t target, int level) {
    glBindTexture(target, name);
    if (level <= 0) {
        // Nearest everywhere; GL has no mipmap filter for magnification.
        glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
        glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        return;
    }
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    if (kx_gl_caps.max_anisotropy > 0) {
        const int n = level < kx_gl_caps.max_anisotropy ? level : kx_gl_caps.max_anisotropy;
        glTexParameterf(target, GL_TEXTURE_MAX_ANISOTROPY_EXT, static_cast<float>(n));
    }
}

void kx_tx_destroy(uint32_t name) {
    const GLuint n = name;
    glDeleteTextures(1, &n);
}
