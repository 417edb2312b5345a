// Netman client against a raw TCP listener and UDP socket on one loopback port.
#include "engine/net/kx_netman.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "net/net_test_util.h"

namespace {

using msg_t = std::tuple<uint32_t, int, bytes_t>;  // what OnBuffer saw: sender, type, payload
std::vector<msg_t> g_msgs;
pairs_t g_ends;

int on_buffer(uint32_t sender, int type, const uint8_t* p, int len) {
    return g_msgs.push_back({sender, type, bytes_t(p, p + len)}), 0;
}
int on_end(kx_netman_t*, int reason, int code) { return g_ends.push_back({reason, code}), 0; }

class NetmanClient : public ::testing::Test {
   protected:
    void SetUp() override {
        g_msgs.clear(), g_ends.clear();
        port = net_free_port([&](int p) {  // TCP and UDP on one port, as a real server has
            listen_fd = raw_listen(&p), udp = raw_udp(&p);
            if (listen_fd >= 0 && udp >= 0) return true;
            raw_close(listen_fd), raw_close(udp);
            return false;
        });
        ASSERT_GT(port, 0);
        kx_netman_init(&nm, 256);
        nm.OnBuffer = on_buffer, nm.OnDisconnect = on_end;
        std::snprintf(nm.player_name, sizeof(nm.player_name), "%s", "Alice");
        kx_netman_connect(&nm, "127.0.0.1", port);
        peer = raw_accept(listen_fd);
        ASSERT_TRUE(net_wait([&] { return kx_netman_poll(&nm), nm.tcp.status == KX_SOCK_CONNECTED; }));
    }
    void TearDown() override {
        kx_netman_term(&nm);
        raw_close_all();
    }
    // Send a frame and poll once it is all waiting, so that one receive takes it.
    void Feed(const bytes_t& f) {
        ASSERT_TRUE(raw_send(peer, f));
        ASSERT_TRUE(net_wait([&] { return raw_pending(nm.tcp.fd) >= (int)f.size(); }));
        kx_netman_poll(&nm);
    }
    kx_netman_t nm;
    int port = 0, listen_fd = -1, udp = -1, peer = -1;
};

TEST_F(NetmanClient, GreetingIsAnsweredWithExactlyOneHello) {
    for (const auto& [id, name, kept] : {std::tuple(17, name32("Test Server"), std::string("Test Server")),
                                         std::tuple(20, bytes_t(32, 'A'), std::string(31, 'A'))}) {
        SCOPED_TRACE(id);
        Feed(frame(0x104, u16s({256, id}) + name));
        EXPECT_EQ(raw_frame(peer), frame(0x105, u16s({256, id}) + name32("Alice")));
        EXPECT_EQ(raw_pending(peer), 0);
        EXPECT_EQ(nm.id, (uint32_t)id);
        EXPECT_EQ(nm.server_name, kept);
        EXPECT_EQ(g_msgs.back(), msg_t(0, 4, u16s({256, id}) + name));
    }
}

// Fills the stack below the caller with non-zero bytes, so a header field left unwritten shows.
__attribute__((noinline)) void dirty_stack() {
    volatile uint8_t junk[4096];
    for (auto& b : junk) b = 0xAB;
}

TEST_F(NetmanClient, StatesGoOutAsDatagramsWithTheOwnId) {
    nm.id = 23;
    dirty_stack();
    ASSERT_EQ(kx_netman_send_udp(&nm, 24, "abc", 3), 0);
    EXPECT_EQ(raw_datagram(udp), datagram(0x118, 23, {'a', 'b', 'c'}));
}

TEST_F(NetmanClient, PingsAreEchoedAndTextsReadOnlyAsFarAsReceived) {
    Feed(frame(0x101, {0x34, 0x12, 40, 0}));
    EXPECT_EQ(raw_frame(peer), frame(0x102, {0x34, 0x12, 40, 0}));
    Feed(frame(0x101, {1, 2, 3, 4, 5, 6}));  // wrong size: dropped
    EXPECT_EQ(nm.ping, 40);
    Feed(frame(0x110, {'a', 'b'}));  // no NUL
    EXPECT_EQ(g_msgs, (std::vector<msg_t>{{0, 1, {0x34, 0x12, 40, 0}}, {0, 16, {'a', 'b'}}}));
    EXPECT_EQ(nm.tcp.status, KX_SOCK_CONNECTED);
}

TEST_F(NetmanClient, UserListsAreReadOnlyAsFarAsReceived) {
    auto list = [](uint32_t count, int entries) {
        bytes_t b = u32s({count});
        for (int i = 0; i < entries; i++)
            b += u16s({17 + i, 10 + i, 0, 0x100}) + name32("u" + std::to_string(i));
        return b;
    };
    struct {
        const char* name;
        bytes_t payload;
        int count;
        std::string first;
    } cases[] = {
        {"count claims more than sent", list(5, 2), 2, "u0"},
        {"shorter than the count", {1, 0}, 0, ""},
        {"a name without its NUL", u32s({1}) + u16s({50, 0, 0, 0x100}) + bytes_t(32, 'Z'), 1,
         std::string(31, 'Z')},
        {"three", list(3, 3), 3, "u0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        nm.users.count = 7;
        Feed(frame(0x109, c.payload));
        EXPECT_EQ(nm.users.count, c.count);
        EXPECT_EQ(std::string(c.count ? nm.users.items[0].name : ""), c.first);
    }
    const kx_netman_user_t& u = nm.users.items[1];
    EXPECT_EQ(std::tuple(u.id, u.ping, u.flags, std::string(u.name)), std::tuple(18u, 11, 0x100u, "u1"));
}

}  // namespace
