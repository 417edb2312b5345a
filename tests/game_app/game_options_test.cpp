// The command line and the benchmark statistics, with hand-worked values.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "game/game_bench.h"
#include "game/game_options.h"

namespace {

struct parsed_t {
    int ok;
    game_options_t o;
    std::string err;
};

parsed_t parse(std::vector<const char*> args) {
    args.insert(args.begin(), "ironvale-x11");
    args.push_back(nullptr);  // as main's argv ends
    parsed_t p{};
    char err[128] = "";
    p.ok = game_options_parse(static_cast<int>(args.size()) - 1, const_cast<char**>(args.data()), &p.o, err,
                              sizeof err);
    p.err = err;
    return p;
}

TEST(GameOptions, NoOptionsMeansFullscreenSeedOneNoBenchmark) {
    const parsed_t p = parse({});
    ASSERT_EQ(p.ok, 1);
    EXPECT_EQ(p.o.windowed, 0);
    EXPECT_EQ(p.o.width, 0);
    EXPECT_EQ(p.o.bench, 0);
    EXPECT_EQ(p.o.seed, 1u);
    EXPECT_EQ(p.o.connect, nullptr);
    EXPECT_EQ(p.o.name, nullptr);
}

TEST(GameOptions, EveryOptionTakesItsValue) {
    const parsed_t p = parse({"--windowed", "--size", "800x480", "--benchmark", "2.5", "--seed", "42", "--connect",
                              "10.0.0.1:9", "--name", "Alice", "--version", "-h"});
    ASSERT_EQ(p.ok, 1) << p.err;
    EXPECT_EQ(p.o.windowed, 1);
    EXPECT_EQ(p.o.width, 800);
    EXPECT_EQ(p.o.height, 480);
    EXPECT_EQ(p.o.bench, 1);
    EXPECT_DOUBLE_EQ(p.o.bench_seconds, 2.5);
    EXPECT_EQ(p.o.seed, 42u);
    EXPECT_STREQ(p.o.connect, "10.0.0.1:9");
    EXPECT_STREQ(p.o.name, "Alice");
    EXPECT_EQ(p.o.version, 1);
    EXPECT_EQ(p.o.help, 1);
    EXPECT_EQ(parse({"--size", "64X64"}).o.height, 64);
    EXPECT_EQ(parse({"--size", "16384x16384"}).o.width, 16384);
    EXPECT_DOUBLE_EQ(parse({"--benchmark", "0.5"}).o.bench_seconds, 0.5);
}

TEST(GameOptions, BadValuesAreRefusedWithTheirReason) {
    const struct {
        std::vector<const char*> args;
        const char* err;
    } cases[] = {
        {{"--size", "63x64"}, "--size wants WIDTHxHEIGHT, 64 to 16384 each"},
        {{"--size", "64x63"}, "--size wants WIDTHxHEIGHT, 64 to 16384 each"},
        {{"--size", "16385x64"}, "--size wants WIDTHxHEIGHT, 64 to 16384 each"},
        {{"--size", "64x16385"}, "--size wants WIDTHxHEIGHT, 64 to 16384 each"},
        {{"--size", "100x"}, "--size wants WIDTHxHEIGHT, 64 to 16384 each"},
        {{"--size", "100x200px"}, "--size wants WIDTHxHEIGHT, 64 to 16384 each"},
        {{"--size", "100*200"}, "--size wants WIDTHxHEIGHT, 64 to 16384 each"},
        {{"--size"}, "--size wants WIDTHxHEIGHT, 64 to 16384 each"},
        {{"--benchmark", "0"}, "--benchmark wants a number of seconds above 0"},
        {{"--benchmark", "86401"}, "--benchmark wants a number of seconds above 0"},
        {{"--benchmark", "nan"}, "--benchmark wants a number of seconds above 0"},
        {{"--benchmark", "5s"}, "--benchmark wants a number of seconds above 0"},
        {{"--seed", "x"}, "--seed wants a whole number"},
        {{"--seed"}, "--seed wants a whole number"},
        {{"--connect", ""}, "--connect wants a value"},
        {{"--name"}, "--name wants a value"},
        {{"--fullscreen"}, "unknown option --fullscreen (try --help)"},
    };
    for (const auto& c : cases) {
        const parsed_t p = parse(c.args);
        EXPECT_EQ(p.ok, 0) << c.args[0];
        EXPECT_EQ(p.err, c.err) << c.args[0];
    }
    EXPECT_EQ(parse({"--benchmark", "86400"}).ok, 1);
}

// Frames given as wall ms; phases of 1, 2 and 3 ms each frame.
game_bench_summary_t measure(std::vector<double> frames_ms) {
    game_bench_reset();
    for (double ms : frames_ms) game_bench_frame(ms, 1, 2, 3);
    return game_bench_summary();
}

TEST(GameBench, MedianMeanAndOnePercentLowWorkedByHand) {
    // 99 frames of 10 ms and one of 40: median 100 fps, mean 100 000 / 1030, the slowest 1 frame 25 fps.
    std::vector<double> f(99, 10.0);
    f.push_back(40.0);
    game_bench_summary_t s = measure(f);
    EXPECT_EQ(s.frames, 100);
    EXPECT_DOUBLE_EQ(s.seconds, 1.03);
    EXPECT_DOUBLE_EQ(s.fps_median, 100.0);
    EXPECT_NEAR(s.fps_mean, 97.087, 0.001);
    EXPECT_DOUBLE_EQ(s.fps_low1, 25.0);
    EXPECT_DOUBLE_EQ(s.sim_ms, 1.0);
    EXPECT_DOUBLE_EQ(s.draw_ms, 2.0);
    EXPECT_DOUBLE_EQ(s.swap_ms, 3.0);

    // 200 frames: the slowest two (50 and 30 ms) make the 1%-low 25 fps; 199 frames: only the slowest, 20 fps.
    std::vector<double> g(198, 5.0);
    g.push_back(50.0);
    g.push_back(30.0);
    s = measure(g);
    EXPECT_DOUBLE_EQ(s.fps_median, 200.0);
    EXPECT_DOUBLE_EQ(s.fps_low1, 25.0);
    g.erase(g.begin());
    EXPECT_DOUBLE_EQ(measure(g).fps_low1, 20.0);

    // An odd count takes the middle frame; an even one the mean of the two middle frames.
    EXPECT_DOUBLE_EQ(measure({50, 10, 40, 20, 30}).fps_median, 1000.0 / 30);
    EXPECT_DOUBLE_EQ(measure({10, 40, 20, 30}).fps_median, 40.0);
    // Frames under a millisecond still count; frames of no time at all give 0, never a division by zero.
    EXPECT_DOUBLE_EQ(measure({0.5, 0.5}).fps_median, 2000.0);
    EXPECT_DOUBLE_EQ(measure({0.5, 0.5}).fps_mean, 2000.0);
    EXPECT_DOUBLE_EQ(measure({0.5, 0.5}).fps_low1, 2000.0);
    s = measure({0, 0});
    EXPECT_EQ(s.fps_median + s.fps_mean + s.fps_low1, 0.0);
    EXPECT_DOUBLE_EQ(measure({20}).fps_low1, 50.0);
    EXPECT_EQ(measure({}).frames, 0);
    EXPECT_EQ(measure({}).fps_median, 0.0);
}

TEST(GameBench, FramesPastTheCapacityAreDropped) {
    game_bench_reset();
    for (int i = 0; i < GAME_BENCH_MAX_FRAMES + 3; i++) game_bench_frame(i < GAME_BENCH_MAX_FRAMES ? 4 : 1000, 0, 0, 0);
    EXPECT_EQ(game_bench_frames(), GAME_BENCH_MAX_FRAMES);
    EXPECT_DOUBLE_EQ(game_bench_summary().fps_low1, 250.0);
}

TEST(GameBench, JsonLineAndItsTruncation) {
    const game_bench_summary_t s = measure({10, 20, 30});
    const game_bench_memory_t mem{120.25, 60.5};
    char buf[512];
    const int n = game_bench_json(&s, &mem, 3, buf, sizeof buf);
    const char* want =
        "{\"frames\": 3, \"seconds\": 0.060, \"fps_median\": 50.0, \"fps_mean\": 50.0, \"fps_1pct_low\": 33.3, "
        "\"cpu_ms_per_frame\": {\"simulation\": 1.000, \"drawing\": 2.000, \"swap\": 3.000}, \"peak_rss_mb\": 120.2, "
        "\"private_mb\": 60.5, \"bots_alive\": 3}";
    EXPECT_STREQ(buf, want);
    EXPECT_EQ(n, static_cast<int>(std::strlen(want)));
    char exact[512];
    EXPECT_EQ(game_bench_json(&s, &mem, 3, exact, std::strlen(want)), n - 1);  // no room for the NUL
    char small[16];
    EXPECT_EQ(game_bench_json(&s, &mem, 3, small, sizeof small), 15);
    EXPECT_STREQ(small, "{\"frames\": 3, \"");
}

}  // namespace
