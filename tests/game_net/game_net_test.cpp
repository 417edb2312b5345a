// The game's network handlers fed through netman's receive path: user list, state
// broadcast with its events, texts, the chat box, deaths and disconnect messages.
#include <cstdlib>

#include "game/sim/game_tick.h"
#include "game_net_fixture.h"

namespace {

std::string lines(std::initializer_list<std::string> v) {
    std::string s;
    for (const auto& l : v) s += l + "\n";
    return s;
}

TEST_F(GameNetTest, UserListFillsNamesResetsColumnsAndLabelsRemoteUsers) {
    g_ui.text[61] = "Frags\n9\n", g_ui.text[62] = "Deaths\n9\n", g_ui.text[63] = "Ping\n9\n";
    ThreeUsers();
    EXPECT_EQ((std::vector<int>{game_world.connected, g_ui.label_calls}), (std::vector<int>{1, 1}));
    EXPECT_EQ(g_ui.text[60], lines({"Name", "Me", "Alice", "Bob"}));
    EXPECT_EQ(g_ui.text[61] + g_ui.text[62] + g_ui.text[63], "Frags\nDeaths\nPing\n");
    EXPECT_EQ(g_ui.labels[0] + "," + g_ui.labels[1] + "," + g_ui.labels[2], "Alice,Bob,");
}

TEST_F(GameNetTest, UserListOfThirtyTwoLabelsOnlyTwelveRemoteSlots) {
    game_netman.id = 100;
    bytes_t list = u32s({32});
    std::string names = "Name\n";
    for (int i = 0; i < 32; i++) {
        std::string n = "U" + std::to_string(i);
        list += u16s({i == 5 ? 100 : 200 + i, 0, 0, 0x100}) + name32(n);
        names += n + "\n";
    }
    Tcp(9, list);
    EXPECT_EQ(g_ui.text[60], names);
    const char* want[12] = {"U0", "U1", "U2", "U3", "U4", "U6", "U7", "U8", "U9", "U10", "U11", "U12"};
    for (int k = 0; k < 12; k++) EXPECT_EQ(g_ui.labels[k], want[k]) << k;
}

TEST_F(GameNetTest, ScoreColumnsStayWithinTheirRoom) {
    g_ui.base[60] = std::string(2040, 'x') + "\n";
    ThreeUsers();
    EXPECT_EQ(g_ui.text[60], g_ui.base[60] + "Me\nAli");
}

TEST_F(GameNetTest, EmptyBroadcastDeactivatesEverySlotAndFillsTheScoreTable) {
    ThreeUsers();
    game_netman.frags = 2, game_netman.deaths = 1;
    for (int k = 0; k < 12; k++) game_world.slots[k]->active = 1;
    Udp(25, broadcast(40, 0, {}, 0, {}));
    for (int k = 0; k < 12; k++) EXPECT_EQ(game_world.slots[k]->active, 0) << k;
    EXPECT_EQ(game_netman.ping, 40);
    EXPECT_EQ(g_ui.text[61] + g_ui.text[62] + g_ui.text[63],
              lines({"Frags", "2", "0", "0", "Deaths", "1", "0", "0", "Ping", "40", "30", "50"}));
}

// One entry for Alice (id 18); own ping 40 unless given.
struct entry_case_t {
    int health, dead, entry_ping, own_ping;
    float want_x, want_y;
    int want_health;
};

TEST_F(GameNetTest, EntryIsAppliedToItsSlotMovedOnByHalfBothPings) {
    const entry_case_t cases[] = {
        // health, dead, entry ping, own ping -> x, y, health.
        {30, 0, 60, 40, 10.5f, 19.0f, 59},  // d = 60/2 + 40/2 = 50 ms = 5 ticks: pos + 5 vel
        {60, 1, 60, 40, 10.5f, 19.0f, 60},   {75, 0, 0, 0, 10.0f, 20.0f, 60},
        {59, 0, 45, 41, 10.42f, 19.16f, 59},  // each ping halved on its own: 22 + 20 = 42 ms
        {-5, 1, 1, 1, 10.0f, 20.0f, 59},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.health);
        ThreeUsers();
        Tcp(25, broadcast(
                    c.own_ping, 1,
                    entry(18, c.entry_ping, 4, 5, state32(c.health, c.dead, 10, 20, 0.1f, -0.2f, 0.3f, 0.4f)),
                    0, {}));
        const game_obj_t* s = game_world.slots[0];
        EXPECT_NEAR(s->pos.x, c.want_x, 1e-5);
        EXPECT_NEAR(s->pos.y, c.want_y, 1e-5);
        EXPECT_EQ((std::vector<float>{s->pos.z, s->vel.x, s->vel.y, s->vel.z, s->wish_vel.x, s->wish_vel.y,
                                      s->wish_vel.z}),
                  (std::vector<float>{0.5f, 0.1f, -0.2f, 0, 0.3f, 0.4f, 0}));
        EXPECT_EQ((std::vector<int>{s->active, s->health, s->dead}),
                  (std::vector<int>{1, c.want_health, c.dead}));
        for (int k = 1; k < 12; k++) EXPECT_EQ(game_world.slots[k]->active, 0);
        const kx_netman_user_t& alice = game_netman.users.items[1];
        EXPECT_EQ((std::vector<int>{alice.ping, alice.frags, alice.deaths}),
                  (std::vector<int>{c.entry_ping, 4, 5}));
        EXPECT_EQ(g_ui.text[61], lines({"Frags", "0", "4", "0"}));
        EXPECT_EQ(g_ui.text[62], lines({"Deaths", "0", "5", "0"}));
    }
}

