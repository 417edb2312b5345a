// Test tones and wave reading for the audio tests.
#include "audio/ogg_maker.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "tools/assetgen/ag_ogg.h"

namespace fs = std::filesystem;

const fs::path& audio_temp_dir() {
    struct owned_dir_t {
        pid_t owner = getpid();
        fs::path path = fs::temp_directory_path() / ("ironvale_wave_" + std::to_string(owner));
        owned_dir_t() { fs::create_directories(path); }
        ~owned_dir_t() {
            std::error_code ec;
            if (getpid() == owner) fs::remove_all(path, ec);
        }
    };
    static const owned_dir_t dir;
    return dir.path;
}

std::string tone_file(const std::string& name, int channels, int rate, double seconds, double hz,
                      const std::vector<int>& sounding) {
    const std::string path = (audio_temp_dir() / name).string();
    std::vector<float> samples(static_cast<size_t>(seconds * rate) * channels, 0.0f);
    for (size_t i = 0; i < samples.size(); i++) {
        const int c = static_cast<int>(i % channels), f = static_cast<int>(i / channels);
        if (std::count(sounding.begin(), sounding.end(), c))
            samples[i] = static_cast<float>(0.5 * std::sin(2.0 * M_PI * hz * f / rate));
    }
    if (ag_ogg_write(path.c_str(), samples, rate, 0.5f, 12345, channels) != 0) return "";
    return path;
}

bool wave_read(const std::string& path, wave_t* out) {
    std::vector<uint8_t> b;
    if (FILE* fp = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, fp)) > 0;) b.insert(b.end(), buf, buf + n);
        std::fclose(fp);
    }
    auto u32 = [&](size_t at) {
        uint32_t v;
        std::memcpy(&v, &b[at], 4);
        return v;
    };
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) || std::memcmp(&b[8], "WAVE", 4)) return false;
    int bits = 0;
    for (size_t at = 12; at + 8 <= b.size();) {
        const uint32_t size = u32(at + 4);
        const size_t body = at + 8;
        if (!std::memcmp(&b[at], "fmt ", 4) && body + 16 <= b.size()) {
            out->channels = b[body + 2] | b[body + 3] << 8;
            out->rate = static_cast<int>(u32(body + 4));
            bits = b[body + 14] | b[body + 15] << 8;
        } else if (!std::memcmp(&b[at], "data", 4)) {
            // The writer patches the data size on close; trust the bytes present if it did not.
            size_t n = std::min<size_t>(size, b.size() - body);
            if (size == 0 || size == 0xffffffffu) n = b.size() - body;
            out->samples.resize(n / 2);
            std::memcpy(out->samples.data(), &b[body], out->samples.size() * 2);
            return bits == 16 && out->channels > 0;
        }
        at = body + size + (size & 1);
    }
    return false;
}

double wave_rms(const wave_t& w, int channel, int from, int to) {
    from = std::max(from, 0), to = std::min(to, w.frames());
    double sum = 0.0;
    for (int f = from; f < to; f++) sum += static_cast<double>(w.at(f, channel)) * w.at(f, channel);
    return to > from ? std::sqrt(sum / (to - from)) : 0.0;
}

static bool loud(const wave_t& w, int f, int threshold, int channel) {
    for (int c = 0; c < w.channels; c++)
        if ((channel < 0 || c == channel) && std::abs(w.at(f, c)) > threshold) return true;
    return false;
}

int wave_first_loud(const wave_t& w, int threshold, int channel) {
    for (int f = 0; f < w.frames(); f++)
        if (loud(w, f, threshold, channel)) return f;
    return -1;
}

int wave_last_loud(const wave_t& w, int threshold, int channel) {
    for (int f = w.frames() - 1; f >= 0; f--)
        if (loud(w, f, threshold, channel)) return f;
    return -1;
}

double wave_pitch(const wave_t& w, int channel, int from, int to) {
    from = std::max(from, 1), to = std::min(to, w.frames());
    int crossings = 0;
    for (int f = from; f < to; f++) crossings += w.at(f - 1, channel) < 0 && w.at(f, channel) >= 0;
    return to > from ? crossings * static_cast<double>(w.rate) / (to - from) : 0.0;
}
