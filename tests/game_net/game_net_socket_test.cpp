// The game's netman client against a raw TCP listener and UDP socket on 127.0.0.1:
// the exact bytes of the state messages, and connecting as the player sees it.
#include <fcntl.h>

#include "game/net/game_net_msg.h"
#include "game/sim/game_tick.h"
#include "game_net_fixture.h"

namespace {

bytes_t hex(const char* s) {
    bytes_t b;
    for (unsigned v; *s && std::sscanf(s, " %2x", &v) == 1; s += s[2] ? 3 : 2) b.push_back((uint8_t)v);
    return b;
}

class GameNetSocket : public GameNetTest {
   protected:
    void SetUp() override {
        GameNetTest::SetUp();
        port = net_free_port([&](int p) {
            listen_fd = raw_listen(&p), udp = raw_udp(&p);
            if (listen_fd >= 0 && udp >= 0) return true;
            raw_close(listen_fd), raw_close(udp);
            return false;
        });
        ASSERT_GT(port, 0);
    }
    // Connect as the menu does and wait on the status screen until the game starts.
    void Join() {
        ASSERT_EQ(game_net_connect(("127.0.0.1:" + std::to_string(port)).c_str()), 0);
        peer = raw_accept(listen_fd);
        ASSERT_TRUE(net_wait([] { return game_net_poll(1), game_netman.tcp.status == KX_SOCK_CONNECTED; }));
    }
    // A frame from the server, polled once it is all there.
    void Feed(const bytes_t& f) {
        ASSERT_TRUE(raw_send(peer, f));
        ASSERT_TRUE(net_wait([&] { return raw_pending(game_netman.tcp.fd) >= (int)f.size(); }));
        game_net_poll(1);
    }
    int port = 0, listen_fd = -1, udp = -1, peer = -1;
};

TEST_F(GameNetSocket, ConnectStartsTheMultiplayerGameWithItsChatLine) {
    Join();
    EXPECT_EQ(g_ui.text[65], "Connected!\n");
    EXPECT_EQ(
        (std::vector<int>{g_ui.starts, game_world.multiplayer, game_world.connected, game_world.game_mode}),
        (std::vector<int>{1, 1, 0, 3}));
    // Nothing is sent before the server accepted us with its user list.
    game_frame_step(60, 0);
    Feed(frame(0x109, u32s({1}) + u16s({17, 0, 0, 0x100}) + name32("Me")));
    EXPECT_EQ(game_world.connected, 1);
    EXPECT_EQ(raw_pending(udp), 0);
}

TEST_F(GameNetSocket, StateWithoutEventsIsOneSixtyByteDatagram) {
    Join();
    Feed(frame(0x104, u16s({256, 17}) + name32("Arena")));
    ASSERT_EQ(raw_frame(peer, 0x105).size(), 8u + 36u);
    game_netman.frags = 2, game_netman.deaths = 2;
    // A kill by our id arrives: the next state carries frags 3.
    Feed(frame(0x119, broadcast(40, 0, {}, 1, unit(4, 18, 18, 17, kx_vec3(0, 0, 0), {}))));
    game_obj_t* p = game_world.player;
    p->health = 45, p->dead = 0;
    p->pos = kx_vec3(1.5f, -2, 0.5f), p->vel = kx_vec3(0.25f, 0, 0), p->wish_vel = kx_vec3(0.5f, -0.5f, 0);
    g_ui.clock = 0x1234;
    game_world.connected = 1;
    game_world.state_send_timer = 10;
    game_frame_step(9, 0);
    EXPECT_EQ(raw_pending(udp), 0);  // 1 ms left, no event waiting
    game_frame_step(1, 0);
    EXPECT_EQ(raw_datagram(udp), hex("02 00 3C 00 18 01 00 00 11 00 00 00 00 00 00 00 "
                                     "11 00 28 00 34 12 01 00 03 00 02 00 FF FA B0 BA 20 00 00 00 "
                                     "2D 00 00 00 00 00 00 00 00 00 C0 3F 00 00 00 C0 00 00 80 3E "
                                     "00 00 00 00 00 00 00 3F 00 00 00 BF 00 00 00 00 00 00 00 00"));
    EXPECT_EQ(game_world.state_send_timer, 50);
}

TEST_F(GameNetSocket, EventsGoOverTcpTenAtMostAndTheRestFollowNextFrame) {
    Join();
    game_netman.id = 17;
    game_world.connected = 1;
    game_world.state_send_timer = 50;
    for (int i = 1; i <= 13; i++) {
        game_event_t ev{};
        ev.code = (uint16_t)i, ev.owner = ev.sender = 17;
        ev.pos = kx_vec3(1, 2, 3), ev.vel = kx_vec3(4, 5, 6);
        game_event_queue(ev);
    }
    game_frame_step(1, 0);
    const bytes_t first = raw_frame(peer, 0x118);
    ASSERT_EQ(first.size(), 8u + 540u);
    EXPECT_EQ(bytes_t(first.begin(), first.begin() + 8), hex("02 00 1C 02 18 01 00 00"));
    EXPECT_EQ(bytes_t(first.begin() + 8 + 52, first.begin() + 8 + 60), hex("0A 00 00 00 E0 01 00 00"));
    EXPECT_EQ(bytes_t(first.begin() + 8 + 60, first.begin() + 8 + 108),
              hex("06 02 05 01 28 00 00 00 01 00 11 00 11 00 00 00 00 00 80 3F 00 00 00 40 00 00 40 40 "
                  "00 00 00 00 00 00 80 40 00 00 A0 40 00 00 C0 40 00 00 00 00"));
    for (int i = 0; i < 10; i++) EXPECT_EQ(get16(first, 8 + 60 + 48 * i + 8), i + 1);
    EXPECT_EQ(game_world.events.count, 3);

    game_frame_step(1, 0);
    const bytes_t second = raw_frame(peer, 0x118);
    ASSERT_EQ(second.size(), 8u + 204u);
    EXPECT_EQ(bytes_t(second.begin() + 8 + 52, second.begin() + 8 + 60), hex("03 00 00 00 90 00 00 00"));
    for (int i = 0; i < 3; i++) EXPECT_EQ(get16(second, 8 + 60 + 48 * i + 8), i + 11);
    EXPECT_EQ(game_world.events.count, 0);
    EXPECT_EQ(raw_pending(udp), 0);
    // More than ten events, or fewer than none, make no message at all.
    uint8_t out[2048];
    for (int n : {11, -1}) EXPECT_EQ(game_net_build_state(out, sizeof out, 17, 0, 0, 0, 0, {}, {}, n), -1) << n;
}

TEST_F(GameNetSocket, RefusedConnectShowsConnectionRefused) {
    raw_close(listen_fd);  // nothing listens on the port any more
    ASSERT_EQ(game_net_connect(("127.0.0.1:" + std::to_string(port)).c_str()), 0);
    ASSERT_TRUE(net_wait([] { return game_net_poll(1), g_ui.errors > 0; }));
    const std::string& t = g_ui.text[38];
    EXPECT_EQ(t.rfind("Connection refused (Error: -", 0), 0u) << t;
    EXPECT_EQ(t.substr(t.size() - 11), "(Code: 111)") << t;
    EXPECT_EQ(g_ui.starts, 0);
}

// A listener whose accept queue is full lets a connect hang on loopback.
int hanging_listener(int* port, int* filler) {
    int p = 0;
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = raw_loopback(0);
    if (bind(fd, (sockaddr*)&a, sizeof a) != 0 || listen(fd, 0) != 0) return close(fd), -1;
    *port = p = raw_port(raw_kept(fd));
    *filler = raw_connect(p);
    return fd;
}

// Unanswered, the connect times out after ten seconds; a player who leaves first aborts it quietly.
TEST_F(GameNetSocket, ConnectWithoutAnswerTimesOutAfterTenSecondsUnlessLeft) {
    for (bool leave : {false, true}) {
        int hport = 0, filler = -1;
        ASSERT_GE(hanging_listener(&hport, &filler), 0);
        g_ui.errors = 0, g_ui.text[38] = "";
        ASSERT_EQ(game_net_connect(("127.0.0.1:" + std::to_string(hport)).c_str()), 0);
        game_net_poll(5000);
        ASSERT_EQ(game_netman.tcp.status, KX_SOCK_CONNECTING);
        if (leave) game_net_leave();
        EXPECT_EQ(game_netman.tcp.status, leave ? KX_SOCK_DISCONNECTED : KX_SOCK_CONNECTING);
        game_net_poll(4999);
        EXPECT_EQ(g_ui.errors, 0);
        game_net_poll(leave ? 20000 : 1);
        EXPECT_EQ(g_ui.text[38], leave ? "" : "Connection timed out (Error: -50) (Code: 10000)");
        EXPECT_EQ((std::vector<int>{g_ui.errors, g_ui.starts, game_netman.tcp.status}),
                  (std::vector<int>{leave ? 0 : 1, 0, KX_SOCK_DISCONNECTED}));
    }
}

TEST_F(GameNetSocket, ConnectCompletingAfterThePlayerLeftStartsNoGame) {
    g_ui.screen = 48;  // the player went back from the status screen
    ASSERT_EQ(game_net_connect(("127.0.0.1:" + std::to_string(port)).c_str()), 0);
    peer = raw_accept(listen_fd);
    ASSERT_GE(peer, 0);
    ASSERT_TRUE(net_wait([] { return game_net_poll(1), game_netman.tcp.status == KX_SOCK_DISCONNECTED; }));
    EXPECT_TRUE(raw_eof(peer));
    EXPECT_EQ((std::vector<int>{g_ui.starts, g_ui.errors}), (std::vector<int>{0, 0}));
    EXPECT_EQ(g_ui.text[65], "");
}

}  // namespace
