// The X11 shell driven from outside, as a user would: the probe program runs
// under a private Xvfb, the test injects real input with XTEST, resizes and
// closes the window, and reads the callbacks the probe prints.
// gtest before Xlib: Xlib's macros (None, Bool) clash with gtest's names.
#include <gtest/gtest.h>
#include <unistd.h>
// clang-format off
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
// clang-format on

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "probe_run.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::stringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

// True when every line occurs in text, in the given order, starting at from.
bool in_order(const std::string& text, const std::vector<std::string>& lines, size_t from = 0) {
    for (const auto& line : lines)
        if ((from = text.find(line, from)) == std::string::npos) return false;
    return true;
}

class Shell : public ::testing::Test {
   protected:
    probe_xserver_t xs;
    Display* xd = nullptr;
    probe_child_t child;
    Window win = 0;
    const fs::path dir = fs::temp_directory_path() / ("ironvale_shell_" + std::to_string(getpid()));

    void SetUp() override {
        ASSERT_TRUE(probe_xserver_start(&xs)) << "Xvfb did not start";
        ASSERT_NE(xd = XOpenDisplay(xs.display.c_str()), nullptr);
        fs::remove_all(dir);
        fs::create_directories(dir / "assets");
        fs::create_directories(dir / "bin");
        fs::create_symlink(SHELL_PROBE, dir / "bin" / "shell_probe");
    }
    void TearDown() override {
        probe_kill(&child);
        if (xd) XCloseDisplay(xd);
        probe_xserver_stop(&xs);
        fs::remove_all(dir);
    }

