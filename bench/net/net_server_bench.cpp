// Dedicated server cost: ironvale-server runs as its own process while the
// load generator plays 12 registered users sending states every 50 ms, or while
// nobody is connected. The server's CPU time comes from /proc/<pid>/schedstat.
// Aims: < 5 ms of CPU per second of play; idle < 0.2 % of a core; the state
// cycle seen by a client 51 to 60 ms.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>

#include "tools/loadgen/loadgen.h"

namespace {

double now_s() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// CPU time of a process in seconds (scheduler nanoseconds).
double cpu_s(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof(path), "/proc/%d/schedstat", (int)pid);
    FILE* f = std::fopen(path, "r");
    if (!f) return 0;
    unsigned long long ns = 0;
    if (std::fscanf(f, "%llu", &ns) != 1) ns = 0;
    std::fclose(f);
    return ns / 1e9;
}

// Start ironvale-server on a random port, quiet. Its pid, or -1.
pid_t start_server(int* port) {
    std::mt19937 rng((unsigned)getpid() ^ (unsigned)time(nullptr));
    for (int attempt = 0; attempt < 20; attempt++) {
        *port = 20000 + (int)(rng() % 40000);
        pid_t pid = fork();
        if (pid == 0) {
            std::string p = std::to_string(*port);
            freopen("/dev/null", "w", stdout);
            execl(IRONVALE_SERVER_BIN, IRONVALE_SERVER_BIN, "--port", p.c_str(), (char*)nullptr);
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == 0) return pid;  // still running: it listens
    }
    return -1;
}

void stop_server(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
}

void BM_ServerTwelveUsers(benchmark::State& state) {
    int port = 0;
    pid_t pid = start_server(&port);
    if (pid < 0) {
        state.SkipWithError("server did not start");
        return;
    }
    loadgen_config_t cfg;
    loadgen_defaults(&cfg);
    cfg.port = port;
    cfg.clients = 12;
    cfg.seconds = 10;
    static loadgen_result_t result;
    double cpu = 0, play = 0;
    for (auto _ : state) {
        // CPU is sampled around the whole run and charged to the sending window: joining
        // and leaving are included, which only overstates the cost.
        double c0 = cpu_s(pid);
        int rc = loadgen_run(&cfg, &result);
        cpu = cpu_s(pid) - c0;
        play = result.seconds;
        if (rc != 0) state.SkipWithError("not every user joined and stayed");
    }
    stop_server(pid);
    double recv = 0, period = 0;
    uint64_t pc = 0;
    for (int i = 0; i < result.clients; i++) {
        recv += result.stats[i].recv_bytes;
        period += result.stats[i].period_sum_ms;
        pc += result.stats[i].period_count;
    }
    state.counters["server_cpu_ms_per_s"] = play > 0 ? cpu * 1000 / play : 0;
    state.counters["bytes_per_s_to_each_user"] = play > 0 ? recv / result.clients / play : 0;
    state.counters["state_period_ms"] = pc ? period / pc : 0;
}
BENCHMARK(BM_ServerTwelveUsers)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

void BM_ServerIdle(benchmark::State& state) {
    int port = 0;
    pid_t pid = start_server(&port);
    if (pid < 0) {
        state.SkipWithError("server did not start");
        return;
    }
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        double c0 = cpu_s(pid), t0 = now_s();
        std::this_thread::sleep_for(std::chrono::seconds(10));
        cpu = cpu_s(pid) - c0;
        wall = now_s() - t0;
    }
    stop_server(pid);
    state.counters["idle_cpu_percent_of_core"] = wall > 0 ? cpu / wall * 100 : 0;
}
BENCHMARK(BM_ServerIdle)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
