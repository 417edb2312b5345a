// Client transport against raw sockets that send exact bytes: framing, limits,
// the 99-frame rule, send and disconnect paths, datagram checks, output queue.
#include "engine/net/kx_client_socket.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "net/net_test_util.h"

namespace {

struct frame_rec_t {
    int msgtype;
    bytes_t payload;
};

// Callbacks carry no test context, so they record here.
std::vector<frame_rec_t> g_frames;
std::vector<std::pair<int, int>> g_disconnects;
std::vector<bytes_t> g_datagrams;
int g_connects = 0;

int rec_buf(int, int msgtype, const uint8_t* p, int len) {
    g_frames.push_back({msgtype, bytes_t(p, p + len)});
    return 0;
}
int rec_disconnect(void*, int reason, int code) {
    g_disconnects.push_back({reason, code});
    return 0;
}
int rec_connect(void*, int, int) {
    g_connects++;
    return 0;
}
int rec_udp(void*, const kx_sockaddr_t*, const uint8_t* header, const uint8_t* payload) {
    bytes_t d(header, header + 16);
    d.insert(d.end(), payload, payload + (header[2] | (header[3] << 8)));
    g_datagrams.push_back(d);
    return 0;
}

void reset_records() {
    g_frames.clear();
    g_disconnects.clear();
    g_datagrams.clear();
    g_connects = 0;
}

class ClientTcp : public ::testing::Test {
   protected:
    void SetUp() override {
        reset_records();
        listen_fd = raw_tcp_listen(&port);
        ASSERT_GE(listen_fd, 0);
        kx_client_socket_init(&sock, nullptr);
        sock.OnBuf = rec_buf;
        sock.OnDisconnect = rec_disconnect;
        sock.OnConnect = rec_connect;
    }
    void Connect() {
        ASSERT_EQ(kx_client_socket_connect(&sock, "127.0.0.1", port, KX_SOCK_TCP), 0);
        peer = raw_tcp_accept(listen_fd);
        ASSERT_GE(peer, 0);
        ASSERT_TRUE(net_test_wait([&] {
            kx_client_socket_poll(&sock);
            return sock.status == KX_SOCK_CONNECTED;
        }));
        EXPECT_EQ(g_connects, 1);
    }
    // Send bytes from the peer and poll once they are all waiting, so one receive takes them.
    void Deliver(const bytes_t& b) {
        ASSERT_TRUE(raw_send(peer, b));
        ASSERT_TRUE(net_test_wait([&] { return raw_pending(sock.fd) >= (int)b.size(); }));
        kx_client_socket_poll(&sock);
    }
    void TearDown() override {
        kx_client_socket_term(&sock);
        if (peer >= 0) close(peer);
        close(listen_fd);
    }
    kx_client_socket_t sock;
    int listen_fd = -1, peer = -1, port = 0;
};

bytes_t seq_payload(int n, int seed) {
    bytes_t b(n);
    for (int i = 0; i < n; i++) b[i] = (uint8_t)(i * 7 + seed);
    return b;
}

TEST_F(ClientTcp, FramesSplitAndCoalescedAcrossReceives) {
    Connect();
    bytes_t all = net_frame(0x101, seq_payload(10, 1));
    bytes_t f2 = net_frame(0x102, seq_payload(300, 2));
    bytes_t f3 = net_frame(0x103, seq_payload(50, 3));
    all.insert(all.end(), f2.begin(), f2.end());
    size_t half = f3.size() / 2;
    all.insert(all.end(), f3.begin(), f3.begin() + half);
    Deliver(all);
    ASSERT_EQ(g_frames.size(), 2u);
    EXPECT_EQ(g_frames[0].msgtype, 0x101);
    EXPECT_EQ(g_frames[0].payload, seq_payload(10, 1));
    EXPECT_EQ(g_frames[1].payload, seq_payload(300, 2));
    EXPECT_EQ(sock.buffer_recv_pos, (int)half);
    Deliver(bytes_t(f3.begin() + half, f3.end()));
    ASSERT_EQ(g_frames.size(), 3u);
    EXPECT_EQ(g_frames[2].msgtype, 0x103);
    EXPECT_EQ(g_frames[2].payload, seq_payload(50, 3));
    EXPECT_EQ(sock.buffer_recv_pos, 0);
}

struct limit_case_t {
    const char* name;
    bytes_t bytes;
    size_t frames;
    int frame_len;
    int reason, code;  // 0, 0: stays connected
    const char* log;
};

TEST_F(ClientTcp, HeaderLimits) {
    std::vector<limit_case_t> cases = {
        {"max length", net_frame(0x110, seq_payload(8192, 5)), 1, 8192, 0, 0, nullptr},
        {"zero length", net_frame(0x111, {}), 1, 0, 0, 0, nullptr},
        {"length 8193", net_frame(0x112, {}, 2, 8193), 0, 0, -17, 161, nullptr},
        {"version 3 header only", net_frame(0x113, {}, 3, 4), 0, 0, -16, 160,
         "--- bad sock version. buffer_recv_pos 8, len 4, ver 3, msgtype 275, flags 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reset_records();
        Connect();
        testing::internal::CaptureStdout();
        ASSERT_TRUE(raw_send(peer, c.bytes));
        net_test_wait([&] {
            kx_client_socket_poll(&sock);
            return g_frames.size() >= c.frames && (c.reason == 0 || !g_disconnects.empty());
        });
        std::string log = testing::internal::GetCapturedStdout();
        ASSERT_EQ(g_frames.size(), c.frames);
        if (c.frames) {
            EXPECT_EQ((int)g_frames[0].payload.size(), c.frame_len);
        }
        if (c.reason) {
            ASSERT_EQ(g_disconnects.size(), 1u);
            EXPECT_EQ(g_disconnects[0], std::make_pair(c.reason, c.code));
            EXPECT_EQ(sock.status, KX_SOCK_DISCONNECTED);
        } else {
            EXPECT_TRUE(g_disconnects.empty());
            EXPECT_EQ(sock.status, KX_SOCK_CONNECTED);
        }
        if (c.log) {
            EXPECT_NE(log.find(c.log), std::string::npos) << log;
        }
        kx_client_socket_disconnect(&sock, -32, 0);
        close(peer);
        peer = -1;
    }
}

TEST_F(ClientTcp, NinetyNineFramesInOnePassEndTheConnection) {
    struct {
        int sent;
        size_t handled;
        bool dropped;
    } cases[] = {{98, 98, false}, {99, 99, true}, {120, 99, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.sent);
        reset_records();
        Connect();
        bytes_t burst;
        for (int i = 0; i < c.sent; i++) {
            bytes_t f = net_frame(0x100 + (i & 0xFF), {});
            burst.insert(burst.end(), f.begin(), f.end());
        }
        Deliver(burst);
        EXPECT_EQ(g_frames.size(), c.handled);
        if (c.dropped) {
            ASSERT_EQ(g_disconnects.size(), 1u);
            EXPECT_EQ(g_disconnects[0], std::make_pair(1, 165));
        } else {
            EXPECT_TRUE(g_disconnects.empty());
            EXPECT_EQ(sock.status, KX_SOCK_CONNECTED);
        }
        kx_client_socket_disconnect(&sock, -32, 0);
        close(peer);
        peer = -1;
    }
}

TEST_F(ClientTcp, SendWhileConnectingFailsButLogsHello) {
    ASSERT_EQ(kx_client_socket_connect(&sock, "127.0.0.1", port, KX_SOCK_TCP), 0);
    ASSERT_EQ(sock.status, KX_SOCK_CONNECTING);
    uint8_t hello[36] = {};
    testing::internal::CaptureStdout();
    EXPECT_EQ(kx_client_socket_send(&sock, 0x105, hello, 36), -1);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("SOCK CLIENT: Sending hello (261, len 36)"), std::string::npos) << log;
    peer = raw_tcp_accept(listen_fd);
    ASSERT_TRUE(net_test_wait([&] {
        kx_client_socket_poll(&sock);
        return sock.status == KX_SOCK_CONNECTED;
    }));
    EXPECT_EQ(raw_pending(peer), 0);
}

TEST_F(ClientTcp, SendOnConnectedRecordWritesOneFrame) {
    Connect();
    bytes_t data = seq_payload(100, 9);
    EXPECT_EQ(kx_client_socket_send(&sock, 0x110, data.data(), 100), 0);
    int t = 0;
    bytes_t payload;
    ASSERT_TRUE(raw_read_frame(peer, &t, &payload));
    EXPECT_EQ(t, 0x110);
    EXPECT_EQ(payload, data);
    // Too long for a frame: refused whole rather than cut.
    bytes_t big(8193, 1);
    EXPECT_EQ(kx_client_socket_send(&sock, 0x110, big.data(), 8193), -1);
    EXPECT_EQ(sock.status, KX_SOCK_CONNECTED);
    EXPECT_EQ(kx_client_socket_send(&sock, 0x111, big.data(), 8192), 0);
    ASSERT_TRUE(raw_read_frame(peer, &t, &payload));
    EXPECT_EQ(t, 0x111);
    EXPECT_EQ(payload.size(), 8192u);
}

TEST_F(ClientTcp, DisconnectTwiceCallsBackOnce) {
    Connect();
    testing::internal::CaptureStdout();
    kx_client_socket_disconnect(&sock, -32, 0);
    kx_client_socket_disconnect(&sock, -32, 0);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(g_disconnects.size(), 1u);
    EXPECT_NE(log.find("SOCK CLIENT disconnect (reason -32) (code 0) (current status 0)"), std::string::npos);
    EXPECT_EQ(kx_client_socket_poll(&sock), -1);
}

TEST_F(ClientTcp, PeerClosingIsReportedAs154) {
    Connect();
    close(peer);
    peer = -1;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(net_test_wait([&] {
        kx_client_socket_poll(&sock);
        return !g_disconnects.empty();
    }));
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(g_disconnects[0], std::make_pair(-11, 154));
    EXPECT_NE(log.find("Kicking, case 154"), std::string::npos);
}

TEST_F(ClientTcp, PartialSendsAreQueuedAndTheStreamStaysWhole) {
    Connect();
    int small = 4096;
    setsockopt(sock.fd, SOL_SOCKET, SO_SNDBUF, &small, sizeof(small));
    setsockopt(peer, SOL_SOCKET, SO_RCVBUF, &small, sizeof(small));
    // Fill until the system takes only part of a frame and the rest waits in the queue.
    int sent = 0;
    while (sock.out_len == 0 && sent < 2000) {
        bytes_t p = seq_payload(3000, sent);
        ASSERT_EQ(kx_client_socket_send(&sock, 0x100 + (sent & 0xFF), p.data(), (int)p.size()), 0);
        sent++;
    }
    ASSERT_GT(sock.out_len, 0);
    for (int extra = 0; extra < 3; extra++, sent++) {
        bytes_t p = seq_payload(3000, sent);
        ASSERT_EQ(kx_client_socket_send(&sock, 0x100 + (sent & 0xFF), p.data(), (int)p.size()), 0);
    }
    // The peer reads while the client's poll flushes: every frame arrives intact and in order.
    size_t frame = 8 + 3000;
    bytes_t stream;
    ASSERT_TRUE(net_test_wait([&] {
        kx_client_socket_poll(&sock);
        raw_read_available(peer, &stream);
        return stream.size() >= frame * sent;
    }));
    ASSERT_EQ(stream.size(), frame * sent);
    for (int i = 0; i < sent; i++) {
        bytes_t f(stream.begin() + i * frame, stream.begin() + (i + 1) * frame);
        ASSERT_EQ(f, net_frame(0x100 + (i & 0xFF), seq_payload(3000, i))) << i;
    }
    EXPECT_EQ(sock.status, KX_SOCK_CONNECTED);
}

TEST_F(ClientTcp, FullOutputQueueEndsTheConnectionWithAReason) {
    Connect();
    int small = 4096;
    setsockopt(sock.fd, SOL_SOCKET, SO_SNDBUF, &small, sizeof(small));
    bytes_t p = seq_payload(8000, 1);
    for (int i = 0; i < 1000 && sock.status == KX_SOCK_CONNECTED; i++)
        kx_client_socket_send(&sock, 0x101, p.data(), (int)p.size());
    ASSERT_EQ(g_disconnects.size(), 1u);
    EXPECT_EQ(g_disconnects[0], std::make_pair(-10, EAGAIN));
}

TEST(ClientSocket, TermWithoutConnectOnlyLogs) {
    reset_records();
    kx_client_socket_t sock;
    kx_client_socket_init(&sock, nullptr);
    sock.OnDisconnect = rec_disconnect;
    testing::internal::CaptureStdout();
    kx_client_socket_term(&sock);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("SOCK CLIENT Term"), std::string::npos);
    EXPECT_NE(log.find("SOCK CLIENT disconnect (reason -6) (code 0) (current status 0)"), std::string::npos);
    EXPECT_TRUE(g_disconnects.empty());
    EXPECT_EQ(sock.recv_buf, nullptr);
}

