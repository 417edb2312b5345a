// Command line of ironvale-server: --port N, --name TEXT, --verbose, --help, --version.
// Depends on nothing.
#pragma once

constexpr int SERVER_DEFAULT_PORT = 25280;

struct server_args_t {
    int port;       // 1..65535, SERVER_DEFAULT_PORT when not given
    char name[32];  // sent in greetings; "Test Server" when not given
    bool verbose;   // keep the engine's log lines on standard output
    bool help;
    bool version;
};

// Parse argv into args (defaults first). 0 on success; -1 with a message in err (cap bytes).
int server_args_parse(int argc, char** argv, server_args_t* args, char* err, int cap);
// The --help text.
const char* server_args_usage();
