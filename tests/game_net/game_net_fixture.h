// A multiplayer game with the network outlets recorded: item texts with their base
// texts, name labels, sounds and screen calls. Messages arrive through the real
// netman handlers. Depends on game_net, game_sim, gtest.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "engine/net/kx_netman.h"
#include "game/net/game_chat.h"
#include "game/net/game_net.h"
#include "game/net/game_net_connect.h"
#include "game/net/game_net_ui.h"
#include "game/sim/game_hooks.h"
#include "game/sim/game_setup.h"
#include "game/sim/game_world.h"
#include "net/net_test_util.h"

struct sound_t {
    int sound;
    float gain;
};

struct ui_log_t {
    std::map<int, std::string> text, base;
    std::string labels[GAME_SLOT_COUNT];
    std::vector<sound_t> sounds;
    int label_calls = 0, errors = 0, starts = 0, unlocks = 0, screen = GAME_NET_SCREEN_STATUS;
    uint16_t clock = 0;
};
inline ui_log_t g_ui;

inline int count_objects(int type) {
    int n = 0;
    for (int i = 0; i < game_world.objects.count; i++) n += game_obj(i)->type == type;
    return n;
}
inline std::vector<game_obj_t> objects_of(int type) {
    std::vector<game_obj_t> out;
    for (int i = 0; i < game_world.objects.count; i++)
        if (game_obj(i)->type == type) out.push_back(*game_obj(i));
    return out;
}

class GameNetTest : public ::testing::Test {
   protected:
    void SetUp() override {
        ASSERT_TRUE(game_world.objects.in_use || game_world_init());
        g_ui = ui_log_t{};
        g_ui.base = {{60, "Name\n"},  {61, "Frags\n"},    {62, "Deaths\n"},    {63, "Ping\n"},
                     {106, "killed"}, {107, "Killed by"}, {111, "Connected!"}, {112, "Disconnected"}};
        g_ui.text = g_ui.base;
        game_net_ui.item_text = [](int item) { return g_ui.text[item].c_str(); };
        game_net_ui.item_base_text = [](int item) { return g_ui.base[item].c_str(); };
        game_net_ui.set_item_text = [](int item, const char* t) { g_ui.text[item] = t; };
        game_net_ui.name_labels = [](const char* const names[12]) {
            g_ui.label_calls++;
            for (int k = 0; k < 12; k++) g_ui.labels[k] = names[k];
        };
        game_net_ui.connection_error = [] { g_ui.errors++; };
        game_net_ui.start_multi = [] { g_ui.starts++; };
        game_net_ui.current_screen = [] { return g_ui.screen; };
        game_net_ui.unlock_cursor = [] { g_ui.unlocks++; };
        game_net_ui.clock = [] { return g_ui.clock; };
        game_hooks_reset();
        game_net_init();
        game_hooks.play_sound = [](int s, int, float gain) { g_ui.sounds.push_back({s, gain}); };
        game_pool_clear(&game_world.events);
        game_world.multiplayer = 1;
        game_world.connected = 0;
        game_world.game_mode = 3;
        game_world.chat_timer = 0;
        game_logic_start_new_game();
        g_ui.sounds.clear();
    }
    void TearDown() override {
        game_net_term();
        game_hooks_reset();
        game_net_ui_reset();
        raw_close_all();
    }
    // A TCP message from the server through netman's handler (netman's own work first).
    static void Tcp(int type, const bytes_t& payload) {
        kx_netman_handle_tcp(&game_netman, 0x100 + type, payload.data(), (int)payload.size());
    }
    // A datagram from the server, sender id 17.
    static void Udp(int type, const bytes_t& payload) {
        bytes_t h = u16s({2, (int)payload.size(), 0x100 + type, 0}) + u32s({17, 1255});
        kx_netman_handle_udp(&game_netman, h.data(), payload.data());
    }
    // Own id 17 ("Me"), Alice 18 (ping 30), Bob 19 (ping 50).
    static void ThreeUsers() {
        game_netman.id = 17;
        Tcp(9, u32s({3}) + u16s({17, 0, 0, 0x100}) + name32("Me") + u16s({18, 30, 0, 0x100}) +
                   name32("Alice") + u16s({19, 50, 0, 0x100}) + name32("Bob"));
    }
};

// Bytes of little-endian floats and i32s.
inline bytes_t f32s(std::initializer_list<float> v) {
    bytes_t b;
    for (float x : v) {
        uint32_t u;
        std::memcpy(&u, &x, 4);
        b += u32s({u});
    }
    return b;
}
// A player entry: id, ping, frags, deaths, st_len and the state bytes as given.
inline bytes_t entry(int id, int ping, int frags, int deaths, const bytes_t& state, int st_len = -1) {
    return u16s({id, ping, frags, deaths}) + u32s({(uint32_t)(st_len < 0 ? (int)state.size() : st_len)}) +
           state;
}
// A 32-byte state: health, dead, pos, vel, wish.
inline bytes_t state32(int health, int dead, float px, float py, float vx, float vy, float wx, float wy) {
    return u32s({(uint32_t)health, (uint32_t)dead}) + f32s({px, py, vx, vy, wx, wy});
}
// One 48-byte event unit.
inline bytes_t unit(int code, int owner, int sender, int killer, vec3 pos, vec3 vel, int event_len = 40) {
    return u32s({0x01050206, (uint32_t)event_len}) + u16s({code, owner, sender, killer}) +
           f32s({pos.x, pos.y, pos.z}) + u32s({0}) + f32s({vel.x, vel.y, vel.z}) + u32s({0});
}
// A broadcast: own ping, count, the entries, then the event block.
inline bytes_t broadcast(int ping, int count, const bytes_t& entries, int nevents, const bytes_t& units) {
    bytes_t b = u16s({ping, 0}) + u32s({(uint32_t)count});
    if (count > 0) b += u32s({(uint32_t)entries.size()}) + entries;
    b += u32s({(uint32_t)nevents});
    if (nevents > 0) b += u32s({(uint32_t)units.size()}) + units;
    return b;
}
