// The X11 shell driven from outside as a user would: the probe program runs under a private Xvfb,
// the test injects input with XTEST, resizes and closes the window, and reads the printed callbacks.
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

#include "support/probe_run.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& path) {
    std::stringstream s;
    s << std::ifstream(path).rdbuf();
    return s.str();
}

bool in_order(const std::string& text, const std::vector<std::string>& lines, size_t from = 0) {
    for (const auto& line : lines)
        if ((from = text.find(line, from)) == std::string::npos) return false;
    return true;
}

class Shell : public ::testing::Test {
   protected:
    probe_child_t xs, child;
    std::string display;
    Display* xd = nullptr;
    Window win = 0;
    const fs::path dir = fs::temp_directory_path() / ("ironvale_shell_" + std::to_string(getpid()));
    // Longer than the 128-byte argv[0] buffer: the program directory must come from the whole path.
    const std::string long_dir = std::string(130, 'd'), argv0 = "./" + long_dir + "/bin/shell_probe";

    void SetUp() override {
        ASSERT_TRUE(probe_xserver_start(&xs, &display));
        ASSERT_NE(xd = XOpenDisplay(display.c_str()), nullptr);
        fs::remove_all(dir);
        fs::create_directories(dir / long_dir / "assets");
        fs::create_directories(dir / long_dir / "bin");
        fs::create_symlink(SHELL_PROBE, dir / long_dir / "bin" / "shell_probe");
    }
    void TearDown() override {
        probe_kill(&child);
        if (xd) XCloseDisplay(xd);
        probe_kill(&xs, SIGTERM);
        fs::remove_all(dir);
    }
    // Start the probe from dir; return once its first frame is drawn and the window is on screen.
    void start(std::vector<std::string> args) {
        args.insert(args.begin(), argv0);
        ASSERT_TRUE(probe_spawn(&child, SHELL_PROBE, args, dir.string(), display.c_str()));
        expect("cb OnInitDisplay window=");
        win = std::strtoul(child.output.c_str() + child.cursor, nullptr, 10);
        expect("cb OnProcess 1");
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
    const std::string home = fs::canonical(dir / long_dir).string(), &out = child.output;
    EXPECT_TRUE(in_order(
        out, {":: kxAppInit ::\n", "argv[0]: <" + argv0.substr(0, 127) + "> \n",
              "Current dir has been changed to <" + home + "/bin> \n", ":: creating display...\n",
              "Creating color map...\n", "glXMakeCurrent (dpy ", "XMapWindow...\n",
              "updating size (1024, 600), em=6.00, orient=1 \n", "Done. \n", "--- glkxInit ---\n",
              "--- shader init ---\n", "--- textureinit ---\n", "--- calling kxAppOnInitDisplay ---\n",
              "cb OnInitDisplay window=",
              " size=1024x600 em=6.00 ready=1 title=<Game> cwd=<" + home + "/assets> viewport=0 0 1024 600\n",
              "NTEST: glError (code 1280) on [probe error] \n"}))
        << out;
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
    EXPECT_EQ(out.find("[probe clean]"), std::string::npos);
    const size_t brk = out.find("Breaking app loop by wmDeleteMessage...\n");
    ASSERT_NE(brk, std::string::npos) << out;
    EXPECT_EQ(out.find("cb OnProcess", brk), std::string::npos) << "a frame was drawn after the close";
    EXPECT_TRUE(in_order(
        out, {"in loop: Returning to the main() ... \n", "cb OnTerm\n", "Closing display... \n"}, brk))
        << out;
    EXPECT_EQ(slurp(dir / "log.txt"), "LOG START\nLOG END\n");
}

TEST_F(Shell, WithoutADisplayTheProgramExitsWithStatusOne) {
    ASSERT_TRUE(probe_spawn(&child, SHELL_PROBE, {argv0}, dir.string(), nullptr));
    ASSERT_TRUE(probe_wait_exit(&child));
    EXPECT_EQ(child.exit_status, 1);
    EXPECT_TRUE(in_order(child.output, {"Can't open X display", "in main: no display, exiting. "}))
        << child.output;
    EXPECT_EQ(child.output.find("cb OnTerm"), std::string::npos) << "OnTerm without OnInitDisplay";
    EXPECT_EQ(slurp(dir / "log.txt"), "LOG START\nLOG END\n");
}

TEST_F(Shell, HeldKeyGivesOneFirstPressThenRepeatsAndFTurnsFullscreenOn) {
    start({});
    key(XK_a, true);
    expect("cb OnKeyDown 97 1 held=1\ncb OnChar 97\n");
    key(XK_a, true);  // still held: a repeat
    expect("cb OnKeyDown 97 0 held=1\ncb OnChar 97\n");
    key(XK_a, false);
    expect("cb OnKeyUp 97 held=0\n");
    key(XK_f, true);
    expect("cb OnKeyDown 102 1 held=1\nSetting fullscreen to 1 ...\ncb OnChar 102\n");
    // Without a window manager the request stays in the window's state property.
    const Atom state = XInternAtom(xd, "_NET_WM_STATE", False),
               full = XInternAtom(xd, "_NET_WM_STATE_FULLSCREEN", False);
    Atom type = 0;
    int format = 0;
    unsigned long n = 0, after = 0;
    unsigned char* data = nullptr;
    for (int tries = 0; tries < 300 && n == 0; tries++) {  // the probe sends it with its next event poll
        if (data) XFree(data), data = nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(XGetWindowProperty(xd, win, state, 0, 4, False, AnyPropertyType, &type, &format, &n, &after,
                                     &data),
                  Success);
    }
    ASSERT_EQ(n, 1u);
    EXPECT_EQ(reinterpret_cast<Atom*>(data)[0], full);
    XFree(data);
}

TEST_F(Shell, PressBecomesADragOnlyBeyondSixEmOnEitherAxis) {
    start({});  // em 6: threshold 36 pixels
    const int cases[][3] = {{36, 0, 0}, {37, 0, 1}, {-36, 36, 0}, {0, -37, 1}};
    for (const auto& [dx, dy, drag] : cases) {
        SCOPED_TRACE(testing::Message() << "move " << dx << "," << dy);
        const int x = 300 + dx, y = 300 + dy;
        const std::string xy = std::to_string(x) + " " + std::to_string(y),
                          xyb = std::to_string(x) + " " + std::to_string(600 - y);  // y from the bottom
        move(300, 300);
        button(1, true);
        move(x, y);
        button(1, false);
        expect("cb OnPointerMove 300 300\ncb OnLeftDown 300 300\ncb OnPointerDown 300 300\ncb OnMouseMove " +
               xyb + "\ncb OnPointerMove " + xy + "\n" + (drag ? "cb OnDragStart 300 300\n" : "") +
               "cb OnLeftUp " + xyb + "\n" + (drag ? "cb OnDragEnd " + xy : std::string("cb OnTap 300 300")) +
               "\ncb OnPointerUp " + xy + "\n");
    }
    move(300, 200);
    expect("cb OnPointerMove 300 200\n");
    // The other buttons and the wheel feed their own slots, y from the bottom, and no press state.
    for (unsigned int b : {2u, 3u, 4u, 5u}) button(b, true), button(b, false);
    expect(
        "cb OnMiddleDown 300 400\ncb OnMiddleUp 300 400\ncb OnRightDown 300 400\ncb OnRightUp 300 400\n"
        "cb OnWheelUp 300 400\ncb OnWheelDown 300 400\n");
}

TEST_F(Shell, LockedPointerGivesMouseLookDeltasAndNoPointerCallbacks) {
    start({"--lock"});
    expect("Locking cursor to ");
    int lx = 0, ly = 0;
    ASSERT_EQ(std::sscanf(child.output.c_str() + child.cursor, "%d, %d", &lx, &ly), 2);
    const size_t locked_at = child.cursor;
    // The lock warps the pointer home; wait for it to land before moving away.
    for (int x = -1, y = -1, wx = 0, wy = 0; x != lx || y != ly;
         std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
        Window r = 0, c = 0;
        unsigned int mask = 0;
        XQueryPointer(xd, DefaultRootWindow(xd), &r, &c, &x, &y, &wx, &wy, &mask);
    }
    move(lx + 10, ly - 5, true);
    expect("cb OnMouseLook 10 5\n");
    button(1, true);
    button(1, false);
    expect("cb OnPointerUp");
    for (const char* absent : {"cb OnPointerMove", "cb OnMouseMove", "cb OnDrag"})
        EXPECT_EQ(child.output.find(absent, locked_at), std::string::npos) << child.output.substr(locked_at);
}

// Also: without assets beside it the program says so and stays in its bin folder, and a
// window size without area is ignored.
TEST_F(Shell, OnlyANewSizeReachesTheGameAndTitlesAreCutAtThirtyOneCharacters) {
    fs::remove_all(dir / long_dir / "assets");
    start({"--title", "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789xyz", "--size", "0", "600"});
    const std::string bin = fs::canonical(dir / long_dir / "bin").string();
    EXPECT_TRUE(in_order(child.output, {"No asset directory found beside the program. \n",
                                        "title=<ABCDEFGHIJKLMNOPQRSTUVWXYZ01234> cwd=<" + bin + ">"}))
        << child.output;
    XResizeWindow(xd, win, 1024, 600);
    XResizeWindow(xd, win, 800, 600);
    XSync(xd, False);
    expect(
        "updating size (800, 600), em=5.50, orient=1 \ncb OnResize 800 600 viewport=0 0 800 600\nDone. \n");
    EXPECT_EQ(child.output.find("cb OnResize 1024 600"), std::string::npos);
    EXPECT_EQ(child.output.find("X error"), std::string::npos) << child.output;
}

}  // namespace