TEST_F(GameNetTest, UnknownUserLeavesItsSlotAndOddStateLengthsKeepTheWalk) {
    ThreeUsers();
    game_world.slots[0]->pos = kx_vec3(7, 7, 7);
    game_world.slots[0]->active = 0;
    // Unknown 99 in slot 0; Bob with 40 state bytes (8 extra); Alice with only 16 (no velocity).
    const bytes_t entries = entry(99, 0, 0, 0, state32(60, 0, 1, 1, 0, 0, 0, 0)) +
                            entry(19, 20, 1, 1, state32(60, 0, 3, 4, 0.5f, 0, 0, 0) + bytes_t(8, 0xEE)) +
                            entry(18, 20, 2, 2, u32s({60, 0}) + f32s({5, 6}));
    Tcp(25, broadcast(20, 3, entries, 0, {}));
    EXPECT_NEAR(game_world.slots[1]->pos.x, 3.0f + 0.5f * 2, 1e-6);  // d = 10 + 10 ms
    EXPECT_EQ((std::vector<float>{game_world.slots[0]->pos.x, 1.0f * game_world.slots[0]->active,
                                  1.0f * game_world.slots[1]->active, game_world.slots[2]->pos.x,
                                  game_world.slots[2]->pos.y, game_world.slots[2]->vel.x}),
              (std::vector<float>{7, 0, 1, 5, 6, 0}));
    EXPECT_EQ(g_ui.text[61], lines({"Frags", "0", "2", "1"}));
}

TEST_F(GameNetTest, CountAboveTwelveAppliesTwelveAndStillReachesTheEvents) {
    // Fourteen users known; entries for all, then one respawn event.
    game_netman.id = 17;
    bytes_t list = u32s({15}) + u16s({17, 0, 0, 0x100}) + name32("Me");
    bytes_t entries;
    for (int i = 0; i < 14; i++) {
        list += u16s({30 + i, 0, 0, 0x100}) + name32("P" + std::to_string(i));
        entries += entry(30 + i, 0, 0, 0, state32(60, 0, (float)i, 0, 0, 0, 0, 0));
    }
    Tcp(9, list);
    const vec3 marker = game_obj(13)->pos;  // the first object after the slots
    Tcp(25, broadcast(0, 14, entries, 1, unit(5, 31, 0, 0, kx_vec3(3, 4, 0), kx_vec3(0, 0, 0))));
    for (int k = 0; k < 12; k++) EXPECT_EQ(game_world.slots[k]->pos.x, (float)k) << k;
    EXPECT_EQ(game_obj(13)->pos.x, marker.x);
    EXPECT_EQ(game_obj(13)->pos.y, marker.y);
    EXPECT_EQ(count_objects(OBJ_FX_RESPAWN), 1);
}

