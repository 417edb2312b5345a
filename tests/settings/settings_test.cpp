// The settings file on its own: every key written and read back, what damaged, partial
// and hand-edited files give, clamping, the file's place, and writing that never leaves
// half a file. Files live in a fresh folder under the test's temporary directory.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "game/game_settings.h"
#include "support/test_files.h"

namespace {

using edit_t = std::function<void(game_settings_t*)>;

game_settings_t with(const edit_t& edit) {
    game_settings_t s = game_settings_defaults();
    if (edit) edit(&s);
    return s;
}

void expect_same(const game_settings_t& got, const game_settings_t& want, const std::string& where) {
    EXPECT_STREQ(got.name, want.name) << where;
    EXPECT_STREQ(got.server, want.server) << where;
    EXPECT_EQ(got.language, want.language) << where;
    EXPECT_EQ(got.sensitivity, want.sensitivity) << where;
    EXPECT_EQ(got.invert_mouse, want.invert_mouse) << where;
    EXPECT_EQ(got.multisampling, want.multisampling) << where;
    EXPECT_EQ(got.anisotropy, want.anisotropy) << where;
    EXPECT_EQ(got.wide_fov, want.wide_fov) << where;
    EXPECT_EQ(got.windowed, want.windowed) << where;
}

// A fresh folder, removed again when the test ends.
struct scratch_t {
    std::string path;
    scratch_t() {
        const char* base = std::getenv("TMPDIR");
        path = std::string(base && *base ? base : "/tmp") + "/settings_test.XXXXXX";
        if (!mkdtemp(path.data())) ADD_FAILURE() << "no temporary folder";
    }
    ~scratch_t() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
};

void write_file(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

std::vector<std::string> entries(const std::string& dir) {
    std::vector<std::string> out;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                out.push_back(e->d_name);
        closedir(d);
    }
    return out;
}

// A literal with the NUL bytes inside it.
template <size_t N>
std::string bytes(const char (&lit)[N]) {
    return std::string(lit, N - 1);
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; i++) out += s;
    return out;
}

int parse(const std::string& text, game_settings_t* out) {
    return game_settings_parse(text.data(), text.size(), out);
}

TEST(Settings, DefaultsAreTheGameWithoutAFile) {
    const game_settings_t d = game_settings_defaults();
    EXPECT_STREQ(d.name, "");
    EXPECT_STREQ(d.server, "");
    EXPECT_EQ(d.language, 0);
    EXPECT_EQ(d.sensitivity, 0.5f);  // the slider's place in the GUI file
    EXPECT_EQ(d.invert_mouse + d.multisampling + d.anisotropy + d.wide_fov + d.windowed, 0);
}

TEST(Settings, WrittenTextIsOneLinePerKey) {
    const game_settings_t s = with([](game_settings_t* x) {
        std::strcpy(x->name, "Zed");
        std::strcpy(x->server, "10.0.0.2:4000");
        x->language = 1;
        x->sensitivity = 0.25f;
        x->invert_mouse = 1;
        x->wide_fov = 1;
    });
    char text[512];
    const char* want =
        "# Ironvale settings, written by the game when an option changes.\n"
        "name = Zed\nserver = 10.0.0.2:4000\nlanguage = ru\nmouse_sensitivity = 0.25\n"
        "invert_mouse = 1\nmultisampling = 0\nanisotropy = 0\nwide_fov = 1\nwindowed = 0\n";
    EXPECT_EQ(game_settings_format(&s, text, sizeof text), static_cast<int>(std::strlen(want)));
    EXPECT_STREQ(text, want);
    EXPECT_EQ(game_settings_format(&s, text, std::strlen(want)), -1) << "no room for the NUL";
}

