// Client and server transports against each other and against raw sockets sending exact bytes.
#include <gtest/gtest.h>
#include <netinet/in.h>

#include "engine/net/kx_client_socket.h"
#include "engine/net/kx_server_socket.h"
#include "engine/net/kx_udp_server.h"
#include "net/net_test_util.h"

namespace {

// What the callbacks saw; frames are framed again.
bytes_t g_frames;
std::vector<int> g_index;
pairs_t g_connects, g_ends;
std::vector<bytes_t> g_dgrams;

int on_frame(int index, int msgtype, const uint8_t* p, int len) {
    return g_index.push_back(index), g_frames += frame(msgtype, bytes_t(p, p + len)), 0;
}
int on_connect(void*, int a, int b) { return g_connects.push_back({a, b}), 0; }
int on_end(void*, int a, int b) { return g_ends.push_back({a, b}), 0; }
int on_dgram(void*, const kx_sockaddr_t*, const uint8_t* h, const uint8_t* p) {
    return g_dgrams.push_back(bytes_t(h, h + 16) + bytes_t(p, p + kx_net_get_u16(h + 2))), 0;
}

bytes_t seq(int n, int seed) {
    bytes_t b(n);
    for (int i = 0; i < n; i++) b[i] = (uint8_t)(i * 7 + seed);
    return b;
}

class Net : public ::testing::Test {
   protected:
    void SetUp() override {
        kx_client_socket_init(&cli, nullptr);
        cli.OnBuf = on_frame, cli.OnUdpBuf = on_dgram, cli.OnConnect = on_connect, cli.OnDisconnect = on_end;
        port = net_free_port([&](int p) {
            kx_server_socket_init(&srv, nullptr), kx_udp_server_init(&udp, nullptr);
            if (kx_server_socket_start(&srv, p) == 0 && kx_udp_server_start(&udp, p) == 0) return true;
            kx_server_socket_term(&srv), kx_udp_server_term(&udp);
            return false;
        });
        ASSERT_GT(port, 0);
        srv.OnBuf = on_frame, srv.OnConnect = on_connect, srv.OnDisconnect = on_end, udp.OnUdpBuf = on_dgram;
        Clear();
    }
    void TearDown() override {
        kx_client_socket_term(&cli), kx_server_socket_term(&srv), kx_udp_server_term(&udp);
        raw_close_all();
    }
    void Clear() { g_frames.clear(), g_index.clear(), g_connects.clear(), g_ends.clear(), g_dgrams.clear(); }
    void ConnectRaw() {
        int p = 0, l = raw_listen(&p);
        ASSERT_EQ(kx_client_socket_connect(&cli, "127.0.0.1", p, KX_SOCK_TCP), 0);
        peer = raw_accept(l);
        ASSERT_TRUE(PollClient([&] { return cli.status == KX_SOCK_CONNECTED; }));
    }
    // Polls once all bytes wait, so one receive takes them (with a split: two receives).
    void Deliver(int fd, int to, const bytes_t& b, size_t split = 0) {
        if (split) Deliver(fd, to, bytes_t(b.begin(), b.begin() + split));
        ASSERT_TRUE(raw_send(fd, bytes_t(b.begin() + split, b.end())));
        ASSERT_TRUE(net_wait([&] { return raw_pending(to) >= (int)(b.size() - split); }));
        to == cli.fd ? kx_client_socket_poll(&cli) : kx_server_socket_poll(&srv);
    }
    int Join() {
        int before = srv.client_count, fd = raw_connect(port);
        EXPECT_TRUE(PollServer([&] { return srv.client_count > before; }));
        return fd;
    }
    bool PollClient(const std::function<bool()>& done) {
        return net_wait([&] { return kx_client_socket_poll(&cli), done(); });
    }
    bool PollServer(const std::function<bool()>& done) {
        return net_wait([&] { return kx_server_socket_poll(&srv), done(); });
    }
    kx_client_socket_t cli;
    kx_server_socket_t srv;
    kx_udp_server_t udp;
    int port = 0, peer = -1;
};

// The same bytes to the client (which ends with a reason) and to the server (which kicks).
TEST_F(Net, FramesAndTheirLimitsOnBothSplitters) {
    bytes_t three = frame(0x101, seq(10, 1)) + frame(0x102, seq(300, 2)) + frame(0x103, seq(50, 3)),
            ninety_nine;
    for (int i = 0; i < 99; i++) ninety_nine += frame(0x100 + i, {});
    struct {
        const char* name;
        bytes_t bytes;
        size_t frames, split;
        pairs_t end;
    } cases[] = {
        {"frames coalesced and split across receives", three, 3, three.size() - 20, {}},
        {"zero length", frame(0x111, {}), 1, 0, {}},
        {"a lone first byte", frame(0x114, seq(5, 4)), 1, 1, {}},
        {"length 8193", frame(0x112, {}, 2, 8193), 0, 0, {{-17, 161}}},
        {"version 3", frame(0x113, {}, 3, 4), 0, 0, {{-16, 160}}},
        {"99 frames", ninety_nine, 99, 0, {{1, 165}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Clear();
        ConnectRaw();
        Deliver(peer, cli.fd, c.bytes, c.split);
        EXPECT_EQ(g_frames, c.frames ? c.bytes : bytes_t{});
        EXPECT_EQ(cli.buffer_recv_pos, 0);
        EXPECT_EQ(g_ends, c.end);
        EXPECT_EQ(cli.status, c.end.empty() ? KX_SOCK_CONNECTED : KX_SOCK_DISCONNECTED);
        kx_client_socket_disconnect(&cli, -32, 0);
        Clear();
        int fd = Join();
        Deliver(fd, srv.clients[0].fd, c.bytes, c.split);
        EXPECT_EQ(g_frames, c.frames ? c.bytes : bytes_t{});
        EXPECT_EQ((srv.clients[0].flags & KX_SERVER_FLAG_KICK) != 0, !c.end.empty());
        kx_server_socket_poll(&srv);
        EXPECT_EQ(srv.client_count, c.end.empty() ? 1 : 0);
        EXPECT_TRUE(c.end.empty() || raw_eof(fd));
        kx_server_socket_kick(&srv, 0, 0, 0);
    }
}

TEST_F(Net, FramesBothWaysBetweenClientAndServer) {
    kx_client_socket_connect(&cli, "127.0.0.1", port, KX_SOCK_TCP);
    EXPECT_EQ(kx_client_socket_send(&cli, 0x105, "hello", 6), -1);  // still connecting: nothing sent
    ASSERT_TRUE(PollServer(
        [&] { return kx_client_socket_poll(&cli), cli.status == KX_SOCK_CONNECTED && srv.client_count; }));
    bytes_t big = seq(8193, 1), max(big.begin(), big.end() - 1);
    // Above 8192 bytes a frame is refused whole; at 8192 it arrives whole, both ways.
    EXPECT_EQ(kx_client_socket_send(&cli, 0x110, big.data(), 8193), -1);
    EXPECT_EQ(kx_server_socket_send(&srv, 0, 0x110, big.data(), 8193), -1);
    EXPECT_EQ(kx_client_socket_send(&cli, 0x118, max.data(), 8192), 0);
    ASSERT_TRUE(PollServer([&] { return !g_frames.empty(); }));
    kx_server_socket_broadcast(&srv, 0x119, max.data(), 8192);
    ASSERT_TRUE(PollClient([&] { return g_frames.size() == 2 * (8 + 8192u); }));
    EXPECT_EQ(g_frames, frame(0x118, max) + frame(0x119, max));
    kx_client_socket_term(&cli);
    ASSERT_TRUE(PollServer([&] { return srv.client_count == 0; }));
    EXPECT_EQ(g_ends, (pairs_t{{-6, 0}, {17, 0}}));
}

TEST_F(Net, ClientEndsOnceWhenThePeerClosesAndTermWithoutConnectOnlyLogs) {
    ConnectRaw();
    EXPECT_EQ(g_connects, (pairs_t{{0, 0}}));
    raw_close(peer);
    ASSERT_TRUE(PollClient([&] { return !g_ends.empty(); }));
    kx_client_socket_disconnect(&cli, -32, 0);
    EXPECT_EQ(g_ends, (pairs_t{{-11, 154}}));
    EXPECT_EQ(kx_client_socket_poll(&cli), -1);
    kx_client_socket_t fresh;
    kx_client_socket_init(&fresh, nullptr);
    fresh.OnDisconnect = on_end;
    kx_client_socket_term(&fresh);
    EXPECT_EQ(g_ends.size(), 1u);
    EXPECT_EQ(fresh.recv_buf, nullptr);
}

TEST_F(Net, RawModeSendsBareBytesAndLeavesReceivingToTheOwner) {
    ConnectRaw();
    cli.flags = KX_SOCK_FLAG_RAW;
    ASSERT_EQ(kx_client_socket_send(&cli, 0x105, "ABCDEFGH", 8), 0);
    bytes_t got;
    ASSERT_TRUE(raw_read(peer, 8, &got));
    EXPECT_EQ(got, bytes_t({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}));
    ASSERT_TRUE(raw_send(peer, frame(0x110, {1})));
    ASSERT_TRUE(net_wait([&] { return raw_pending(cli.fd) == 9; }));
    EXPECT_EQ(kx_client_socket_poll(&cli), 0);
    EXPECT_EQ(raw_pending(cli.fd), 9);  // left for the owner
    EXPECT_TRUE(g_frames.empty());
    // Framed again, the header replaces the bare bytes: flags are 0, not "GH".
    cli.flags = 0;
    ASSERT_EQ(kx_client_socket_send(&cli, 0x110, "\x01", 1), 0);
    EXPECT_EQ(raw_frame(peer), frame(0x110, {1}));
}

// Frames go out until the system takes only part of one, then two more; all arrive whole and in order.
void expect_queued_stream(const std::function<int(int type, const bytes_t&)>& send, const int& out_len,
                          int reader, const std::function<void()>& poll) {
    bytes_t want, got;
    for (int i = 0, extra = 0; extra < 3 && i < 2000; i++, extra += (out_len > 0)) {
        ASSERT_EQ(send(0x100 + i % 200, seq(3000, i)), 0);
        want += frame(0x100 + i % 200, seq(3000, i));
    }
    ASSERT_GT(out_len, 0);
    uint8_t buf[65536];
    ASSERT_TRUE(net_wait([&] {
        poll();
        for (ssize_t n; (n = recv(reader, buf, sizeof(buf), MSG_DONTWAIT)) > 0;)
            got.insert(got.end(), buf, buf + n);
        return got.size() >= want.size();
    }));
    EXPECT_TRUE(got == want);
}

TEST_F(Net, PartialSendsAreQueuedAndFinished) {
    int small = 4096;
    ConnectRaw();
    int fd = Join(), slot = srv.clients[0].fd;
    for (int s : {cli.fd, slot}) setsockopt(s, SOL_SOCKET, SO_SNDBUF, &small, sizeof(small));
    for (int s : {peer, fd}) setsockopt(s, SOL_SOCKET, SO_RCVBUF, &small, sizeof(small));
    expect_queued_stream(
        [&](int t, const bytes_t& p) { return kx_client_socket_send(&cli, t, p.data(), 3000); }, cli.out_len,
        peer, [&] { kx_client_socket_poll(&cli); });
    expect_queued_stream(
        [&](int t, const bytes_t& p) { return kx_server_socket_send(&srv, 0, t, p.data(), 3000); },
        srv.clients[0].out_len, fd, [&] { kx_server_socket_poll(&srv); });
    EXPECT_EQ(srv.clients[0].flags & KX_SERVER_FLAG_KICK, 0);
}

TEST_F(Net, The37thConnectionIsRefusedAtOnceAndNeverStored) {
    int last = -1;
    for (int i = 0; i < KX_SERVER_MAX_CLIENTS; i++) last = Join();
    int extra = raw_connect(port);
    ASSERT_TRUE(PollServer([&] { return raw_eof(extra, 10); }));
    EXPECT_EQ(srv.client_count, KX_SERVER_MAX_CLIENTS);
    EXPECT_EQ(g_connects.size(), (size_t)KX_SERVER_MAX_CLIENTS);
    EXPECT_EQ(g_connects.front(), std::make_pair(0, 17));  // ids grow from 17
    EXPECT_EQ(srv.last_id, 16 + KX_SERVER_MAX_CLIENTS);
    ASSERT_TRUE(raw_send(last, frame(0x110, {1})));  // the last stored client is still served
    ASSERT_TRUE(PollServer([&] { return !g_frames.empty(); }));
    EXPECT_EQ(g_index, std::vector<int>{KX_SERVER_MAX_CLIENTS - 1});
}

// The server transport leaves the version check to the netman server.
TEST_F(Net, DatagramsAreCheckedAgainstTheBytesReceivedAndTakenAllInOnePoll) {
    int uport = 0, u = raw_udp(&uport);
    ASSERT_EQ(kx_client_socket_connect(&cli, "127.0.0.1", uport, KX_SOCK_UDP), 0);
    uint8_t empty[16] = {};
    ASSERT_EQ(kx_client_socket_udp_send(&cli, empty, nullptr), 0);  // the client speaks first
    struct {
        const char* name;
        bytes_t bytes;
        bool to_client, to_server;
    } cases[] = {
        {"15 bytes", bytes_t(15, 2), false, false},
        {"len one beyond the bytes", datagram(0x119, 18, {1, 2, 3, 4}, 2, 5), false, false},
        {"header alone", datagram(0x119, 18, {}), true, true},
        {"version 1", datagram(0x119, 18, {1, 2}, 1), false, true},
        {"valid", datagram(0x119, 18, {1, 2, 3, 4}), true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (int fd : {cli.fd, udp.fd}) {
            g_dgrams.clear();
            ASSERT_TRUE(raw_send_to(u, fd == udp.fd ? port : raw_port(cli.fd), c.bytes));
            ASSERT_TRUE(net_wait([&] { return raw_pending(fd) > 0; }));
            fd == udp.fd ? kx_udp_server_poll(&udp) : kx_client_socket_poll(&cli);
            bool dispatched = fd == udp.fd ? c.to_server : c.to_client;
            ASSERT_EQ(g_dgrams.size(), dispatched ? 1u : 0u);
            EXPECT_TRUE(!dispatched ||
                        g_dgrams[0] == bytes_t(c.bytes.begin(), c.bytes.begin() + g_dgrams[0].size()));
        }
    }
    EXPECT_EQ(cli.status, KX_SOCK_CONNECTED);
    // One poll takes every datagram waiting, so a slow frame never leaves old states queued.
    g_dgrams.clear();
    for (int i = 0; i < 3; i++) ASSERT_TRUE(raw_send_to(u, raw_port(cli.fd), cases[4].bytes));
    ASSERT_TRUE(net_wait([&] { return raw_pending(cli.fd) > 0; }));  // loopback queues each send at once
    kx_client_socket_poll(&cli);
    EXPECT_EQ(g_dgrams.size(), 3u);
    EXPECT_EQ(raw_pending(cli.fd), 0);
    const kx_sockaddr_t nowhere = raw_loopback(0);  // port 0 cannot be sent to
    EXPECT_EQ(kx_udp_server_send(&udp, &nowhere, empty, nullptr), -1);
}

}  // namespace
