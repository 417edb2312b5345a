// Netman server against raw clients that send and read exact bytes: greeting,
// registration, kicks with reasons, pings, state relay and events, departures,
// and datagram address checks. The server's clock is driven by the test.
#include "engine/net/kx_netman_server.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "engine/net/kx_netman_relay.h"
#include "net/net_test_util.h"

namespace {

struct raw_user_t {
    int fd = -1;
    int udp = -1;
    int udp_port = 0;
    int id = 0;
    std::string name;
};

bytes_t hello_msg(int id, const std::string& name, int version = 256) {
    bytes_t b;
    put16(&b, (uint16_t)version);
    put16(&b, (uint16_t)id);
    bytes_t n = name_field(name);
    b.insert(b.end(), n.begin(), n.end());
    return b;
}

bytes_t event_units(int n) {
    bytes_t b;
    for (int i = 0; i < n; i++) {
        put32(&b, 0x01050206);
        put32(&b, 40);
        for (int k = 0; k < 40; k++) b.push_back((uint8_t)(i + k));
    }
    return b;
}

// A game state message: id, ping, clock, frags, deaths, st_len with that many bytes, events.
bytes_t state_msg(int id, int events, uint16_t frags = 3, uint16_t deaths = 4, int st_len = 32) {
    bytes_t b;
    put16(&b, (uint16_t)id);
    put16(&b, 0);
    put16(&b, 1234);
    put16(&b, 1);
    put16(&b, frags);
    put16(&b, deaths);
    put16(&b, 0xFAFF);
    put16(&b, 0xBAB0);
    put32(&b, (uint32_t)st_len);
    for (int i = 0; i < st_len; i++) b.push_back((uint8_t)(id + i));
    put32(&b, (uint32_t)events);
    put32(&b, (uint32_t)(48 * events));
    bytes_t u = event_units(events);
    b.insert(b.end(), u.begin(), u.end());
    return b;
}

class NetmanServer : public ::testing::Test {
   protected:
    void SetUp() override {
        port = net_test_start_netman_server(&srv, 256);
        ASSERT_GT(port, 0);
        users.reserve(64);  // Join hands out references into this table
    }
    void TearDown() override {
        for (auto& u : users) {
            if (u.fd >= 0) close(u.fd);
            if (u.udp >= 0) close(u.udp);
        }
        kx_netman_server_term(&srv);
    }
    void Poll() { kx_netman_server_poll(&srv, clock); }
    void PollUntil(const std::function<bool()>& done) {
        ASSERT_TRUE(net_test_wait([&] {
            Poll();
            return done();
        }));
    }
    // Connect, read the greeting, and (when name is given) say hello and read the list and welcome.
    raw_user_t& Join(const std::string& name, bytes_t* greeting_out = nullptr) {
        users.emplace_back();
        raw_user_t& u = users.back();
        u.name = name;
        int before = srv.tcp.client_count;
        u.fd = raw_tcp_connect(port);
        EXPECT_GE(u.fd, 0);
        u.udp = raw_udp_bind(&u.udp_port);
        PollUntil([&] { return srv.tcp.client_count > before; });
        int t = 0;
        bytes_t g;
        EXPECT_TRUE(raw_read_frame(u.fd, &t, &g));
        EXPECT_EQ(t, 0x104);
        if (greeting_out) *greeting_out = g;
        u.id = g.size() >= 4 ? get16(g, 2) : 0;
        if (!name.empty()) {
            EXPECT_TRUE(raw_send(u.fd, net_frame(0x105, hello_msg(u.id, name))));
            int idx = kx_netman_server_find(&srv, u.id);
            PollUntil([&] { return (srv.tcp.clients[idx].flags & KX_NETMAN_FLAG_REGISTERED) != 0; });
            bytes_t p;
            EXPECT_TRUE(raw_read_frame_of(u.fd, 0x110, &p));  // user list, then welcome
        }
        return u;
    }
    // Send a UDP datagram from the user's own UDP socket and let the server take it.
    void SendUdp(raw_user_t& u, int msgtype, const bytes_t& payload, uint32_t id) {
        ASSERT_TRUE(raw_send_to(u.udp, port, net_datagram(msgtype, id, payload)));
        int idx = kx_netman_server_find(&srv, u.id);
        kx_netman_user_data_t* ud = kx_netman_server_user(&srv, idx);
        PollUntil([&] { return ud && ud->udp_known; });
    }
    kx_netman_server_t srv;
    int port = 0;
    uint32_t clock = 1000;
    std::vector<raw_user_t> users;
};

TEST_F(NetmanServer, GreetingCarriesVersionIdAndName) {
    bytes_t g;
    Join("", &g);
    bytes_t want = hello_msg(17, "Test Server");
    EXPECT_EQ(g, want);
    bytes_t g2;
    Join("", &g2);
    EXPECT_EQ(get16(g2, 2), 18);
}

TEST_F(NetmanServer, HelloRegistersAndEveryoneGetsListAndWelcome) {
    raw_user_t& alice = Join("Alice");
    int afd = alice.fd;
    raw_user_t& bob = Join("Bob");
    (void)bob;
    // Alice hears of Bob: a user list of two, then his welcome.
    bytes_t list;
    ASSERT_TRUE(raw_read_frame_of(afd, 0x109, &list));
    ASSERT_EQ(list.size(), 4u + 2 * 40);
    EXPECT_EQ(get32(list, 0), 2u);
    bytes_t e0(list.begin() + 4, list.begin() + 44);
    bytes_t want;
    put16(&want, 17);
    put16(&want, 0);
    put16(&want, 0);
    put16(&want, 0x100);
    bytes_t n = name_field("Alice");
    want.insert(want.end(), n.begin(), n.end());
    EXPECT_EQ(e0, want);
    EXPECT_EQ(get16(list, 44), 18);
    bytes_t text;
    ASSERT_TRUE(raw_read_frame_of(afd, 0x110, &text));
    std::string s = "Bob joined. Welcome! Press Y to chat";
    bytes_t wtext(s.begin(), s.end());
    wtext.push_back(0);
    EXPECT_EQ(text, wtext);
    EXPECT_EQ(kx_netman_server_count_registered(&srv), 2);
}

TEST_F(NetmanServer, HelloWithAnotherIdRegistersThenKicks) {
    users.emplace_back();
    raw_user_t& u = users.back();
    u.fd = raw_tcp_connect(port);
    PollUntil([&] { return srv.tcp.client_count == 1; });
    testing::internal::CaptureStdout();
    ASSERT_TRUE(raw_send(u.fd, net_frame(0x105, hello_msg(18, "Mallory"))));
    PollUntil([&] { return (srv.tcp.clients[0].flags & KX_SERVER_FLAG_KICK) != 0; });
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("hello mismatch: index 0, d 1179904 (256, 18), name [Mallory]"), std::string::npos)
        << log;
    EXPECT_NE(log.find("Netman SRV Deferred Kick: index 0, reason -36, code 17"), std::string::npos);
    bytes_t p;
    ASSERT_TRUE(raw_read_frame_of(u.fd, 0x109, &p));
    ASSERT_TRUE(raw_read_frame_of(u.fd, 0x110, &p));
    Poll();
    EXPECT_EQ(srv.tcp.client_count, 0);
    EXPECT_TRUE(raw_wait_eof(u.fd));
}

