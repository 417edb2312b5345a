// Netman server against raw clients that send and read exact bytes; the test drives the clock.
#include "engine/net/kx_netman_server.h"

#include <gtest/gtest.h>
#include <netinet/in.h>

#include <string>
#include <tuple>

#include "net/net_test_util.h"
#include "server/server_loop.h"
#include "server/server_wait.h"

namespace {

bytes_t event_units(int n) {
    bytes_t b;
    for (int i = 0; i < n; i++) b += u32s({0x01050206, 40}) + bytes_t(40, (uint8_t)i);
    return b;
}

// A game state message: id, ping, clock, 1, frags, deaths, magic, st_len and its bytes, events.
bytes_t state(int id, int events = 0, int frags = 3, int deaths = 4, int st_len = 32) {
    bytes_t st(st_len);
    for (int i = 0; i < st_len; i++) st[i] = (uint8_t)(id + i);
    return u16s({id, 0, 1234, 1, frags, deaths, 0xFAFF, 0xBAB0}) + u32s({(uint32_t)st_len}) + st +
           u32s({(uint32_t)events, (uint32_t)(48 * events)}) + event_units(events);
}

bytes_t hello(int id, const std::string& name) { return u16s({256, id}) + name32(name); }

bytes_t entry(int id, const std::string& name) { return u16s({id, 0, 0, 0x100}) + name32(name); }

struct user_t {
    int fd = -1, udp = -1, udp_port = 0, id = 0;
    bytes_t greeting;
};

class NetmanServer : public ::testing::Test {
   protected:
    void SetUp() override {
        port = net_free_port([&](int p) {
            kx_netman_server_init(&srv, 256);
            if (kx_netman_server_start(&srv, p) == 0) return true;
            kx_netman_server_term(&srv);
            return false;
        });
        ASSERT_GT(port, 0);
    }
    void TearDown() override {
        kx_netman_server_term(&srv);
        raw_close_all();
    }
    void Poll() { kx_netman_server_poll(&srv, clock); }
    bool PollUntil(const std::function<bool()>& done) {
        return net_wait([&] { return Poll(), done(); });
    }
    // Connect and read the greeting; with a name also say hello and read up to the welcome text.
    user_t Join(const std::string& name) {
        user_t u;
        int before = srv.tcp.client_count, registered = kx_netman_server_count_registered(&srv);
        u.fd = raw_connect(port), u.udp = raw_udp(&u.udp_port);
        EXPECT_TRUE(PollUntil([&] { return srv.tcp.client_count > before; }));
        u.greeting = raw_frame(u.fd, 0x104);
        u.id = u.greeting.size() >= 12 ? get16(u.greeting, 10) : 0;
        if (name.empty()) return u;
        EXPECT_TRUE(raw_send(u.fd, frame(0x105, hello(u.id, name))));
        EXPECT_TRUE(PollUntil([&] { return kx_netman_server_count_registered(&srv) > registered; }));
        EXPECT_FALSE(raw_frame(u.fd, 0x110).empty());
        return u;
    }
    kx_netman_user_data_t* Data(const user_t& u) {
        return kx_netman_server_user(&srv, kx_netman_server_find(&srv, u.id));
    }
    void SendUdp(const user_t& u, const bytes_t& payload) {
        ASSERT_TRUE(raw_send_to(u.udp, port, datagram(0x118, u.id, payload)));
        ASSERT_TRUE(PollUntil([&] { return Data(u)->udp_known; }));
    }
    kx_netman_server_t srv;
    int port = 0;
    uint32_t clock = 1000;
};

TEST_F(NetmanServer, GreetingRegistrationTextsAndDeparturesByteForByte) {
    user_t alice = Join("Alice"), bob = Join("Bob");
    EXPECT_EQ(alice.greeting, frame(0x104, hello(17, "Test Server")));
    EXPECT_EQ(bob.id, 18);
    EXPECT_EQ(raw_frame(alice.fd, 0x109), frame(0x109, u32s({2}) + entry(17, "Alice") + entry(18, "Bob")));
    EXPECT_EQ(raw_frame(alice.fd, 0x110), frame(0x110, cstr("Bob joined. Welcome! Press Y to chat")));
    // Texts go to every registered user, and one without its NUL gets one added.
    ASSERT_TRUE(raw_send(alice.fd, frame(0x110, {'y', 'o'})));
    for (int fd : {alice.fd, bob.fd}) {
        ASSERT_TRUE(PollUntil([&] { return raw_pending(fd) > 0; }));
        EXPECT_EQ(raw_frame(fd, 0x110), frame(0x110, cstr("yo")));
    }
    raw_close(bob.fd);
    ASSERT_TRUE(PollUntil([&] { return srv.tcp.client_count == 1; }));
    EXPECT_EQ(raw_frame(alice.fd, 0x109), frame(0x109, u32s({1}) + entry(17, "Alice")));
    EXPECT_EQ(raw_frame(alice.fd, 0x110), frame(0x110, cstr("Bob has left the game")));
}

TEST_F(NetmanServer, ViolationsAreKickedWithTheirReason) {
    struct {
        const char *name, *kick;
        bool registered;
        int msgtype;
        bytes_t (*payload)(int id);
    } cases[] = {
        {"state before hello", "-41, code 148", false, 0x118, [](int id) { return state(id); }},
        {"hello with another id", "-36, code ", false, 0x105, [](int id) { return hello(id + 1, "M"); }},
        {"st_len past the end", "-43, code 60", true, 0x118,
         [](int id) { return [](bytes_t b) { return b[16] = 200, b; }(state(id)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        user_t u = Join(c.registered ? "Eve" : "");
        int idx = kx_netman_server_find(&srv, u.id);
        bytes_t payload = c.payload(u.id);
        testing::internal::CaptureStdout();
        ASSERT_TRUE(raw_send(u.fd, frame(c.msgtype, payload)));
        ASSERT_TRUE(PollUntil([&] { return (srv.tcp.clients[idx].flags & KX_SERVER_FLAG_KICK) != 0; }));
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_LE(Data(u)->state_len, std::max(0, (int)payload.size() - 20));  // no state from past the end
        std::string want = "Netman SRV Deferred Kick: index " + std::to_string(idx) + ", reason " + c.kick;
        EXPECT_NE(log.find(want), std::string::npos) << log;
        Poll();
        EXPECT_EQ(kx_netman_server_find(&srv, u.id), -1);
        EXPECT_TRUE(raw_eof(u.fd));
    }
}

TEST_F(NetmanServer, ThirteenthUserIsRefusedAtConnection) {
    for (int i = 0; i < 12; i++) Join("u" + std::to_string(i));
    int fd = raw_connect(port);
    testing::internal::CaptureStdout();
    bool closed = PollUntil([&] { return raw_pending(fd) > 0 || raw_eof(fd, 5); });
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(closed);
    EXPECT_EQ(raw_pending(fd), 0);  // no greeting came first
    EXPECT_NE(log.find("kx_server_socket_kick(index 12, reason -48)"), std::string::npos) << log;
    EXPECT_EQ(srv.tcp.client_count, 12);
}

TEST_F(NetmanServer, PingRepliesAreSmoothedAndStampsWrap) {
    user_t u = Join("Pat");
    int idx = kx_netman_server_find(&srv, u.id);
    kx_netman_user_data_t* ud = Data(u);
    srv.now = 5000;
    for (int want : {10, 17, 22}) {
        uint8_t reply[4] = {0x60, 0x13, 0, 0};  // stamp 4960: 40 ms old
        EXPECT_EQ(kx_netman_server_handle_message(&srv, idx, 0x102, reply, 4), 0);
        EXPECT_EQ(ud->ping, want);
    }
    ud->ping = 0;
    srv.now = 20;
    uint8_t wrapped[4] = {0xFA, 0xFF, 0, 0};  // 65530: 26 ms old
    kx_netman_server_handle_message(&srv, idx, 0x102, wrapped, 4);
    EXPECT_EQ(ud->ping, 26 / 4);
}

TEST_F(NetmanServer, StatesAreRelayedAsDatagramsEvery51MsAcrossTheWrap) {
    user_t alice = Join("Alice");
    SendUdp(alice, state(alice.id, 0, 7, 2));
    clock += 51;
    Poll();
    user_t bob = Join("Bob");
    SendUdp(bob, state(bob.id));
    clock += 51;
    Poll();
    bytes_t st = state(alice.id),
            want = u16s({0, 0}) + u32s({1, 40}) + u16s({alice.id, 0, 7, 2}) + u32s({32});
    want += bytes_t(st.begin() + 20, st.begin() + 52) + u32s({0});
    EXPECT_EQ(raw_datagram(bob.udp), datagram(0x119, bob.id, want, 2, -1, 1255));
    // The 16-bit stamp wraps: 65530 to 20 is 26 ms and to 44 is 50, no cycle yet; to 45 is 51.
    clock = 65530;
    Poll();
    EXPECT_FALSE(raw_datagram(bob.udp).empty());
    for (uint32_t at : {65536 + 20, 65536 + 44, 65536 + 45}) {
        clock = at;
        Poll();
        EXPECT_EQ(raw_pending(bob.udp) > 0, at == 65536 + 45) << at;
    }
}

TEST_F(NetmanServer, EventsGoToEveryOtherConnectionOverTcpWithinTheLimit) {
    user_t alice = Join("Alice"), bob = Join("Bob"), carol = Join("");  // Carol is not registered
    kx_netman_user_data_t *a = Data(alice), *b = Data(bob), *c = Data(carol);
    ASSERT_TRUE(raw_send(alice.fd, frame(0x118, state(alice.id, 3))));
    ASSERT_TRUE(PollUntil([&] { return b->pending_count == 3; }));
    EXPECT_EQ(b->pending_bytes, 144);
    EXPECT_EQ(c->pending_bytes, 144);
    EXPECT_EQ(a->pending_bytes, 0);
    // Bob's next broadcast carries the events and goes over TCP.
    clock += 51;
    Poll();
    bytes_t p = raw_frame(bob.fd, 0x119);
    ASSERT_EQ(p.size(), 8 + 12 + 44 + 8 + 144u);
    EXPECT_EQ(get16(p, 12), 1);  // Alice's entry only
    EXPECT_EQ(bytes_t(p.begin() + 64, p.end()), u32s({3, 144}) + event_units(3));
    EXPECT_EQ(b->pending_bytes, 0);
    // A batch needs room for four times its length in the 2048 bytes.
    for (int events : {11, 10}) {
        SCOPED_TRACE(events);
        ASSERT_TRUE(raw_send(alice.fd, frame(0x118, state(alice.id, events, events))));
        ASSERT_TRUE(PollUntil([&] { return a->frags == events; }));
        EXPECT_EQ(b->pending_bytes, events == 10 ? 480 : 0);
        EXPECT_EQ(c->pending_bytes, 144);
    }
}

TEST_F(NetmanServer, DatagramsForUnknownIdsOrFromOtherHostsAreIgnored) {
    user_t u = Join("Una");
    kx_netman_user_data_t* ud = Data(u);
    SendUdp(u, state(u.id, 0, 5));  // from the user's own host: sets the address
    EXPECT_EQ(ntohs(ud->udp_addr.sin_port), u.udp_port);
    ASSERT_TRUE(raw_send_to(u.udp, port, datagram(0x118, 99, state(99, 0, 7))));
    ASSERT_TRUE(net_wait([&] { return raw_pending(srv.udp.fd) > 0; }));
    Poll();
    // Another host naming this user's id (handled in place: no datagram can come from there).
    kx_sockaddr_t other{};
    other.sin_family = AF_INET, other.sin_addr.s_addr = htonl(0x7F000002), other.sin_port = htons(40000);
    bytes_t d = datagram(0x118, u.id, state(u.id, 0, 9));
    EXPECT_EQ(kx_netman_server_handle_udp(&srv, &other, d.data(), d.data() + 16), -1);
    EXPECT_EQ((std::vector<int>{ntohs(ud->udp_addr.sin_port), ud->frags, kx_netman_server_count_registered(&srv)}),
              (std::vector<int>{u.udp_port, 5, 1}));
}

// The program's loop: a datagram alone is read without a full poll; when the cycle is due the
// waiting states are read first, so they go out in this cycle.
TEST_F(NetmanServer, LoopStepReadsDatagramsAloneOrBeforeTheStateCycle) {
    user_t alice = Join("Alice"), bob = Join("Bob");
    SendUdp(bob, state(bob.id));
    SendUdp(alice, state(alice.id, 0, 1));
    auto arrive = [&](int frags) {
        ASSERT_TRUE(raw_send_to(alice.udp, port, datagram(0x118, alice.id, state(alice.id, 0, frags))));
        ASSERT_TRUE(net_wait([&] { return raw_pending(srv.udp.fd) > 0; }));
    };
    arrive(5);
    int waiting = raw_connect(port);
    ASSERT_GE(waiting, 0);
    server_loop_step(&srv, SERVER_WAIT_UDP, clock + 10);
    EXPECT_EQ(Data(alice)->frags, 5);
    EXPECT_EQ(srv.tcp.client_count, 2);  // not accepted yet
    EXPECT_EQ(raw_pending(bob.udp), 0);  // no cycle
    server_loop_step(&srv, 0, clock + 20);  // a wake with nothing ready and nothing due does nothing
    EXPECT_EQ(srv.tcp.client_count, 2);
    arrive(7);
    server_loop_step(&srv, 0, clock + 51);
    bytes_t d = raw_datagram(bob.udp);
    ASSERT_GE(d.size(), 34u);
    EXPECT_EQ(std::tuple(get16(d, 28), get16(d, 32)), std::tuple(alice.id, 7));  // Alice's entry: id, frags
    EXPECT_EQ(srv.tcp.client_count, 3);
}

TEST_F(NetmanServer, WaitWatchesEverySocketAndAConnectionReusingADescriptor) {
    server_wait_t w;
    ASSERT_EQ(server_wait_init(&w), 0);
    EXPECT_EQ(server_wait_run(&w, &srv, 0), 0);  // nothing waiting
    int uport = 0, u = raw_udp(&uport);
    ASSERT_TRUE(raw_send_to(u, port, datagram(0x118, 99, {})));  // nobody registered: UDP is watched
    EXPECT_EQ(server_wait_run(&w, &srv, 5000), SERVER_WAIT_UDP);
    kx_udp_server_poll(&srv.udp);
    int first = raw_connect(port);
    ASSERT_TRUE(PollUntil([&] { return srv.tcp.client_count == 1; }));
    const int reused = srv.tcp.clients[0].fd;
    EXPECT_EQ(server_wait_run(&w, &srv, 0), 0);
    raw_close(first);
    ASSERT_TRUE(PollUntil([&] { return srv.tcp.client_count == 0; }));
    int second = raw_connect(port);  // takes the first one's number; the server's end takes `reused`
    ASSERT_TRUE(PollUntil([&] { return srv.tcp.client_count == 1; }));
    ASSERT_EQ(srv.tcp.clients[0].fd, reused);
    raw_frame(second, 0x104);
    ASSERT_TRUE(raw_send(second, frame(0x110, cstr("hi"))));
    auto start = net_clock_t::now();
    EXPECT_EQ(server_wait_run(&w, &srv, 5000), SERVER_WAIT_TCP);
    EXPECT_LT(net_clock_t::now() - start, std::chrono::seconds(4));
    server_wait_term(&w);
}

}  // namespace
