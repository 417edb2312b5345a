// Saved settings: parsing, writing and the file's place (see game_settings.h).
#include "game/game_settings.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef _WIN32
#include <direct.h>
#include <process.h>

#include <filesystem>
#include <system_error>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "engine/app/kx_log.h"

namespace {

constexpr int kMaxComplaints = 8;  // log lines per parse

enum key_e {
    KEY_NAME,
    KEY_SERVER,
    KEY_LANGUAGE,
    KEY_SENSITIVITY,
    KEY_INVERT,
    KEY_MS,
    KEY_ANISO,
    KEY_FOV,
    KEY_WINDOWED,
    KEY_COUNT
};

const char* const kKeys[KEY_COUNT] = {"name",         "server",        "language",   "mouse_sensitivity",
                                      "invert_mouse", "multisampling", "anisotropy", "wide_fov",
                                      "windowed"};

const char* const kLanguages[2] = {"en", "ru"};

struct parse_t {
    int line;        // 1-based number of the line being read
    int settings;    // known keys taken
    int bad;         // lines or values not usable
    int complaints;  // log lines written
};

// Every log line of a parse goes through here, so a junk file cannot flood the log.
bool may_log(parse_t* p) { return p->complaints++ < kMaxComplaints; }

void complain(parse_t* p, const char* what) {
    p->bad++;
    if (may_log(p)) kxLog("Settings: line %d ignored: %s \n", p->line, what);
}

bool blank(char c) { return c == ' ' || c == '\t'; }

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_word(const char* a, const char* b) {
    for (; *a && *b; a++, b++)
        if (lower(*a) != lower(*b)) return false;
    return *a == *b;
}

// A whole number with an optional sign; saturates far outside every range kept here.
bool parse_int(const char* s, long* out) {
    const bool neg = *s == '-';
    if (*s == '-' || *s == '+') s++;
    if (!*s) return false;
    long v = 0;
    for (; *s; s++) {
        if (*s < '0' || *s > '9') return false;
        if (v < 1000000) v = v * 10 + (*s - '0');
    }
    *out = neg ? -v : v;
    return true;
}

// 0 or 1 from "0", "1" (other numbers clamped), true/false, yes/no, on/off.
void take_flag(parse_t* p, const char* v, int* out) {
    static const char* const kOn[] = {"true", "yes", "on"};
    static const char* const kOff[] = {"false", "no", "off"};
    for (const char* w : kOn)
        if (same_word(v, w)) {
            *out = 1;
            return;
        }
    for (const char* w : kOff)
        if (same_word(v, w)) {
            *out = 0;
            return;
        }
    long n = 0;
    if (!parse_int(v, &n)) {
        complain(p, "not 0 or 1");
        return;
    }
    if ((n < 0 || n > 1) && may_log(p))
        kxLog("Settings: line %d: %s is out of range, %d used \n", p->line, v, n > 1 ? 1 : 0);
    *out = n > 0 ? 1 : 0;
}

void take_sensitivity(parse_t* p, const char* v, float* out) {
    char* end = nullptr;
    const double d = std::strtod(v, &end);
    if (end == v || *end || std::isnan(d)) {
        complain(p, "not a number");
        return;
    }
    const double c = d < 0 ? 0 : d > 1 ? 1 : d;
    if (c != d && may_log(p)) kxLog("Settings: line %d: %s is out of range, %g used \n", p->line, v, c);
    *out = static_cast<float>(c);
}

void take_language(parse_t* p, const char* v, int* out) {
    for (int i = 0; i < 2; i++)
        if (same_word(v, kLanguages[i])) {
            *out = i;
            return;
        }
    complain(p, "language is en or ru");
}

// Texts keep printable bytes only: the line check has refused every control byte but the
// tab, which no text field takes either.
void take_text(parse_t* p, const char* v, char* out, int size, bool cut) {
    const size_t n = std::strlen(v);
    if (std::strchr(v, '\t')) {
        complain(p, "tab in a text");
        return;
    }
    if (n >= static_cast<size_t>(size) && !cut) {
        complain(p, "too long");
        return;
    }
    size_t keep = n < static_cast<size_t>(size) ? n : static_cast<size_t>(size) - 1;
    if (keep < n && may_log(p)) kxLog("Settings: line %d: cut to %d characters \n", p->line, size - 1);
    // A cut may end on a blank, which reading the written file again would drop.
    while (keep > 0 && blank(v[keep - 1])) keep--;
    std::memcpy(out, v, keep);
    out[keep] = 0;
}

void take(parse_t* p, int key, const char* v, game_settings_t* s) {
    switch (key) {
        case KEY_NAME:
            take_text(p, v, s->name, sizeof s->name, true);
            break;
        case KEY_SERVER:
            take_text(p, v, s->server, sizeof s->server, false);
            break;
        case KEY_LANGUAGE:
            take_language(p, v, &s->language);
            break;
        case KEY_SENSITIVITY:
            take_sensitivity(p, v, &s->sensitivity);
            break;
        case KEY_INVERT:
            take_flag(p, v, &s->invert_mouse);
            break;
        case KEY_MS:
            take_flag(p, v, &s->multisampling);
            break;
        case KEY_ANISO:
            take_flag(p, v, &s->anisotropy);
            break;
        case KEY_FOV:
            take_flag(p, v, &s->wide_fov);
            break;
        default:
            take_flag(p, v, &s->windowed);
            break;
    }
}

// One line without its end (len bytes, at most GAME_SETTINGS_LINE_MAX).
void parse_line(parse_t* p, const char* bytes, size_t len, game_settings_t* s) {
    char line[GAME_SETTINGS_LINE_MAX + 1];
    for (size_t i = 0; i < len; i++) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if ((c < 32 && c != '\t') || c == 127) {
            complain(p, "control bytes");
            return;
        }
        line[i] = static_cast<char>(c);
    }
    line[len] = 0;
    char* start = line;
    while (blank(*start)) start++;
    if (!*start || *start == '#' || *start == ';' || *start == '[') return;
    char* eq = std::strchr(start, '=');
    if (!eq) {
        complain(p, "no '='");
        return;
    }
    char* key_end = eq;
    while (key_end > start && blank(key_end[-1])) key_end--;
    *key_end = 0;
    char* value = eq + 1;
    while (blank(*value)) value++;
    char* value_end = value + std::strlen(value);
    while (value_end > value && blank(value_end[-1])) value_end--;
    *value_end = 0;
    for (int k = 0; k < KEY_COUNT; k++) {
        if (std::strcmp(start, kKeys[k]) != 0) continue;
        p->settings++;
        // An empty name or server means none saved; an empty number is not a number.
        if (!*value && k > KEY_SERVER) {
            complain(p, "empty value");
            return;
        }
        take(p, k, value, s);
        return;
    }
    if (may_log(p)) kxLog("Settings: line %d: unknown key [%.40s] ignored \n", p->line, start);
}

