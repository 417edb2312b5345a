// Tiny byte builders for the three GUI files (item definitions, language, layout), shared by
// the GUI tests and benchmarks. Little-endian host assumed, as the files are.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace gui_files {

struct bytes_t {
    std::string s;
    template <typename T>
    bytes_t& put(T v) {
        s.append(reinterpret_cast<const char*>(&v), sizeof v);
        return *this;
    }
    bytes_t& i32(int32_t v) { return put(v); }
    bytes_t& u32(uint32_t v) { return put(v); }
    bytes_t& f32(float v) { return put(v); }
    bytes_t& raw(const std::string& b) {
        s += b;
        return *this;
    }
};

// One record of gui/ironvale.bin.
struct item_def {
    int32_t level = 0, type = 0;
    uint32_t flags = 0;
    float param[4] = {0, 0, 0, 0};
    int32_t value = 0, value_max = 0, text_indent = 0, tag = 0;
    float image[4] = {0, 0, 0, 0};
};

// One record of gui/ironvale.0.bin.
struct coord_def {
    int32_t nav[4] = {0, 0, 0, 0};
    float layout[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    uint32_t mask = 0, value = 0;
};

// A layout filling the parent: (0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1).
inline coord_def fill() {
    coord_def c;
    c.layout[7] = c.layout[11] = 1;
    return c;
}

// A layout at (x, y, w, h) em inside the parent.
inline coord_def at_em(float x, float y, float w, float h) {
    coord_def c;
    c.layout[0] = x, c.layout[3] = y, c.layout[6] = w, c.layout[9] = h;
    return c;
}

// count < 0: the number of records.
inline std::string gui_file(const std::vector<item_def>& items, int32_t count = -1) {
    bytes_t b;
    b.i32(count < 0 ? static_cast<int32_t>(items.size()) : count);
    for (const auto& it : items) {
        b.i32(it.level).i32(it.tag).i32(it.type).u32(it.flags);
        for (float p : it.param) b.f32(p);
        b.i32(it.value).i32(it.value_max).i32(it.text_indent).u32(0xDEADBEEF);  // reserved word
        for (float p : it.image) b.f32(p);
    }
    return b.s;
}

inline std::string lang_file(const std::vector<std::string>& texts, int32_t count = -1) {
    bytes_t b;
    b.i32(count < 0 ? static_cast<int32_t>(texts.size()) : count);
    for (const auto& t : texts) b.u32(static_cast<uint32_t>(t.size())).raw(t);
    return b.s;
}

inline std::string coords_file(const std::vector<coord_def>& recs, int32_t count = -1) {
    bytes_t b;
    b.i32(count < 0 ? static_cast<int32_t>(recs.size()) : count);
    for (const auto& r : recs) {
        for (int32_t n : r.nav) b.i32(n);
        for (float l : r.layout) b.f32(l);
        b.u32(r.mask).u32(r.value).u32(0).u32(0);
    }
    return b.s;
}

inline std::vector<uint8_t> image_of(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

}  // namespace gui_files
