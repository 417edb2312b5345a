// ironvale-server as a process, with the load generator and netman clients.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>

#include "engine/net/kx_netman.h"
#include "net/net_test_util.h"
#include "support/probe_run.h"

namespace {

std::string bin(const char* name) {
    const char* dir = std::getenv("IRONVALE_BUILD_DIR");
    return std::string(dir ? dir : "..") + "/bin/" + name;
}

// Runs the program to its end: exit status and everything it printed.
std::pair<int, std::string> run(const char* name, std::vector<std::string> args) {
    probe_child_t c;
    args.insert(args.begin(), bin(name));
    if (!probe_spawn(&c, args[0], args, ".", nullptr) || !probe_wait_exit(&c)) return {-1, c.output};
    return {c.exit_status, c.output};
}

TEST(ServerProgram, OptionsPortTakenVisitorsLoadAndStop) {
    auto [status, out] = run("ironvale-server", {"--help"});
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out.rfind("Usage: ironvale-server [--port N]", 0), 0u) << out;
    std::tie(status, out) = run("ironvale-server", {"--version"});
    EXPECT_EQ(status, 0);
    EXPECT_NE(out.find(" (app protocol 256)\n"), std::string::npos) << out;
    std::tie(status, out) = run("ironvale-server", {"--pot"});
    EXPECT_EQ(status, 2);
    EXPECT_EQ(out.rfind("ironvale-server: unknown option '--pot'\nUsage: ironvale-server", 0), 0u) << out;

    probe_child_t server;
    const int port = net_free_port([&](int p) {  // a port somebody else holds makes the server exit
        const std::vector<std::string> args = {bin("ironvale-server"), "--port", std::to_string(p), "--name",
                                               "E2E Server"};
        if (probe_spawn(&server, args[0], args, ".", nullptr) &&
            probe_expect(&server, "ironvale-server listening on port " + std::to_string(p) +
                                      " (TCP and UDP, all interfaces), name \"E2E Server\"\n"))
            return true;
        probe_kill(&server);
        return false;
    });
    ASSERT_GT(port, 0);
    // Idle, it sleeps in its wait until a socket or periodic work wakes it, not in short naps.
    const auto switches = [&] {
        std::ifstream in("/proc/" + std::to_string(server.pid) + "/status");
        long n = -1;
        for (std::string line; std::getline(in, line);)
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) n = std::stol(line.substr(24));
        return n;
    };
    const long before = switches();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_LT(switches() - before, 100);
    std::tie(status, out) = run("ironvale-server", {"--port", std::to_string(port)});
    EXPECT_EQ(status, 1);
    EXPECT_NE(out.find("cannot listen on port " + std::to_string(port)), std::string::npos) << out;

    // One visitor at a time: the operator lines count the users with and without it.
    for (int round = 0; round < 2; round++) {
        kx_netman_t nm;
        kx_netman_init(&nm, 256);
        std::snprintf(nm.player_name, sizeof(nm.player_name), "visitor%d", round);
        kx_netman_connect(&nm, "127.0.0.1", port);
        EXPECT_TRUE(net_wait([&] { return kx_netman_poll(&nm), nm.users.count > 0; }));
        EXPECT_EQ(nm.id, 17u + round);
        EXPECT_STREQ(nm.server_name, "E2E Server");
        const std::string who =
            "id " + std::to_string(17 + round) + " \"visitor" + std::to_string(round) + "\"";
        EXPECT_TRUE(probe_expect(&server, "joined: " + who + " (1 users)\n")) << server.output;
        kx_netman_disconnect(&nm, KX_NETMAN_REASON_LEFT, 0);
        kx_netman_term(&nm);
        EXPECT_TRUE(probe_expect(&server, "left: " + who + " (0 users)\n")) << server.output;
    }

    std::tie(status, out) =
        run("ironvale-loadgen", {"--port", std::to_string(port), "--clients", "4", "--seconds", "2",
                                 "--events", "5", "--texts", "10", "--json"});
    EXPECT_EQ(status, 0) << out;
    EXPECT_NE(out.find("\"all_joined\": true"), std::string::npos) << out;
    EXPECT_EQ(out.find("\"recv_msgs_per_s\": 0.0,"), std::string::npos) << out;
    for (int k = 0; k < 4; k++) EXPECT_TRUE(probe_expect(&server, "left: id ")) << server.output;
    kill(server.pid, SIGTERM);
    EXPECT_TRUE(probe_expect(&server, "stopping: closing 0 connections\nstopped\n")) << server.output;
    ASSERT_TRUE(probe_wait_exit(&server));
    EXPECT_EQ(server.exit_status, 0);
}

}  // namespace
