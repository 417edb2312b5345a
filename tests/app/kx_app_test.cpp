// The application core without a display: size and em rule, fps title, timers, signal flags.
#include "engine/app/kx_app.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/app/kx_app_loop.h"

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
    EXPECT_EQ(kxAppLoopPassBegin(100500), 0);
    EXPECT_EQ(kxAppLoopPassBegin(100501), 1);
    EXPECT_FLOAT_EQ(kx_app.fps, 62.0f);
    EXPECT_STREQ(kx_app.title, "1024x600, 62 fps");
}

std::vector<std::string> calls;
void on_progress(int id, float t) { calls.push_back("p" + std::to_string(id) + " " + std::to_string(t)); }
void on_end(int id, float t) { calls.push_back("e" + std::to_string(id) + " " + std::to_string(t)); }

TEST(Timers, ProgressEachPassThenOneEndAcrossTheClockWrap) {
    kxAppZero();
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

TEST(Flags, EachSetIsTakenOnceAndBadIndicesOrAFreedTableAreIgnored) {
    ASSERT_EQ(kxFlagsCreate(16), 1);
    kxFlagsSet(1);
    EXPECT_EQ(kx_flags.any, 1);
    EXPECT_EQ(kxFlagsTake(2), 0);
    EXPECT_EQ(kxFlagsTake(1), 1);
    EXPECT_EQ(kxFlagsTake(1), 0);
    for (int bad : {-1, 16}) {
        kxFlagsSet(bad);
        EXPECT_EQ(kxFlagsTake(bad), 0);
    }
    kxFlagsFree();
    kxFlagsSet(1);
    EXPECT_EQ(kxFlagsTake(1), 0);
}

}  // namespace