    // Start the probe as ./bin/shell_probe from dir; wait for its first frame with the window on screen.
    void start(std::vector<std::string> argv = {}) {
        argv.insert(argv.begin(), "./bin/shell_probe");
        ASSERT_TRUE(probe_spawn(&child, SHELL_PROBE, argv, dir.string(), xs.display.c_str()));
        ASSERT_TRUE(probe_expect(&child, "cb OnInitDisplay window=")) << child.output;
        win = std::strtoul(child.output.c_str() + child.cursor, nullptr, 10);
        ASSERT_TRUE(probe_expect(&child, "cb OnProcess 1")) << child.output;
        for (XWindowAttributes wa{}; !XGetWindowAttributes(xd, win, &wa) || wa.map_state != IsViewable;)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        XSetInputFocus(xd, win, RevertToPointerRoot, CurrentTime);
        XSync(xd, False);
    }
    void expect(const std::string& lines) {
        ASSERT_TRUE(probe_expect(&child, lines)) << "missing: " << lines << "\n" << child.output;
    }
    void move(int x, int y, bool root = false) {
        Window c = 0;
        if (!root) XTranslateCoordinates(xd, win, DefaultRootWindow(xd), x, y, &x, &y, &c);
        XTestFakeMotionEvent(xd, DefaultScreen(xd), x, y, CurrentTime);
        XSync(xd, False);
    }
    void wait_pointer_at(int rx, int ry) {
        for (;;) {
            Window r = 0, c = 0;
            int x = 0, y = 0, wx = 0, wy = 0;
            unsigned int mask = 0;
            XQueryPointer(xd, DefaultRootWindow(xd), &r, &c, &x, &y, &wx, &wy, &mask);
            if (x == rx && y == ry) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    void button(unsigned int b, bool down) {
        XTestFakeButtonEvent(xd, b, down, CurrentTime);
        XSync(xd, False);
    }
    void key(KeySym ks, bool down) {
        XTestFakeKeyEvent(xd, XKeysymToKeycode(xd, ks), down, CurrentTime);
        XSync(xd, False);
    }
};

TEST_F(Shell, StartsInAssetsLogsItsPhasesInOrderAndCloseEndsTheLoopAtOnce) {
    start({"--frames"});
    const std::string start_dir = fs::canonical(dir).string(), &out = child.output;
    EXPECT_TRUE(
        in_order(out, {":: kxAppInit ::\n", "argv[0]: <./bin/shell_probe> \n",
                       "Current dir has been changed to <" + start_dir + "/bin> \n",
                       ":: creating display...\n", "Creating color map...\n", "glXMakeCurrent (dpy ",
                       "XMapWindow...\n", "updating size (1024, 600), em=6.00, orient=1 \n", "Done. \n",
                       "--- glkxInit ---\n", "--- shader init ---\n", "--- textureinit ---\n",
                       "--- calling kxAppOnInitDisplay ---\n", "cb OnInitDisplay window=",
                       " size=1024x600 em=6.00 ready=1 title=<Game> cwd=<" + start_dir + "/assets>"}))
        << out;
    EXPECT_EQ(out.find("cb OnResize"), std::string::npos) << "the start-up size must not reach OnResize";

    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = win;
    ev.xclient.message_type = XInternAtom(xd, "WM_PROTOCOLS", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = static_cast<long>(XInternAtom(xd, "WM_DELETE_WINDOW", False));
    XSendEvent(xd, win, False, NoEventMask, &ev);
    XSync(xd, False);
    ASSERT_TRUE(probe_wait_exit(&child));
    EXPECT_EQ(child.exit_status, 0);
    const size_t brk = out.find("Breaking app loop by wmDeleteMessage...\n");
    ASSERT_NE(brk, std::string::npos) << out;
    EXPECT_EQ(out.find("cb OnProcess", brk), std::string::npos) << "a frame was drawn after the close";
    EXPECT_TRUE(in_order(
        out, {"in loop: Returning to the main() ... \n", "cb OnTerm\n", "Closing display... \n"}, brk))
        << out;
    EXPECT_EQ(slurp(dir / "log.txt"), "LOG START\nLOG END\n");
}

TEST_F(Shell, ProgramDirectoryWithoutSlashBeyondTheArgvBufferAndWithoutDisplay) {
    // Started one level down, so "../assets/" from a bare argv[0] lands in dir/assets.
    std::string deep = ".";
    for (int i = 0; i < 6; i++) deep += "/" + std::string(30, static_cast<char>('a' + i));
    fs::create_directories(dir / "start" / deep / "bin");
    fs::create_directories(dir / "start" / deep / "assets");
    fs::create_symlink(SHELL_PROBE, dir / "start" / deep / "bin" / "shell_probe");
    const std::string long_argv0 = deep + "/bin/shell_probe";
    ASSERT_GT(long_argv0.size(), 128u);
    const struct {
        std::string argv0;
        bool display;
        int status;
        std::string log_line, cwd;
    } cases[] = {
        {"shell_probe", true, 0, "Current dir has not been changed. \n",
         "cwd=<" + fs::canonical(dir / "assets").string() + ">"},
        {long_argv0, true, 0, "argv[0]: <" + long_argv0.substr(0, 127) + "> \n",
         "cwd=<" + fs::canonical(dir / "start" / deep / "assets").string() + ">"},
        {long_argv0, false, 1, "Can't open X display", "in main: no display, exiting. "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.log_line);
        probe_child_t run;
        ASSERT_TRUE(probe_spawn(&run, SHELL_PROBE, {c.argv0, "--quit-at-first-process"},
                                (dir / "start").string(), c.display ? xs.display.c_str() : nullptr));
        ASSERT_TRUE(probe_wait_exit(&run));
        EXPECT_EQ(run.exit_status, c.status) << run.output;
        EXPECT_TRUE(in_order(run.output, {c.log_line, c.cwd})) << run.output;
        EXPECT_EQ(run.output.find("cb OnTerm") == std::string::npos, !c.display)
            << "OnTerm without OnInitDisplay";
        EXPECT_EQ(slurp(dir / "start" / "log.txt"), "LOG START\nLOG END\n");
    }
}

TEST_F(Shell, HeldKeyGivesOneFirstPressAndReleaseUsesTheModifiersOfItsMoment) {
    start();
    key(XK_a, true);
    expect("cb OnKeyDown 97 1\ncb OnChar 97\n");
    key(XK_a, true);  // still held: a repeat
    expect("cb OnKeyDown 97 0\ncb OnChar 97\n");
    for (auto [ks, down] : {std::pair{XK_a, false},
                            {XK_Shift_L, true},
                            {XK_a, true},
                            {XK_a, false},
                            {XK_Shift_L, false},  // shifted
                            {XK_a, true},
                            {XK_a, false},  // the shifted release cleared the held state
                            {XK_Shift_R, true},
                            {XK_a, true},
                            {XK_Shift_R, false},
                            {XK_a, false},  // Shift up first
                            {XK_Return, true},
                            {XK_Return, false},
                            {XK_F4, true},
                            {XK_F4, false}})
        key(ks, down);
    // The press reports the unshifted keysym, the release what the server gives with the modifiers of its
    // moment.
    expect(
        "cb OnKeyUp 97\ncb OnKeyDown 65505 1\ncb OnKeyDown 97 1\ncb OnChar 65\ncb OnKeyUp 65\ncb OnKeyUp "
        "65505\n"
        "cb OnKeyDown 97 1\ncb OnChar 97\ncb OnKeyUp 97\n"
        "cb OnKeyDown 65506 1\ncb OnKeyDown 97 1\ncb OnChar 65\ncb OnKeyUp 65506\ncb OnKeyUp 97\n"
        "cb OnKeyDown 65293 1\ncb OnChar 13\ncb OnKeyUp 65293\ncb OnKeyDown 65473 1\ncb OnKeyUp 65473\n");
}

TEST_F(Shell, PressBecomesADragOnlyBeyondSixEmAndOtherButtonsReportYFromTheBottom) {
    start();  // em 6: threshold 36 pixels
    const int cases[][3] = {{36, 0, 0}, {37, 0, 1}, {0, 36, 0}, {0, -37, 1}, {-36, 36, 0}, {-37, 10, 1}};
    for (const auto& [dx, dy, drag] : cases) {
        SCOPED_TRACE(testing::Message() << "move " << dx << "," << dy);
        const int x = 300 + dx, y = 300 + dy;
        const std::string xy = std::to_string(x) + " " + std::to_string(y),
                          xyb = std::to_string(x) + " " + std::to_string(600 - y);
        move(300, 300);
        button(1, true);
        move(x, y);
        button(1, false);
        expect("cb OnPointerMove 300 300\ncb OnLeftDown 300 300\ncb OnPointerDown 300 300\ncb OnMouseMove " +
               xyb + "\ncb OnPointerMove " + xy + "\n" + (drag ? "cb OnDragStart 300 300\n" : "") +
               "cb OnLeftUp " + xyb + "\n" + (drag ? "cb OnDragEnd " + xy : std::string("cb OnTap 300 300")) +
               "\ncb OnPointerUp " + xy + "\n");
    }
    move(300, 300);  // once dragging, further motion is OnDragMove
    button(1, true);
    move(350, 300);
    move(360, 300);
    button(1, false);
    expect(
        "cb OnDragStart 300 300\ncb OnMouseMove 360 300\ncb OnPointerMove 360 300\ncb OnDragMove 360 300\n"
        "cb OnLeftUp 360 300\ncb OnDragEnd 360 300\n");
    move(100, 150);
    for (unsigned int b : {2u, 3u, 4u, 5u}) {
        button(b, true);
        button(b, false);
    }
    expect(
        "cb OnMiddleDown 100 450\ncb OnMiddleUp 100 450\ncb OnRightDown 100 450\ncb OnRightUp 100 450\n"
        "cb OnWheelUp 100 450\ncb OnWheelDown 100 450\n");  // no press state, no tap
}

TEST_F(Shell, LockedPointerGivesMouseLookDeltasAndNoPointerCallbacks) {
    start({"--lock"});
    expect("Locking cursor to ");
    int lx = 0, ly = 0;
    ASSERT_EQ(std::sscanf(child.output.c_str() + child.cursor, "%d, %d", &lx, &ly), 2);
    const size_t locked_at = child.cursor;
    wait_pointer_at(lx, ly);
    move(lx + 10, ly - 5, true);
    expect("cb OnMouseLook 10 5\n");
    wait_pointer_at(lx, ly);  // the shell's warp back has landed
    move(lx - 3, ly + 7, true);
    expect("cb OnMouseLook -3 -7\n");
    button(1, true);
    button(1, false);
    expect("cb OnLeftDown");
    expect("cb OnPointerUp");
    for (const char* absent : {"cb OnPointerMove", "cb OnMouseMove", "cb OnDrag"})
        EXPECT_EQ(child.output.find(absent, locked_at), std::string::npos) << child.output.substr(locked_at);
}

TEST_F(Shell, NewSizesReachTheGameAndTitlesAreCutAtThirtyOneCharacters) {
    start({"--title", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789xyz"});
    EXPECT_NE(child.output.find("title=<ABCDEFGHIJKLMNOPQRSTUVWXYZ01234>"), std::string::npos)
        << child.output;
    XResizeWindow(xd, win, 1024, 600);  // the same size: nothing to tell
    XResizeWindow(xd, win, 800, 600);
    XResizeWindow(xd, win, 600, 1024);
    XSync(xd, False);
    expect("updating size (800, 600), em=5.50, orient=1 \ncb OnResize 800 600\nDone. \n");
    expect(
        "updating size (600, 1024), em=6.00, orient=0 \ncb OnOrientationChange 1 0\ncb OnResize 600 1024\n");
    EXPECT_EQ(child.output.find("cb OnResize 1024 600"), std::string::npos);
    move(10, 20);
    expect("cb OnMouseMove 10 1004\n");  // y from the bottom follows the new height
}

}  // namespace