// Every key with values away from its default, each alone and all together.
TEST(Settings, EveryKeyRoundTrips) {
    const std::vector<std::pair<const char*, edit_t>> rows = {
        {"name", [](game_settings_t* s) { std::strcpy(s->name, "Ann-Marie [x] 7"); }},
        {"31-character name",
         [](game_settings_t* s) { std::strcpy(s->name, "abcdefghijklmnopqrstuvwxyz01234"); }},
        {"Windows-1251 name", [](game_settings_t* s) { std::strcpy(s->name, "\xC8\xE3\xF0\xEE\xEA"); }},
        {"server", [](game_settings_t* s) { std::strcpy(s->server, "play.example.org:25281"); }},
        {"63-character server", [](game_settings_t* s) { std::memset(s->server, 'h', 63); }},
        {"language", [](game_settings_t* s) { s->language = 1; }},
        {"sensitivity 0", [](game_settings_t* s) { s->sensitivity = 0.0f; }},
        {"sensitivity 1", [](game_settings_t* s) { s->sensitivity = 1.0f; }},
        {"sensitivity from a drag", [](game_settings_t* s) { s->sensitivity = 0.372549027f; }},
        {"invert", [](game_settings_t* s) { s->invert_mouse = 1; }},
        {"multisampling", [](game_settings_t* s) { s->multisampling = 1; }},
        {"anisotropy", [](game_settings_t* s) { s->anisotropy = 1; }},
        {"wide fov", [](game_settings_t* s) { s->wide_fov = 1; }},
        {"windowed", [](game_settings_t* s) { s->windowed = 1; }},
        {"all",
         [](game_settings_t* s) {
             std::strcpy(s->name, "Bob");
             std::strcpy(s->server, "localhost:1");
             s->language = 1;
             s->sensitivity = 0.1f;
             s->invert_mouse = s->multisampling = s->anisotropy = s->wide_fov = s->windowed = 1;
         }},
    };
    const scratch_t scratch;
    const std::string& dir = scratch.path;
    const std::string path = dir + "/settings.ini";
    for (const auto& [label, edit] : rows) {
        const game_settings_t want = with(edit);
        ASSERT_EQ(game_settings_save(path.c_str(), &want), 0) << label;
        game_settings_t got;
        std::memset(&got, 0x5A, sizeof got);
        EXPECT_EQ(game_settings_load(path.c_str(), &got), GAME_SETTINGS_READ) << label;
        expect_same(got, want, label);
        EXPECT_EQ(game_settings_same(&got, &want), 1) << label;
    }
}

// Differences in any one value count.
TEST(Settings, SameSeesEveryField) {
    const std::vector<edit_t> edits = {
        [](game_settings_t* s) { s->name[0] = 'x'; },    [](game_settings_t* s) { s->server[0] = 'x'; },
        [](game_settings_t* s) { s->language = 1; },     [](game_settings_t* s) { s->sensitivity = 0.5001f; },
        [](game_settings_t* s) { s->invert_mouse = 1; }, [](game_settings_t* s) { s->multisampling = 1; },
        [](game_settings_t* s) { s->anisotropy = 1; },   [](game_settings_t* s) { s->wide_fov = 1; },
        [](game_settings_t* s) { s->windowed = 1; },
    };
    const game_settings_t d = game_settings_defaults();
    for (size_t i = 0; i < edits.size(); i++) {
        const game_settings_t s = with(edits[i]);
        EXPECT_EQ(game_settings_same(&d, &s), 0) << "field " << i;
        EXPECT_EQ(game_settings_same(&s, &d), 0) << "field " << i;
    }
    EXPECT_EQ(game_settings_same(&d, &d), 1);
}

struct parse_row_t {
    const char* label;
    std::string text;
    int status;
    edit_t want;  // from the defaults
};

