// GUI compiler: source text -> item, language and layout files.
//
// "gui/ironvale.bin":      i32 N, then N records of 64 bytes: level, tag, type, flags,
//                          param (16 bytes), value, value_max, text_indent, reserved 0,
//                          image (4 floats).
// "gui/ironvale.lang?.bin": i32 N, then per item u32 length L and L bytes (no NUL).
// "gui/ironvale.0.bin":    i32 N, then N records of 80 bytes: nav (4 x i32 offsets from the
//                          item: down, up, right, left), layout (12 floats), flags mask,
//                          flags value, 8 zero bytes. Flags live in the item file, so the
//                          mask and value stay 0.
#include "tools/assetgen/ag_gui.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/app/kx_log.h"
#include "tools/assetgen/ag_font.h"

namespace {

const char* const kTypes[] = {"container", "button", "label",  "panel",       "checkbox",   "image",
                              "slider",    "field",  "choice", "radio", "imagebutton", "imagetoggle"};

struct flag_name_t {
    const char* name;
    uint32_t bit;
};
const flag_name_t kFlags[] = {{"hidden", 0x1},     {"checked", 0x2},   {"center", 0x4},   {"right", 0x8},
                              {"small", 0x10},     {"smaller", 0x20},  {"nohit", 0x40},   {"wrap", 0x80},
                              {"variant", 0x100},  {"blink", 0x200},   {"textimage", 0x400}};

const char* const kNavNames[] = {"down", "up", "right", "left"};

// Split a line into words; a quoted word keeps its spaces and has its escapes resolved.
// Returns -1 on an unterminated quote or an unknown escape.
int split(const std::string& line, std::vector<std::string>* words, std::vector<bool>* quoted) {
    size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            i++;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string w;
            for (i++;; i++) {
                if (i >= line.size()) return -1;
                if (line[i] == '"') break;
                if (line[i] != '\\') {
                    w += line[i];
                    continue;
                }
                if (++i >= line.size()) return -1;
                const char e = line[i];
                if (e == 'n') w += '\n';
                else if (e == '"' || e == '\\') w += e;
                else return -1;
            }
            i++;
            words->push_back(w);
            quoted->push_back(true);
        } else {
            const size_t end = line.find_first_of(" \t\r#\"", i);
            words->push_back(line.substr(i, end == std::string::npos ? std::string::npos : end - i));
            quoted->push_back(false);
            i = end == std::string::npos ? line.size() : end;
        }
    }
    return 0;
}

bool to_int(const std::string& s, int32_t* v) {
    char* end = nullptr;
    const long n = std::strtol(s.c_str(), &end, 10);
    if (s.empty() || *end || n < -1000000 || n > 1000000) return false;
    *v = static_cast<int32_t>(n);
    return true;
}

bool to_float(const std::string& s, float* v) {
    char* end = nullptr;
    *v = std::strtof(s.c_str(), &end);
    return !s.empty() && !*end;
}

// "0.5W-12u" -> coefficients of (u, W, H). A term without a unit must be 0.
bool to_expr(const std::string& s, float out[3]) {
    out[0] = out[1] = out[2] = 0;
    size_t i = 0;
    while (i < s.size()) {
        size_t j = i + 1;
        while (j < s.size() && s[j] != '+' && s[j] != '-') j++;
        std::string term = s.substr(i, j - i);
        const char unit = term.empty() ? 0 : term.back();
        const int slot = unit == 'u' ? 0 : unit == 'W' ? 1 : unit == 'H' ? 2 : -1;
        if (slot >= 0) term.pop_back();
        if (term.empty() || term == "-" || term == "+") term += "1";
        float v = 0;
        if (!to_float(term, &v) || (slot < 0 && v != 0)) return false;
        if (slot >= 0) out[slot] += v;
        i = j;
    }
    return !s.empty();
}

void put32(std::vector<uint8_t>* b, uint32_t v) {
    for (int k = 0; k < 4; k++) b->push_back(static_cast<uint8_t>(v >> (8 * k)));
}
void putf(std::vector<uint8_t>* b, float f) {
    uint32_t v;
    std::memcpy(&v, &f, 4);
    put32(b, v);
}

