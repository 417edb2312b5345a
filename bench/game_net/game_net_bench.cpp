// The game's side of a twelve-player session, per frame: one state broadcast with
// eleven players (with or without shot events) applied through netman's datagram
// path, the score table rebuilt, and the own state sent as a real datagram to a
// socket on 127.0.0.1 (left unread: the system drops what overflows). A frame at 60 frames per second meets a
// broadcast only every third frame, so these are upper bounds of the per-frame cost. Aim: < 0.2 ms.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "game/net/game_net.h"
#include "game/sim/game_setup.h"
#include "game/sim/game_world.h"

namespace {

using bytes = std::vector<uint8_t>;

void put(bytes& b, const void* p, size_t n) {
    const uint8_t* s = (const uint8_t*)p;
    b.insert(b.end(), s, s + n);
}
template <class T>
void put(bytes& b, T v) {
    put(b, &v, sizeof v);
}

bytes broadcast(int events) {
    bytes b;
    put<uint16_t>(b, 40), put<uint16_t>(b, 0), put<int32_t>(b, 11), put<uint32_t>(b, 11 * 44);
    for (int i = 0; i < 11; i++) {
        put<uint16_t>(b, (uint16_t)(18 + i)), put<uint16_t>(b, 30), put<uint16_t>(b, 2), put<uint16_t>(b, 3);
        put<int32_t>(b, 32);
        const float st[6] = {1.0f + i, 2.0f, 0.1f, 0.0f, 0.1f, 0.0f};
        put<int32_t>(b, 60), put<int32_t>(b, 0), put(b, st, sizeof st);
    }
    put<int32_t>(b, events);
    if (events) put<uint32_t>(b, 48u * events);
    for (int e = 0; e < events; e++) {
        game_event_t ev{};
        ev.code = GAME_EV_MG_SHOT, ev.owner = ev.sender = 18;
        ev.pos = kx_vec3(1, 2, 0.9f), ev.vel = kx_vec3(0.25f, 0, 0);
        put<uint32_t>(b, 0x01050206), put<uint32_t>(b, 40), put(b, &ev, sizeof ev);
    }
    return b;
}

struct session_t {
    int listener = -1, udp = -1, peer = -1;
    int objects = 0;
};

// Twelve users (own id 17), the netman sockets aimed at a listener and a UDP socket here.
session_t open_session() {
    session_t s;
    static bool world = game_world_init();
    (void)world;
    game_net_init();
    game_world.multiplayer = 1;
    game_logic_start_new_game();
    s.objects = game_world.objects.count;
    s.listener = socket(AF_INET, SOCK_STREAM, 0);
    s.udp = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET, a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t l = sizeof a;
    bind(s.listener, (sockaddr*)&a, sizeof a);
    listen(s.listener, 4);
    getsockname(s.listener, (sockaddr*)&a, &l);
    bind(s.udp, (sockaddr*)&a, sizeof a);
    kx_netman_connect(&game_netman, "127.0.0.1", ntohs(a.sin_port));
    s.peer = accept(s.listener, nullptr, nullptr);
    for (int i = 0; i < 1000 && game_netman.tcp.status != KX_SOCK_CONNECTED; i++)
        kx_netman_poll(&game_netman);
    bytes list;
    put<uint32_t>(list, 12);
    for (int i = 0; i < 12; i++) {
        char name[32] = {};
        std::snprintf(name, sizeof name, "Player%d", i);
        put<uint16_t>(list, (uint16_t)(17 + i)), put<uint16_t>(list, 30), put<uint16_t>(list, 0),
            put<uint16_t>(list, 0x100), put(list, name, 32);
    }
    game_netman.id = 17;
    kx_netman_handle_tcp(&game_netman, 0x109, list.data(), (int)list.size());
    return s;
}

void close_session(session_t& s) {
    game_net_term();
    close(s.peer), close(s.udp), close(s.listener);
}

void sync_frame(benchmark::State& state, int events) {
    session_t s = open_session();
    const bytes msg = broadcast(events);
    uint8_t header[16] = {2, 0, 0, 0, 0x19, 0x01, 0, 0, 17, 0, 0, 0, 0xE7, 0x04, 0, 0};
    const uint16_t len = (uint16_t)msg.size();
    std::memcpy(header + 2, &len, 2);
    for (auto _ : state) {
        kx_netman_handle_udp(&game_netman, header, msg.data());
        game_net_send_state();
        game_world.objects.count = s.objects;  // the shots would fly off and be removed
    }
    close_session(s);
}

void BM_SyncFrame12Players(benchmark::State& state) { sync_frame(state, 0); }
void BM_SyncFrame12PlayersThreeShots(benchmark::State& state) { sync_frame(state, 3); }

}  // namespace

BENCHMARK(BM_SyncFrame12Players)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SyncFrame12PlayersThreeShots)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
