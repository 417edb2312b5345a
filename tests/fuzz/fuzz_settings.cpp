// libFuzzer harness for the settings file reader: any bytes give a complete record within
// every range, and that record written out and read again is the same record. The log
// (standard output) goes to /dev/null.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "game/game_settings.h"

namespace {

void check(bool ok) {
    if (!ok) __builtin_trap();
}

void check_text(const char* s, size_t size) {
    const size_t n = strnlen(s, size);
    check(n < size);
    for (size_t i = 0; i < n; i++) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        check(c >= 32 && c != 127);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::freopen("/dev/null", "w", stdout)) return 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    game_settings_t s;
    const int status = game_settings_parse(reinterpret_cast<const char*>(data), size, &s);
    check(status == GAME_SETTINGS_READ || status == GAME_SETTINGS_EMPTY || status == GAME_SETTINGS_DAMAGED);
    check_text(s.name, sizeof s.name);
    check_text(s.server, sizeof s.server);
    for (int flag : {s.language, s.invert_mouse, s.multisampling, s.anisotropy, s.wide_fov, s.windowed})
        check(flag == 0 || flag == 1);
    check(s.sensitivity >= 0.0f && s.sensitivity <= 1.0f);

    char text[512];
    const int n = game_settings_format(&s, text, sizeof text);
    check(n > 0);
    game_settings_t again;
    check(game_settings_parse(text, static_cast<size_t>(n), &again) == GAME_SETTINGS_READ);
    check(game_settings_same(&s, &again) == 1);
    return 0;
}
