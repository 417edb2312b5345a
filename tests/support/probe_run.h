// Driving a windowed program from outside: a private Xvfb per test (so injected
// input never reaches another test's window) and a child whose output is followed.
#pragma once

#include <csignal>
#include <string>
#include <vector>

struct probe_child_t {
    int pid = -1, fd = -1;  // fd: read end of the child's stdout+stderr
    std::string output;
    size_t cursor = 0;  // probe_expect searches from here
    int exit_status = -1;
};

// Run program as argv in cwd, DISPLAY set to display or removed when it is null.
bool probe_spawn(probe_child_t* c, const std::string& program, const std::vector<std::string>& argv,
                 const std::string& cwd, const char* display);
// Wait for needle after the cursor and move past it. False at the end of output or after 15 s of silence.
bool probe_expect(probe_child_t* c, const std::string& needle);
// Read to the end and reap; a child silent for 15 s is killed and false returned.
bool probe_wait_exit(probe_child_t* c);
void probe_kill(probe_child_t* c, int sig = SIGKILL);
// Xvfb on a display it picks itself; stop it with probe_kill(x, SIGTERM).
bool probe_xserver_start(probe_child_t* x, std::string* display);