TEST_F(NetmanServer, ProtocolViolationsAreKickedWithTheirReason) {
    struct {
        const char* name;
        bool registered;
        int msgtype;
        std::function<bytes_t(int id)> payload;
        const char* kick;
    } cases[] = {
        {"state before hello", false, 0x118, [](int id) { return state_msg(id, 0); }, "reason -41, code 148"},
        {"text before hello", false, 0x110,
         [](int) {
             return bytes_t({'x', 0});
         },
         "reason -41, code 148"},
        {"hello of 30 bytes", false, 0x105, [](int) { return bytes_t(30, 0); }, "reason -37, code 36"},
        {"netman version 2", true, 0x218, [](int id) { return state_msg(id, 0); }, "reason -33, code 256"},
        {"state of another id", true, 0x118, [](int id) { return state_msg(id + 1, 0); },
         "reason -42, code "},
        {"state message of 2049 bytes", true, 0x118, [](int id) { return state_msg(id, 0, 0, 0, 2049 - 28); },
         "reason -40, code 2048"},
        {"st_len above 2048", true, 0x118,
         [](int id) {
             bytes_t b = state_msg(id, 0);
             b[16] = 0xB8, b[17] = 0x0B;  // 3000
             return b;
         },
         "reason -40, code 2048"},
        {"st_len past the end", true, 0x118,
         [](int id) {
             bytes_t b = state_msg(id, 0);
             b[16] = 200;
             return b;
         },
         "reason -43, code 60"},
        {"events length above 2048", true, 0x118,
         [](int id) {
             bytes_t b = state_msg(id, 1);
             b[56] = 0xB8, b[57] = 0x0B;
             return b;
         },
         "reason -40, code 2048"},
        {"events past the end", true, 0x118,
         [](int id) {
             bytes_t b = state_msg(id, 2);
             b.erase(b.end() - 10, b.end());
             return b;
         },
         "reason -43, code "},
        {"count not matching length", true, 0x118,
         [](int id) {
             bytes_t b = state_msg(id, 1);
             b[52] = 200;
             return b;
         },
         "reason -43, code 108"},
        {"shorter than a header", true, 0x118,
         [](int id) {
             return bytes_t({(uint8_t)id, 0, 0});
         },
         "reason -43, code 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        raw_user_t& u = Join(c.registered ? "Eve" : "");
        int fd = u.fd;
        int idx = kx_netman_server_find(&srv, u.id);
        testing::internal::CaptureStdout();
        ASSERT_TRUE(raw_send(fd, net_frame(c.msgtype, c.payload(u.id))));
        PollUntil([&] { return (srv.tcp.clients[idx].flags & KX_SERVER_FLAG_KICK) != 0; });
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_NE(
            log.find(std::string("Netman SRV Deferred Kick: index ") + std::to_string(idx) + ", " + c.kick),
            std::string::npos)
            << log;
        Poll();
        EXPECT_EQ(kx_netman_server_find(&srv, u.id), -1);
        EXPECT_TRUE(raw_wait_eof(fd));
    }
}

TEST_F(NetmanServer, ThirteenthUserIsRefusedAtConnection) {
    for (int i = 0; i < 12; i++) Join("u" + std::to_string(i));
    ASSERT_EQ(kx_netman_server_count_registered(&srv), 12);
    int fd = raw_tcp_connect(port);
    ASSERT_GE(fd, 0);
    testing::internal::CaptureStdout();
    bool closed = net_test_wait([&] {
        Poll();
        return raw_pending(fd) > 0 || raw_wait_eof(fd, 5);
    });
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(closed);
    EXPECT_EQ(raw_pending(fd), 0);  // no greeting came first
    EXPECT_NE(log.find("Netman SRV Kick: calling kx_server_socket_kick(index 12, reason -48)"),
              std::string::npos);
    EXPECT_EQ(srv.tcp.client_count, 12);
    close(fd);
}

TEST_F(NetmanServer, PingRepliesAreSmoothedAndStampsWrap) {
    raw_user_t& u = Join("Pat");
    int idx = kx_netman_server_find(&srv, u.id);
    kx_netman_user_data_t* ud = kx_netman_server_user(&srv, idx);
    srv.now = 5000;
    int expect[] = {10, 17, 22};
    for (int want : expect) {
        uint8_t reply[4] = {0x60, 0x13, 0, 0};  // stamp 4960: 40 ms old
        EXPECT_EQ(kx_netman_server_handle_message(&srv, idx, 0x102, reply, 4), 0);
        EXPECT_EQ(ud->ping, want);
    }
    ud->ping = 0;
    srv.now = 20;
    uint8_t wrapped[4] = {0xFA, 0xFF, 0, 0};  // 65530
    kx_netman_server_handle_message(&srv, idx, 0x102, wrapped, 4);
    EXPECT_EQ(ud->ping, 26 / 4);

    // The ping cycle: more than 500 ms after the last one, with the user's ping in bytes 2-3.
    ud->ping = 33;
    srv.last_ping = 0;
    clock = 500;
    Poll();
    clock = 501;
    Poll();
    // Read pings up to the one of stamp 501; none may carry 500.
    bytes_t ping;
    do {
        ASSERT_TRUE(raw_read_frame_of(u.fd, 0x101, &ping));
        ASSERT_NE(get16(ping, 0), 500);
    } while (get16(ping, 0) != 501);
    EXPECT_EQ(ping, bytes_t({0xF5, 0x01, 33, 0}));
}

TEST_F(NetmanServer, StatesAreRelayedAsDatagramsToTheOthers) {
    raw_user_t& alice = Join("Alice");
    raw_user_t& bob = Join("Bob");
    SendUdp(alice, 0x118, state_msg(alice.id, 0, 7, 2), alice.id);
    SendUdp(bob, 0x118, state_msg(bob.id, 0, 1, 1), bob.id);
    clock += 51;
    Poll();
    bytes_t d;
    ASSERT_TRUE(raw_recv_datagram(bob.udp, &d));
    ASSERT_EQ(d.size(), 16u + 60);
    bytes_t h = net_datagram(0x119, bob.id, {});
    h[2] = 60;
    h[12] = 1255 & 0xFF, h[13] = 1255 >> 8;
    EXPECT_EQ(bytes_t(d.begin(), d.begin() + 16), h);
    bytes_t p(d.begin() + 16, d.end());
    EXPECT_EQ(get32(p, 4), 1u);   // one entry: Alice
    EXPECT_EQ(get32(p, 8), 40u);  // st_len + 8
    EXPECT_EQ(get16(p, 12), alice.id);
    EXPECT_EQ(get16(p, 16), 7);  // frags
    EXPECT_EQ(get16(p, 18), 2);  // deaths
    EXPECT_EQ(get32(p, 20), 32u);
    bytes_t sent = state_msg(alice.id, 0);
    EXPECT_EQ(bytes_t(p.begin() + 24, p.begin() + 56), bytes_t(sent.begin() + 20, sent.begin() + 52));
    EXPECT_EQ(get32(p, 56), 0u);  // no events
}

TEST_F(NetmanServer, LoneUserGetsAnEmptyBroadcastWithEventsAtByte8) {
    raw_user_t& u = Join("Solo");
    SendUdp(u, 0x118, state_msg(u.id, 0), u.id);
    clock += 60;
    Poll();
    bytes_t d;
    ASSERT_TRUE(raw_recv_datagram(u.udp, &d));
    bytes_t p(d.begin() + 16, d.end());
    EXPECT_EQ(p, bytes_t({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(NetmanServer, StateCycleCountsTimeAcrossTheWrap) {
    raw_user_t& u = Join("Wren");
    SendUdp(u, 0x118, state_msg(u.id, 0), u.id);
    bytes_t d;
    clock = 65530;
    Poll();
    ASSERT_TRUE(raw_recv_datagram(u.udp, &d));
    // 65530 to 20 is 26 ms: no broadcast yet; to 45 it is 51 ms: one.
    struct {
        uint32_t at;
        bool broadcast;
    } steps[] = {{65536 + 20, false}, {65536 + 44, false}, {65536 + 45, true}};
    for (const auto& st : steps) {
        SCOPED_TRACE(st.at);
        clock = st.at;
        Poll();
        if (st.broadcast) {
            ASSERT_TRUE(raw_recv_datagram(u.udp, &d));
            EXPECT_EQ(get16(d, 4), 0x119);
        } else {
            EXPECT_EQ(raw_pending(u.udp), 0);
        }
    }
}

TEST_F(NetmanServer, EventsGoToEveryOtherConnectionOverTcpWithinTheLimit) {
    raw_user_t& alice = Join("Alice");
    raw_user_t& bob = Join("Bob");
    raw_user_t& carol = Join("");  // connected, not registered
    kx_netman_user_data_t* a = kx_netman_server_user(&srv, kx_netman_server_find(&srv, alice.id));
    kx_netman_user_data_t* b = kx_netman_server_user(&srv, kx_netman_server_find(&srv, bob.id));
    kx_netman_user_data_t* c = kx_netman_server_user(&srv, kx_netman_server_find(&srv, carol.id));
    ASSERT_TRUE(raw_send(alice.fd, net_frame(0x118, state_msg(alice.id, 3))));
    PollUntil([&] { return b->pending_count == 3; });
    EXPECT_EQ(b->pending_bytes, 144);
    EXPECT_EQ(c->pending_bytes, 144);
    EXPECT_EQ(c->pending_count, 3);
    EXPECT_EQ(a->pending_bytes, 0);
    // Bob's next broadcast carries the events and goes over TCP.
    clock += 51;
    Poll();
    bytes_t p;
    ASSERT_TRUE(raw_read_frame_of(bob.fd, 0x119, &p));
    EXPECT_EQ(get32(p, 4), 1u);
    size_t ev = 12 + 44;
    ASSERT_EQ(p.size(), ev + 8 + 144);
    EXPECT_EQ(get32(p, ev), 3u);
    EXPECT_EQ(get32(p, ev + 4), 144u);
    EXPECT_EQ(bytes_t(p.begin() + ev + 8, p.end()), event_units(3));
    EXPECT_EQ(b->pending_bytes, 0);
    EXPECT_EQ(b->pending_count, 0);
    // Batches are checked against four times their length: 11 events (528 bytes) never fit,
    // 10 (480) fit an empty buffer.
    struct {
        int events;
        int bob_bytes;
        bool refused;
    } batches[] = {{11, 0, true}, {10, 480, false}};
    uint16_t seq = 10;
    for (const auto& k : batches) {
        SCOPED_TRACE(k.events);
        testing::internal::CaptureStdout();
        seq++;
        ASSERT_TRUE(raw_send(alice.fd, net_frame(0x118, state_msg(alice.id, k.events, seq))));
        PollUntil([&] { return a->frags == seq; });
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(b->pending_bytes, k.bob_bytes);
        // Bob's buffer was empty ("0 events"); Carol's still holds the first three.
        EXPECT_EQ(log.find("(0 events), skipped") != std::string::npos, k.refused) << log;
    }
}

TEST_F(NetmanServer, DeparturesSendListAndFarewell) {
    raw_user_t& alice = Join("Alice");
    raw_user_t& bob = Join("Bob");
    bytes_t p;
    ASSERT_TRUE(raw_read_frame_of(alice.fd, 0x110, &p));  // Bob's welcome
    close(bob.fd);
    bob.fd = -1;
    PollUntil([&] { return srv.tcp.client_count == 1; });
    ASSERT_TRUE(raw_read_frame_of(alice.fd, 0x109, &p));
    EXPECT_EQ(get32(p, 0), 1u);
    EXPECT_EQ(get16(p, 4), alice.id);
    ASSERT_TRUE(raw_read_frame_of(alice.fd, 0x110, &p));
    std::string s = "Bob has left the game";
    bytes_t want(s.begin(), s.end());
    want.push_back(0);
    EXPECT_EQ(p, want);
}

TEST_F(NetmanServer, TextsAreRelayedToEveryRegisteredUser) {
    raw_user_t& alice = Join("Alice");
    raw_user_t& bob = Join("Bob");
    bytes_t p;
    ASSERT_TRUE(raw_read_frame_of(alice.fd, 0x110, &p));
    ASSERT_TRUE(raw_send(alice.fd, net_frame(0x110, {'h', 'i', 0})));
    PollUntil([&] { return raw_pending(bob.fd) > 0; });
    ASSERT_TRUE(raw_read_frame_of(bob.fd, 0x110, &p));
    EXPECT_EQ(p, bytes_t({'h', 'i', 0}));
    ASSERT_TRUE(raw_read_frame_of(alice.fd, 0x110, &p));
    EXPECT_EQ(p, bytes_t({'h', 'i', 0}));
    // A text without its NUL goes on with one added.
    ASSERT_TRUE(raw_send(alice.fd, net_frame(0x110, {'y', 'o'})));
    PollUntil([&] { return raw_pending(bob.fd) > 0; });
    ASSERT_TRUE(raw_read_frame_of(bob.fd, 0x110, &p));
    EXPECT_EQ(p, bytes_t({'y', 'o', 0}));
}

TEST_F(NetmanServer, DatagramsForUnknownIdsOrFromOtherHostsAreIgnored) {
    raw_user_t& u = Join("Una");
    int idx = kx_netman_server_find(&srv, u.id);
    kx_netman_user_data_t* ud = kx_netman_server_user(&srv, idx);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(raw_send_to(u.udp, port, net_datagram(0x118, 99, state_msg(99, 0))));
    ASSERT_TRUE(net_test_wait([&] { return raw_pending(srv.udp.fd) > 0; }));
    Poll();
    // Another host naming this user's id: built in place, never sent to another address.
    kx_sockaddr_t other{};
    other.sin_family = AF_INET;
    other.sin_addr.s_addr = htonl(0x7F000002);
    other.sin_port = htons(40000);
    bytes_t d = net_datagram(0x118, u.id, state_msg(u.id, 0));
    EXPECT_EQ(kx_netman_server_handle_udp(&srv, &other, d.data(), d.data() + 16), -1);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Got UDP Package from unknown id (99), ignored"), std::string::npos);
    EXPECT_NE(log.find("from another address [127.0.0.2], ignored"), std::string::npos);
    EXPECT_EQ(ud->udp_known, 0);
    // From the user's own host it moves the address.
    SendUdp(u, 0x118, state_msg(u.id, 0), u.id);
    EXPECT_EQ(ntohs(ud->udp_addr.sin_port), u.udp_port);
}

}  // namespace
