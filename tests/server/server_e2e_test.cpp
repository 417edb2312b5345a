// ironvale-server as a process, with the load generator and netman clients.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/net/kx_netman.h"
#include "net/net_test_util.h"

namespace {

size_t count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) n++;
    return n;
}

struct proc_t {
    pid_t pid = -1;
    std::string path;
    std::string out() const {
        return std::string(std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {});
    }
};

proc_t spawn(const char* name, std::vector<std::string> args) {
    static int serial = 0;
    proc_t p;
    p.path = testing::TempDir() + "server_e2e_" + std::to_string(getpid()) + "_" + std::to_string(serial++);
    const char* dir = std::getenv("IRONVALE_BUILD_DIR");
    args.insert(args.begin(), std::string(dir ? dir : "..") + "/bin/" + name);
    p.pid = fork();
    if (p.pid == 0) {
        int fd = open(p.path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, 1), dup2(fd, 2);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return p;
}

// The exit status, or -1 after a signal or the test timeout (the process is killed then).
int wait_exit(const proc_t& p) {
    int status = 0;
    if (!net_wait([&] { return waitpid(p.pid, &status, WNOHANG) == p.pid; })) {
        kill(p.pid, SIGKILL);
        waitpid(p.pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ServerProgram, HelpPortTakenLoadVisitorsAndStop) {
    proc_t help = spawn("ironvale-server", {"--help"});
    EXPECT_EQ(wait_exit(help), 0);
    EXPECT_NE(help.out().find("--port N"), std::string::npos);

    proc_t server;
    int port = net_free_port([&](int p) {  // a port somebody else holds makes the server exit
        server = spawn("ironvale-server", {"--port", std::to_string(p), "--name", "E2E Server"});
        bool exited = false;
        net_wait([&] {
            exited = waitpid(server.pid, nullptr, WNOHANG) == server.pid;
            return exited || count(server.out(), "listening on port");
        });
        return !exited;
    });
    ASSERT_GT(port, 0);
    EXPECT_EQ(server.out().rfind("ironvale-server listening on port " + std::to_string(port), 0), 0u);
    proc_t second = spawn("ironvale-server", {"--port", std::to_string(port)});
    EXPECT_EQ(wait_exit(second), 1);
    EXPECT_NE(second.out().find("cannot listen on port " + std::to_string(port)), std::string::npos);

    proc_t load = spawn("ironvale-loadgen", {"--port", std::to_string(port), "--clients", "4", "--seconds",
                                             "2", "--events", "5", "--texts", "10", "--json"});
    for (int round = 0; round < 3; round++) {
        kx_netman_t nm;
        kx_netman_init(&nm, 256);
        std::snprintf(nm.player_name, sizeof(nm.player_name), "visitor%d", round);
        kx_netman_connect(&nm, "127.0.0.1", port);
        EXPECT_TRUE(net_wait([&] { return kx_netman_poll(&nm), nm.users.count > 0; }));
        EXPECT_GE(nm.id, 17u);
        EXPECT_STREQ(nm.server_name, "E2E Server");
        kx_netman_disconnect(&nm, KX_NETMAN_REASON_LEFT, 0);
        kx_netman_term(&nm);
    }
    EXPECT_EQ(wait_exit(load), 0) << load.out();
    EXPECT_NE(load.out().find("\"all_joined\": true"), std::string::npos) << load.out();
    EXPECT_EQ(load.out().find("\"recv_msgs_per_s\": 0.0,"), std::string::npos) << load.out();
    EXPECT_TRUE(net_wait([&] { return count(server.out(), "left: id") >= 7; })) << server.out();
    EXPECT_EQ(count(server.out(), "joined: id"), 7u);
    EXPECT_NE(server.out().find("\"visitor2\""), std::string::npos);
    kill(server.pid, SIGTERM);
    EXPECT_EQ(wait_exit(server), 0);
    EXPECT_NE(server.out().find("stopped"), std::string::npos);
    for (const proc_t& p : {help, server, second, load}) unlink(p.path.c_str());
}

}  // namespace