TEST(ClientSocket, WrongKindOfSendIsRefused) {
    kx_client_socket_t sock;
    kx_client_socket_init(&sock, nullptr);
    sock.status = KX_SOCK_CONNECTED;
    sock.type = KX_SOCK_UDP;
    testing::internal::CaptureStdout();
    EXPECT_EQ(kx_client_socket_send(&sock, 0x110, "x", 1), -1);
    sock.type = KX_SOCK_TCP;
    uint8_t header[16] = {};
    EXPECT_EQ(kx_client_socket_udp_send(&sock, header, nullptr), -1);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("CRITICAL WARNING, send() called for UDP socket"), std::string::npos);
    EXPECT_NE(log.find("CRITICAL WARNING, udp_send() called for TCP socket."), std::string::npos);
    sock.status = KX_SOCK_DISCONNECTED;
    kx_client_socket_term(&sock);
}

TEST(ClientSocket, DatagramsAreCheckedAgainstTheBytesReceived) {
    reset_records();
    int port = 0;
    int peer = raw_udp_bind(&port);
    ASSERT_GE(peer, 0);
    kx_client_socket_t sock;
    kx_client_socket_init(&sock, nullptr);
    sock.OnUdpBuf = rec_udp;
    sock.OnDisconnect = rec_disconnect;
    ASSERT_EQ(kx_client_socket_connect(&sock, "127.0.0.1", port, KX_SOCK_UDP), 0);
    ASSERT_EQ(sock.status, KX_SOCK_CONNECTED);
    // The client speaks first so the peer learns its address.
    uint8_t header[16];
    kx_net_wire_write_datagram(header, 3, 0x118, 17, 0);
    header[0] = 9;  // overwritten with 2 by the send
    ASSERT_EQ(kx_client_socket_udp_send(&sock, header, "abc"), 0);
    bytes_t got;
    ASSERT_TRUE(raw_recv_datagram(peer, &got));
    EXPECT_EQ(got, net_datagram(0x118, 17, {'a', 'b', 'c'}));
    sockaddr_in client_addr{};
    socklen_t alen = sizeof(client_addr);
    getsockname(sock.fd, (sockaddr*)&client_addr, &alen);
    int client_port = ntohs(client_addr.sin_port);

    struct {
        const char* name;
        bytes_t bytes;
        bool dispatched;
        const char* log;
    } cases[] = {
        {"version 1", net_datagram(0x119, 18, {1, 2}, 1), false, "UDP SOCK ERROR, Version Mismatch"},
        {"shorter than a header", bytes_t(10, 2), false, nullptr},
        {"len beyond the bytes", net_datagram(0x119, 18, {1, 2, 3, 4}, 2, 100), false, nullptr},
        {"valid", net_datagram(0x119, 18, {1, 2, 3, 4}), true, nullptr},
        {"empty payload", net_datagram(0x119, 19, {}), true, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_datagrams.clear();
        ASSERT_TRUE(raw_send_to(peer, client_port, c.bytes));
        ASSERT_TRUE(net_test_wait([&] { return raw_pending(sock.fd) > 0; }));
        testing::internal::CaptureStdout();
        kx_client_socket_poll(&sock);
        std::string log = testing::internal::GetCapturedStdout();
        EXPECT_EQ(g_datagrams.size(), c.dispatched ? 1u : 0u);
        if (c.dispatched) {
            EXPECT_EQ(g_datagrams[0], c.bytes);
        }
        if (c.log) {
            EXPECT_NE(log.find(c.log), std::string::npos) << log;
        }
        EXPECT_EQ(sock.status, KX_SOCK_CONNECTED);
    }
    EXPECT_TRUE(g_disconnects.empty());
    kx_client_socket_term(&sock);
    close(peer);
}

TEST(ClientSocket, ConnectToAClosedPortReportsTheError) {
    reset_records();
    int port = 0;
    int l = raw_tcp_listen(&port);
    close(l);  // nobody listens there now
    kx_client_socket_t sock;
    kx_client_socket_init(&sock, nullptr);
    sock.OnDisconnect = rec_disconnect;
    kx_client_socket_connect(&sock, "127.0.0.1", port, KX_SOCK_TCP);
    ASSERT_TRUE(net_test_wait([&] {
        kx_client_socket_poll(&sock);
        return sock.status == KX_SOCK_DISCONNECTED;
    }));
    ASSERT_EQ(g_disconnects.size(), 1u);
    EXPECT_TRUE(g_disconnects[0].first == -13 || g_disconnects[0].first == -9 ||
                g_disconnects[0].first == -11);
    kx_client_socket_term(&sock);
}

}  // namespace
