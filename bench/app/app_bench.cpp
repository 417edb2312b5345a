// Start-up latency and idle cost of the X11 shell, measured from outside on
// the probe program under a private Xvfb (software GL):
//   StartToFirstFrame: exec until the first OnProcess (aim < 150 ms).
//   IdleWindowCpu: CPU share of a window with continuous 0 and no input over
//   3 s, from /proc (aim < 1 % of a core).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "probe_run.h"

namespace {

probe_child_t xs;
std::string display;

bool ensure_xserver() {
    if (xs.pid > 0) return true;
    if (!probe_xserver_start(&xs, &display)) return false;
    std::atexit([] { probe_kill(&xs, SIGTERM); });
    return true;
}

// utime + stime of a process in clock ticks.
long cpu_ticks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t paren = all.rfind(')');
    if (paren == std::string::npos) return -1;
    std::istringstream fields(all.substr(paren + 2));
    std::string f;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; i++) {
        if (i == 14) utime = std::stol(f);
        if (i == 15) stime = std::stol(f);
    }
    return utime + stime;
}

void StartToFirstFrame(benchmark::State& state) {
    if (!ensure_xserver()) {
        state.SkipWithError("Xvfb did not start");
        return;
    }
    const std::string dir = std::filesystem::temp_directory_path().string();
    for (auto _ : state) {
        probe_child_t c;
        const auto t0 = std::chrono::steady_clock::now();
        if (!probe_spawn(&c, SHELL_PROBE, {SHELL_PROBE, "--quit-at-first-process"}, dir, display.c_str()) ||
            !probe_expect(&c, "cb OnProcess 1")) {
            probe_kill(&c);
            state.SkipWithError("probe did not draw");
            return;
        }
        const auto t1 = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
        probe_wait_exit(&c);
    }
}
BENCHMARK(StartToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void IdleWindowCpu(benchmark::State& state) {
    if (!ensure_xserver()) {
        state.SkipWithError("Xvfb did not start");
        return;
    }
    const std::string dir = std::filesystem::temp_directory_path().string();
    double share = 0;
    for (auto _ : state) {
        probe_child_t c;
        if (!probe_spawn(&c, SHELL_PROBE, {SHELL_PROBE}, dir, display.c_str()) ||
            !probe_expect(&c, "cb OnProcess 1")) {
            probe_kill(&c);
            state.SkipWithError("probe did not start");
            return;
        }
        // Let the start-up events settle, then measure a quiet stretch.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        const long before = cpu_ticks(c.pid);
        const auto t0 = std::chrono::steady_clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const long after = cpu_ticks(c.pid);
        const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        share = (after - before) / static_cast<double>(sysconf(_SC_CLK_TCK)) / wall;
        probe_kill(&c);
    }
    state.counters["cpu_percent_of_core"] = share * 100.0;
}
BENCHMARK(IdleWindowCpu)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
