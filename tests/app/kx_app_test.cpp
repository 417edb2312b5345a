// The application core without a display: size and em rule, fps title, timers, signal flags.
#include "engine/app/kx_app.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "engine/app/kx_app_loop.h"
#include "engine/app/kx_log.h"

namespace {

TEST(AppCore, SizeRuleGivesEmOrientationAndAspect) {
    kxAppZero();
    // Screen class, width, height, em. A window without area counts as 1 x 1.
    const float cases[][4] = {{1, 1024, 600, 6.0f},    {1, 600, 1024, 6.0f},  {1, 800, 600, 5.5f},
                              {1, 1920, 1080, 10.75f}, {1, 1000, 1000, 7.0f}, {0, 1024, 600, 8.5f},
                              {0, 640, 640, 6.25f},    {1, 1, 1, 0.0f},       {1, 0, 0, 0.0f}};
    for (const auto& [screen_class, w, h, em] : cases) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " class " << screen_class);
        kx_app.screen_class = static_cast<int>(screen_class);
        kxAppUpdateSize(static_cast<int>(w), static_cast<int>(h));
        EXPECT_FLOAT_EQ(kx_app.em, em);
        EXPECT_EQ(kx_app.orientation, w >= h);
        EXPECT_EQ(kx_app.width, std::max(1, static_cast<int>(w)));
        EXPECT_FLOAT_EQ(kx_app.aspect, std::max(1.0f, w) / std::max(1.0f, h));
    }
}

std::vector<std::string> calls;

// kxAppZero clears the record and leaves every slot but OnMouseLook callable.
TEST(AppCore, ZeroClearsTheRecordAndEverySlotIsCallable) {
    kx_app.quit = kx_app.width = kx_app.display_ready = 1;
    kx_app.timer_count = 3;
    kx_app.OnProcess = nullptr;
    kxAppZero();
    EXPECT_EQ((std::vector<int>{kx_app.quit, kx_app.width, kx_app.display_ready,
                                static_cast<int>(kx_app.timer_count), kx_app.dt}),
              (std::vector<int>{0, 0, 0, 0, 1}));
    EXPECT_EQ(kx_app.OnMouseLook, nullptr);
    kx_app.OnResize(1, 2), kx_app.OnOrientationChange(0, 1), kx_app.OnKeyDown(97, 1), kx_app.OnKeyUp(97);
    kx_app.OnChar(97), kx_app.OnProcess(), kx_app.OnInitDisplay(), kx_app.OnTerm();
    for (auto slot :
         {kx_app.OnPointerDown, kx_app.OnPointerUp, kx_app.OnPointerMove, kx_app.OnPointerHold, kx_app.OnTap,
          kx_app.OnDragStart, kx_app.OnDragEnd, kx_app.OnDragMove, kx_app.OnLeftDown, kx_app.OnLeftUp,
          kx_app.OnRightDown, kx_app.OnRightUp, kx_app.OnMiddleDown, kx_app.OnMiddleUp, kx_app.OnWheelDown,
          kx_app.OnWheelUp, kx_app.OnMouseMove})
        slot(1, 2);
    kxAppQuit(), kxAppMarkDragging(), kxAppSetContinuous(1);
    EXPECT_EQ((std::vector<int>{kx_app.quit, kx_app.dragging[0], continuous}), (std::vector<int>{1, 1, 1}));
    kxAppSetContinuous(0);
    // Pointer indices outside the table never read the fields around it (all set here).
    std::memset(&kx_app, 0xFF, sizeof kx_app);
    std::memset(kx_app.pointer_down, 0, sizeof kx_app.pointer_down);
    kx_app.pointer_down[9] = 1;
    EXPECT_EQ((std::vector<int>{kxAppPointerIsDown(9), kxAppPointerIsDown(10), kxAppPointerIsDown(-1),
                                kxAppPointerIsDown(0)}),
              (std::vector<int>{1, 0, 0, 0}));
    kxAppZero();
}

