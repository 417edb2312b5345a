// The X11 shell driven from outside, as a user would: the probe program runs
// under a private Xvfb, the test injects real input with XTEST, resizes and
// closes the window, and reads the callbacks the probe prints.
// gtest before Xlib: Xlib's macros (None, Bool) clash with gtest's names.
#include <gtest/gtest.h>
#include <unistd.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "probe_run.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

size_t count(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) n++;
    return n;
}

class Shell : public ::testing::Test {
   protected:
    probe_xserver_t xs;
    Display* xd = nullptr;
    probe_child_t child;
    Window win = 0;
    fs::path dir;

    void SetUp() override {
        ASSERT_TRUE(probe_xserver_start(&xs)) << "Xvfb did not start";
        xd = XOpenDisplay(xs.display.c_str());
        ASSERT_NE(xd, nullptr);
        dir = fs::temp_directory_path() / ("ironvale_shell_" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir / "bin");
        fs::create_directories(dir / "assets");
        fs::create_symlink(SHELL_PROBE, dir / "bin" / "shell_probe");
    }

    void TearDown() override {
        probe_kill(&child);
        if (xd) XCloseDisplay(xd);
        probe_xserver_stop(&xs);
        fs::remove_all(dir);
    }

    // Start the probe as ./bin/shell_probe from dir and wait for its first frame
    // with the window on screen.
    void start(std::vector<std::string> options = {}) {
        std::vector<std::string> argv = {"./bin/shell_probe"};
        argv.insert(argv.end(), options.begin(), options.end());
        ASSERT_TRUE(probe_spawn(&child, SHELL_PROBE, argv, dir.string(), xs.display.c_str()));
        ASSERT_TRUE(probe_expect(&child, "cb OnInitDisplay window=")) << child.output;
        win = std::strtoul(child.output.c_str() + child.cursor, nullptr, 10);
        ASSERT_NE(win, 0u);
        ASSERT_TRUE(probe_expect(&child, "cb OnProcess 1")) << child.output;
        wait_viewable();
        XSetInputFocus(xd, win, RevertToPointerRoot, CurrentTime);
        XSync(xd, False);
    }

