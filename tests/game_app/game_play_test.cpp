// ironvale-x11 played as a player would: under a private Xvfb with Mesa's software GL
// and OpenAL Soft writing what it plays to a wave file, the test presses keys, moves
// the mouse and clicks through XTEST, follows the log and looks at the window.
// gtest before Xlib: Xlib's macros (None, Bool) clash with gtest's names.
#include <gtest/gtest.h>
#include <unistd.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "game_app/screen_shot.h"
#include "support/probe_run.h"

namespace fs = std::filesystem;

namespace {

void pause_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
double now_ms() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

struct camera_t {
    float x, y, z, pitch, yaw;
};

class GamePlay : public ::testing::Test {
   protected:
    probe_child_t xs, game;
    std::string display;
    Display* xd = nullptr;
    Window win = 0;
    const fs::path dir = fs::temp_directory_path() / ("ironvale_play_" + std::to_string(getpid()));
    const fs::path wave = dir / "heard.wav";

    void SetUp() override {
        fs::remove_all(dir);
        fs::create_directories(dir);
        std::ofstream(dir / "alsoft.conf")
            << "[general]\nsample-type = int16\n[wave]\nfile = " << wave.string() << "\n";
        setenv("ALSOFT_CONF", (dir / "alsoft.conf").c_str(), 1);
        setenv("ALSOFT_DRIVERS", "wave", 1);
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        ASSERT_TRUE(probe_xserver_start(&xs, &display));
        ASSERT_NE(xd = XOpenDisplay(display.c_str()), nullptr);
    }
    void TearDown() override {
        probe_kill(&game);
        if (xd) XCloseDisplay(xd);
        probe_kill(&xs, SIGTERM);
        fs::remove_all(dir);
    }
    void expect(const std::string& line) {
        ASSERT_TRUE(probe_expect(&game, line)) << "missing: " << line << "\n" << game.output;
    }
    void key(KeySym ks, int down) {
        XTestFakeKeyEvent(xd, XKeysymToKeycode(xd, ks), down, CurrentTime);
        XSync(xd, False);
    }
    void tap(KeySym ks) {
        key(ks, 1);
        pause_ms(120);
        key(ks, 0);
        pause_ms(250);
    }
    // F3 twice: free camera on (logs the camera), then off again (logs it once more).
    camera_t camera() {
        frames(3);
        tap(XK_F3);
        camera_t c{};
        if (!probe_expect(&game, "Camera: ")) return c;
        std::sscanf(game.output.c_str() + game.cursor, "%f %f %f | %f %f", &c.x, &c.y, &c.z, &c.pitch, &c.yaw);
        frames(2);
        tap(XK_F3);
        probe_expect(&game, "Camera: ");
        return c;
    }
    shot_t grab() { return screen_shot(xd, win); }
    // Milliseconds per frame from the frame rate the shell writes into the title.
    double frame_ms() {
        char* title = nullptr;
        int fps = 0;
        if (XFetchName(xd, win, &title) && title) {
            const char* comma = std::strchr(title, ',');
            if (comma) fps = std::atoi(comma + 1);
            XFree(title);
        }
        return fps > 0 ? 1000.0 / fps : 1000.0;
    }
    // Let n frames pass (at least 300 ms): input sent before is then applied.
    void frames(int n) { pause_ms(static_cast<int>(std::max(300.0, n * frame_ms()))); }
    // Grab until the window differs from `from` by more than `by` over the rectangle (20 s at most).
    shot_t changed_from(const shot_t& from, double by, int x1 = 0, int y1 = 0, int x2 = 1024, int y2 = 600) {
        shot_t s = grab();
        for (int i = 0; i < 100 && from.diff(s, x1, y1, x2, y2) <= by; i++) {
            pause_ms(200);
            s = grab();
        }
        return s;
    }
    // Grab until two grabs a few frames apart agree (a menu transition has ended).
    shot_t settled() {
        shot_t a = grab();
        for (int i = 0; i < 40; i++) {
            frames(2);
            shot_t b = grab();
            if (a.diff(b, 0, 0, a.width, a.height) < 1.0) return b;
            a = b;
        }
        return a;
    }
    // Press and release the primary button at window point (x, y).
    void click(int x, int y) {
        Window child = 0;
        XTranslateCoordinates(xd, win, DefaultRootWindow(xd), x, y, &x, &y, &child);
        XTestFakeMotionEvent(xd, DefaultScreen(xd), x, y, CurrentTime);
        XTestFakeButtonEvent(xd, 1, True, CurrentTime);
        XSync(xd, False);
        pause_ms(120);
        XTestFakeButtonEvent(xd, 1, False, CurrentTime);
        XSync(xd, False);
        pause_ms(250);
    }
};

TEST_F(GamePlay, MenuGameControlsPauseAndQuit) {
    const std::string program = std::string(IRONVALE_BUILD_DIR) + "/bin/ironvale-x11";
    ASSERT_TRUE(probe_spawn(&game, program, {program, "--windowed"}, dir.string(), display.c_str()));
    expect("(win ");
    win = std::strtoul(game.output.c_str() + game.cursor, nullptr, 10);
    expect("AUDIO: Init Start");
    const double audio_open_ms = now_ms();
    // The loader reports, the menus take over, and stage 1 is reported once. The loader
    // thread's lines may come before or after the end of GameInit, so only their own
    // order is checked.
    const size_t init_from = game.cursor;
    expect("Stage 1 has been loaded.");
    const size_t thread_at = game.output.find("-Start Thread-", init_from);
    ASSERT_NE(thread_at, std::string::npos) << game.output;
    const size_t done_at = game.output.find("Loader: DONE.", thread_at);
    ASSERT_NE(done_at, std::string::npos) << game.output;
    EXPECT_LT(done_at, game.cursor);
    EXPECT_NE(game.output.find("End of GameInit()", init_from), std::string::npos);
    XSetInputFocus(xd, win, RevertToPointerRoot, CurrentTime);
    const shot_t menu = settled();
    ASSERT_EQ(menu.width, 1024);
    screen_shot_save(menu, std::string(IRONVALE_BUILD_DIR) + "/contact/game_menu.png");

    // Down, Return: the single-player game starts; F2 keeps the bots from shooting.
    tap(XK_Down);
    tap(XK_Return);
    expect("game_logic_start_new_game() done.");
    tap(XK_F2);
    changed_from(menu, 20.0);
    frames(3);
    const shot_t play = grab();
    screen_shot_save(play, std::string(IRONVALE_BUILD_DIR) + "/contact/game_play.png");
    // Sky above the horizon (blue over red), ground below it (warm, not blue).
    const rgb_t sky = play.mean(300, 10, 724, 40), ground = play.mean(300, 440, 600, 480);
    EXPECT_GT(sky.b, sky.r + 20) << "sky " << sky.r << " " << sky.g << " " << sky.b;
    EXPECT_GE(ground.r + 10, ground.b) << "ground " << ground.r << " " << ground.g << " " << ground.b;
    // The health frame in the lower right corner shows the full green bar.
    const rgb_t health = play.mean(930, 500, 975, 560);
    EXPECT_GT(health.g, health.r + 40);
    EXPECT_GT(health.g, health.b + 40);
    EXPECT_GT(menu.diff(play, 0, 0, 1024, 600), 20.0) << "the game frame looks like the menu";

    // Free camera: no weapon in the lower right and no crosshair at the centre.
    tap(XK_F3);
    expect("Camera: ");
    const shot_t free_cam = changed_from(play, 15.0, 700, 450, 900, 590);
    tap(XK_F3);
    expect("Camera: ");
    EXPECT_GT(play.diff(free_cam, 700, 450, 900, 590), 15.0) << "no weapon in the lower right";
    EXPECT_GT(play.diff(free_cam, 502, 290, 522, 310), 15.0) << "no crosshair at the centre";
    EXPECT_LT(play.diff(free_cam, 300, 10, 724, 40), 8.0) << "the sky should not change";

    // The mouse turns the view: 785 px right at sensitivity 0.5 (k = 0.002) is a quarter turn.
    const camera_t before = camera();
    for (int i = 0; i < 5; i++) {
        XTestFakeRelativeMotionEvent(xd, 157, 0, CurrentTime);
        XSync(xd, False);
        frames(2);
    }
    const camera_t turned = camera();
    EXPECT_NEAR(turned.yaw - before.yaw, -1.57f, 0.05f);
    EXPECT_NEAR(turned.pitch, before.pitch, 1e-3f);

    // Facing east along the open corridor, W walks the player 0.072 units per 10 ms tick.
    // Key events reach the game at frame starts, so each end of the hold may be a frame off.
    const double w_down = now_ms(), frame = frame_ms();
    key(XK_w, 1);
    pause_ms(2000);
    key(XK_w, 0);
    const double held = now_ms() - w_down;
    const camera_t walked = camera();
    const double expected = 0.072 * held / 10.0;
    const double dx = walked.x - turned.x, dy = walked.y - turned.y;
    const double along = -dx * std::sin(turned.yaw) + dy * std::cos(turned.yaw);
    const double across = dx * std::cos(turned.yaw) + dy * std::sin(turned.yaw);
    EXPECT_NEAR(along, expected, 0.1 * expected + 0.072 * 2 * frame / 10.0)
        << "held " << held << " ms, " << frame << " ms per frame";
    EXPECT_NEAR(across, 0.0, 0.05);

    // A click fires: after a quiet second the shot is heard.
    frames(3);
    pause_ms(1000);
    const double click_ms = now_ms() - audio_open_ms;
    XTestFakeButtonEvent(xd, 1, True, CurrentTime);
    XSync(xd, False);
    pause_ms(100);
    XTestFakeButtonEvent(xd, 1, False, CurrentTime);
    XSync(xd, False);
    frames(3);

    // Escape pauses (a different picture), Down and Return resume (the cursor is locked again).
    tap(XK_Escape);
    changed_from(play, 10.0);
    const shot_t paused = settled();
    screen_shot_save(paused, std::string(IRONVALE_BUILD_DIR) + "/contact/game_pause.png");
    EXPECT_GT(play.diff(paused, 0, 0, 1024, 600), 10.0);
    tap(XK_Down);
    tap(XK_Return);
    expect("Locking cursor to");

    // Quit through the menus with the pointer: pause, "Leave the game", then "Quit".
    frames(3);
    tap(XK_Escape);
    settled();
    click(512, 357);
    settled();
    click(512, 411);
    ASSERT_TRUE(probe_wait_exit(&game)) << game.output;
    EXPECT_EQ(game.exit_status, 0);
    EXPECT_NE(game.output.find("GameTerm Done."), std::string::npos);

    // The wave file: quiet before the click, a shot within half a second after it.
    const wave_t heard = wave_read(wave.string());
    ASSERT_GT(heard.rate, 0) << "no wave output at " << wave;
    std::string onsets;
    bool heard_shot = false;
    for (double t = 100, quiet = 0; t < heard.samples.size() * 1000.0 / heard.rate / heard.channels; t += 50) {
        const double rms = heard.rms_ms(t, t + 50);
        if (rms > 150 && quiet >= 300) {
            onsets += std::to_string(static_cast<int>(t)) + " ";
            heard_shot = heard_shot || (t > click_ms - 200 && t < click_ms + 800);
        }
        quiet = rms > 150 ? 0 : quiet + 50;
    }
    EXPECT_TRUE(heard_shot) << "click at " << click_ms << " ms; sounds began at " << onsets;
}

}  // namespace