// Hand-edited, partial and damaged files: every good line counts, every bad one leaves
// its default, numbers are clamped into their ranges.
TEST(Settings, FilesAsFoundOnDisk) {
    const std::string huge = std::string(300, 'a') + " = 1";
    const std::vector<parse_row_t> rows = {
        {"empty", "", GAME_SETTINGS_EMPTY, nullptr},
        {"blank and comment lines", "\n  \n\t\n# name = x\n; windowed = 1\n", GAME_SETTINGS_EMPTY, nullptr},
        {"only unknown keys", "colour = red\nvolume=3\n", GAME_SETTINGS_EMPTY, nullptr},
        {"binary junk",
         bytes("\x7f"
               "ELF\x02\x01\x01\0\0\0\xff\xfe=\x01\n\x80\x81"),
         GAME_SETTINGS_DAMAGED, nullptr},
        {"a line without '='", "windowed 1\nwide_fov = 1\n", GAME_SETTINGS_DAMAGED,
         [](game_settings_t* s) { s->wide_fov = 1; }},
        {"empty number", "invert_mouse =\nmouse_sensitivity=  \n", GAME_SETTINGS_DAMAGED, nullptr},
        {"empty name and server: none saved", "name = Al\nserver = h\nname =\nserver=\n", GAME_SETTINGS_READ,
         nullptr},
        {"no line end at the end", "windowed = 1", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->windowed = 1; }},
        {"CR LF", "language = ru\r\nname = Zed\r\nanisotropy = 1\r\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) {
             s->language = 1;
             std::strcpy(s->name, "Zed");
             s->anisotropy = 1;
         }},
        {"blanks and tabs", "\t name\t=\t Al Bo \t\n  multisampling=1", GAME_SETTINGS_READ,
         [](game_settings_t* s) {
             std::strcpy(s->name, "Al Bo");
             s->multisampling = 1;
         }},
        {"the last of two wins", "language = ru\nlanguage = en\nwindowed=1\nwindowed=0\nname=A\nname=B\n",
         GAME_SETTINGS_READ, [](game_settings_t* s) { std::strcpy(s->name, "B"); }},
        {"unknown keys between", "volume = 9\nwide_fov = 1\nName = X\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->wide_fov = 1; }},
        {"section line and BOM", "\xEF\xBB\xBFinvert_mouse = 1\n[ironvale]\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->invert_mouse = 1; }},
        {"a huge line is skipped, the next is read", huge + "\nwindowed = 1\n", GAME_SETTINGS_DAMAGED,
         [](game_settings_t* s) { s->windowed = 1; }},
        {"255 bytes still a line", "name = " + std::string(248, 'n') + "\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { std::memset(s->name, 'n', 31); }},
        {"256 bytes are too long", "name = " + std::string(249, 'n') + "\r\n", GAME_SETTINGS_DAMAGED,
         nullptr},
        {"NUL inside a line", bytes("name = Bo\0b\nwide_fov=1\n"), GAME_SETTINGS_DAMAGED,
         [](game_settings_t* s) { s->wide_fov = 1; }},
        {"tab inside a name or server", "name = A\tB\nserver = h\t:1\nname = C\n", GAME_SETTINGS_DAMAGED,
         [](game_settings_t* s) { std::strcpy(s->name, "C"); }},
        {"a unit separator byte",
         "name = A\x1f"
         "B\nwide_fov=1\n",
         GAME_SETTINGS_DAMAGED, [](game_settings_t* s) { s->wide_fov = 1; }},
        {"a DEL byte", "name = A\x7f\n", GAME_SETTINGS_DAMAGED, nullptr},
        {"bytes above 127 are text", "name = \x80\x9f\xff\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { std::strcpy(s->name, "\x80\x9f\xff"); }},
        {"a BOM alone", "\xEF\xBB\xBF", GAME_SETTINGS_EMPTY, nullptr},
        {"half a BOM is a bad line", "\xEF\xBB\nwindowed = 1\n", GAME_SETTINGS_DAMAGED,
         [](game_settings_t* s) { s->windowed = 1; }},
        {"a blank CR LF line", "\r\nwindowed = 1\r\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->windowed = 1; }},
        {"an empty key", "=5\n = 6\nwide_fov=1\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->wide_fov = 1; }},
        {"'=' inside a value", "name = a=b\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { std::strcpy(s->name, "a=b"); }},
        {"sensitivity above 1", "mouse_sensitivity = 7\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->sensitivity = 1.0f; }},
        {"sensitivity below 0", "mouse_sensitivity = -0.25\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->sensitivity = 0.0f; }},
        {"sensitivity inf", "mouse_sensitivity = -inf\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->sensitivity = 0.0f; }},
        {"sensitivity exactly 1", "mouse_sensitivity = 1\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->sensitivity = 1.0f; }},
        {"sensitivity nan", "mouse_sensitivity = nan\n", GAME_SETTINGS_DAMAGED, nullptr},
        {"sensitivity with a tail", "mouse_sensitivity = 0.3x\n", GAME_SETTINGS_DAMAGED, nullptr},
        {"flags above 1 and below 0", "invert_mouse = 5\nwide_fov = -2\nwindowed = 99999999999999999999\n",
         GAME_SETTINGS_READ,
         [](game_settings_t* s) {
             s->invert_mouse = 1;
             s->windowed = 1;
         }},
        {"flag words", "multisampling = Yes\nanisotropy = on\nwide_fov = TRUE\ninvert_mouse = off\n",
         GAME_SETTINGS_READ, [](game_settings_t* s) { s->multisampling = s->anisotropy = s->wide_fov = 1; }},
        {"flag words for 0", "windowed = 1\nwindowed = NO\nwide_fov = 1\nwide_fov = FALSE\n",
         GAME_SETTINGS_READ, nullptr},
        {"flag 10 is above 1", "windowed = 10\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->windowed = 1; }},
        {"flag not a number", "windowed = 1x\nwide_fov = -\ninvert_mouse = +1\n", GAME_SETTINGS_DAMAGED,
         [](game_settings_t* s) { s->invert_mouse = 1; }},
        {"language in capitals", "language = RU\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { s->language = 1; }},
        {"unknown language", "language = ru\nlanguage = de\nlanguage = r\n", GAME_SETTINGS_DAMAGED,
         [](game_settings_t* s) { s->language = 1; }},
        {"a long name is cut to 31", "name = " + std::string(40, 'k') + "\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { std::memset(s->name, 'k', 31); }},
        {"a cut name loses its last blanks", "name = " + std::string(29, 'k') + "   x\n", GAME_SETTINGS_READ,
         [](game_settings_t* s) { std::memset(s->name, 'k', 29); }},
        {"a long server is refused", "server = a\nserver = " + std::string(64, 's') + "\n",
         GAME_SETTINGS_DAMAGED, [](game_settings_t* s) { std::strcpy(s->server, "a"); }},
        {"many bad lines", std::string(2000, '\n') + repeat("junk\n", 500) + "windowed=1",
         GAME_SETTINGS_DAMAGED, [](game_settings_t* s) { s->windowed = 1; }},
    };
    for (const parse_row_t& row : rows) {
        game_settings_t got;
        std::memset(&got, 0x5A, sizeof got);
        EXPECT_EQ(parse(row.text, &got), row.status) << row.label;
        expect_same(got, with(row.want), row.label);
    }
}

// A name of exactly 31 characters is kept whole, 32 are cut; 63 server characters fit, 64 do not.
TEST(Settings, TextLimits) {
    game_settings_t s;
    EXPECT_EQ(parse("name = " + std::string(31, 'a') + "\nserver = " + std::string(63, 'b'), &s),
              GAME_SETTINGS_READ);
    EXPECT_EQ(std::string(s.name), std::string(31, 'a'));
    EXPECT_EQ(std::string(s.server), std::string(63, 'b'));
    EXPECT_EQ(parse("name = " + std::string(32, 'a') + "\nserver = " + std::string(64, 'b'), &s),
              GAME_SETTINGS_DAMAGED);
    EXPECT_EQ(std::string(s.name), std::string(31, 'a'));
    EXPECT_STREQ(s.server, "");
}

TEST(Settings, LoadTellsWhatItFound) {
    const scratch_t scratch;
    const std::string& dir = scratch.path;
    game_settings_t s;
    std::memset(&s, 0x5A, sizeof s);
    EXPECT_EQ(game_settings_load((dir + "/none.ini").c_str(), &s), GAME_SETTINGS_MISSING);
    expect_same(s, game_settings_defaults(), "missing");

    std::memset(&s, 0x5A, sizeof s);
    EXPECT_EQ(game_settings_load(dir.c_str(), &s), GAME_SETTINGS_UNREADABLE) << "a folder";
    expect_same(s, game_settings_defaults(), "folder");

    write_file(dir + "/empty.ini", "");
    EXPECT_EQ(game_settings_load((dir + "/empty.ini").c_str(), &s), GAME_SETTINGS_EMPTY);

    write_file(dir + "/bad.ini", "windowed\nwide_fov = 1\n");
    EXPECT_EQ(game_settings_load((dir + "/bad.ini").c_str(), &s), GAME_SETTINGS_DAMAGED);
    EXPECT_EQ(s.wide_fov, 1);

    // Past the first 16384 bytes nothing is read, and the line cut there is dropped whole.
    std::string big = "windowed = 1\n";
    big += std::string(16384 - big.size() - 13, '\n');
    big += "wide_fov = 1\n";      // ends exactly at byte 16384
    big += "invert_mouse = 1\n";  // beyond
    write_file(dir + "/big.ini", big);
    EXPECT_EQ(game_settings_load((dir + "/big.ini").c_str(), &s), GAME_SETTINGS_DAMAGED);
    EXPECT_EQ(s.windowed, 1);
    EXPECT_EQ(s.wide_fov, 1);
    EXPECT_EQ(s.invert_mouse, 0);

    big = std::string(16384 - 9, '\n') + "name = Cutoff\n";
    write_file(dir + "/cut.ini", big);
    EXPECT_EQ(game_settings_load((dir + "/cut.ini").c_str(), &s), GAME_SETTINGS_DAMAGED);
    EXPECT_STREQ(s.name, "") << "\"name = Cu\" cut at the limit is not a name";

    big = std::string(16384 - 13, '\n') + "windowed = 1\n";
    write_file(dir + "/full.ini", big);
    EXPECT_EQ(game_settings_load((dir + "/full.ini").c_str(), &s), GAME_SETTINGS_READ) << "exactly the limit";
    EXPECT_EQ(s.windowed, 1);
}

TEST(Settings, SaveMakesTheFoldersAndLeavesNoTemporaryFile) {
    const scratch_t scratch;
    const std::string& dir = scratch.path;
    const std::string path = dir + "/a/b/ironvale/settings.ini";
    game_settings_t s = with([](game_settings_t* x) { x->windowed = 1; });
    ASSERT_EQ(game_settings_save(path.c_str(), &s), 0);
    char want[512];
    game_settings_format(&s, want, sizeof want);
    EXPECT_EQ(read_file(path), want);
    EXPECT_EQ(entries(dir + "/a/b/ironvale"), std::vector<std::string>{"settings.ini"});
    struct stat st {};
    ASSERT_EQ(stat((dir + "/a/b/ironvale").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << "a config folder is the user's own";

    // A second write replaces the first whole.
    s = with([](game_settings_t* x) { std::strcpy(x->name, "Second"); });
    ASSERT_EQ(game_settings_save(path.c_str(), &s), 0);
    game_settings_format(&s, want, sizeof want);
    EXPECT_EQ(read_file(path), want);
    EXPECT_EQ(entries(dir + "/a/b/ironvale"), std::vector<std::string>{"settings.ini"});
}

TEST(Settings, FailedSaveKeepsTheOldFile) {
    const scratch_t scratch;
    const std::string& dir = scratch.path;
    // A file where the folder should be: nothing can be made beneath it.
    write_file(dir + "/ironvale", "not a folder");
    const game_settings_t s = game_settings_defaults();
    EXPECT_EQ(game_settings_save((dir + "/ironvale/settings.ini").c_str(), &s), -1);
    EXPECT_EQ(read_file(dir + "/ironvale"), "not a folder");

    // The target is a folder that cannot be replaced: the rename fails, the temporary goes.
    const std::string path = dir + "/cfg";
    ASSERT_EQ(mkdir(path.c_str(), 0700), 0);
    write_file(path + "/keep", "x");
    EXPECT_EQ(game_settings_save(path.c_str(), &s), -1);
    EXPECT_EQ(entries(dir).size(), 2u) << "no temporary file left beside it";

    for (size_t len : {size_t{GAME_SETTINGS_PATH_SIZE}, size_t{5000}}) {
        const std::string too_long = dir + "/" + std::string(len - dir.size() - 1, 'p');
        EXPECT_EQ(game_settings_save(too_long.c_str(), &s), -1) << len;
    }
    EXPECT_EQ(entries(dir).size(), 2u);
}

// A write the file system refuses part way (here: the file size limit) leaves the old
// file whole and no temporary file.
TEST(Settings, AWriteThatFailsKeepsTheOldFile) {
    const scratch_t scratch;
    const std::string path = scratch.path + "/settings.ini";
    const game_settings_t old = with([](game_settings_t* x) { std::strcpy(x->name, "Old"); });
    ASSERT_EQ(game_settings_save(path.c_str(), &old), 0);
    const std::string before = read_file(path);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 40;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const game_settings_t next = with([](game_settings_t* x) { std::strcpy(x->name, "New"); });
    const int result = game_settings_save(path.c_str(), &next);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(read_file(path), before);
    EXPECT_EQ(entries(scratch.path), std::vector<std::string>{"settings.ini"});
}

// Reading closes the file: a hundred reads fit in 32 descriptors.
TEST(Settings, ReadingKeepsNoFileOpen) {
    const scratch_t scratch;
    const std::string path = scratch.path + "/settings.ini";
    write_file(path, "windowed = 1\n");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit few = saved;
    few.rlim_cur = 32;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &few), 0);
    int read = 0;
    game_settings_t s;
    for (int i = 0; i < 100; i++) read += game_settings_load(path.c_str(), &s) == GAME_SETTINGS_READ;
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(read, 100);
}

// The log tells what was wrong where, one line each, and a junk file costs eight lines at most.
TEST(Settings, LogLines) {
    game_settings_t s;
    testing::internal::CaptureStdout();
    parse("invert_mouse = 5\nmouse_sensitivity = -2\nname = " + std::string(35, 'n') +
              "\nwindowed = 1\nvolume = 3\nwindowed\nwide_fov = 0\nmouse_sensitivity = 0.5\nname = Al\n",
          &s);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Settings: line 1: 5 is out of range, 1 used \n"
              "Settings: line 2: -2 is out of range, 0 used \n"
              "Settings: line 3: cut to 31 characters \n"
              "Settings: line 5: unknown key [volume] ignored \n"
              "Settings: line 6 ignored: no '=' \n");

    testing::internal::CaptureStdout();
    parse(repeat("junk\n", 20), &s);
    std::string want;
    for (int i = 1; i <= 8; i++) want += "Settings: line " + std::to_string(i) + " ignored: no '=' \n";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), want);

    const scratch_t scratch;
    const std::string d = scratch.path;
    write_file(d + "/good.ini", "windowed = 1\n");
    write_file(d + "/empty.ini", "# nothing\n");
    write_file(d + "/bad.ini", "windowed\n");
    testing::internal::CaptureStdout();
    for (const char* f : {"/none.ini", "/good.ini", "/empty.ini", "/bad.ini"})
        game_settings_load((d + f).c_str(), &s);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Settings: no file [" + d +
                  "/none.ini], defaults \n"
                  "Settings: read [" +
                  d +
                  "/good.ini] \n"
                  "Settings: [" +
                  d +
                  "/empty.ini] holds no settings, defaults \n"
                  "Settings: line 1 ignored: no '=' \n"
                  "Settings: [" +
                  d + "/bad.ini] is damaged, defaults for what could not be read \n");
}

TEST(Settings, PathFollowsTheEnvironment) {
    struct row_t {
        const char* xdg;
        const char* home;
        int result;
        const char* path;
    };
    const row_t rows[] = {
        {"/cfg", "/home/p", 0, "/cfg/ironvale/settings.ini"},
        {nullptr, "/home/p", 0, "/home/p/.config/ironvale/settings.ini"},
        {"", "/home/p", 0, "/home/p/.config/ironvale/settings.ini"},
        {"relative/cfg", "/home/p", 0, "/home/p/.config/ironvale/settings.ini"},
        {"/cfg", nullptr, 0, "/cfg/ironvale/settings.ini"},
        {nullptr, "/", 0, "//.config/ironvale/settings.ini"},
        {nullptr, nullptr, -1, ""},
        {"", "", -1, ""},
    };
    for (const row_t& r : rows) {
        char out[GAME_SETTINGS_PATH_SIZE] = "junk";
        EXPECT_EQ(game_settings_path_from(r.xdg, r.home, out, sizeof out), r.result) << r.path;
        EXPECT_STREQ(out, r.path);
    }
    char small[26] = "junk";  // "/cfg/ironvale/settings.ini" is 26 characters
    EXPECT_EQ(game_settings_path_from("/cfg", nullptr, small, sizeof small), -1);
    EXPECT_STREQ(small, "");
    char one[1] = {'j'};
    EXPECT_EQ(game_settings_path_from("/cfg", nullptr, one, sizeof one), -1);
    EXPECT_EQ(one[0], 0);
    char fits[27];
    EXPECT_EQ(game_settings_path_from("/cfg", nullptr, fits, sizeof fits), 0);

    // The process's own environment.
    setenv("XDG_CONFIG_HOME", "/tmp/xdg-here", 1);
    char out[GAME_SETTINGS_PATH_SIZE];
    EXPECT_EQ(game_settings_path(out, sizeof out), 0);
    EXPECT_STREQ(out, "/tmp/xdg-here/ironvale/settings.ini");
    unsetenv("XDG_CONFIG_HOME");
    setenv("HOME", "/tmp/home-here", 1);
    EXPECT_EQ(game_settings_path(out, sizeof out), 0);
    EXPECT_STREQ(out, "/tmp/home-here/.config/ironvale/settings.ini");
}

}  // namespace