    void wait_viewable() {
        for (int i = 0; i < 2000; i++) {
            XWindowAttributes wa{};
            if (XGetWindowAttributes(xd, win, &wa) && wa.map_state == IsViewable) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        FAIL() << "window never became viewable";
    }

    void expect(const std::string& line) {
        ASSERT_TRUE(probe_expect(&child, line)) << "missing: " << line << "\n" << child.output;
    }

    void move(int x, int y) {  // window coordinates
        int rx = 0, ry = 0;
        Window c = 0;
        XTranslateCoordinates(xd, win, DefaultRootWindow(xd), x, y, &rx, &ry, &c);
        move_root(rx, ry);
    }
    void move_root(int rx, int ry) {
        XTestFakeMotionEvent(xd, DefaultScreen(xd), rx, ry, CurrentTime);
        XSync(xd, False);
    }
    void wait_pointer_at(int rx, int ry) {
        for (int i = 0; i < 2000; i++) {
            Window r = 0, c = 0;
            int x = 0, y = 0, wx = 0, wy = 0;
            unsigned int mask = 0;
            XQueryPointer(xd, DefaultRootWindow(xd), &r, &c, &x, &y, &wx, &wy, &mask);
            if (x == rx && y == ry) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        FAIL() << "pointer never came back to " << rx << "," << ry;
    }
    void button(unsigned int b, bool down) {
        XTestFakeButtonEvent(xd, b, down, CurrentTime);
        XSync(xd, False);
    }
    void key(KeySym ks, bool down) {
        XTestFakeKeyEvent(xd, XKeysymToKeycode(xd, ks), down, CurrentTime);
        XSync(xd, False);
    }

    void close_window() {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = win;
        ev.xclient.message_type = XInternAtom(xd, "WM_PROTOCOLS", False);
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = static_cast<long>(XInternAtom(xd, "WM_DELETE_WINDOW", False));
        ev.xclient.data.l[1] = CurrentTime;
        XSendEvent(xd, win, False, NoEventMask, &ev);
        XSync(xd, False);
    }

    std::string window_name() {
        char* name = nullptr;
        std::string s;
        if (XFetchName(xd, win, &name) && name) s = name;
        if (name) XFree(name);
        return s;
    }
};

TEST_F(Shell, RelativeStartRunsInAssetsAndCloseEndsTheLoopAtOnce) {
    start();
    const std::string start_dir = fs::canonical(dir).string();
    const std::string& out = child.output;
    // Start-up phases in order.
    size_t at = 0;
    for (const std::string& line : std::vector<std::string>{
             ":: kxAppInit ::\n", "argv[0]: <./bin/shell_probe> \n",
             "Current dir has been changed to <" + start_dir + "/bin> \n", ":: creating display...\n",
             "Creating color map...\n", "glXMakeCurrent (dpy ", "XMapWindow...\n",
             "updating size (1024, 600), em=6.00, orient=1 \n", "Done. \n", "--- glkxInit ---\n",
             "--- shader init ---\n", "--- textureinit ---\n", "--- calling kxAppOnInitDisplay ---\n",
             "cb OnInitDisplay window="}) {
        const size_t next = out.find(line, at);
        ASSERT_NE(next, std::string::npos) << "missing or out of order: " << line << "\n" << out;
        at = next;
    }
    EXPECT_NE(out.find("size=1024x600 em=6.00 ready=1 title=<Game> cwd=<" + start_dir + "/assets>"),
              std::string::npos)
        << out;
    EXPECT_EQ(count(out, "cb OnResize"), 0u) << "the start-up size must not reach OnResize";

    close_window();
    ASSERT_TRUE(probe_wait_exit(&child));
    EXPECT_EQ(child.exit_status, 0);
    const size_t brk = out.find("Breaking app loop by wmDeleteMessage...\n");
    ASSERT_NE(brk, std::string::npos) << out;
    EXPECT_EQ(out.find("cb OnProcess", brk), std::string::npos) << "a frame was drawn after the close";
    at = brk;
    for (const char* line :
         {"in loop: reading last pending events...\n", "in loop: Returning to the main() ... \n",
          "cb OnTerm\n", "ing GLX context... \n", "Destroying Window... \n", "Closing display... \n"}) {
        const size_t next = out.find(line, at);
        ASSERT_NE(next, std::string::npos) << "missing or out of order: " << line << "\n" << out;
        at = next;
    }
    EXPECT_EQ(slurp(dir / "log.txt"), "LOG START\nLOG END\n");
}

TEST_F(Shell, ProgramDirectoryIsFoundWithoutSlashAndBeyondTheArgvBuffer) {
    // A start directory one level down, so "../assets/" without a slash in argv[0]
    // lands in dir/assets.
    fs::create_directories(dir / "start");
    std::string deep = ".";
    for (int i = 0; i < 6; i++) deep += "/" + std::string(30, static_cast<char>('a' + i));
    fs::create_directories(dir / "start" / deep / "bin");
    fs::create_directories(dir / "start" / deep / "assets");
    fs::create_symlink(SHELL_PROBE, dir / "start" / deep / "bin" / "shell_probe");
    const std::string long_argv0 = deep + "/bin/shell_probe";
    ASSERT_GT(long_argv0.size(), 127u);

    struct Case {
        std::string argv0, log_line, cwd;
    } cases[] = {
        {"shell_probe", "Current dir has not been changed. \n", fs::canonical(dir / "assets").string()},
        {long_argv0, "argv[0]: <" + long_argv0.substr(0, 127) + "> \n",
         fs::canonical(dir / "start" / deep / "assets").string()},
    };
    for (const Case& c : cases) {
        probe_child_t run;
        ASSERT_TRUE(probe_spawn(&run, SHELL_PROBE, {c.argv0, "--quit-at-first-process"},
                                (dir / "start").string(), xs.display.c_str()));
        ASSERT_TRUE(probe_wait_exit(&run));
        EXPECT_EQ(run.exit_status, 0) << run.output;
        EXPECT_NE(run.output.find(c.log_line), std::string::npos) << run.output;
        EXPECT_NE(run.output.find("cwd=<" + c.cwd + ">"), std::string::npos) << run.output;
        EXPECT_EQ(slurp(dir / "start" / "log.txt"), "LOG START\nLOG END\n");
    }
}

TEST_F(Shell, NoDisplayEndsInOrderWithStatusOne) {
    ASSERT_TRUE(probe_spawn(&child, SHELL_PROBE, {"./bin/shell_probe"}, dir.string(), nullptr));
    ASSERT_TRUE(probe_wait_exit(&child));
    EXPECT_EQ(child.exit_status, 1) << child.output;
    EXPECT_NE(child.output.find("Can't open X display"), std::string::npos) << child.output;
    EXPECT_EQ(child.output.find("cb OnInitDisplay"), std::string::npos);
    EXPECT_EQ(child.output.find("cb OnTerm"), std::string::npos) << "OnTerm without OnInitDisplay";
    EXPECT_EQ(slurp(dir / "log.txt"), "LOG START\nLOG END\n");
}

TEST_F(Shell, HeldKeyRepeatsWithFirstZeroAndReleaseUsesTheModifiedKeysym) {
    start();
    key(XK_a, true);
    expect("cb OnKeyDown 97 1\ncb OnChar 97\n");
    key(XK_a, true);  // still held: a repeat
    expect("cb OnKeyDown 97 0\ncb OnChar 97\n");
    key(XK_a, false);
    expect("cb OnKeyUp 97\n");

    // The press uses the unshifted keysym; the release reports what the
    // server gives with the modifiers of that moment.
    key(XK_Shift_L, true);
    expect("cb OnKeyDown 65505 1\n");
    key(XK_a, true);
    expect("cb OnKeyDown 97 1\ncb OnChar 65\n");
    key(XK_a, false);
    expect("cb OnKeyUp 65\n");
    key(XK_Shift_L, false);
    expect("cb OnKeyUp 65505\n");
    key(XK_a, true);  // the release above cleared the held state
    expect("cb OnKeyDown 97 1\n");
    key(XK_a, false);
    expect("cb OnKeyUp 97\n");

    // Shift let go before the letter: the letter's release is unshifted.
    key(XK_Shift_R, true);
    key(XK_a, true);
    expect("cb OnKeyDown 65506 1\ncb OnKeyDown 97 1\ncb OnChar 65\n");
    key(XK_Shift_R, false);
    key(XK_a, false);
    expect("cb OnKeyUp 65506\ncb OnKeyUp 97\n");

    key(XK_Return, true);
    expect("cb OnKeyDown 65293 1\ncb OnChar 13\n");
    key(XK_Return, false);
    expect("cb OnKeyUp 65293\n");
    key(XK_F4, true);  // no character: no OnChar
    expect("cb OnKeyDown 65473 1\n");
    key(XK_F4, false);
    expect("cb OnKeyUp 65473\n");
    EXPECT_EQ(child.output.find("cb OnChar", child.output.find("cb OnKeyDown 65473 1")), std::string::npos);
}

TEST_F(Shell, PressBecomesADragOnlyBeyondSixEm) {
    start();  // em 6: threshold 36 pixels
    struct Case {
        int dx, dy;
        bool drag;
    } cases[] = {{36, 0, false}, {37, 0, true},    {0, 36, false},
                 {0, -37, true}, {-36, 36, false}, {-37, 10, true}};
    const int px = 300, py = 300;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "move " << c.dx << "," << c.dy);
        move(px, py);
        expect("cb OnPointerMove 300 300\n");
        button(1, true);
        expect("cb OnLeftDown 300 300\ncb OnPointerDown 300 300\n");
        const int x = px + c.dx, y = py + c.dy;
        move(x, y);
        const std::string moved = "cb OnMouseMove " + std::to_string(x) + " " + std::to_string(600 - y) +
                                  "\ncb OnPointerMove " + std::to_string(x) + " " + std::to_string(y) + "\n";
        expect(moved + (c.drag ? "cb OnDragStart 300 300\n" : ""));
        button(1, false);
        const std::string xy = std::to_string(x) + " " + std::to_string(y);
        const std::string yb = std::to_string(x) + " " + std::to_string(600 - y);
        expect("cb OnLeftUp " + yb + "\n" +
               (c.drag ? "cb OnDragEnd " + xy : std::string("cb OnTap 300 300")) + "\ncb OnPointerUp " + xy +
               "\n");
    }
    // Once dragging, further motion is OnDragMove.
    move(px, py);
    button(1, true);
    move(px + 50, py);
    expect("cb OnDragStart 300 300\n");
    move(px + 60, py);
    expect("cb OnPointerMove 360 300\ncb OnDragMove 360 300\n");
    button(1, false);
    expect("cb OnDragEnd 360 300\n");
}