TEST_F(GameNetTest, NegativeCountIsNoEntriesAndTheEventBlockFollowsTheHeader) {
    ThreeUsers();
    for (int k = 0; k < 12; k++) game_world.slots[k]->active = 1;
    Tcp(25, broadcast(0, -3, {}, 1, unit(5, 18, 0, 0, kx_vec3(3, 4, 0), kx_vec3(0, 0, 0))));
    for (int k = 0; k < 12; k++) EXPECT_EQ(game_world.slots[k]->active, 0);
    EXPECT_EQ(count_objects(OBJ_FX_RESPAWN), 1);
}

TEST_F(GameNetTest, MessagesCutShortChangeNothingBeyondWhatArrived) {
    ThreeUsers();
    game_netman.ping = 7;
    game_world.slots[0]->active = 1;
    const bytes_t full = broadcast(40, 1, entry(18, 0, 0, 0, state32(60, 0, 1, 2, 0, 0, 0, 0)), 1,
                                   unit(5, 18, 0, 0, kx_vec3(0, 0, 0), kx_vec3(0, 0, 0)));
    const int objects = game_world.objects.count;
    // Shorter than the header (8, or 12 with entries): nothing at all; an entry cut: no events.
    for (int len : {0, 1, 7, 8, 11, 12 + 20, (int)full.size() - 1}) {
        SCOPED_TRACE(len);
        bytes_t cut(full.begin(), full.begin() + len);
        game_netman.ping = 7;
        Tcp(25, cut);
        EXPECT_EQ(game_netman.ping, len < 12 ? 7 : 40);
        EXPECT_EQ(game_world.objects.count, objects);
    }
    Tcp(25, full);
    EXPECT_EQ(game_world.objects.count, objects + 1);
}

TEST_F(GameNetTest, ShotEventsBecomeBulletsMovedOnByTheSendersDelay) {
    ThreeUsers();
    game_world.player->pos = kx_vec3(0, 0, 0.5f);
    game_world.camera_pos = kx_vec3(1, 2, 0.9f);
    const vec3 p = kx_vec3(1, 2, 0.9f), v = kx_vec3(0.25f, 0, -0.01f);
    const int before = count_objects(OBJ_BULLET);
    // Alice (18) pings 30 after the user list: d = 15 + 20 = 35 -> 2 x 3.5 = 7 velocities ahead.
    // Sender 77 is unknown: d = 40 x 3 / 5 = 24 -> 4.8 velocities ahead.
    Tcp(25, broadcast(40, 0, {}, 5,
                      unit(1, 18, 18, 0, p, v) + unit(1, 77, 77, 0, p, v) + unit(2, 18, 18, 0, p, v) +
                          unit(2, 18, 18, 0, kx_vec3(5, 5, 1), v) + unit(7, 18, 18, 0, p, v)));
    const auto bullets = objects_of(OBJ_BULLET);
    ASSERT_EQ((int)bullets.size(), before + 4);
    struct want_t {
        int kind, id;
        float x, z;
    };
    const want_t want[] = {
        {1, 18, 2.75f, 0.83f}, {1, 77, 2.2f, 0.852f}, {0, 18, 1.0f, 0.9f}, {0, 18, 5.0f, 1.0f}};
    for (int i = 0; i < 4; i++) {
        const game_obj_t& b = bullets[before + i];
        SCOPED_TRACE(i);
        EXPECT_EQ((std::vector<int>{b.bullet_kind, b.id, b.flags}),
                  (std::vector<int>{want[i].kind, want[i].id, 0}));
        EXPECT_NEAR(b.pos.x, want[i].x, 1e-5);
        EXPECT_NEAR(b.pos.z, want[i].z, 1e-5);
        EXPECT_EQ((std::vector<float>{b.radius, b.vel.x, b.vel.z}),
                  (std::vector<float>{0.01f, 0.25f, -0.01f}));
    }
    // Two machine-gun shots, one spread-gun sound for both pellets; gain at the camera.
    ASSERT_EQ(g_ui.sounds.size(), 3u);
    EXPECT_EQ((std::vector<int>{g_ui.sounds[0].sound, g_ui.sounds[1].sound, g_ui.sounds[2].sound}),
              (std::vector<int>{GAME_SND_PLAYER_SHOT, GAME_SND_PLAYER_SHOT, GAME_SND_SINGLE_SHOT}));
    EXPECT_FLOAT_EQ(g_ui.sounds[2].gain, 1.0f);
}

