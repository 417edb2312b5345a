// Server transport against the client transport and raw sockets: ids, frames
// both ways, kicks that move slots, deferred kicks, the 37th connection,
// datagram size checks, and the per-client output queue.
#include "engine/net/kx_server_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "engine/net/kx_udp_server.h"
#include "net/net_test_util.h"

namespace {

struct srv_frame_t {
    int index, msgtype;
    bytes_t payload;
};

std::vector<srv_frame_t> g_srv_frames;
std::vector<std::pair<int, int>> g_srv_connects;     // (index, id)
std::vector<std::pair<int, int>> g_srv_disconnects;  // (id, reason)
std::vector<bytes_t> g_cli_frames;
std::vector<std::pair<bytes_t, int>> g_udp;  // (datagram, source port)

int srv_buf(int index, int msgtype, const uint8_t* p, int len) {
    g_srv_frames.push_back({index, msgtype, bytes_t(p, p + len)});
    return 0;
}
int srv_connect(void*, int index, int id) {
    g_srv_connects.push_back({index, id});
    return 0;
}
int srv_disconnect(void*, int id, int reason) {
    g_srv_disconnects.push_back({id, reason});
    return 0;
}
int cli_buf(int, int, const uint8_t* p, int len) {
    g_cli_frames.push_back(bytes_t(p, p + len));
    return 0;
}
int srv_udp(void*, const kx_sockaddr_t* from, const uint8_t* header, const uint8_t* payload) {
    bytes_t d(header, header + 16);
    d.insert(d.end(), payload, payload + (header[2] | (header[3] << 8)));
    g_udp.push_back({d, ntohs(from->sin_port)});
    return 0;
}

class ServerSockets : public ::testing::Test {
   protected:
    void SetUp() override {
        g_srv_frames.clear();
        g_srv_connects.clear();
        g_srv_disconnects.clear();
        g_cli_frames.clear();
        g_udp.clear();
        port = net_test_start_server_sockets(&tcp, &udp);
        ASSERT_GT(port, 0);
        tcp.OnBuf = srv_buf;
        tcp.OnConnect = srv_connect;
        tcp.OnDisconnect = srv_disconnect;
        udp.OnUdpBuf = srv_udp;
    }
    void TearDown() override {
        for (int fd : raws) close(fd);
        kx_server_socket_term(&tcp);
        kx_udp_server_term(&udp);
    }
    // Connect a raw client and poll until the server has it.
    int Join() {
        int before = tcp.client_count;
        int fd = raw_tcp_connect(port);
        EXPECT_GE(fd, 0);
        raws.push_back(fd);
        EXPECT_TRUE(net_test_wait([&] {
            kx_server_socket_poll(&tcp);
            return tcp.client_count > before;
        }));
        return fd;
    }
    void PollUntil(const std::function<bool()>& done) {
        ASSERT_TRUE(net_test_wait([&] {
            kx_server_socket_poll(&tcp);
            return done();
        }));
    }
    kx_server_socket_t tcp;
    kx_udp_server_t udp;
    int port = 0;
    std::vector<int> raws;
};

TEST_F(ServerSockets, IdsGrowFrom17AndAreNotReused) {
    Join();
    Join();
    ASSERT_EQ(g_srv_connects.size(), 2u);
    EXPECT_EQ(g_srv_connects[0], std::make_pair(0, 17));
    EXPECT_EQ(g_srv_connects[1], std::make_pair(1, 18));
    kx_server_socket_kick(&tcp, 0, -1, 0);
    EXPECT_EQ(g_srv_disconnects.back(), std::make_pair(17, -1));
    Join();
    EXPECT_EQ(g_srv_connects.back().second, 19);
    EXPECT_EQ(kx_server_socket_find(&tcp, 19), 1);
    EXPECT_EQ(kx_server_socket_find(&tcp, 17), -1);
}

TEST_F(ServerSockets, FramesBothWaysWithTheClientTransport) {
    kx_client_socket_t cli;
    kx_client_socket_init(&cli, nullptr);
    cli.OnBuf = cli_buf;
    kx_client_socket_connect(&cli, "127.0.0.1", port, KX_SOCK_TCP);
    PollUntil([&] {
        kx_client_socket_poll(&cli);
        return tcp.client_count == 1 && cli.status == KX_SOCK_CONNECTED;
    });
    bytes_t big(8192, 0x5A);
    EXPECT_EQ(kx_client_socket_send(&cli, 0x118, big.data(), 8192), 0);
    EXPECT_EQ(kx_client_socket_send(&cli, 0x110, "hi", 3), 0);
    PollUntil([&] { return g_srv_frames.size() == 2; });
    EXPECT_EQ(g_srv_frames[0].msgtype, 0x118);
    EXPECT_EQ(g_srv_frames[0].payload, big);
    EXPECT_EQ(g_srv_frames[1].payload, bytes_t({'h', 'i', 0}));
    EXPECT_EQ(kx_server_socket_send(&tcp, 0, 0x119, big.data(), 8192), 0);
    kx_server_socket_broadcast(&tcp, 0x110, "yo", 3);
    ASSERT_TRUE(net_test_wait([&] {
        kx_client_socket_poll(&cli);
        return g_cli_frames.size() == 2;
    }));
    EXPECT_EQ(g_cli_frames[0], big);
    kx_client_socket_term(&cli);
    PollUntil([&] { return tcp.client_count == 0; });
    EXPECT_EQ(g_srv_disconnects.back(), std::make_pair(17, 0));
}

TEST_F(ServerSockets, KickMovesTheLastClientIntoTheHole) {
    Join();
    Join();
    int third = Join();
    // The third client has 4 bytes of a frame pending.
    ASSERT_TRUE(raw_send(third, bytes_t({2, 0, 10, 0})));
    PollUntil([&] { return tcp.clients[2].buffer_recv_pos == 4; });
    int fd = tcp.clients[2].fd;
    kx_server_socket_kick(&tcp, 0, -5, 1);
    ASSERT_EQ(tcp.client_count, 2);
    EXPECT_EQ(tcp.clients[0].id, 19);
    EXPECT_EQ(tcp.clients[0].fd, fd);
    EXPECT_EQ(tcp.clients[0].buffer_recv_pos, 4);
    EXPECT_EQ(tcp.clients[0].recv_buf[2], 10);
    EXPECT_NE(tcp.clients[2].recv_buf, tcp.clients[0].recv_buf);
    // The rest of its frame completes in its new slot.
    ASSERT_TRUE(raw_send(third, bytes_t({0x10, 0x01, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10})));
    PollUntil([&] { return g_srv_frames.size() == 1; });
    EXPECT_EQ(g_srv_frames[0].index, 0);
    EXPECT_EQ(g_srv_frames[0].payload.size(), 10u);
}

TEST_F(ServerSockets, BadFramesAreKickedAtTheNextPoll) {
    struct {
        const char* name;
        bytes_t bytes;
        const char* log;
    } cases[] = {
        {"version 3", net_frame(0x110, {}, 3, 4), "Server Deferred Kick: index 1, reason -16, code -2"},
        {"length 8193", net_frame(0x110, {}, 2, 8193), "Server Deferred Kick: index 1, reason -17, code -2"},
        {"99 frames", {}, "ERROR: Too many attempts when handling buffer (server). "},
    };
    for (int i = 0; i < 99; i++) {
        bytes_t f = net_frame(0x110, {});
        cases[2].bytes.insert(cases[2].bytes.end(), f.begin(), f.end());
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_srv_disconnects.clear();
        Join();
        int bad = Join();
        int bad_id = tcp.clients[1].id;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(raw_send(bad, c.bytes));
        PollUntil([&] { return (tcp.clients[1].flags & KX_SERVER_FLAG_KICK) != 0; });
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_NE(log.find(c.log), std::string::npos) << log;
        EXPECT_EQ(tcp.client_count, 2);
        EXPECT_TRUE(g_srv_disconnects.empty());
        kx_server_socket_poll(&tcp);
        ASSERT_EQ(g_srv_disconnects.size(), 1u);
        EXPECT_EQ(g_srv_disconnects[0], std::make_pair(bad_id, 0));
        EXPECT_TRUE(raw_wait_eof(bad));
        kx_server_socket_kick(&tcp, 0, 0, 0);
    }
}

TEST_F(ServerSockets, AdjacentDeferredKicksRunInOnePoll) {
    Join();
    Join();
    Join();
    kx_server_socket_deferred_kick(&tcp, 0, -1, 0);
    kx_server_socket_deferred_kick(&tcp, 1, -1, 0);
    testing::internal::CaptureStdout();
    kx_server_socket_poll(&tcp);
    std::string log = testing::internal::GetCapturedStdout();
    ASSERT_EQ(tcp.client_count, 1);
    // 19 moved into slot 0 when 17 left; 18 in slot 1 was then kicked too.
    EXPECT_EQ(tcp.clients[0].id, 19);
    ASSERT_EQ(g_srv_disconnects.size(), 2u);
    EXPECT_EQ(g_srv_disconnects[0].first, 17);
    EXPECT_EQ(g_srv_disconnects[1].first, 18);
    EXPECT_NE(log.find("processing 0 (id 19)"), std::string::npos) << log;
}

TEST_F(ServerSockets, The37thConnectionIsRefusedAtOnce) {
    for (int i = 0; i < KX_SERVER_MAX_CLIENTS; i++) Join();
    ASSERT_EQ(tcp.client_count, KX_SERVER_MAX_CLIENTS);
    int extra = raw_tcp_connect(port);
    ASSERT_GE(extra, 0);
    raws.push_back(extra);
    testing::internal::CaptureStdout();
    ASSERT_TRUE(net_test_wait([&] {
        kx_server_socket_poll(&tcp);
        return raw_wait_eof(extra, 10);
    }));
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("SOCK SRV refused connection"), std::string::npos);
    EXPECT_EQ(tcp.client_count, KX_SERVER_MAX_CLIENTS);
    EXPECT_EQ(g_srv_connects.size(), (size_t)KX_SERVER_MAX_CLIENTS);
    EXPECT_EQ(tcp.last_id, 16 + KX_SERVER_MAX_CLIENTS);
    // Every stored client is still served.
    ASSERT_TRUE(raw_send(raws[35], net_frame(0x110, {1})));
    ASSERT_TRUE(net_test_wait([&] {
        kx_server_socket_poll(&tcp);
        return g_srv_frames.size() == 1;
    }));
    EXPECT_EQ(g_srv_frames[0].index, 35);
}