TEST_F(Shell, OtherButtonsAndWheelReportYFromTheBottom) {
    start();
    move(100, 150);
    expect("cb OnPointerMove 100 150\n");
    const struct {
        unsigned int button;
        const char* down;
        const char* up;
    } cases[] = {{2, "cb OnMiddleDown 100 450\n", "cb OnMiddleUp 100 450\n"},
                 {3, "cb OnRightDown 100 450\n", "cb OnRightUp 100 450\n"},
                 {4, "cb OnWheelUp 100 450\n", nullptr},
                 {5, "cb OnWheelDown 100 450\n", nullptr}};
    for (const auto& c : cases) {
        button(c.button, true);
        expect(c.down);
        button(c.button, false);
        if (c.up) expect(c.up);
    }
    // Only button 1 drives the press state: nothing became a tap.
    EXPECT_EQ(child.output.find("cb OnTap"), std::string::npos);
    EXPECT_EQ(child.output.find("cb OnPointerDown"), std::string::npos);
}

TEST_F(Shell, LockedPointerGivesMouseLookDeltasAndNoPointerCallbacks) {
    start({"--lock"});
    expect("Locking cursor to ");
    int lx = 0, ly = 0;
    ASSERT_EQ(std::sscanf(child.output.c_str() + child.cursor, "%d, %d", &lx, &ly), 2);
    const size_t locked_at = child.cursor;
    wait_pointer_at(lx, ly);
    move_root(lx + 10, ly - 5);
    expect("cb OnMouseLook 10 5\n");
    wait_pointer_at(lx, ly);  // the shell's warp back has landed
    move_root(lx - 3, ly + 7);
    expect("cb OnMouseLook -3 -7\n");
    button(1, true);
    button(1, false);
    expect("cb OnPointerUp");
    probe_drain(&child);
    const std::string after = child.output.substr(locked_at);
    EXPECT_EQ(count(after, "cb OnMouseLook"), 2u) << after;
    EXPECT_EQ(after.find("cb OnPointerMove"), std::string::npos) << after;
    EXPECT_EQ(after.find("cb OnMouseMove"), std::string::npos) << after;
    EXPECT_EQ(after.find("cb OnDrag"), std::string::npos) << after;
}

