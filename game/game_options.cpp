// Command-line parsing (see game_options.h).
#include "game/game_options.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

game_options_t game_options;

namespace {

bool parse_size(const char* s, int* w, int* h) {
    char* end = nullptr;
    const long a = std::strtol(s, &end, 10);
    if (end == s || (*end != 'x' && *end != 'X')) return false;
    const char* rest = end + 1;
    const long b = std::strtol(rest, &end, 10);
    if (end == rest || *end != 0) return false;
    if (a < 64 || b < 64 || a > 16384 || b > 16384) return false;
    *w = static_cast<int>(a);
    *h = static_cast<int>(b);
    return true;
}

}  // namespace

int game_options_parse(int argc, char** argv, game_options_t* out, char* err, size_t err_size) {
    *out = game_options_t{};
    out->seed = 1;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!std::strcmp(a, "--windowed")) {
            out->windowed = 1;
        } else if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            out->help = 1;
        } else if (!std::strcmp(a, "--version")) {
            out->version = 1;
        } else if (!std::strcmp(a, "--size")) {
            if (!next || !parse_size(next, &out->width, &out->height)) {
                std::snprintf(err, err_size, "--size wants WIDTHxHEIGHT, 64 to 16384 each");
                return 0;
            }
            i++;
        } else if (!std::strcmp(a, "--benchmark")) {
            char* end = nullptr;
            const double s = next ? std::strtod(next, &end) : 0;
            if (!next || end == next || *end != 0 || !(s > 0) || s > 86400) {
                std::snprintf(err, err_size, "--benchmark wants a number of seconds above 0");
                return 0;
            }
            out->bench = 1;
            out->bench_seconds = s;
            i++;
        } else if (!std::strcmp(a, "--seed")) {
            char* end = nullptr;
            const unsigned long s = next ? std::strtoul(next, &end, 10) : 0;
            if (!next || end == next || *end != 0) {
                std::snprintf(err, err_size, "--seed wants a whole number");
                return 0;
            }
            out->seed = static_cast<unsigned>(s);
            i++;
        } else if (!std::strcmp(a, "--connect") || !std::strcmp(a, "--name")) {
            if (!next || !*next) {
                std::snprintf(err, err_size, "%s wants a value", a);
                return 0;
            }
            (a[2] == 'c' ? out->connect : out->name) = next;
            i++;
        } else {
            std::snprintf(err, err_size, "unknown option %s (try --help)", a);
            return 0;
        }
    }
    return 1;
}

const char* game_options_usage() {
    return "usage: ironvale-x11 [--windowed] [--size WxH] [--benchmark SECONDS [--seed S]]\n"
           "                    [--connect HOST[:PORT]] [--name NAME] [--help] [--version]\n"
           "  --windowed           play in a window instead of fullscreen\n"
           "  --size WxH           window size in pixels (default 1024x600)\n"
           "  --benchmark SECONDS  skip the menus, play single player with the player turning on the\n"
           "                       spot, then print one JSON line of frame statistics and leave\n"
           "  --seed S             random seed of the benchmark game (default 1)\n"
           "  --connect HOST[:PORT] the server of the multiplayer screen (else $IRONVALE_SERVER,\n"
           "                       else localhost; port 25280); with --name, join it at once\n"
           "  --name NAME          the player name for network play\n"
           "  --help, --version    print this or the version and leave\n";
}
