// Netman client against raw TCP and UDP sockets on one loopback port: the
// handshake byte for byte, session-ending messages, pings, user lists,
// datagrams and texts.
#include "engine/net/kx_netman.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "net/net_test_util.h"

namespace {

struct msg_t {
    uint32_t sender;
    int type;
    bytes_t payload;
};
std::vector<msg_t> g_msgs;
std::vector<std::pair<int, int>> g_ends;

int rec_buffer(uint32_t sender, int type, const uint8_t* p, int len) {
    g_msgs.push_back({sender, type, bytes_t(p, p + len)});
    return 0;
}
int rec_disconnect(kx_netman_t*, int reason, int code) {
    g_ends.push_back({reason, code});
    return 0;
}

bytes_t greeting(uint16_t version, uint16_t id, const bytes_t& name) {
    bytes_t b;
    put16(&b, version);
    put16(&b, id);
    b.insert(b.end(), name.begin(), name.end());
    return b;
}

bytes_t user_entry(uint16_t id, uint16_t ping, const std::string& name) {
    bytes_t b;
    put16(&b, id);
    put16(&b, ping);
    put16(&b, 0);
    put16(&b, 0x100);
    bytes_t n = name_field(name);
    b.insert(b.end(), n.begin(), n.end());
    return b;
}

class NetmanClient : public ::testing::Test {
   protected:
    void SetUp() override {
        g_msgs.clear();
        g_ends.clear();
        // TCP listener and UDP peer on one port, as a real server has.
        for (int attempt = 0; attempt < 50 && udp_peer < 0; attempt++) {
            listen_fd = raw_tcp_listen(&port);
            sockaddr_in a{};
            a.sin_family = AF_INET;
            a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            a.sin_port = htons((uint16_t)port);
            int u = socket(AF_INET, SOCK_DGRAM, 0);
            if (bind(u, (sockaddr*)&a, sizeof(a)) == 0) {
                udp_peer = u;
            } else {
                close(u);
                close(listen_fd);
            }
        }
        ASSERT_GE(udp_peer, 0);
        kx_netman_init(&nm, 256);
        nm.OnBuffer = rec_buffer;
        nm.OnDisconnect = rec_disconnect;
        kx_netman_connect(&nm, "127.0.0.1", port);
        peer = raw_tcp_accept(listen_fd);
        ASSERT_GE(peer, 0);
        ASSERT_TRUE(net_test_wait([&] {
            kx_netman_poll(&nm);
            return nm.tcp.status == KX_SOCK_CONNECTED;
        }));
    }
    void TearDown() override {
        kx_netman_term(&nm);
        close(peer);
        close(listen_fd);
        close(udp_peer);
    }
    void PollUntil(const std::function<bool()>& done) {
        ASSERT_TRUE(net_test_wait([&] {
            kx_netman_poll(&nm);
            return done();
        }));
    }
    // Send a frame and poll until netman has taken it.
    void Feed(const bytes_t& frame) {
        size_t before = g_msgs.size() + g_ends.size();
        ASSERT_TRUE(raw_send(peer, frame));
        auto progressed = [&] { return g_msgs.size() + g_ends.size() > before; };
        ASSERT_TRUE(net_test_wait([&] { return raw_pending(nm.tcp.fd) > 0; }));
        net_test_wait([&] {
            kx_netman_poll(&nm);
            return progressed() || raw_pending(nm.tcp.fd) == 0;
        });
        kx_netman_poll(&nm);
    }
    kx_netman_t nm;
    int listen_fd = -1, udp_peer = -1, peer = -1, port = 0;
};

TEST_F(NetmanClient, GreetingIsAnsweredWithExactlyOneHello) {
    bytes_t g = greeting(256, 17, name_field("Test Server"));
    Feed(net_frame(0x104, g));
    int t = 0;
    bytes_t hello;
    ASSERT_TRUE(raw_read_frame(peer, &t, &hello));
    EXPECT_EQ(t, 0x105);
    bytes_t want(g.begin(), g.begin() + 4);
    bytes_t n = name_field("Player");
    want.insert(want.end(), n.begin(), n.end());
    EXPECT_EQ(hello, want);
    EXPECT_EQ(nm.id, 17u);
    EXPECT_STREQ(nm.server_name, "Test Server");
    ASSERT_EQ(g_msgs.size(), 1u);
    EXPECT_EQ(g_msgs[0].type, 4);
    EXPECT_EQ(g_msgs[0].sender, 0u);
    EXPECT_EQ(raw_pending(peer), 0);
}

TEST_F(NetmanClient, GreetingNameWithoutTerminatorIsCut) {
    Feed(net_frame(0x104, greeting(256, 20, bytes_t(32, 'A'))));
    EXPECT_EQ(std::string(nm.server_name), std::string(31, 'A'));
    int t = 0;
    bytes_t hello;
    ASSERT_TRUE(raw_read_frame(peer, &t, &hello));
    EXPECT_EQ(t, 0x105);
}

TEST_F(NetmanClient, PlayerNameGoesIntoTheHello) {
    std::snprintf(nm.player_name, sizeof(nm.player_name), "%s", "Alice");
    Feed(net_frame(0x104, greeting(256, 17, name_field("S"))));
    int t = 0;
    bytes_t hello;
    ASSERT_TRUE(raw_read_frame(peer, &t, &hello));
    EXPECT_EQ(bytes_t(hello.begin() + 4, hello.end()), name_field("Alice"));
}

struct ending_case_t {
    const char* name;
    bytes_t frame;
    int reason, code;
};

TEST_F(NetmanClient, SessionEndingMessages) {
    // Each case needs a session of its own: the fixture's first, then a reconnect.
    std::vector<ending_case_t> cases = {
        {"app version 255", net_frame(0x104, greeting(255, 17, name_field("S"))), -34, 0},
        {"greeting of 30 bytes", net_frame(0x104, bytes_t(30, 0)), -37, 0},
        {"netman version 2", net_frame(0x205, {}), -33, 512},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_msgs.clear();
        g_ends.clear();
        if (nm.tcp.status != KX_SOCK_CONNECTED) {
            close(peer);
            kx_netman_connect(&nm, "127.0.0.1", port);
            peer = raw_tcp_accept(listen_fd);
            PollUntil([&] { return nm.tcp.status == KX_SOCK_CONNECTED; });
        }
        Feed(c.frame);
        ASSERT_EQ(g_ends.size(), 1u);
        EXPECT_EQ(g_ends[0], std::make_pair(c.reason, c.code));
        EXPECT_TRUE(g_msgs.empty());
        EXPECT_EQ(nm.tcp.status, KX_SOCK_DISCONNECTED);
        EXPECT_EQ(nm.udp.status, KX_SOCK_DISCONNECTED);
        EXPECT_TRUE(raw_wait_eof(peer));  // closed without a hello
    }
}

TEST_F(NetmanClient, PingsAreEchoedAndWrongSizesDropped) {
    Feed(net_frame(0x101, {0x34, 0x12, 40, 0}));
    int t = 0;
    bytes_t reply;
    ASSERT_TRUE(raw_read_frame(peer, &t, &reply));
    EXPECT_EQ(t, 0x102);
    EXPECT_EQ(reply, bytes_t({0x34, 0x12, 40, 0}));
    EXPECT_EQ(nm.ping, 40);
    ASSERT_EQ(g_msgs.size(), 1u);
    EXPECT_EQ(g_msgs[0].type, 1);
    testing::internal::CaptureStdout();
    Feed(net_frame(0x101, {1, 2, 3, 4, 5, 6}));
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("CRITICAL WARNING, ping len = 6, but must be 4"), std::string::npos);
    EXPECT_EQ(g_msgs.size(), 1u);
    EXPECT_EQ(nm.ping, 40);
    EXPECT_EQ(nm.tcp.status, KX_SOCK_CONNECTED);
}