// One keyword line inside an item block; returns an error text or null.
const char* item_line(const std::vector<std::string>& w, const std::vector<bool>& q, ag_gui_item_t* it,
                      bool* have_param) {
    const std::string& k = w[0];
    const size_t n = w.size();
    if (k == "fill" && n == 1) {
        std::memset(it->layout, 0, sizeof it->layout);
        it->layout[7] = it->layout[11] = 1;
        return nullptr;
    }
    if (k == "at") {
        if (n != 5) return "at needs x y w h";
        for (int a = 0; a < 4; a++)
            if (!to_expr(w[1 + a], it->layout + 3 * a)) return "bad layout term";
        return nullptr;
    }
    if (k == "param" || k == "image") {
        float* dst = k == "param" ? it->param : it->image;
        if (n != 5) return "four numbers expected";
        for (int a = 0; a < 4; a++)
            if (!to_float(w[1 + a], dst + a)) return "bad number";
        if (k == "param") *have_param = true;
        return nullptr;
    }
    if (k == "nav") {
        for (size_t a = 1; a < n; a++) {
            const size_t eq = w[a].find('=');
            int slot = -1;
            for (int s = 0; s < 4; s++)
                if (eq != std::string::npos && w[a].compare(0, eq, kNavNames[s]) == 0)
                    slot = s;
            if (slot < 0 || !to_int(w[a].substr(eq + 1), &it->nav[slot]) || it->nav[slot] < 0)
                return "nav takes down=N up=N right=N left=N";
        }
        return nullptr;
    }
    if (k == "value" || k == "max" || k == "indent" || k == "tag") {
        int32_t* dst = k == "value" ? &it->value : k == "max" ? &it->value_max : k == "indent" ? &it->indent : &it->tag;
        return n == 2 && to_int(w[1], dst) ? nullptr : "one whole number expected";
    }
    if (k == "en" || k == "ru") {
        if (n != 2 || !q[1]) return "one quoted text expected";
        std::string* dst = &it->text[k == "en" ? AG_GUI_EN : AG_GUI_RU];
        if (ag_gui_utf8_to_cp1251(w[1], dst)) return "character outside Windows-1251";
        return dst->size() > AG_GUI_MAX_TEXT ? "text longer than 2047 bytes" : nullptr;
    }
    return "unknown keyword";
}

// "item" header: number, level, type, flags.
const char* item_header(const std::vector<std::string>& w, int expect, ag_gui_item_t* it) {
    int32_t number = -1;
    if (w.size() < 4 || !to_int(w[1], &number) || !to_int(w[2], &it->level)) return "item <n> <level> <type>";
    if (number != expect) return "items must be numbered 0, 1, 2, ... in order";
    if (it->level < 0 || (number == 0 && it->level != 0)) return "bad level";
    it->type = -1;
    for (int t = 0; t < 12; t++)
        if (w[3] == kTypes[t]) it->type = t;
    if (it->type < 0) return "unknown type";
    for (size_t a = 4; a < w.size(); a++) {
        uint32_t bit = 0;
        for (const flag_name_t& f : kFlags)
            if (w[a] == f.name) bit = f.bit;
        if (!bit) return "unknown flag";
        it->flags |= bit;
    }
    return nullptr;
}

}  // namespace

int ag_gui_utf8_to_cp1251(const std::string& utf8, std::string* out) {
    out->clear();
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        uint32_t code = 0;
        int extra = 0;
        if (b < 0x80) code = b;
        else if ((b & 0xE0) == 0xC0) code = b & 0x1F, extra = 1;
        else if ((b & 0xF0) == 0xE0) code = b & 0x0F, extra = 2;
        else return -1;
        if (i + extra >= utf8.size()) return -1;
        for (int k = 1; k <= extra; k++) {
            const auto c = static_cast<unsigned char>(utf8[i + k]);
            if ((c & 0xC0) != 0x80) return -1;
            code = (code << 6) | (c & 0x3F);
        }
        i += 1 + extra;
        if (code < 0x80) {
            *out += static_cast<char>(code);
            continue;
        }
        int byte = -1;
        for (int v = 0x80; v < 256 && byte < 0; v++)
            if (ag_cp1251_to_unicode(static_cast<uint8_t>(v)) == code) byte = v;
        if (byte < 0) return -1;
        *out += static_cast<char>(byte);
    }
    return 0;
}

