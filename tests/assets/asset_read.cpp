// Asset test readers. Depends on libpng, libvorbisfile.
#include "assets/asset_read.h"

#include <png.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

const char* const kModelNames[8] = {"redcross", "mountains1", "testplayer",  "gun1",
                                    "macgun1",  "minisphere", "laserbullet", "map3"};
const char* const kTextureNames[13] = {
    "menu_background", "t2",        "crystal",   "t1",        "grass",     "gui",     "white",
    "skybox_bk",       "skybox_fr", "skybox_lt", "skybox_rt", "skybox_up", "font8cyr"};
const char* const kSoundNames[12] = {"single-shot", "healthkit-mono", "shot-and-reload", "reload-mono",
                                     "hit",         "player-hit",     "explosion",       "player-shot",
                                     "step0",       "step1",          "step2",           "step3"};
const char* const kShaderNames[6] = {"grid", "fullscreen", "light2", "simple", "text", "gui"};

std::vector<std::string> game_files() {
    std::vector<std::string> files = {"font/fontcyr.bin"};
    for (const char* m : kModelNames) files.push_back(std::string("models/") + m + ".rawmdl");
    for (const char* t : kTextureNames) files.push_back(std::string("textures/") + t + ".png");
    for (const char* s : kSoundNames) files.push_back(std::string("sounds/") + s + ".ogg");
    for (const char* sh : kShaderNames)
        for (const char* stage : {".vert.glsl", ".frag.glsl"})
            files.push_back(std::string("shaders/") + sh + stage);
    return files;
}

std::string asset_dir() {
    const char* build = std::getenv("IRONVALE_BUILD_DIR");
    return std::string(build ? build : "..") + "/assets";
}

std::string asset_path(const std::string& relative) { return asset_dir() + "/" + relative; }

std::vector<uint8_t> read_bytes(const std::string& path) {
    std::vector<uint8_t> data;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) data.insert(data.end(), buf, buf + n);
        std::fclose(f);
    }
    return data;
}

bool read_png(const std::string& path, png_t* out) {
    png_image img;
    std::memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, path.c_str())) return false;
    const bool alpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    img.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
    out->width = static_cast<int>(img.width);
    out->height = static_cast<int>(img.height);
    out->channels = alpha ? 4 : 3;
    out->pixels.assign(PNG_IMAGE_SIZE(img), 0);
    if (png_image_finish_read(&img, nullptr, out->pixels.data(), 0, nullptr)) return true;
    png_image_free(&img);
    return false;
}

bool read_ogg(const std::string& path, pcm_t* out) {
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) return false;
    out->channels = ov_info(&vf, -1)->channels;
    out->rate = static_cast<int>(ov_info(&vf, -1)->rate);
    out->samples.clear();
    char buf[8192];
    int section = 0;
    long n;
    while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0) {
        const int16_t* s = reinterpret_cast<const int16_t*>(buf);
        out->samples.insert(out->samples.end(), s, s + n / 2);
    }
    ov_clear(&vf);
    return n == 0;
}

bool read_rawmdl(const std::string& path, std::vector<tri_t>* out) {
    const std::vector<uint8_t> bytes = read_bytes(path);
    if (bytes.empty() || bytes.size() % 96 != 0) return false;
    out->resize(bytes.size() / 96);
    for (size_t t = 0; t < out->size(); t++)
        for (int k = 0; k < 3; k++) {  // per vertex: position, normal, uv
            std::memcpy(&(*out)[t].p[k], &bytes[t * 96 + k * 32], 12);
            std::memcpy(&(*out)[t].n[k], &bytes[t * 96 + k * 32 + 12], 12);
        }
    return true;
}