// The orientation callback sees the old value still stored; OnResize only once the display is ready.
TEST(AppCore, OrientationChangeAndResizeCallbacks) {
    kxAppZero();
    calls.clear();
    kx_app.screen_class = 1;
    kx_app.OnOrientationChange = [](int o, int n) {
        calls.push_back("orient " + std::to_string(o) + " " + std::to_string(n) + " stored " +
                        std::to_string(kx_app.orientation));
    };
    kx_app.OnResize = [](int w, int h) {
        calls.push_back("resize " + std::to_string(w) + " " + std::to_string(h));
    };
    kxAppUpdateSize(1024, 600);
    kx_app.display_ready = 1;
    kxAppUpdateSize(600, 1024);
    kxAppUpdateSize(700, 1024);
    kxAppUpdateSize(700, 700);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"orient 0 1 stored 0", "orient 1 0 stored 1", "resize 600 1024",
                                        "resize 700 1024", "orient 0 1 stored 0", "resize 700 700"}));
    EXPECT_EQ(kx_app.orientation, 1);
}

TEST(AppCore, PassClockWrapsOnSixteenBitsAndHoldReportsThePressPoint) {
    kxAppZero();
    calls.clear();
    kx_app.OnPointerHold = [](int x, int y) { calls.push_back(std::to_string(x) + "," + std::to_string(y)); };
    kxAppLoopSetClock(65530);
    kxAppLoopStart(65530);
    EXPECT_EQ((std::vector<uint64_t>{kx_app.time, kx_app.dt}), (std::vector<uint64_t>{65530, 1}));
    kxAppLoopPassBegin(65545);
    EXPECT_EQ((std::vector<uint64_t>{kx_app.time, kx_app.dt, kx_app.time_ms}),
              (std::vector<uint64_t>{9, 15, 65545}));
    kx_app.pointer_down[0] = 1, kx_app.press_x[0] = 7, kx_app.press_y[0] = 8;
    kxAppLoopPassBegin(65550);
    kx_app.dragging[0] = 1;
    kxAppLoopPassBegin(65560);
    EXPECT_EQ(calls, (std::vector<std::string>{"7,8"}));
    // An idle pass may wait until just past the next publication, unless something needs every pass.
    EXPECT_EQ(kxAppLoopIdleWaitMs(65560), 0);  // pointer held
    kx_app.pointer_down[0] = 0;
    EXPECT_EQ(kxAppLoopIdleWaitMs(65560), 471);  // publication due after 66031
    EXPECT_EQ(kxAppLoopIdleWaitMs(66031), 0);
    kx_timer_t t{};
    kxTimerStart(&t, 100, 1, nullptr, nullptr);
    EXPECT_EQ(kxAppLoopIdleWaitMs(65560), 0);
    kxTimerStop(&t);
    char title[12];
    kxAppLoopFormatTitle(title, sizeof title, 1024, 600, 62);
    EXPECT_STREQ(title, "1024x600, 6");
}

TEST(AppCore, FpsReachesTheTitleOnlyAfterHalfASecond) {
    kxAppZero();
    kx_app.width = 1024;
    kx_app.height = 600;
    kxAppLoopSetClock(100000);
    kxAppLoopStart(100000);
    for (int i = 1; i <= 30; i++) {
        EXPECT_EQ(kxAppLoopPassBegin(100000 + i * 16), 0);
        kxAppLoopCountFrame();  // a pass that drew a frame counts twice
    }
    EXPECT_EQ(kx_app.dt, 16);
    EXPECT_EQ((std::vector<int>{kxAppLoopPassBegin(100500), kxAppLoopPassBegin(100501)}), (std::vector<int>{0, 1}));
    EXPECT_FLOAT_EQ(kx_app.fps, 62.0f);
    EXPECT_STREQ(kx_app.title, "1024x600, 62 fps");
}

void on_progress(int id, float t) { calls.push_back("p" + std::to_string(id) + " " + std::to_string(t)); }
void on_end(int id, float t) { calls.push_back("e" + std::to_string(id) + " " + std::to_string(t)); }

TEST(Timers, ProgressEachPassThenOneEndAcrossTheClockWrap) {
    kxAppZero();
    calls.clear();
    kxAppLoopStart(0);
    kxAppLoopSetClock(65500);
    kx_timer_t wrap{}, exact{};
    kxTimerStart(&wrap, 310, 1, on_progress, on_end);
    kxTimerStart(&exact, 100, 2, on_progress, on_end);
    for (int t : {100, 155, 311, 400}) kxAppLoopPassBegin(65500 + t);  // 100: exact lands on 1.0
    EXPECT_EQ(calls, (std::vector<std::string>{"p1 0.322581", "p2 1.000000", "p1 0.500000", "e2 1.000000",
                                               "e1 1.000000"}));
    EXPECT_EQ(kx_app.timer_count, 0u);
    EXPECT_FALSE(wrap.active);
}