int ag_gui_parse(const std::string& source, const char* name, ag_gui_t* gui) {
    gui->items.clear();
    std::istringstream in(source);
    std::string line;
    int line_no = 0, spare_level = -1;
    bool have_param = false, in_spare = false;
    auto fail = [&](const char* why) {
        kxLog("assetgen: %s:%d: %s \n", name, line_no, why);
        return -1;
    };
    auto finish_item = [&]() {
        if (gui->items.empty()) return;
        ag_gui_item_t& it = gui->items.back();
        if (it.type == 0 && !have_param) it.param[2] = it.param[3] = 1;
    };
    while (std::getline(in, line)) {
        line_no++;
        std::vector<std::string> w;
        std::vector<bool> q;
        if (split(line, &w, &q)) return fail("unterminated quote or unknown escape");
        if (w.empty()) continue;
        const int next = static_cast<int>(gui->items.size());
        if (w[0] == "item" || w[0] == "spare") {
            finish_item();
            have_param = false;
            in_spare = w[0] == "spare";
            if (!in_spare) {
                ag_gui_item_t it;
                if (const char* err = item_header(w, next, &it)) return fail(err);
                gui->items.push_back(it);
            } else {
                int32_t from = -1, to = -1;
                const size_t dash = w.size() == 3 ? w[1].find('-') : std::string::npos;
                if (dash == std::string::npos || !to_int(w[1].substr(0, dash), &from) ||
                    !to_int(w[1].substr(dash + 1), &to) || !to_int(w[2], &spare_level) || to < from ||
                    to >= AG_GUI_MAX_ITEMS || spare_level < 1)
                    return fail("spare <from>-<to> <level>");
                if (from != next) return fail("items must be numbered 0, 1, 2, ... in order");
                for (int s = from; s <= to; s++) {
                    ag_gui_item_t it;
                    it.level = spare_level;
                    it.type = 2;
                    it.flags = 0x1 | 0x40;
                    gui->items.push_back(it);
                }
            }
            const int count = static_cast<int>(gui->items.size());
            if (count > AG_GUI_MAX_ITEMS) return fail("more than 385 items");
            // The layout walk deepens one step per item; a bigger jump would nest wrongly.
            for (int s = next; s < count; s++)
                if (s > 0 && gui->items[s].level > gui->items[s - 1].level + 1)
                    return fail("level deeper than the previous item's plus one");
            continue;
        }
        if (gui->items.empty() || in_spare) return fail("keyword outside an item");
        if (const char* err = item_line(w, q, &gui->items.back(), &have_param)) return fail(err);
    }
    finish_item();
    if (gui->items.empty()) return fail("no items");
    for (size_t i = 0; i < gui->items.size(); i++)
        for (int32_t target : gui->items[i].nav)
            if (target >= static_cast<int32_t>(gui->items.size())) {
                kxLog("assetgen: %s: item %zu links to %d, past the last item \n", name, i, target);
                return -1;
            }
    return 0;
}

std::vector<uint8_t> ag_gui_items_file(const ag_gui_t& gui) {
    std::vector<uint8_t> b;
    put32(&b, static_cast<uint32_t>(gui.items.size()));
    for (const ag_gui_item_t& it : gui.items) {
        for (int32_t v : {it.level, it.tag, it.type}) put32(&b, static_cast<uint32_t>(v));
        put32(&b, it.flags);
        for (float f : it.param) putf(&b, f);
        for (int32_t v : {it.value, it.value_max, it.indent, 0}) put32(&b, static_cast<uint32_t>(v));
        for (float f : it.image) putf(&b, f);
    }
    return b;
}

std::vector<uint8_t> ag_gui_lang_file(const ag_gui_t& gui, int lang) {
    std::vector<uint8_t> b;
    put32(&b, static_cast<uint32_t>(gui.items.size()));
    for (const ag_gui_item_t& it : gui.items) {
        const std::string& t = it.text[lang];
        put32(&b, static_cast<uint32_t>(t.size()));
        b.insert(b.end(), t.begin(), t.end());
    }
    return b;
}

std::vector<uint8_t> ag_gui_coords_file(const ag_gui_t& gui) {
    std::vector<uint8_t> b;
    put32(&b, static_cast<uint32_t>(gui.items.size()));
    for (size_t i = 0; i < gui.items.size(); i++) {
        const ag_gui_item_t& it = gui.items[i];
        for (int32_t target : it.nav)
            put32(&b, static_cast<uint32_t>(target < 0 ? 0 : target - static_cast<int32_t>(i)));
        for (float f : it.layout) putf(&b, f);
        for (int k = 0; k < 4; k++) put32(&b, 0);
    }
    return b;
}

int ag_gui_build(const char* src_path, const char* out_dir) {
    std::ifstream in(src_path, std::ios::binary);
    if (!in) {
        kxLog("assetgen: can't read %s \n", src_path);
        return -1;
    }
    std::stringstream text;
    text << in.rdbuf();
    ag_gui_t gui;
    if (ag_gui_parse(text.str(), src_path, &gui)) return -1;
    const std::filesystem::path dir(out_dir);
    const std::pair<const char*, std::vector<uint8_t>> files[] = {
        {"ironvale.bin", ag_gui_items_file(gui)},
        {"ironvale.lang0.bin", ag_gui_lang_file(gui, AG_GUI_RU)},
        {"ironvale.lang1.bin", ag_gui_lang_file(gui, AG_GUI_EN)},
        {"ironvale.0.bin", ag_gui_coords_file(gui)}};
    for (const auto& [file, bytes] : files) {
        FILE* f = std::fopen((dir / file).c_str(), "wb");
        const bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (!f || std::fclose(f) != 0 || !ok) {
            kxLog("assetgen: can't write %s \n", (dir / file).c_str());
            return -1;
        }
    }
    return 0;
}
