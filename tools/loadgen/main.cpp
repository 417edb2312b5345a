// ironvale-loadgen: joins N headless clients to a server on 127.0.0.1 and
// reports the message and byte rates each way, as text or JSON.
// Depends on loadgen (tools/loadgen), kx_net.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tools/loadgen/loadgen.h"

namespace {

const char* usage =
    "Usage: ironvale-loadgen [--port N] [--clients N] [--seconds T] [--events K] [--texts K] [--json] "
    "[--verbose]\n"
    "Connects N netman clients to 127.0.0.1:port, sends a game state every 50 ms for T seconds\n"
    "(every K-th with an event over TCP, and a text after every K-th), then reports rates.\n";

}  // namespace

int main(int argc, char** argv) {
    loadgen_config_t cfg;
    loadgen_defaults(&cfg);
    bool json = false, verbose = false;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!std::strcmp(a, "--json")) {
            json = true;
        } else if (!std::strcmp(a, "--verbose")) {
            verbose = true;
        } else if (!std::strcmp(a, "--help")) {
            std::fputs(usage, stdout);
            return 0;
        } else if (v && !std::strcmp(a, "--port")) {
            cfg.port = std::atoi(v), i++;
        } else if (v && !std::strcmp(a, "--clients")) {
            cfg.clients = std::atoi(v), i++;
        } else if (v && !std::strcmp(a, "--seconds")) {
            cfg.seconds = std::atof(v), i++;
        } else if (v && !std::strcmp(a, "--events")) {
            cfg.events_every = std::atoi(v), i++;
        } else if (v && !std::strcmp(a, "--texts")) {
            cfg.text_every = std::atoi(v), i++;
        } else {
            std::fprintf(stderr, "ironvale-loadgen: bad option '%s'\n%s", a, usage);
            return 2;
        }
    }
    if (cfg.port < 1 || cfg.port > 65535 || cfg.clients < 1 || cfg.clients > LOADGEN_MAX_CLIENTS ||
        cfg.seconds <= 0) {
        std::fprintf(stderr, "ironvale-loadgen: port 1..65535, clients 1..%d, seconds > 0\n",
                     LOADGEN_MAX_CLIENTS);
        return 2;
    }
    // The network log goes to standard output; keep the report alone there unless asked.
    FILE* out = stdout;
    if (!verbose) {
        int keep = dup(STDOUT_FILENO);
        int null_fd = open("/dev/null", O_WRONLY);
        if (keep >= 0 && null_fd >= 0) {
            dup2(null_fd, STDOUT_FILENO);
            close(null_fd);
            FILE* f = fdopen(keep, "w");
            if (f) out = f;
        }
    }
    static loadgen_result_t result;
    int rc = loadgen_run(&cfg, &result);
    loadgen_report(&result, json, out);
    std::fflush(out);
    if (rc != 0) std::fprintf(stderr, "ironvale-loadgen: not every client joined and stayed\n");
    return rc;
}
