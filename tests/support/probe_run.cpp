#include "probe_run.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

// Append what arrives within 60 s (a sanitized game on a busy machine loads quietly for
// long). False on silence or at the end of output.
bool read_some(probe_child_t* c) {
    pollfd p{c->fd, POLLIN, 0};
    char buf[4096];
    if (c->fd < 0 || poll(&p, 1, 60000) <= 0) return false;
    const ssize_t n = read(c->fd, buf, sizeof buf);
    if (n > 0) return c->output.append(buf, static_cast<size_t>(n)), true;
    close(c->fd);
    c->fd = -1;
    return false;
}

}  // namespace

bool probe_spawn(probe_child_t* c, const std::string& program, const std::vector<std::string>& argv,
                 const std::string& cwd, const char* display) {
    int fds[2];
    // Close-on-exec, so a later child never holds this pipe open (dup2 clears it for 1 and 2).
    if (pipe2(fds, O_CLOEXEC) != 0 || (c->pid = fork()) < 0) return false;
    if (c->pid == 0) {
        dup2(fds[1], 1);
        dup2(fds[1], 2);
        if (display)
            setenv("DISPLAY", display, 1);
        else
            unsetenv("DISPLAY");
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        if (chdir(cwd.c_str()) == 0) execv(program.c_str(), args.data());
        _exit(127);
    }
    close(fds[1]);
    c->fd = fds[0];
    return true;
}

bool probe_expect(probe_child_t* c, const std::string& needle) {
    size_t at;
    while ((at = c->output.find(needle, c->cursor)) == std::string::npos)
        if (!read_some(c)) return false;
    c->cursor = at + needle.size();
    return true;
}

bool probe_wait_exit(probe_child_t* c) {
    while (read_some(c)) {
    }
    if (c->fd >= 0) return probe_kill(c), false;
    int status = 0;
    waitpid(c->pid, &status, 0);
    c->exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    c->pid = -1;
    return true;
}

void probe_kill(probe_child_t* c, int sig) {
    if (c->pid > 0) {
        kill(c->pid, sig);
        waitpid(c->pid, nullptr, 0);
    }
    if (c->fd >= 0) close(c->fd);
    c->pid = c->fd = -1;
}

bool probe_xserver_start(probe_child_t* x, std::string* display) {
    // Xvfb writes its display number and a newline once it accepts clients.
    if (!probe_spawn(x, "/bin/sh",
                     {"sh", "-c",
                      "exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp -noreset +extension GLX "
                      "2>/dev/null"},
                     ".", nullptr) ||
        !probe_expect(x, "\n"))
        return probe_kill(x, SIGTERM), false;
    // Built in a buffer: GCC 12 at -O3 warns falsely (-Wrestrict) on concatenating short literals here.
    char name[16];
    std::snprintf(name, sizeof name, ":%d", std::atoi(x->output.c_str()));
    *display = std::string(name);
    return true;
}
