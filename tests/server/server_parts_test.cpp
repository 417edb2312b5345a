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
        // clang-format off
        {"nobody registered",    0,                         0,     0,     5000,       1000},
        {"kick waiting",         KX_SERVER_FLAG_KICK,       1000,  1000,  1000,       0},
        {"cycles just ran",      KX_NETMAN_FLAG_REGISTERED, 1000,  1000,  1000,       51},
        {"30 ms into the cycle", KX_NETMAN_FLAG_REGISTERED, 1000,  1000,  1030,       21},
        {"state due",            KX_NETMAN_FLAG_REGISTERED, 1000,  1000,  1051,       0},
        {"state overdue",        KX_NETMAN_FLAG_REGISTERED, 1000,  1000,  1100,       0},
        {"ping sooner",          KX_NETMAN_FLAG_REGISTERED, 1480,  1000,  1490,       11},
        {"ping due at 501 ms",   KX_NETMAN_FLAG_REGISTERED, 1490,  1000,  1501,       0},
        {"ping at 500 ms",       KX_NETMAN_FLAG_REGISTERED, 1490,  1000,  1500,       1},
        {"stamps wrap",          KX_NETMAN_FLAG_REGISTERED, 65530, 65530, 65536 + 10, 35},
        // clang-format on
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
    // Read back to back for 50 ms, so many millisecond boundaries fall between two reads.
    for (uint32_t start = ms(), i = 0; ms() - start < 50; i++) {
        uint32_t before = ms(), now = server_loop_clock_ms(), after = ms();
        ASSERT_LE(now - before, after - before) << i;  // in [before, after], across a wrap too
    }
}

}  // namespace