TEST(Timers, TableHoldsSixteenAndRemovalMovesTheLastIntoTheHole) {
    kxAppZero();
    kx_timer_t t[17]{};
    for (int i = 0; i < 17; i++) kxTimerStart(&t[i], 100, i, nullptr, on_end);
    EXPECT_EQ(kx_app.timer_count, 16u);
    EXPECT_FALSE(t[16].active);
    kxTimerStop(&t[0]);
    EXPECT_EQ(kx_app.timer_count, 15u);
    EXPECT_EQ(kx_app.timers[0], &t[15]);
    EXPECT_EQ(t[15].index, 0u);
}

kx_timer_t* restarted = nullptr;
TEST(Timers, RestartMovesToTheEndAndATimerRestartedInItsEndIsRemovedAgain) {
    kxAppZero();
    calls.clear();
    kxAppLoopSetClock(1000);
    kx_timer_t a{}, b{}, c{};
    kxTimerStart(&a, 0, 1, on_progress, on_end);  // zero duration is taken as 1
    kxTimerStart(&b, 50, 2, on_progress, on_end);
    kxTimerStart(&a, 10, 1, on_progress, on_end);  // restarted: now behind b
    EXPECT_EQ((std::vector<unsigned>{kx_app.timer_count, a.index, b.index, a.duration}),
              (std::vector<unsigned>{2, 1, 0, 10}));
    EXPECT_EQ(kx_app.timers[0], &b);
    kxTimerStart(&c, 0, 3, nullptr, [](int id, float) {
        calls.push_back("restart " + std::to_string(id));
        kxTimerStart(restarted, 100, id, nullptr, nullptr);
    });
    restarted = &c;
    EXPECT_EQ(c.duration, 1);
    kxAppLoopPassBegin(1002);  // c: 2 > 1, ends and is removed though restarted; a 0.2, b 0.04
    EXPECT_EQ(calls, (std::vector<std::string>{"p2 0.040000", "p1 0.200000", "restart 3"}));
    EXPECT_EQ((std::vector<unsigned>{kx_app.timer_count, static_cast<unsigned>(c.active)}),
              (std::vector<unsigned>{2, 0}));
    // An update of a timer that is not running only logs.
    testing::internal::CaptureStdout();
    kxTimerUpdate(&c);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "timer 3 is off! \n");
    EXPECT_EQ(calls.size(), 3u);
}

TEST(Log, FileHoldsOnlyTheRunMarkersAndLinesGoToStandardOutput) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("ironvale_log_" + std::to_string(getpid())),
                   home = fs::current_path();
    fs::create_directories(dir);
    fs::current_path(dir);
    testing::internal::CaptureStdout();
    kxLogOpen();
    kxLog("%s\n", "main start");
    kxLog("value %d \n", 42);
    kxLogClose();
    kxLog("%s\n", "after");
    kxLogClose();  // closing twice is harmless
    std::stringstream file;  // read before the capture ends: that flushes every stream
    file << std::ifstream(dir / "log.txt").rdbuf();
    const std::string out = testing::internal::GetCapturedStdout();
    fs::current_path(home);
    fs::remove_all(dir);
    EXPECT_EQ(file.str(), "LOG START\nLOG END\n");
    EXPECT_EQ(out.rfind("Opening LOG.txt, fp_debug is 0x", 0), 0u) << out;
    EXPECT_NE(out.find(" \nmain start\nvalue 42 \nafter\n"), std::string::npos) << out;
    EXPECT_EQ(fp_debug, nullptr);
}

TEST(Flags, EachSetIsTakenOnceAndBadIndicesOrAFreedTableAreIgnored) {
    ASSERT_EQ(kxFlagsCreate(4), 1);
    kxFlagsSet(3);
    ASSERT_EQ(kxFlagsCreate(16), 1);  // a new table starts clear
    for (int bad : {-1, 16}) kxFlagsSet(bad);
    EXPECT_EQ((std::vector<int>{kx_flags.any, kxFlagsTake(3), kxFlagsTake(-1), kxFlagsTake(16)}),
              (std::vector<int>{0, 0, 0, 0}));
    kxFlagsSet(1);
    EXPECT_EQ((std::vector<int>{kx_flags.any, kxFlagsTake(2), kxFlagsTake(1), kxFlagsTake(1)}),
              (std::vector<int>{1, 0, 1, 0}));
    kxFlagsFree();
    kxFlagsSet(1);
    EXPECT_EQ(kxFlagsTake(1), 0);
}

}  // namespace