#ifdef _WIN32
bool is_separator(char c) { return c == '/' || c == '\\'; }
int make_dir(const char* path) { return _mkdir(path); }
long process_id() { return _getpid(); }
int replace_file(const char* from, const char* to) {
    std::error_code ec;
    std::filesystem::rename(from, to, ec);
    return ec ? -1 : 0;
}
#else
bool is_separator(char c) { return c == '/'; }
// Config folders are private to the user.
int make_dir(const char* path) { return mkdir(path, 0700); }
long process_id() { return getpid(); }
int replace_file(const char* from, const char* to) { return std::rename(from, to); }
#endif

// Make every folder above the file (len bytes, below GAME_SETTINGS_PATH_SIZE); an existing
// one is fine, and a real failure shows when the file is opened.
void make_parents(const char* path, size_t len) {
    char dir[GAME_SETTINGS_PATH_SIZE];
    std::memcpy(dir, path, len + 1);
    for (size_t i = 1; i < len; i++) {
        if (!is_separator(dir[i])) continue;
        dir[i] = 0;
        make_dir(dir);
        dir[i] = path[i];
    }
}

}  // namespace

game_settings_t game_settings_defaults() {
    game_settings_t s{};
    s.sensitivity = 0.5f;
    return s;
}

int game_settings_same(const game_settings_t* a, const game_settings_t* b) {
    return std::strcmp(a->name, b->name) == 0 && std::strcmp(a->server, b->server) == 0 &&
           a->language == b->language && a->sensitivity == b->sensitivity &&
           a->invert_mouse == b->invert_mouse && a->multisampling == b->multisampling &&
           a->anisotropy == b->anisotropy && a->wide_fov == b->wide_fov && a->windowed == b->windowed;
}

int game_settings_parse(const char* bytes, size_t n, game_settings_t* out) {
    *out = game_settings_defaults();
    parse_t p{};
    size_t pos = 0;
    // A byte-order mark from an editor is not part of the first key.
    if (n >= 3 && std::memcmp(bytes, "\xEF\xBB\xBF", 3) == 0) pos = 3;
    while (pos < n) {
        p.line++;
        const char* nl = static_cast<const char*>(std::memchr(bytes + pos, '\n', n - pos));
        const size_t end = nl ? static_cast<size_t>(nl - bytes) : n;
        size_t len = end - pos;
        if (len > 0 && bytes[end - 1] == '\r') len--;
        if (len > static_cast<size_t>(GAME_SETTINGS_LINE_MAX))
            complain(&p, "too long");
        else
            parse_line(&p, bytes + pos, len, out);
        pos = end + 1;
    }
    if (p.bad > 0) return GAME_SETTINGS_DAMAGED;
    return p.settings > 0 ? GAME_SETTINGS_READ : GAME_SETTINGS_EMPTY;
}

