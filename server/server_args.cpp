// Command line of ironvale-server.
// Depends on nothing but the C library.
#include "server/server_args.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int server_args_parse(int argc, char** argv, server_args_t* args, char* err, int cap) {
    *args = {};
    args->port = SERVER_DEFAULT_PORT;
    std::snprintf(args->name, sizeof(args->name), "%s", "Test Server");
    err[0] = 0;
    for (int i = 1; i < argc; i++) {
        const char* a = argv[i];
        if (!std::strcmp(a, "--help") || !std::strcmp(a, "-h")) {
            args->help = true;
        } else if (!std::strcmp(a, "--version")) {
            args->version = true;
        } else if (!std::strcmp(a, "--verbose") || !std::strcmp(a, "-v")) {
            args->verbose = true;
        } else if (!std::strcmp(a, "--port") || !std::strcmp(a, "--name")) {
            if (i + 1 >= argc) {
                std::snprintf(err, cap, "%s needs a value", a);
                return -1;
            }
            const char* v = argv[++i];
            if (a[2] == 'p') {
                char* end = nullptr;
                long p = std::strtol(v, &end, 10);
                if (!*v || *end || p < 1 || p > 65535) {
                    std::snprintf(err, cap, "bad port '%s' (1 to 65535)", v);
                    return -1;
                }
                args->port = (int)p;
            } else {
                if (!*v || std::strlen(v) >= sizeof(args->name)) {
                    std::snprintf(err, cap, "the name must have 1 to %d characters",
                                  (int)sizeof(args->name) - 1);
                    return -1;
                }
                std::snprintf(args->name, sizeof(args->name), "%s", v);
            }
        } else {
            std::snprintf(err, cap, "unknown option '%s'", a);
            return -1;
        }
    }
    return 0;
}

const char* server_args_usage() {
    return "Usage: ironvale-server [--port N] [--name TEXT] [--verbose]\n"
           "Dedicated Ironvale game server: relays player states, events and chat.\n"
           "  --port N       TCP and UDP port to listen on (default 25280)\n"
           "  --name TEXT    server name sent to joining players (default \"Test Server\", max 31 chars)\n"
           "  -v, --verbose  also print the network log on standard output\n"
           "  -h, --help     show this text\n"
           "  --version      show the version\n"
           "One line per event on standard output; stops cleanly on SIGINT or SIGTERM.\n";
}
