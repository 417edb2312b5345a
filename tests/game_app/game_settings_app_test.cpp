// Saved settings in the real game: the program started in-process on the test display
// with a settings file in a private XDG_CONFIG_HOME shows the saved language, name,
// server and options, keeps the command line's window mode for the run without saving
// it, and rewrites the file when the player changes an option, the language or connects.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"
#include "game/draw/game_fbo.h"
#include "game/game_controls.h"
#include "game/game_loader.h"
#include "game/game_main.h"
#include "game/game_options.h"
#include "game/game_settings.h"
#include "game/menu/game_menu.h"
#include "game/net/game_net_connect.h"
#include "game/sim/game_world.h"
#include "support/test_files.h"
#include "tests/game_app/game_in_process.h"

namespace {

void frame(int dt) { game_test_frame(dt); }

int checked(int i) { return (kx_gui.items[i].flags & KX_GUI_CHECKED) ? 1 : 0; }

class GameSettings : public ::testing::Test {
   protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
        std::setvbuf(stdout, nullptr, _IOLBF, 0);
        dir_ = std::filesystem::temp_directory_path() / ("game_settings_app." + std::to_string(getpid()));
        std::filesystem::create_directories(dir_ / "ironvale");
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        path_ = (dir_ / "ironvale" / "settings.ini").string();
    }
    void TearDown() override {
        if (started_) kxAppTerm();
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    void write(const std::string& text) {
        std::FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    // The program's own start-up, windowed as --windowed would ask, up to the main menu.
    void start() {
        ASSERT_TRUE(game_test_start_windowed());
        started_ = true;
        ASSERT_TRUE(game_test_load_to_menu());
        frame(10);
    }
    // The file holds exactly want (read back as the game would read it).
    bool file_holds(const game_settings_t& want) {
        game_settings_t s;
        return game_settings_load(path_.c_str(), &s) == GAME_SETTINGS_READ && game_settings_same(&s, &want);
    }

    std::filesystem::path dir_;
    std::string path_;
    bool started_ = false;
};

TEST_F(GameSettings, StartsAsSavedAndSavesWhatThePlayerChanges) {
    const std::string file =
        "name = Zed\nserver = 127.0.0.1:1\nlanguage = ru\nmouse_sensitivity = 0.75\ninvert_mouse = 1\n"
        "multisampling = 1\nanisotropy = 1\nwide_fov = 1\nwindowed = 0\ncolour = red\n";
    write(file);
    start();
    EXPECT_EQ(game_menu.language, 1);
    EXPECT_STREQ(kx_gui.items[28].text, "\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8")
        << "the options title in Russian";
    EXPECT_STREQ(kx_gui.items[GAME_ITEM_NAME].text, "Zed");
    EXPECT_STREQ(kx_gui.items[GAME_ITEM_SERVER_FIELD].text, "127.0.0.1:1");
    EXPECT_EQ(kx_gui_param(&kx_gui.items[GAME_ITEM_SENSITIVITY], 0), 0.75f);
    EXPECT_EQ(game_world.mouse_invert, 1);
    EXPECT_EQ(ms_enabled, 1);
    EXPECT_EQ(game_menu.anisotropy, 1);
    for (int i : {29, 30, 32, 34}) EXPECT_EQ(checked(i), 1) << "item " << i;
    EXPECT_EQ(checked(GAME_ITEM_FULLSCREEN_OPTION), 1) << "--windowed wins for this run, and the box says so";
    EXPECT_EQ(read_file(path_), file) << "reading alone writes nothing";

    // Unticking invert rewrites the file; the run's --windowed is not saved with it.
    kx_gui_set_hover(32);
    kx_gui_activate();
    EXPECT_EQ(game_world.mouse_invert, 0);
    game_settings_t want = game_settings_defaults();
    std::strcpy(want.name, "Zed");
    std::strcpy(want.server, "127.0.0.1:1");
    want.language = 1;
    want.sensitivity = 0.75f;
    want.multisampling = want.anisotropy = want.wide_fov = 1;
    char text[512];
    game_settings_format(&want, text, sizeof text);
    EXPECT_EQ(read_file(path_), text);

    // The wide field of view box and the window box are kept too.
    kx_gui_set_hover(34);
    kx_gui_activate();
    kx_gui_set_hover(GAME_ITEM_FULLSCREEN_OPTION);
    kx_gui_activate();
    kx_gui_set_hover(GAME_ITEM_FULLSCREEN_OPTION);
    kx_gui_activate();
    want.wide_fov = 0;
    want.windowed = 1;
    EXPECT_TRUE(file_holds(want));

    // The sensitivity slider dragged on the options screen: saved when let go.
    game_menu_options();
    for (int i = 0; i < 40; i++) frame(10);
    kxTimerUpdate(&game_menu.timer);  // the shell's loop pass would end the transition
    ASSERT_EQ(game_menu.current, GAME_SCREEN_OPTIONS);
    const kx_gui_item_t& slider = kx_gui.items[GAME_ITEM_SENSITIVITY];
    const int y = slider.y + slider.h / 2;
    const int x = slider.x + slider.h / 2 + (slider.w - slider.h) / 4;
    game_on_pointer_down(x, y);
    EXPECT_NE(kx_gui_param(&slider, 0), 0.75f) << "the press moved the knob";
    EXPECT_TRUE(file_holds(want)) << "nothing written while the button is down";
    game_on_pointer_up(x, y);
    want.sensitivity = kx_gui_param(&slider, 0);
    EXPECT_NEAR(want.sensitivity, 0.25f, 0.02f);
    EXPECT_TRUE(file_holds(want));

    // Back to English with the language button.
    kx_gui_set_hover(16);
    kx_gui_activate();
    want.language = 0;
    EXPECT_TRUE(file_holds(want));
    EXPECT_STREQ(kx_gui.items[28].text, "Options");
    EXPECT_STREQ(kx_gui.items[GAME_ITEM_NAME].text, "Zed") << "the language leaves the name alone";

    // A connect keeps the name and the server it was made with.
    kx_gui_set_text(GAME_ITEM_NAME, " Quinn ");
    kx_gui_set_text(GAME_ITEM_SERVER_FIELD, "127.0.0.1:2");
    game_menu_connect();
    game_net_leave();
    std::strcpy(want.name, "Quinn");
    std::strcpy(want.server, "127.0.0.1:2");
    EXPECT_TRUE(file_holds(want)) << read_file(path_);
}

TEST_F(GameSettings, DamagedFileStartsWithTheDefaults) {
    const char png[] = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\xff\xff=\xff\n";
    const std::string junk(png, sizeof png - 1);
    write(junk);
    start();
    EXPECT_EQ(game_menu.language, 0);
    EXPECT_STREQ(kx_gui.items[28].text, "Options");
    EXPECT_STREQ(kx_gui.items[GAME_ITEM_NAME].text, "Player");
    EXPECT_STREQ(kx_gui.items[GAME_ITEM_SERVER_FIELD].text, "localhost");
    EXPECT_EQ(kx_gui_param(&kx_gui.items[GAME_ITEM_SENSITIVITY], 0), 0.5f);
    EXPECT_EQ(game_world.mouse_invert, 0);
    EXPECT_EQ(ms_enabled, 0);
    for (int i : {29, 30, 32, 34}) EXPECT_EQ(checked(i), 0) << "item " << i;
    EXPECT_EQ(read_file(path_), junk) << "the file stays as it was until the player changes something";

    // The first change replaces it with a whole file.
    kx_gui_set_hover(29);
    kx_gui_activate();
    game_settings_t want = game_settings_defaults();
    want.multisampling = 1;
    want.windowed = 0;
    EXPECT_TRUE(file_holds(want));
}

}  // namespace