TEST_F(ServerSockets, ClosedClientIsKickedWith174) {
    int fd = Join();
    close(fd);
    raws.clear();
    testing::internal::CaptureStdout();
    PollUntil([&] { return tcp.client_count == 0; });
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("Kicking, case 174 (i=0, client_count=1)"), std::string::npos) << log;
    EXPECT_NE(log.find("Executing deferred kick. Kicking now (id=0)"), std::string::npos);
}

TEST_F(ServerSockets, QueuedSendsReachASlowClientWhole) {
    int fd = Join();
    int small = 4096;
    setsockopt(tcp.clients[0].fd, SOL_SOCKET, SO_SNDBUF, &small, sizeof(small));
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &small, sizeof(small));
    int sent = 0;
    while (tcp.clients[0].out_len == 0 && sent < 500) {
        bytes_t p(2000, (uint8_t)sent);
        ASSERT_EQ(kx_server_socket_send(&tcp, 0, 0x100 + sent % 200, p.data(), 2000), 0);
        sent++;
    }
    ASSERT_GT(tcp.clients[0].out_len, 0);
    // The client reads while the server's polls flush the queue: every frame arrives whole, in order.
    size_t frame = 8 + 2000;
    bytes_t stream;
    ASSERT_TRUE(net_test_wait([&] {
        kx_server_socket_poll(&tcp);
        raw_read_available(fd, &stream);
        return stream.size() >= frame * sent;
    }));
    ASSERT_EQ(stream.size(), frame * sent);
    for (int i = 0; i < sent; i++) {
        bytes_t f(stream.begin() + i * frame, stream.begin() + (i + 1) * frame);
        ASSERT_EQ(f, net_frame(0x100 + i % 200, bytes_t(2000, (uint8_t)i))) << i;
    }
    EXPECT_EQ(tcp.clients[0].flags & KX_SERVER_FLAG_KICK, 0);
}