TEST_F(NetmanClient, UserListsAreReadOnlyAsFarAsReceived) {
    auto list = [](uint32_t icount, int entries, int first_id) {
        bytes_t b;
        put32(&b, icount);
        for (int i = 0; i < entries; i++) {
            bytes_t e = user_entry((uint16_t)(first_id + i), (uint16_t)(10 + i), "user" + std::to_string(i));
            b.insert(b.end(), e.begin(), e.end());
        }
        return b;
    };
    struct {
        const char* name;
        bytes_t payload;
        int count;
    } cases[] = {
        {"three", list(3, 3, 17), 3},
        {"empty", list(0, 0, 0), 0},
        {"forty entries keep 32", list(40, 40, 17), 32},
        {"count claims more than sent", list(5, 2, 30), 2},
        {"count claims billions", list(0xFFFFFFFFu, 1, 40), 1},
        {"shorter than the count", bytes_t({1, 0}), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        nm.users.count = 7;
        Feed(net_frame(0x109, c.payload));
        EXPECT_EQ(nm.users.count, c.count);
        EXPECT_EQ(g_msgs.back().type, 9);
    }
    Feed(net_frame(0x109, list(3, 3, 17)));
    const kx_netman_user_t& u = nm.users.items[1];
    EXPECT_EQ(u.id, 18u);
    EXPECT_EQ(u.ping, 11);
    EXPECT_EQ(u.flags, 0x100u);
    EXPECT_EQ(u.reserved, 0u);
    EXPECT_EQ(u.frags, 0);
    EXPECT_STREQ(u.name, "user1");
    // A name filling all 32 bytes is cut to 31 and terminated.
    bytes_t b;
    put32(&b, 1);
    put16(&b, 50);
    put16(&b, 0);
    put16(&b, 0);
    put16(&b, 0x100);
    b.insert(b.end(), 32, 'Z');
    Feed(net_frame(0x109, b));
    EXPECT_EQ(std::string(nm.users.items[0].name), std::string(31, 'Z'));
}

TEST_F(NetmanClient, FindUserReturnsTheFirstMatch) {
    nm.users.count = 0;
    EXPECT_EQ(kx_netman_find_user(&nm, 17), -1);
    nm.users.items[0].id = 5;
    nm.users.items[1].id = 17;
    nm.users.items[2].id = 17;
    nm.users.count = 3;
    EXPECT_EQ(kx_netman_find_user(&nm, 17), 1);
    EXPECT_EQ(kx_netman_find_user(&nm, 99), -1);
}

TEST_F(NetmanClient, TextsArePassedOnEvenWithoutTerminator) {
    testing::internal::CaptureStdout();
    Feed(net_frame(0x110, {'h', 'e', 'y', 0}));
    Feed(net_frame(0x110, {'a', 'b'}));
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Got TEXT message, index=0: hey \n"), std::string::npos) << log;
    EXPECT_NE(log.find("Got TEXT message, index=0: ab \n"), std::string::npos) << log;
    ASSERT_EQ(g_msgs.size(), 2u);
    EXPECT_EQ(g_msgs[1].payload, bytes_t({'a', 'b'}));
}

TEST_F(NetmanClient, DatagramsReachOnBufferWithTheSenderId) {
    nm.id = 17;
    bytes_t state(60, 7);
    ASSERT_EQ(kx_netman_send_udp(&nm, 24, state.data(), 60), 0);
    bytes_t got;
    ASSERT_TRUE(raw_recv_datagram(udp_peer, &got));
    EXPECT_EQ(got, net_datagram(0x118, 17, state));
    sockaddr_in client{};
    socklen_t alen = sizeof(client);
    getsockname(nm.udp.fd, (sockaddr*)&client, &alen);
    int cport = ntohs(client.sin_port);

    ASSERT_TRUE(raw_send_to(udp_peer, cport, net_datagram(0x119, 18, {9, 8, 7})));
    PollUntil([&] { return !g_msgs.empty(); });
    EXPECT_EQ(g_msgs[0].sender, 18u);
    EXPECT_EQ(g_msgs[0].type, 25);
    EXPECT_EQ(g_msgs[0].payload, bytes_t({9, 8, 7}));
    testing::internal::CaptureStdout();
    ASSERT_TRUE(raw_send_to(udp_peer, cport, net_datagram(0x219, 18, {1})));
    ASSERT_TRUE(net_test_wait([&] { return raw_pending(nm.udp.fd) > 0; }));
    kx_netman_poll(&nm);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("CRITICAL WARNING, netman protocol version mismatch: 512 instead of 256"),
              std::string::npos);
    EXPECT_EQ(g_msgs.size(), 1u);
    EXPECT_EQ(nm.udp.status, KX_SOCK_CONNECTED);
}

TEST(Netman, InitSetsDefaultsAndConnectNamesTheServer) {
    kx_netman_t nm;
    kx_netman_init(&nm, 256);
    EXPECT_STREQ(nm.player_name, "Player");
    EXPECT_EQ(nm.users.capacity, 32);
    EXPECT_EQ(nm.users.in_use, 1);
    EXPECT_EQ(nm.app_version, 256);
    EXPECT_EQ(nm.tcp.user, &nm);
    kx_netman_term(&nm);
    EXPECT_EQ(nm.users.capacity, 0);
    EXPECT_EQ(nm.users.items, nullptr);
}

}  // namespace