int game_settings_load(const char* path, game_settings_t* out) {
    *out = game_settings_defaults();
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        if (errno == ENOENT) {
            kxLog("Settings: no file [%s], defaults \n", path);
            return GAME_SETTINGS_MISSING;
        }
        kxLog("Settings: cannot read [%s]: %s, defaults \n", path, std::strerror(errno));
        return GAME_SETTINGS_UNREADABLE;
    }
    char text[GAME_SETTINGS_FILE_MAX + 1];
    size_t n = std::fread(text, 1, sizeof text, f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        kxLog("Settings: cannot read [%s], defaults \n", path);
        return GAME_SETTINGS_UNREADABLE;
    }
    const bool oversized = n > static_cast<size_t>(GAME_SETTINGS_FILE_MAX);
    if (oversized) {
        // Only whole lines count: a value cut at the limit would be read wrong.
        n = GAME_SETTINGS_FILE_MAX;
        while (n > 0 && text[n - 1] != '\n') n--;
        kxLog("Settings: [%s] is longer than %d bytes, the rest is ignored \n", path, GAME_SETTINGS_FILE_MAX);
    }
    int status = game_settings_parse(text, n, out);
    if (oversized) status = GAME_SETTINGS_DAMAGED;
    if (status == GAME_SETTINGS_READ)
        kxLog("Settings: read [%s] \n", path);
    else if (status == GAME_SETTINGS_EMPTY)
        kxLog("Settings: [%s] holds no settings, defaults \n", path);
    else
        kxLog("Settings: [%s] is damaged, defaults for what could not be read \n", path);
    return status;
}

int game_settings_format(const game_settings_t* in, char* text, size_t cap) {
    const int n =
        std::snprintf(text, cap,
                      "# Ironvale settings, written by the game when an option changes.\n"
                      "name = %s\nserver = %s\nlanguage = %s\nmouse_sensitivity = %.9g\n"
                      "invert_mouse = %d\nmultisampling = %d\nanisotropy = %d\nwide_fov = %d\n"
                      "windowed = %d\n",
                      in->name, in->server, kLanguages[in->language ? 1 : 0], in->sensitivity,
                      in->invert_mouse, in->multisampling, in->anisotropy, in->wide_fov, in->windowed);
    return n < 0 || static_cast<size_t>(n) >= cap ? -1 : n;
}

int game_settings_save(const char* path, const game_settings_t* in) {
    const size_t len = strnlen(path, GAME_SETTINGS_PATH_SIZE);
    char text[512];  // the longest record takes under 400 bytes
    const int n = game_settings_format(in, text, sizeof text);
    if (len >= static_cast<size_t>(GAME_SETTINGS_PATH_SIZE) || n < 0) {
        kxLog("Settings: cannot write [%.80s...]: too long \n", path);
        return -1;
    }
    // Beside the file, so the rename stays on one file system; the process id keeps two
    // games from writing the same temporary file.
    char tmp[GAME_SETTINGS_PATH_SIZE + 32];
    std::snprintf(tmp, sizeof tmp, "%s.%ld.tmp", path, process_id());
    make_parents(path, len);
    std::FILE* f = std::fopen(tmp, "wb");
    if (!f) {
        kxLog("Settings: cannot write [%s]: %s \n", tmp, std::strerror(errno));
        return -1;
    }
    bool ok = std::fwrite(text, 1, static_cast<size_t>(n), f) == static_cast<size_t>(n);
    ok = std::fflush(f) == 0 && ok;
#ifndef _WIN32
    // On disk before the rename, so a power cut leaves the old file or the new one.
    ok = fsync(fileno(f)) == 0 && ok;
#endif
    ok = std::fclose(f) == 0 && ok;
    if (!ok || replace_file(tmp, path) != 0) {
        kxLog("Settings: cannot write [%s]: %s \n", path, std::strerror(errno));
        std::remove(tmp);
        return -1;
    }
    kxLog("Settings: saved [%s] \n", path);
    return 0;
}

int game_settings_path_from(const char* xdg, const char* home, char* out, size_t cap) {
    int n = -1;
    if (xdg && xdg[0] == '/')
        n = std::snprintf(out, cap, "%s/ironvale/settings.ini", xdg);
    else if (home && home[0])
        n = std::snprintf(out, cap, "%s/.config/ironvale/settings.ini", home);
    if (n < 0 || static_cast<size_t>(n) >= cap) {
        if (cap > 0) out[0] = 0;
        return -1;
    }
    return 0;
}

int game_settings_path(char* out, size_t cap) {
#ifdef _WIN32
    const char* appdata = std::getenv("APPDATA");
    const int n = appdata && appdata[0] ? std::snprintf(out, cap, "%s\\ironvale\\settings.ini", appdata) : -1;
    if (n < 0 || static_cast<size_t>(n) >= cap) {
        if (cap > 0) out[0] = 0;
        return -1;
    }
    return 0;
#else
    return game_settings_path_from(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME"), out, cap);
#endif
}
