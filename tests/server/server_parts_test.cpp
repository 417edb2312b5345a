// The server program's parts: its command line and the wait until the next periodic work.
#include <gtest/gtest.h>
#include <time.h>

#include <string>
#include <tuple>
#include <vector>

#include "server/server_args.h"
#include "server/server_loop.h"

namespace {

TEST(ServerArgs, OptionsDefaultsAndRefusals) {
    const std::string n31(31, 'n'), n32(32, 'n'), bad_name = "the name must have 1 to 31 characters";
    struct {
        std::vector<std::string> argv;
        std::string err = "";  // empty: accepted
        int port = 25280;
        std::string name = "Test Server";
        bool verbose = false, help = false, version = false;
    } cases[] = {
        {.argv = {}},
        {.argv = {"--port", "1", "--name", "Ironvale Two"}, .port = 1, .name = "Ironvale Two"},
        {.argv = {"--port", "65535", "--port", "7"}, .port = 7},
        {.argv = {"--port", "65535"}, .port = 65535},
        {.argv = {"-v", "-h"}, .verbose = true, .help = true},
        {.argv = {"--verbose", "--help", "--version"}, .verbose = true, .help = true, .version = true},
        {.argv = {"--name", n31}, .name = n31},
        {.argv = {"--name", n32}, .err = bad_name},
        {.argv = {"--name", ""}, .err = bad_name},
        {.argv = {"--port", "0"}, .err = "bad port '0' (1 to 65535)"},
        {.argv = {"--port", "65536"}, .err = "bad port '65536' (1 to 65535)"},
        {.argv = {"--port", "80x"}, .err = "bad port '80x' (1 to 65535)"},
        {.argv = {"--port", ""}, .err = "bad port '' (1 to 65535)"},
        {.argv = {"--port"}, .err = "--port needs a value"},
        {.argv = {"--name"}, .err = "--name needs a value"},
        {.argv = {"--verbose", "--pot", "9"}, .err = "unknown option '--pot'", .verbose = true},
    };
    for (const auto& c : cases) {
        std::vector<char*> argv = {const_cast<char*>("ironvale-server")};
        std::string trace;
        for (const auto& a : c.argv) argv.push_back(const_cast<char*>(a.c_str())), trace += a + " ";
        SCOPED_TRACE(trace);
        server_args_t args;
        char err[128];
        ASSERT_EQ(server_args_parse((int)argv.size(), argv.data(), &args, err, sizeof(err)),
                  c.err.empty() ? 0 : -1);
        EXPECT_EQ(err, c.err);
        EXPECT_EQ(args.port, c.port);
        EXPECT_EQ(args.name, c.name);
        EXPECT_EQ(std::tuple(args.verbose, args.help, args.version),
                  std::tuple(c.verbose, c.help, c.version));
    }
}

// State cycles come 51 ms apart, pings more than 500 ms apart, on 16-bit stamps.
TEST(ServerLoop, TimeoutReachesTheNextStateOrPingCycle) {
    struct {
        const char* name;
        int flags;  // of the second connection; the first is unregistered
        uint16_t last_state, last_ping;
        uint32_t now;
        int want;
    } cases[] = {
        {.name = "nobody registered", .flags = 0, .last_state = 0, .last_ping = 0, .now = 5000, .want = 1000},
        {.name = "kick waiting",
         .flags = KX_SERVER_FLAG_KICK,
         .last_state = 1000,
         .last_ping = 1000,
         .now = 1000,
         .want = 0},
        {.name = "cycles just ran",
         .flags = KX_NETMAN_FLAG_REGISTERED,
         .last_state = 1000,
         .last_ping = 1000,
         .now = 1000,
         .want = 51},
        {.name = "30 ms into the cycle",
         .flags = KX_NETMAN_FLAG_REGISTERED,
         .last_state = 1000,
         .last_ping = 1000,
         .now = 1030,
         .want = 21},
        {.name = "state due",
         .flags = KX_NETMAN_FLAG_REGISTERED,
         .last_state = 1000,
         .last_ping = 1000,
         .now = 1051,
         .want = 0},
        {.name = "state overdue",
         .flags = KX_NETMAN_FLAG_REGISTERED,
         .last_state = 1000,
         .last_ping = 1000,
         .now = 1100,
         .want = 0},
        {.name = "ping sooner",
         .flags = KX_NETMAN_FLAG_REGISTERED,
         .last_state = 1480,
         .last_ping = 1000,
         .now = 1490,
         .want = 11},
        {.name = "ping due at 501 ms",
         .flags = KX_NETMAN_FLAG_REGISTERED,
         .last_state = 1490,
         .last_ping = 1000,
         .now = 1501,
         .want = 0},
        {.name = "stamps wrap",
         .flags = KX_NETMAN_FLAG_REGISTERED,
         .last_state = 65530,
         .last_ping = 65530,
         .now = 65536 + 10,
         .want = 35},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        static kx_netman_server_t server;
        server = {};
        server.tcp.client_count = 2;
        server.tcp.clients[1].flags = c.flags;
        server.last_state = c.last_state, server.last_ping = c.last_ping;
        EXPECT_EQ(server_loop_timeout(&server, c.now), c.want);
    }
}

TEST(ServerLoop, ClockIsTheMonotonicClockInMilliseconds) {
    auto ms = [] {
        timespec ts;
        clock_gettime(CLOCK_MONOTONIC, &ts);
        return (uint32_t)(ts.tv_sec * 1000 + ts.tv_nsec / 1000000);
    };
    for (int i = 0; i < 200; i++) {
        uint32_t before = ms(), now = server_loop_clock_ms(), after = ms();
        ASSERT_LE(now - before, after - before) << i;  // in [before, after], across a wrap too
    }
}

}  // namespace