TEST_F(GameNetTest, DeathAndRespawnEventsShowEffectsCountFragsAndTellTheChat) {
    ThreeUsers();
    game_netman.frags = 2;
    game_world.player->pos = kx_vec3(0, 0, 0.5f);
    game_world.camera_pos = kx_vec3(100, 100, 1);
    Tcp(25,
        broadcast(
            0, 0, {}, 4,
            unit(4, 18, 18, 17, kx_vec3(1, 1, 0.5f), {}) + unit(4, 19, 19, 18, kx_vec3(2, 2, 0.5f), {}) +
                unit(4, 19, 19, 99, kx_vec3(3, 3, 0.5f), {}) + unit(5, 18, 0, 0, kx_vec3(3, 4, 0.5f), {})));
    EXPECT_EQ(game_netman.frags, 3);  // only the kill by our own id counts
    const auto booms = objects_of(OBJ_FX_EXPLOSION);
    ASSERT_EQ(booms.size(), 3u);
    EXPECT_EQ(booms[1].pos.x, 2.0f);
    const auto spawns = objects_of(OBJ_FX_RESPAWN);
    ASSERT_EQ(spawns.size(), 1u);
    EXPECT_EQ(spawns[0].pos.y, 4.0f);
    EXPECT_EQ(g_ui.text[65], lines({"Me killed Alice", "Alice killed Bob"}));
    ASSERT_EQ(g_ui.sounds.size(), 4u);
    EXPECT_EQ(g_ui.sounds[0].sound, GAME_SND_EXPLOSION);
    EXPECT_EQ(g_ui.sounds[3].sound, GAME_SND_RELOAD);
    EXPECT_FLOAT_EQ(g_ui.sounds[3].gain, 0.8f);  // 1 / (1 + 0.01 x 25), from the player
    EXPECT_EQ(g_ui.text[61], lines({"Frags", "3", "0", "0"}));
}

TEST_F(GameNetTest, BadEventLengthStopsTheEventsAndDumpsTheBlock) {
    ThreeUsers();
    const bytes_t units = unit(5, 18, 0, 0, kx_vec3(0, 0, 0), {}) +
                          unit(5, 18, 0, 0, kx_vec3(0, 0, 0), {}, 41) +
                          unit(5, 18, 0, 0, kx_vec3(0, 0, 0), {});
    testing::internal::CaptureStdout();
    Tcp(25, broadcast(0, 0, {}, 3, units));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(count_objects(OBJ_FX_RESPAWN), 1);
    EXPECT_NE(out.find("CRITICAL Warning, event_len=41 instead of 40 \n"), std::string::npos);
    // The block's first twenty u16: marker, length, code 5, owner 18, then zeros.
    EXPECT_NE(out.find("518, 261, 40, 0, 5, 18, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, \n"),
              std::string::npos);
    EXPECT_EQ(g_ui.text[63], lines({"Ping", "0", "30", "50"}));  // the table is still rebuilt
}

TEST_F(GameNetTest, EventsClaimedBeyondTheBytesReceivedAreNotRead) {
    ThreeUsers();
    const bytes_t two = unit(5, 18, 0, 0, {}, {}) + unit(5, 18, 0, 0, {}, {});
    // Count 5 with two units; a length claiming 5 units with two present; a dump of a short block.
    Tcp(25, broadcast(0, 0, {}, 5, two));
    bytes_t lying = u16s({0, 0}) + u32s({0, 5, 240}) + two;
    Tcp(25, lying);
    bytes_t tiny = u16s({0, 0}) + u32s({0, 1, 48}) + u32s({0x01050206, 39});
    Tcp(25, tiny);
    EXPECT_EQ(count_objects(OBJ_FX_RESPAWN), 4);
}

