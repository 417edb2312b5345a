#include "game_app/screen_shot.h"

#include <X11/Xutil.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/assetgen/ag_image.h"

rgb_t shot_t::mean(int x1, int y1, int x2, int y2) const {
    rgb_t m{0, 0, 0};
    long n = 0;
    for (int y = y1; y < y2 && y < height; y++)
        for (int x = x1; x < x2 && x < width; x++) {
            const unsigned char* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            m.r += p[0], m.g += p[1], m.b += p[2], n++;
        }
    if (n) m.r /= n, m.g /= n, m.b /= n;
    return m;
}

double shot_t::diff(const shot_t& o, int x1, int y1, int x2, int y2) const {
    double sum = 0;
    long n = 0;
    for (int y = y1; y < y2 && y < height && y < o.height; y++)
        for (int x = x1; x < x2 && x < width && x < o.width; x++)
            for (int c = 0; c < 3; c++) {
                const size_t a = (static_cast<size_t>(y) * width + x) * 3 + c;
                const size_t b = (static_cast<size_t>(y) * o.width + x) * 3 + c;
                sum += std::abs(static_cast<int>(rgb[a]) - static_cast<int>(o.rgb[b])), n++;
            }
    return n ? sum / n : 0;
}

shot_t screen_shot(Display* xd, Window win) {
    shot_t s;
    XWindowAttributes wa{};
    if (!XGetWindowAttributes(xd, win, &wa)) return s;
    XImage* img = XGetImage(xd, win, 0, 0, wa.width, wa.height, AllPlanes, ZPixmap);
    if (!img) return s;
    s.width = wa.width, s.height = wa.height;
    s.rgb.resize(static_cast<size_t>(s.width) * s.height * 3);
    for (int y = 0; y < s.height; y++)
        for (int x = 0; x < s.width; x++) {
            const unsigned long p = XGetPixel(img, x, y);
            unsigned char* d = &s.rgb[(static_cast<size_t>(y) * s.width + x) * 3];
            d[0] = (p >> 16) & 0xFF, d[1] = (p >> 8) & 0xFF, d[2] = p & 0xFF;
        }
    XDestroyImage(img);
    return s;
}

bool screen_shot_save(const shot_t& s, const std::string& path) {
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    if (s.width == 0) return false;
    ag_image_t img = ag_image_make(s.width, s.height, 3);
    img.pixels.assign(s.rgb.begin(), s.rgb.end());
    return ag_png_write(path.c_str(), img) == 0;
}

double wave_t::rms_ms(double from_ms, double to_ms) const {
    if (rate <= 0 || channels <= 0) return 0;
    const long frames = static_cast<long>(samples.size()) / channels;
    long a = static_cast<long>(from_ms * rate / 1000.0), b = static_cast<long>(to_ms * rate / 1000.0);
    a = a < 0 ? 0 : (a > frames ? frames : a);
    b = b < a ? a : (b > frames ? frames : b);
    double sum = 0;
    for (long i = a * channels; i < b * channels; i++) sum += static_cast<double>(samples[i]) * samples[i];
    const long n = (b - a) * channels;
    return n ? std::sqrt(sum / n) : 0;
}

wave_t wave_read(const std::string& path) {
    wave_t w;
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> d((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u16 = [&](size_t at) { return at + 2 <= d.size() ? d[at] | d[at + 1] << 8 : 0; };
    auto u32 = [&](size_t at) { return at + 4 <= d.size() ? static_cast<uint32_t>(u16(at) | u16(at + 2) << 16) : 0u; };
    if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) || std::memcmp(d.data() + 8, "WAVE", 4)) return w;
    for (size_t at = 12; at + 8 <= d.size();) {
        const uint32_t len = u32(at + 4);
        const size_t body = at + 8;
        if (!std::memcmp(&d[at], "fmt ", 4)) {
            w.channels = u16(body + 2), w.rate = u16(body + 14) == 16 ? static_cast<int>(u32(body + 4)) : 0;
        } else if (!std::memcmp(&d[at], "data", 4)) {
            // The writer fills the length in at the end; a run cut short leaves it open.
            const size_t end = (len == 0 || body + len > d.size()) ? d.size() : body + len;
            for (size_t p = body; p + 2 <= end; p += 2) w.samples.push_back(static_cast<int16_t>(u16(p)));
            return w;
        }
        at = body + len + (len & 1);
    }
    w.rate = 0;
    return w;
}
