// Child-process and private-X-server helpers for the shell tests and benchmarks.
#include "probe_run.h"

#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace {

using clock_type = std::chrono::steady_clock;

clock_type::time_point after_ms(int ms) { return clock_type::now() + std::chrono::milliseconds(ms); }
int ms_left(clock_type::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Append what arrives within ms to c->output. False on timeout or at the end of output.
bool read_some(probe_child_t* c, int ms) {
    pollfd p{c->fd, POLLIN, 0};
    if (c->fd < 0 || poll(&p, 1, ms) <= 0) return false;
    char buf[4096];
    const ssize_t n = read(c->fd, buf, sizeof buf);
    if (n > 0) return c->output.append(buf, static_cast<size_t>(n)), true;
    close(c->fd);
    c->fd = -1;
    return false;
}

}  // namespace

bool probe_xserver_start(probe_xserver_t* x) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        close(fds[0]);
        const int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, 1);
        dup2(null_fd, 2);
        execlp("Xvfb", "Xvfb", "-displayfd", std::to_string(fds[1]).c_str(), "-screen", "0", "1280x1024x24",
               "-nolisten", "tcp", "-noreset", "+extension", "GLX", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // Xvfb writes its display number and a newline once it accepts clients.
    probe_child_t number;
    number.fd = fds[0];
    for (const auto deadline = after_ms(20000); number.output.find('\n') == std::string::npos;)
        if (!read_some(&number, ms_left(deadline))) break;
    if (number.fd >= 0) close(number.fd);
    if (number.output.find('\n') == std::string::npos) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return false;
    }
    x->pid = pid;
    // Built in a buffer and moved in: GCC 12 at -O3 warns falsely (-Wrestrict) on
    // assigning or concatenating short literals here.
    char name[16];
    std::snprintf(name, sizeof name, ":%d", std::atoi(number.output.c_str()));
    x->display = std::string(name);
    return true;
}

void probe_xserver_stop(probe_xserver_t* x) {
    if (x->pid <= 0) return;
    kill(x->pid, SIGTERM);
    waitpid(x->pid, nullptr, 0);
    x->pid = -1;
}

bool probe_spawn(probe_child_t* c, const std::string& program, const std::vector<std::string>& argv,
                 const std::string& cwd, const char* display) {
    int fds[2];
    // Close-on-exec, so a later child never holds this pipe open (dup2 clears it for 1 and 2).
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) return false;
    if (pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        if (display)
            setenv("DISPLAY", display, 1);
        else
            unsetenv("DISPLAY");
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(program.c_str(), args.data());
        _exit(127);
    }
    close(fds[1]);
    c->pid = pid;
    c->fd = fds[0];
    return true;
}

bool probe_expect(probe_child_t* c, const std::string& needle, int timeout_ms) {
    const auto deadline = after_ms(timeout_ms);
    size_t at;
    while ((at = c->output.find(needle, c->cursor)) == std::string::npos)
        if (!read_some(c, ms_left(deadline)) && (c->fd < 0 || ms_left(deadline) == 0)) return false;
    c->cursor = at + needle.size();
    return true;
}

bool probe_wait_exit(probe_child_t* c, int timeout_ms) {
    const auto deadline = after_ms(timeout_ms);
    while (c->fd >= 0 && ms_left(deadline) > 0) read_some(c, ms_left(deadline));
    for (int status = 0; c->pid > 0; usleep(2000)) {
        if (waitpid(c->pid, &status, WNOHANG) == c->pid) {
            c->exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            c->pid = -1;
            return true;
        }
        if (ms_left(deadline) == 0) break;
    }
    probe_kill(c);
    return false;
}

void probe_kill(probe_child_t* c) {
    if (c->pid > 0) {
        kill(c->pid, SIGKILL);
        waitpid(c->pid, nullptr, 0);
        c->pid = -1;
    }
    if (c->fd >= 0) close(c->fd);
    c->fd = -1;
}
