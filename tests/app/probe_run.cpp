// Child-process and private-X-server helpers for the shell tests and benchmarks.
#include "probe_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

using clock_type = std::chrono::steady_clock;

int ms_left(clock_type::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_type::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Read once from fd, waiting at most ms. Returns bytes read, 0 at EOF, -1 on timeout.
int read_some(probe_child_t* c, int ms) {
    pollfd p{c->fd, POLLIN, 0};
    if (poll(&p, 1, ms) <= 0) return -1;
    char buf[4096];
    const ssize_t n = read(c->fd, buf, sizeof buf);
    if (n > 0) c->output.append(buf, static_cast<size_t>(n));
    return n > 0 ? static_cast<int>(n) : 0;
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
        const std::string fd_arg = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd_arg.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
               "tcp", "+extension", "GLX", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char ch = 0;
    pollfd p{fds[0], POLLIN, 0};
    const auto deadline = clock_type::now() + std::chrono::seconds(20);
    while (ms_left(deadline) > 0 && poll(&p, 1, ms_left(deadline)) > 0 && read(fds[0], &ch, 1) == 1 &&
           ch != '\n')
        number += ch;
    close(fds[0]);
    if (number.empty()) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return false;
    }
    x->pid = pid;
    x->display = ":" + number;
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
        close(fds[0]);
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        close(fds[1]);
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
    const auto deadline = clock_type::now() + std::chrono::milliseconds(timeout_ms);
    for (;;) {
        const size_t at = c->output.find(needle, c->cursor);
        if (at != std::string::npos) {
            c->cursor = at + needle.size();
            return true;
        }
        if (c->fd < 0 || ms_left(deadline) == 0) return false;
        const int n = read_some(c, ms_left(deadline));
        if (n == 0) {
            close(c->fd);
            c->fd = -1;
        }
    }
}

void probe_drain(probe_child_t* c) {
    while (c->fd >= 0) {
        const int n = read_some(c, 0);
        if (n < 0) return;
        if (n == 0) {
            close(c->fd);
            c->fd = -1;
        }
    }
}

bool probe_wait_exit(probe_child_t* c, int timeout_ms) {
    const auto deadline = clock_type::now() + std::chrono::milliseconds(timeout_ms);
    while (c->fd >= 0 && ms_left(deadline) > 0) {
        const int n = read_some(c, ms_left(deadline));
        if (n == 0) {
            close(c->fd);
            c->fd = -1;
        }
    }
    while (c->pid > 0) {
        int status = 0;
        const pid_t r = waitpid(c->pid, &status, WNOHANG);
        if (r == c->pid) {
            c->exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
            c->pid = -1;
            return true;
        }
        if (ms_left(deadline) == 0) break;
        usleep(2000);
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
    if (c->fd >= 0) {
        close(c->fd);
        c->fd = -1;
    }
}