TEST_F(Shell, ResizeToTheSameSizeIsSilentAndNewSizesReachTheGame) {
    start();
    XResizeWindow(xd, win, 1024, 600);
    XResizeWindow(xd, win, 800, 600);
    XSync(xd, False);
    expect("updating size (800, 600), em=5.50, orient=1 \ncb OnResize 800 600\nDone. \n");
    EXPECT_EQ(child.output.find("cb OnResize 1024 600"), std::string::npos);
    XResizeWindow(xd, win, 600, 1024);
    XSync(xd, False);
    expect(
        "updating size (600, 1024), em=6.00, orient=0 \ncb OnOrientationChange 1 0\n"
        "cb OnResize 600 1024\nDone. \n");
    // Pointer y from the bottom follows the new height.
    move(10, 20);
    expect("cb OnMouseMove 10 1004\n");
}

TEST_F(Shell, IdleWindowPublishesFrameRateInTheTitleWithoutDrawing) {
    start({"--title", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789xyz"});
    EXPECT_NE(child.output.find("title=<ABCDEFGHIJKLMNOPQRSTUVWXYZ01234>"), std::string::npos)
        << child.output;
    probe_drain(&child);
    const size_t frames_before = count(child.output, "cb OnProcess");
    std::string name;
    for (int i = 0; i < 1000 && name.find(" fps") == std::string::npos; i++) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        name = window_name();
    }
    EXPECT_EQ(name.rfind("1024x600, ", 0), 0u) << name;
    EXPECT_NE(name.find(" fps"), std::string::npos) << name;
    probe_drain(&child);
    EXPECT_EQ(count(child.output, "cb OnProcess"), frames_before) << "an idle window drew a frame";
}

TEST_F(Shell, QuitFromAHandlerLeavesTheLoopAndFullscreenWithoutWindowManagerIsHarmless) {
    ASSERT_TRUE(probe_spawn(&child, SHELL_PROBE,
                            {"./bin/shell_probe", "--fullscreen", "--quit-at-first-process"}, dir.string(),
                            xs.display.c_str()));
    ASSERT_TRUE(probe_wait_exit(&child));
    EXPECT_EQ(child.exit_status, 0) << child.output;
    const std::string& out = child.output;
    EXPECT_NE(out.find("Setting fullscreen to 1 ...\n"), std::string::npos) << out;
    EXPECT_EQ(out.find("X error"), std::string::npos) << out;
    EXPECT_NE(out.find("cb OnProcess 1\nin loop: reading last pending events...\n"
                       "in loop: Returning to the main() ... \n"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find("Breaking app loop"), std::string::npos);
    EXPECT_EQ(out.find("cb OnProcess 2"), std::string::npos);
    EXPECT_EQ(slurp(dir / "log.txt"), "LOG START\nLOG END\n");
}

}  // namespace
