// ironvale-server as a process: start-up line, a port already taken, the load
// generator and netman clients joining and leaving, and a clean stop on SIGTERM.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/net/kx_netman.h"
#include "net/net_test_util.h"

namespace {

std::string bin(const char* name) {
    const char* dir = std::getenv("IRONVALE_BUILD_DIR");
    return std::string(dir ? dir : "..") + "/bin/" + name;
}

struct proc_t {
    pid_t pid = -1;
    int out = -1, err = -1;
    std::string out_text, err_text;
};

proc_t spawn(const std::vector<std::string>& args) {
    proc_t p;
    int o[2], e[2];
    if (pipe(o) != 0 || pipe(e) != 0) return p;
    p.pid = fork();
    if (p.pid == 0) {
        dup2(o[1], 1);
        dup2(e[1], 2);
        close(o[0]), close(e[0]), close(o[1]), close(e[1]);
        std::vector<char*> argv;
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(o[1]);
    close(e[1]);
    p.out = o[0];
    p.err = e[0];
    fcntl(p.out, F_SETFL, O_NONBLOCK);
    fcntl(p.err, F_SETFL, O_NONBLOCK);
    return p;
}

// Take whatever output is waiting (up to wait_ms for something to arrive).
void drain(proc_t* p, int wait_ms) {
    pollfd fds[2] = {{p->out, POLLIN, 0}, {p->err, POLLIN, 0}};
    poll(fds, 2, wait_ms);
    char buf[4096];
    ssize_t n;
    while ((n = read(p->out, buf, sizeof(buf))) > 0) p->out_text.append(buf, (size_t)n);
    while ((n = read(p->err, buf, sizeof(buf))) > 0) p->err_text.append(buf, (size_t)n);
}

bool wait_output(proc_t* p, const std::string& what) {
    return net_test_wait([&] {
        drain(p, 10);
        return p->out_text.find(what) != std::string::npos;
    });
}

// Wait for exit; the exit status, or -1 on timeout or a signal.
int wait_exit(proc_t* p) {
    int status = 0;
    bool done = net_test_wait([&] {
        drain(p, 5);
        return waitpid(p->pid, &status, WNOHANG) == p->pid;
    });
    drain(p, 0);
    close(p->out);
    close(p->err);
    if (!done) {
        kill(p->pid, SIGKILL);
        waitpid(p->pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Start the server on a random port; retried when the port happens to be taken.
proc_t start_server(int* port) {
    for (int attempt = 0; attempt < 20; attempt++) {
        *port = net_test_random_port();
        proc_t p = spawn({bin("ironvale-server"), "--port", std::to_string(*port), "--name", "E2E Server"});
        if (wait_output(&p, "listening on port")) return p;
        wait_exit(&p);
    }
    return proc_t{};
}

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

int on_buffer_userlist_seen = 0;
int e2e_on_buffer(uint32_t, int type, const uint8_t*, int) {
    if (type == KX_NETMAN_USERLIST) on_buffer_userlist_seen++;
    return 0;
}

TEST(ServerProgram, HelpAndVersion) {
    proc_t h = spawn({bin("ironvale-server"), "--help"});
    EXPECT_EQ(wait_exit(&h), 0);
    EXPECT_NE(h.out_text.find("--port N"), std::string::npos);
    proc_t v = spawn({bin("ironvale-server"), "--version"});
    EXPECT_EQ(wait_exit(&v), 0);
    EXPECT_NE(v.out_text.find("ironvale-server"), std::string::npos);
    proc_t bad = spawn({bin("ironvale-server"), "--port", "0"});
    EXPECT_EQ(wait_exit(&bad), 2);
    EXPECT_NE(bad.err_text.find("bad port"), std::string::npos);
}

TEST(ServerProgram, PortTakenIsAClearFailure) {
    int port = 0;
    proc_t first = start_server(&port);
    ASSERT_GT(first.pid, 0);
    proc_t second = spawn({bin("ironvale-server"), "--port", std::to_string(port)});
    EXPECT_EQ(wait_exit(&second), 1);
    EXPECT_NE(second.err_text.find("cannot listen on port " + std::to_string(port)), std::string::npos)
        << second.err_text;
    kill(first.pid, SIGINT);
    EXPECT_EQ(wait_exit(&first), 0);
    EXPECT_NE(first.out_text.find("stopped"), std::string::npos);
}

TEST(ServerProgram, LoadAndClientsJoiningAndLeaving) {
    int port = 0;
    proc_t server = start_server(&port);
    ASSERT_GT(server.pid, 0);
    // The first line says where it listens.
    EXPECT_EQ(server.out_text.rfind("ironvale-server listening on port " + std::to_string(port), 0), 0u)
        << server.out_text;

    proc_t load = spawn({bin("ironvale-loadgen"), "--port", std::to_string(port), "--clients", "4",
                         "--seconds", "2", "--events", "5", "--texts", "10", "--json"});
    // Meanwhile three more clients join one after another, and leave.
    for (int round = 0; round < 3; round++) {
        kx_netman_t nm;
        kx_netman_init(&nm, 256);
        std::snprintf(nm.player_name, sizeof(nm.player_name), "visitor%d", round);
        nm.OnBuffer = e2e_on_buffer;
        on_buffer_userlist_seen = 0;
        kx_netman_connect(&nm, "127.0.0.1", port);
        EXPECT_TRUE(net_test_wait([&] {
            kx_netman_poll(&nm);
            return on_buffer_userlist_seen > 0;
        }));
        EXPECT_GE(nm.id, 17u);
        EXPECT_STREQ(nm.server_name, "E2E Server");
        kx_netman_disconnect(&nm, KX_NETMAN_REASON_LEFT, 0);
        kx_netman_term(&nm);
    }
    EXPECT_EQ(wait_exit(&load), 0) << load.err_text;
    EXPECT_NE(load.out_text.find("\"all_joined\": true"), std::string::npos) << load.out_text;
    EXPECT_EQ(load.out_text.find("\"recv_msgs_per_s\": 0.0,"), std::string::npos) << load.out_text;

    ASSERT_TRUE(net_test_wait([&] {
        drain(&server, 10);
        return count(server.out_text, "left: id") >= 7;
    })) << server.out_text;
    EXPECT_EQ(count(server.out_text, "joined: id"), 7u);
    EXPECT_NE(server.out_text.find("\"visitor2\""), std::string::npos);
    kill(server.pid, SIGTERM);
    EXPECT_EQ(wait_exit(&server), 0);
    EXPECT_NE(server.out_text.find("stopped"), std::string::npos);
}

}  // namespace