TEST_F(GameNetTest, TextsGreetingAndKillLinesReachTheChatBox) {
    ThreeUsers();
    game_world.chat_timer = 3000;
    Tcp(16, cstr("Alice: hi"));
    EXPECT_EQ(game_world.chat_timer, 9500);
    Tcp(16, bytes_t{'h', 'e', 'l', 'l', 'o', 0, 'X', 'Y'});
    const char raw[] = "no NUL here";
    Tcp(16, bytes_t(raw, raw + 5));
    Udp(16, cstr("from a datagram"));  // texts are taken over TCP only
    Tcp(4, u16s({256, 17}) + name32("Arena"));
    game_net_local_death(19);
    game_net_local_death(99);
    EXPECT_EQ(game_netman.deaths, 2);
    EXPECT_EQ(g_ui.text[65], lines({"Alice: hi", "hello", "no NU", "Arena", "Killed by Bob "}));
    EXPECT_EQ(game_world.chat_timer, 12709);  // 9500 -> 11666 -> 12388 -> 12629 -> 12709
}

struct chat_case_t {
    const char* name;
    std::string box;
    std::vector<std::string> add;
    std::string want;
};

TEST_F(GameNetTest, ChatBoxKeepsEightLinesAndItsRoom) {
    std::string ten, last8;
    for (int i = 1; i <= 10; i++) ten += "m" + std::to_string(i) + "\n";
    last8 = ten.substr(ten.find("m3"));
    const std::string l600(600, 'a'), l600b(600, 'b'), l600c(600, 'c'), e300(300, 'e'), a1000(1000, 'a'),
        a999(999, 'a'), b1046(1046, 'b');
    std::vector<std::string> msgs;
    for (int i = 1; i <= 10; i++) msgs.push_back("m" + std::to_string(i));
    const chat_case_t cases[] = {
        {"first line", "", {"hello"}, "hello\n"},
        {"ten lines", "", msgs, last8},
        {"ten after clearing", "\n\n\n\n\n\n\n\n", msgs, last8},
        {"cleared box, leading break not counted", "\n\n\n\n\n\n\n\n", {"A", "B"}, "\n\n\n\n\n\n\nA\nB\n"},
        {"room before lines",
         l600 + "\n" + l600b + "\n" + l600c + "\n",
         {e300},
         l600b + "\n" + l600c + "\n" + e300 + "\n"},
        {"over-long line cut", "old\n", {std::string(3000, 'z')}, std::string(2046, 'z') + "\n"},
        {"one byte over the room", a1000 + "\n", {b1046}, b1046 + "\n"},
        {"exactly the room", a999 + "\n", {b1046}, a999 + "\n" + b1046 + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_ui.text[65] = c.box;
        for (const auto& a : c.add) game_chat_add_line(a.c_str());
        EXPECT_EQ(g_ui.text[65], c.want);
        EXPECT_LE(g_ui.text[65].size(), 2047u);
    }
    // No text at all is an empty line.
    g_ui.text[65] = "";
    game_chat_add_line(nullptr);
    game_chat_add_text(nullptr, 5);
    EXPECT_EQ(g_ui.text[65], "\n\n");
    game_chat_clear();
    EXPECT_EQ(g_ui.text[65], "\n\n\n\n\n\n\n\n");
}

struct disconnect_case_t {
    int reason, code;
    const char* want;
};

TEST_F(GameNetTest, DisconnectShowsTheReasonOnTheStatusScreen) {
    const disconnect_case_t cases[] = {
        {.reason = -16, .code = 160, .want = "Socket Protocol version mismatch (Error: -16) (Code: 160)"},
        {.reason = -33, .code = 512, .want = "Netman Protocol version mismatch (Error: -33) (Code: 512)"},
        {.reason = -34, .code = 0, .want = "Game protocol version mismatch (Error: -34) (Code: 0)"},
        {.reason = -7, .code = 1, .want = "Cannot resolve DNS (Error: -7) (Code: 1)"},
        {.reason = -4, .code = 152, .want = "Lost connection to server (Error: -4) (Code: 152)"},
        {.reason = -13, .code = ECONNREFUSED, .want = "Connection refused (Error: -13) (Code: 111)"},
        {.reason = -9, .code = ECONNREFUSED, .want = "Connection refused (Error: -9) (Code: 111)"},
        {.reason = -13, .code = ETIMEDOUT, .want = "Connection timed out (Error: -13) (Code: 110)"},
        {.reason = -50, .code = 10000, .want = "Connection timed out (Error: -50) (Code: 10000)"},
        {.reason = -11, .code = 154, .want = "Disconnected (Error: -11) (Code: 154)"},
        {.reason = -11, .code = ECONNREFUSED, .want = "Disconnected (Error: -11) (Code: 111)"},
        {.reason = -11, .code = ETIMEDOUT, .want = "Disconnected (Error: -11) (Code: 110)"},
        {.reason = 111, .code = 0, .want = "Connection refused (Error: 111) (Code: 0)"},
        {.reason = 110, .code = 0, .want = "Disconnected (Error: 110) (Code: 0)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.want);
        g_ui.errors = 0, g_ui.text[65] = "chat\n";
        game_world.game_mode = 3, game_world.connected = 1;
        GameNetManOnDisconnect(&game_netman, c.reason, c.code);
        EXPECT_EQ(g_ui.text[38] + "|" + g_ui.text[65], std::string(c.want) + "|");
        EXPECT_EQ((std::vector<int>{game_world.game_mode, game_world.connected, g_ui.errors}),
                  (std::vector<int>{0, 0, 1}));
    }
    // The player left: the cursor is freed, nothing is shown.
    g_ui.errors = 0, g_ui.unlocks = 0, g_ui.text[38] = "before", game_world.game_mode = 3,
    game_world.connected = 1;
    GameNetManOnDisconnect(&game_netman, -32, 0);
    EXPECT_EQ(g_ui.text[38], "before");
    EXPECT_EQ((std::vector<int>{game_world.game_mode, game_world.connected, g_ui.errors, g_ui.unlocks}),
              (std::vector<int>{3, 0, 0, 1}));
}

TEST_F(GameNetTest, LocalDeathInTheSimulationCountsAndTellsTheKiller) {
    ThreeUsers();
    game_world.player->last_attacker = 18;
    game_world.player->health = 0;
    game_death_pass();
    EXPECT_EQ(g_ui.text[65], "Killed by Alice \n");
    ASSERT_EQ(game_world.events.count, 1);
    const auto& ev = game_world.events.items[0];
    EXPECT_EQ((std::vector<int>{game_netman.deaths, ev.code, ev.owner, ev.killer}),
              (std::vector<int>{1, GAME_EV_DIED, 17, 18}));
}

// Where the slot's figure stands after the next move: where its player reported, also
// against a wall, whatever floor area the slot had from its previous player.
struct wall_case_t {
    const char* name;
    int area_before;
    float x, y;
    int want_area;
};

TEST_F(GameNetTest, FigureStaysWhereItsPlayerStandsAgainstAWall) {
    const wall_case_t cases[] = {
        {"fresh slot, spawn room's north-west corner", 0, -32.3f, 12.3f, 9},
        {"slot of a player who stood far east", 8, -32.3f, 12.3f, 9},
        {"corridor's north wall, slot still in the room", 9, -25.0f, 10.7f, 10},
        {"inside the room, away from walls", 0, -29.6f, 9.6f, 9},
        {"the slot's own area, against its south wall", 2, -10.0f, -12.3f, 2},
        {"the room's south wall", 8, -29.6f, 6.9f, 9},
        {"the far east wall", 2, 31.5f, 0.0f, 8},
        // Against a wall of the later area, the disc half over an edge of an earlier one
        // (west, east, south, north): the earlier one does not hold it.
        {"corridor's north wall, over the east field's west edge", 0, 12.7f, 11.5f, 17},
        {"corridor's north wall, over the room's east edge", 0, -26.2f, 10.7f, 10},
        {"side room's east wall, over the north hall's south edge", 0, -18.1f, 19.0f, 20},
        {"side room's east wall, over the corridor's north edge", 0, -18.1f, 11.0f, 20},
    };
    ThreeUsers();
    for (const auto& c : cases) {
        game_obj_t* o = game_world.slots[0];
        o->area = c.area_before;
        Udp(25, broadcast(0, 1, entry(18, 0, 0, 0, state32(60, 0, c.x, c.y, 0, 0, 0, 0)), 0, {}));
        game_tick();
        EXPECT_EQ(o->area, c.want_area) << c.name;
        EXPECT_NEAR(o->pos.x, c.x, 1e-4f) << c.name;
        EXPECT_NEAR(o->pos.y, c.y, 1e-4f) << c.name;
    }
}

// Alice (18) stands at the spawn room's south-west corner, we at its north-west corner
// 5.4 ahead of her; ten of her pellets fly straight at us, 0.15 to our side, at eye
// height 0.9. They hit once 0.34 - 0.15^2 > dy^2: after 17 ticks (7.65 + 17 x 0.25 =
// 11.9), 6 damage each, 60 in all: our game decides we died and names her.
TEST_F(GameNetTest, TheVictimsGameDecidesTheHitAndReportsItsKiller) {
    ThreeUsers();
    game_obj_t* me = game_world.player;
    me->pos = kx_vec3(-32.3f, 12.3f, 0.5f);
    me->area = 9;  // walked there: the room's floor
    bytes_t pellets;
    for (int i = 0; i < 10; i++) pellets += unit(2, 18, 18, 0, kx_vec3(-32.15f, 7.65f, 0.9f), kx_vec3(0, 0.25f, 0));
    Tcp(25, broadcast(0, 1, entry(18, 0, 0, 0, state32(60, 0, -32.3f, 6.9f, 0, 0, 0, 0)), 10, pellets));
    ASSERT_EQ(count_objects(OBJ_BULLET), 10);
    for (int t = 0; t < 16; t++) game_tick();
    EXPECT_EQ(me->health, 60);
    EXPECT_EQ(me->dead, 0);
    EXPECT_EQ(game_world.events.count, 0);
    game_tick();
    EXPECT_EQ(count_objects(OBJ_BULLET), 0);
    EXPECT_EQ(me->dead, 1);
    EXPECT_EQ(me->last_attacker, 18);
    EXPECT_EQ(game_netman.deaths, 1);
    EXPECT_EQ(game_netman.frags, 0);
    ASSERT_EQ(game_world.events.count, 1);
    const game_event_t& ev = game_world.events.items[0];
    EXPECT_EQ(ev.code, GAME_EV_DIED);
    EXPECT_EQ(ev.owner, 17);
    EXPECT_EQ(ev.sender, 17);
    EXPECT_EQ(ev.killer, 18);
    EXPECT_EQ(ev.pos.y, 12.3f);
    EXPECT_EQ(g_ui.text[65], "Killed by Alice \n");
}

// The shooter's own hits bring the remote figure down on its screen only: no frag, no
// event, no kill line until the victim's game reports the death.
TEST_F(GameNetTest, TheShootersHitsCountNoFragUntilTheVictimReportsIt) {
    ThreeUsers();
    Udp(25, broadcast(0, 1, entry(18, 0, 0, 0, state32(60, 0, -32.3f, 12.3f, 0, 0, 0, 0)), 0, {}));
    game_obj_t* alice = game_world.slots[0];
    for (int i = 0; i < 10; i++) {
        game_obj_t b = game_obj_create(OBJ_BULLET, 0, kx_vec3(-32.15f, 7.65f, 0.9f));
        b.id = 1000, b.radius = 0.01f, b.vel = kx_vec3(0, 0.25f, 0);
        game_pool_add(&game_world.objects, b);
    }
    for (int t = 0; t < 17; t++) game_tick();
    EXPECT_EQ(alice->dead, 1);
    EXPECT_EQ(count_objects(OBJ_FX_EXPLOSION), 1);
    EXPECT_EQ(game_netman.frags, 0);
    EXPECT_EQ(game_world.events.count, 0);
    EXPECT_EQ(g_ui.text[65], "");
    Tcp(25, broadcast(0, 1, entry(18, 0, 0, 1, state32(60, 1, -32.3f, 12.3f, 0, 0, 0, 0)), 1,
                      unit(4, 18, 18, 17, kx_vec3(-32.3f, 12.3f, 0.5f), {})));
    EXPECT_EQ(game_netman.frags, 1);
    EXPECT_EQ(g_ui.text[65], "Me killed Alice\n");
    EXPECT_EQ(g_ui.text[61], lines({"Frags", "1", "0", "0"}));
    EXPECT_EQ(g_ui.text[62], lines({"Deaths", "0", "1", "0"}));
}

// The "net: " lines of the captured output.
std::string net_lines(const std::string& out) {
    std::string keep, line;
    for (char c : out) {
        line += c;
        if (c != '\n') continue;
        if (line.rfind("net: ", 0) == 0) keep += line;
        line.clear();
    }
    return keep;
}

TEST_F(GameNetTest, TraceLogsTheScoreTableWhenARowChangesAndTheKillLines) {
    setenv("IRONVALE_NET_TRACE", "1", 1);
    const char* argv0[] = {"ironvale-x11"};
    game_net_args(1, (char**)argv0);
    testing::internal::CaptureStdout();
    ThreeUsers();
    const bytes_t alive = state32(60, 0, 1, 1, 0, 0, 0, 0);
    Udp(25, broadcast(40, 2, entry(18, 30, 2, 1, alive) + entry(19, 50, 0, 0, alive), 0, {}));
    // Only the pings differ: the table's rows stay, nothing is logged.
    Udp(25, broadcast(45, 2, entry(18, 35, 2, 1, alive) + entry(19, 55, 0, 0, alive), 0, {}));
    // Bob reports that we killed him; then Alice kills us.
    Tcp(25, broadcast(45, 2, entry(18, 35, 2, 1, alive) + entry(19, 55, 0, 1, alive), 1,
                      unit(4, 19, 19, 17, kx_vec3(1, 1, 0.5f), {})));
    game_net_local_death(18);
    Udp(25, broadcast(45, 2, entry(18, 35, 3, 1, alive) + entry(19, 55, 0, 1, alive), 0, {}));
    const std::string out = net_lines(testing::internal::GetCapturedStdout());
    unsetenv("IRONVALE_NET_TRACE");
    game_net_args(1, (char**)argv0);
    EXPECT_EQ(out,
              "net: score Me - - | Alice - - | Bob - - \n"
              "net: score Me 0 0 | Alice 2 1 | Bob 0 0 \n"
              "net: chat Me killed Bob \n"
              "net: score Me 1 0 | Alice 2 1 | Bob 0 1 \n"
              "net: chat Killed by Alice  \n"
              "net: score Me 1 1 | Alice 3 1 | Bob 0 1 \n");
}

TEST(GameNetArgs, ConnectAndNameJoinOnceAndDefaultsStayWithoutThem) {
    game_net_ui_reset();
    EXPECT_EQ(game_net_ui.current_screen(), 0);
    EXPECT_EQ(game_net_ui.clock(), 0);
    const char* plain[] = {"ironvale-x11", "--name"};
    game_net_args(2, (char**)plain);
    EXPECT_STREQ(game_net_default_server(), "localhost");
    EXPECT_EQ(game_net_arg_name(), nullptr);
    EXPECT_EQ(game_net_take_autojoin(), 0);
    const char* both[] = {"ironvale-x11", "--connect", "127.0.0.1:4000", "--name", "Alice", "--connect"};
    game_net_args(6, (char**)both);
    EXPECT_EQ(std::string(game_net_default_server()) + " " + game_net_arg_name(), "127.0.0.1:4000 Alice");
    EXPECT_EQ((std::vector<int>{game_net_take_autojoin(), game_net_take_autojoin()}), (std::vector<int>{1, 0}));
}

struct server_case_t {
    const char* text;
    int ok;
    const char* host = "";
    int port = 0;
};

TEST(GameNetServerText, HostAndPortAreSplit) {
    const server_case_t cases[] = {
        {.text = "localhost", .ok = 0, .host = "localhost", .port = 25280},
        {.text = " 127.0.0.1:4000 ", .ok = 0, .host = "127.0.0.1", .port = 4000},
        {.text = "game.example:65535", .ok = 0, .host = "game.example", .port = 65535},
        {.text = "h:1", .ok = 0, .host = "h", .port = 1},
        {.text = "h:0", .ok = -1},
        {.text = "h:65536", .ok = -1},
        {.text = "h:", .ok = -1},
        {.text = "h:12a", .ok = -1},
        {.text = ":4000", .ok = -1},
        {.text = "   ", .ok = -1},
        {.text = "h:123456", .ok = -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        char host[16] = "unchanged";
        int port = -7;
        ASSERT_EQ(game_net_parse_server(c.text, host, sizeof host, &port), c.ok);
        if (c.ok == 0) {
            EXPECT_STREQ(host, c.host);
            EXPECT_EQ(port, c.port);
        }
    }
    char small[4];
    int port = 0;
    EXPECT_EQ(game_net_parse_server("abcd:5", small, sizeof small, &port), -1);
    EXPECT_EQ(game_net_parse_server("abc:5", small, sizeof small, &port), 0);
}

}  // namespace
