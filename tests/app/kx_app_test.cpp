// The portable application core without a display: the size and em rule, the
// loop's clock/fps/title half, timers and signal flags.
#include "engine/app/kx_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "engine/app/kx_app_loop.h"

namespace {

std::vector<std::string> calls;
void record(const char* what, int a, int b) {
    calls.push_back(what + (" " + std::to_string(a)) + " " + std::to_string(b));
}

struct AppCore : ::testing::Test {
    void SetUp() override {
        kxAppZero();
        calls.clear();
        kx_app.OnResize = [](int w, int h) { record("resize", w, h); };
        kx_app.OnOrientationChange = [](int a, int b) { record("orient", a, b); };
        kx_app.OnPointerHold = [](int x, int y) { record("hold", x, y); };
    }
    void TearDown() override {
        while (kx_app.timer_count) kxTimerStop(kx_app.timers[0]);
    }
    int pass(uint64_t now) { return kxAppLoopPassBegin(now); }
};

TEST_F(AppCore, SizeRuleGivesEmAndOrientationAndReachesTheGameOnlyOnceReady) {
    // Screen class, width, height, em. Landscape (or square) is orientation 1; a window
    // without area counts as 1 x 1, so nothing divides by zero.
    const float cases[][4] = {{1, 1024, 600, 6.0f},    {1, 600, 1024, 6.0f},  {1, 800, 600, 5.5f},
                              {1, 1920, 1080, 10.75f}, {1, 1000, 1000, 7.0f}, {0, 1024, 600, 8.5f},
                              {0, 640, 640, 6.25f},    {1, 1, 1, 0.0f},       {1, 0, 0, 0.0f}};
    for (const auto& [screen_class, w, h, em] : cases) {
        SCOPED_TRACE(testing::Message() << w << "x" << h << " class " << screen_class);
        kx_app.screen_class = static_cast<int>(screen_class);
        kx_app.orientation = w >= h;  // unchanged: no callback
        kxAppUpdateSize(static_cast<int>(w), static_cast<int>(h));
        EXPECT_FLOAT_EQ(kx_app.em, em);
        EXPECT_EQ(kx_app.orientation, w >= h);
        EXPECT_EQ(kx_app.width, std::max(1, static_cast<int>(w)));
        EXPECT_FLOAT_EQ(kx_app.aspect, std::max(1.0f, w) / std::max(1.0f, h));
    }
    kx_app.screen_class = kx_app.orientation = 1;
    kxAppUpdateSize(1024, 600);
    EXPECT_TRUE(calls.empty()) << "no callbacks before display_ready";
    kx_app.display_ready = 1;
    kxAppUpdateSize(600, 1024);
    kxAppUpdateSize(1024, 600);
    EXPECT_EQ(calls,
              (std::vector<std::string>{"orient 1 0", "resize 600 1024", "orient 0 1", "resize 1024 600"}));
    // Every slot but mouse-look has a callable default after kxAppZero.
    kxAppZero();
    EXPECT_EQ(kx_app.OnMouseLook, nullptr);
    kx_app.OnKeyDown(97, 1);
    kx_app.OnTap(1, 2);
    kx_app.OnProcess();
}

TEST_F(AppCore, LoopTracksTheClockAndPublishesFpsInTheTitle) {
    kx_app.width = 1024;
    kx_app.height = 600;
    kxAppLoopSetClock(100000);
    kxAppLoopStart(100000);
    EXPECT_EQ(kxAppLoopIdleWaitMs(100000), 501);
    EXPECT_EQ(pass(100016), 0);
    EXPECT_EQ(kx_app.dt, 16);
    EXPECT_EQ(kx_app.time, static_cast<uint16_t>(100016));
    for (int i = 1; i < 30; i++) {
        EXPECT_EQ(pass(100016 + i * 16), 0);
        kxAppLoopCountFrame();  // each pass drew a frame: counted twice
    }
    EXPECT_EQ(pass(100500), 0) << "publication needs more than 500 ms";
    EXPECT_EQ(pass(100501), 1);
    EXPECT_FLOAT_EQ(kx_app.fps, 61.0f);  // 32 passes + 29 frames
    EXPECT_STREQ(kx_app.title, "1024x600, 61 fps");
    EXPECT_EQ(kxAppLoopIdleWaitMs(100600), 402);
    kxAppLoopSetClock(65530);  // the 16-bit clock wraps; dt stays the real difference
    pass(65550);
    EXPECT_EQ(kx_app.dt, 20);
    // Titles are cut to 31 characters.
    kxAppLoopSetTitle("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
    EXPECT_STREQ(kx_app.title, "ABCDEFGHIJKLMNOPQRSTUVWXYZ01234");
    char small[KX_APP_TITLE_SIZE];
    kxAppLoopFormatTitle(small, sizeof small, -2147483647, -2147483647, -2147483647);
    EXPECT_STREQ(small, "-2147483647x-2147483647, -21474");
}

TEST_F(AppCore, PointerHoldRunsEachPassUntilTheDragBegins) {
    kxAppLoopStart(0);
    kx_app.pointer_down[0] = 1;
    kx_app.press_x[0] = 7;
    kx_app.press_y[0] = 9;
    pass(10);
    pass(20);
    EXPECT_EQ(kxAppLoopIdleWaitMs(20), 0) << "a held pointer needs regular passes";
    kxAppMarkDragging();
    pass(30);
    EXPECT_EQ(calls, (std::vector<std::string>{"hold 7 9", "hold 7 9"}));
    EXPECT_EQ(kxAppPointerIsDown(0) * 10 + kxAppPointerIsDown(10) + kxAppPointerIsDown(-1), 10);
}

kx_timer_t* restart_me = nullptr;
void on_progress(int id, float t) { calls.push_back("p" + std::to_string(id) + " " + std::to_string(t)); }
void on_end(int id, float t) {
    calls.push_back("e" + std::to_string(id) + " " + std::to_string(t));
    if (restart_me) kxTimerStart(restart_me, 100, id, on_progress, on_end);
}

TEST_F(AppCore, TimersRunAcrossTheClockWrapAndEndOnlyAfterProgressOne) {
    kxAppLoopStart(0);
    kxAppLoopSetClock(65500);
    kx_timer_t wrap{}, exact{};
    kxTimerStart(&wrap, 310, 1, on_progress, on_end);
    kxTimerStart(&exact, 100, 2, on_progress, on_end);
    for (int t : {100, 155, 311, 400}) pass(65500 + t);  // 100: exact lands on 1.0; 155: past the wrap
    EXPECT_EQ(calls, (std::vector<std::string>{"p1 0.322581", "p2 1.000000", "p1 0.500000", "e2 1.000000",
                                               "e1 1.000000"}));
    EXPECT_EQ(kx_app.timer_count, 0u);
    EXPECT_FALSE(wrap.active);
}

TEST_F(AppCore, TimerTableHoldsSixteenAndRemovalMovesTheLastIntoTheHole) {
    kx_timer_t t[17]{};
    for (int i = 0; i < 17; i++) kxTimerStart(&t[i], static_cast<uint16_t>(100 + i), i, nullptr, on_end);
    EXPECT_EQ(kx_app.timer_count, 16u);
    EXPECT_FALSE(t[16].active) << "the seventeenth timer is dropped";
    kxTimerStart(&t[3], 500, 3, nullptr, on_end);  // a restart moves it to the end
    EXPECT_EQ(kx_app.timers[15], &t[3]);
    EXPECT_EQ(kx_app.timers[3], &t[15]);
    for (unsigned i = 0; i < kx_app.timer_count; i++) EXPECT_EQ(kx_app.timers[i]->index, i);
    kxTimerStop(&t[0]);
    EXPECT_EQ(kx_app.timer_count, 15u);
    EXPECT_EQ(kx_app.timers[0], &t[3]);
    EXPECT_EQ(t[3].index, 0u);
}

TEST_F(AppCore, TimerEndingDuringTheWalkLetsTheMovedOneWaitAndMayRestartItself) {
    kxAppLoopSetClock(1000);
    kxAppLoopStart(1000);
    kx_timer_t a{}, b{}, c{};
    kxTimerStart(&a, 10, 1, on_progress, on_end);
    kxTimerStart(&b, 1000, 2, on_progress, on_end);
    kxTimerStart(&c, 1000, 3, on_progress, on_end);
    pass(1020);  // a ended; c moved into slot 0 and is not updated in this pass
    EXPECT_EQ(calls, (std::vector<std::string>{"e1 1.000000", "p2 0.020000"}));
    EXPECT_EQ(kx_app.timers[0], &c);
    // A timer restarted from its own end callback is removed again.
    kxTimerStop(&b);
    kxTimerStop(&c);
    restart_me = &a;
    kxTimerStart(&a, 0, 5, on_progress, on_end);  // zero taken as 1 ms
    EXPECT_EQ(a.duration, 1);
    pass(1030);
    restart_me = nullptr;
    EXPECT_FALSE(a.active);
    EXPECT_EQ(kx_app.timer_count, 0u);
}

TEST(Flags, SetTakeOutOfRangeAfterFreeAndFromAWorker) {
    ASSERT_EQ(kxFlagsCreate(16), 1);
    kxFlagsSet(1);
    EXPECT_EQ(kx_flags.any, 1);
    EXPECT_EQ(kxFlagsTake(2), 0);
    EXPECT_EQ(kxFlagsTake(1), 1);
    EXPECT_EQ(kxFlagsTake(1), 0);  // taken once
    for (int bad : {-1, 16, 1000}) {
        kxFlagsSet(bad);
        EXPECT_EQ(kxFlagsTake(bad), 0);
    }
    for (int round = 0; round < 200; round++) {
        std::thread worker([] {
            kxFlagsSet(1);
            kxFlagsSet(2);
        });
        for (int seen1 = 0, seen2 = 0; !(seen1 && seen2);) {
            seen1 |= kxFlagsTake(1);
            seen2 |= kxFlagsTake(2);
        }
        worker.join();
        EXPECT_EQ(kxFlagsTake(1) + kxFlagsTake(2), 0);
    }
    kxFlagsFree();
    kxFlagsSet(1);  // after free: ignored, no write through a dangling pointer
    EXPECT_EQ(kxFlagsTake(1), 0);
    EXPECT_EQ(kxFlagsCreate(0), 0);
}

}  // namespace
