// The player's saved settings: nine values kept in a small "key = value" text file
// between runs (settings.ini in the per-user config folder). Reading never fails
// hard: whatever the file holds, the caller gets a complete record, each value
// either read, clamped into its range, or the default. Writing goes through a
// temporary file and a rename, so a crash never leaves half a file.
// Depends on kx_log and the C library only (no GUI, no GL), so tests and the
// fuzz harness link it alone.
#pragma once

#include <cstddef>

constexpr int GAME_SETTINGS_NAME_SIZE = 32;    // 31 characters, as the name field and netman take
constexpr int GAME_SETTINGS_SERVER_SIZE = 64;  // 63 characters, as the server field takes
constexpr int GAME_SETTINGS_PATH_SIZE = 1024;
constexpr int GAME_SETTINGS_FILE_MAX = 16384;  // bytes read at most; the rest is ignored
constexpr int GAME_SETTINGS_LINE_MAX = 255;    // longer lines are skipped whole

// One record of everything kept. Booleans are 0 or 1.
struct game_settings_t {
    char name[GAME_SETTINGS_NAME_SIZE];      // player name; "" = none saved (the GUI's own text)
    char server[GAME_SETTINGS_SERVER_SIZE];  // "host" or "host:port"; "" = none saved
    int language;                            // 0 English, 1 Russian (key: en or ru)
    float sensitivity;                       // mouse sensitivity slider, 0 to 1 (0.5)
    int invert_mouse;                        // 0
    int multisampling;                       // 0
    int anisotropy;                          // 0
    int wide_fov;                            // 0
    int windowed;                            // 0: fullscreen
};

// What reading found.
enum {
    GAME_SETTINGS_READ = 0,       // every line understood (unknown keys are fine)
    GAME_SETTINGS_MISSING = 1,    // no file: the defaults
    GAME_SETTINGS_EMPTY = 2,      // a file without a single setting: the defaults
    GAME_SETTINGS_DAMAGED = 3,    // some lines or values were unusable: defaults for those
    GAME_SETTINGS_UNREADABLE = 4  // the file exists but could not be read: the defaults
};

// The defaults: the game as it starts without a file.
game_settings_t game_settings_defaults();

// 1 when a and b hold the same values.
int game_settings_same(const game_settings_t* a, const game_settings_t* b);

// Parse n bytes of file text (any bytes; no NUL needed) into out, which starts from the
// defaults. Lines "key = value" (blanks around both, CR LF or LF, the last line may lack
// its end); '#' and ';' start comment lines; an unknown key is ignored; the last of
// duplicate keys wins. Numbers outside their range are clamped, a value that cannot be
// used leaves the default. Returns GAME_SETTINGS_READ, _EMPTY or _DAMAGED; logs each
// problem (at most a few lines per call).
int game_settings_parse(const char* bytes, size_t n, game_settings_t* out);

// Read the file at path (the first GAME_SETTINGS_FILE_MAX bytes) into out; a missing
// or unreadable file gives the defaults. Returns a GAME_SETTINGS_* status and logs it.
int game_settings_load(const char* path, game_settings_t* out);

// The file text for in: one "key = value" line per setting, after a comment line.
// Returns the length written (NUL not counted), or -1 when cap is too small.
int game_settings_format(const game_settings_t* in, char* text, size_t cap);

// Write in to path: the folder (and its parents) made when missing, the text written to
// a temporary file beside it, then renamed over path. 0, or -1 with a log line.
int game_settings_save(const char* path, const game_settings_t* in);

// The file's path from the environment's values (null or "" when unset):
// <xdg>/ironvale/settings.ini when xdg is absolute, else <home>/.config/ironvale/settings.ini.
// 0, or -1 when neither gives a place or the path does not fit cap.
int game_settings_path_from(const char* xdg, const char* home, char* out, size_t cap);

// The path for this user: from XDG_CONFIG_HOME and HOME; on Windows
// %APPDATA%\ironvale\settings.ini. 0, or -1 (out = "") when there is no place.
int game_settings_path(char* out, size_t cap);