TEST_F(ServerSockets, DatagramSizesAreChecked) {
    int uport = 0;
    int u = raw_udp_bind(&uport);
    raws.push_back(u);
    struct {
        const char* name;
        bytes_t bytes;
        bool dispatched;
        const char* log;
    } cases[] = {
        {"15 bytes", bytes_t(15, 2), false, "n (15) < UDP packet header"},
        {"one byte too many",
         [] {
             bytes_t d = net_datagram(0x118, 17, {1, 2, 3, 4});
             d.push_back(0);
             return d;
         }(),
         false, "n (21) != header_len (16) + len (4)"},
        {"valid", net_datagram(0x118, 17, {1, 2, 3, 4}), true, nullptr},
        {"version is the owner's business", net_datagram(0x118, 17, {}, 7), true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_udp.clear();
        ASSERT_TRUE(raw_send_to(u, port, c.bytes));
        testing::internal::CaptureStdout();
        ASSERT_TRUE(net_test_wait([&] { return raw_pending(udp.fd) > 0; }));
        kx_udp_server_poll(&udp);
        bool seen = !g_udp.empty();
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(seen, c.dispatched);
        if (c.dispatched) {
            EXPECT_EQ(g_udp[0].first, c.bytes);
            EXPECT_EQ(g_udp[0].second, uport);
        } else {
            EXPECT_NE(log.find(c.log), std::string::npos) << log;
        }
    }
    // Sending back to the source address with the header's version forced to 2.
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons((uint16_t)uport);
    uint8_t header[16];
    kx_net_wire_write_datagram(header, 2, 0x119, 17, 1255);
    header[0] = 0;
    EXPECT_EQ(kx_udp_server_send(&udp, &to, header, "ok"), 0);
    bytes_t got;
    ASSERT_TRUE(raw_recv_datagram(u, &got));
    bytes_t want = net_datagram(0x119, 17, {'o', 'k'});
    want[12] = 1255 & 0xFF;
    want[13] = 1255 >> 8;
    EXPECT_EQ(got, want);
}

}  // namespace
