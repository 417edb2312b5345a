// Helpers for driving a windowed program from outside: a private Xvfb per test
// (so injected input never reaches another test's window) and a child process
// whose standard output is followed with timeouts. Depends on POSIX and Xvfb on PATH.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

struct probe_xserver_t {
    pid_t pid = -1;
    std::string display;  // ":N"
};

// Start Xvfb on a display it picks itself. Returns false when it cannot start.
bool probe_xserver_start(probe_xserver_t* x);
// Stop it (SIGTERM, then wait).
void probe_xserver_stop(probe_xserver_t* x);

struct probe_child_t {
    pid_t pid = -1;
    int fd = -1;           // read end of the child's stdout+stderr
    std::string output;    // everything read so far
    size_t cursor = 0;     // probe_expect searches from here
    int exit_status = -1;  // set by probe_wait_exit (-2 when killed by a signal)
};

// Start program with argv (argv[0] as given) in directory cwd; DISPLAY set to
// display, or removed when display is null. Returns false on failure.
bool probe_spawn(probe_child_t* c, const std::string& program, const std::vector<std::string>& argv,
                 const std::string& cwd, const char* display);
// Wait until needle appears in the output after the cursor, then move the cursor
// past it. False on timeout or end of output.
bool probe_expect(probe_child_t* c, const std::string& needle, int timeout_ms = 15000);
// Read to the end and reap the child. False on timeout (the child is then killed).
bool probe_wait_exit(probe_child_t* c, int timeout_ms = 15000);
// Kill and reap the child if it still runs.
void probe_kill(probe_child_t* c);
