// Netman message numbers and the game state wire layouts, shared by the netman
// client and server and by the game's network sync. All fields little-endian.
//
// Netman message (wire msgtype = 0x100 + type):
//   1 ping          server->client TCP  u16 server stamp, u16 client's ping (4 bytes)
//   2 ping reply    client->server TCP  the 4 ping bytes unchanged
//   4 greeting      server->client TCP  u16 app version, u16 user id, char[32] server name (36 bytes)
//   5 hello         client->server TCP  u16 app version, u16 user id, char[32] player name (36 bytes)
//   9 user list     server->client TCP  u32 icount, icount x 40-byte entry:
//                       u16 id, u16 ping, u16 reserved (0), u16 flags (0x100 registered), char[32] name
//  16 text          both ways      TCP  NUL-terminated text, length includes the NUL
//  24 game state    client->server UDP when it carries no events, else TCP:
//        0 u16 id   2 u16 ping   4 u16 clock   6 u16 1   8 u16 frags   10 u16 deaths
//       12 u16 0xFAFF   14 u16 0xBAB0   16 u32 st_len (32)   20 st_len bytes of user state
//       then i32 event count n, u32 events length (48 n), n event units
//  25 state broadcast server->client UDP when it carries no events, else TCP:
//        0 u16 receiver's ping   2 u16 reserved (0)   4 i32 count
//        8 u32 sum of (st_len + 8) over entries -- only when count > 0; entries start at 12
//        entry: u16 id, u16 ping, u16 frags, u16 deaths, i32 st_len, st_len bytes of state
//        then the event block: i32 event count; if > 0: u32 events length, event units
// Event unit (48 bytes): u32 marker 0x01050206, u32 event_len (40), 40-byte event.
// User state (32 bytes): i32 health, i32 dead, f32 pos_x, pos_y, vel_x, vel_y, wish_x, wish_y.
// Depends on kx_net_wire.
#pragma once

#include <cstdint>

#include "engine/net/kx_net_wire.h"

constexpr int KX_NETMAN_VERSION = 1;
constexpr int KX_NETMAN_MSG_BASE = 0x100;  // netman version 1 in the high byte of msgtype
enum {
    KX_NETMAN_PING = 1,
    KX_NETMAN_PING_REPLY = 2,
    KX_NETMAN_GREETING = 4,
    KX_NETMAN_HELLO = 5,
    KX_NETMAN_USERLIST = 9,
    KX_NETMAN_TEXT = 16,
    KX_NETMAN_STATE = 24,
    KX_NETMAN_STATE_BROADCAST = 25,
};

constexpr int KX_NETMAN_NAME_LEN = 32;
constexpr int KX_NETMAN_GREETING_LEN = 36;
constexpr int KX_NETMAN_PING_LEN = 4;
constexpr int KX_NETMAN_USERLIST_ENTRY = 40;
constexpr uint16_t KX_NETMAN_FLAG_REGISTERED = 0x100;

// Game state message.
constexpr int KX_NETMAN_STATE_HEADER = 20;  // bytes before the user state
constexpr int KX_NETMAN_STATE_OFS_ID = 0;
constexpr int KX_NETMAN_STATE_OFS_PING = 2;
constexpr int KX_NETMAN_STATE_OFS_CLOCK = 4;
constexpr int KX_NETMAN_STATE_OFS_ONE = 6;
constexpr int KX_NETMAN_STATE_OFS_FRAGS = 8;
constexpr int KX_NETMAN_STATE_OFS_DEATHS = 10;
constexpr int KX_NETMAN_STATE_OFS_MAGIC = 12;  // u16 0xFAFF, u16 0xBAB0
constexpr int KX_NETMAN_STATE_OFS_ST_LEN = 16;
constexpr int KX_NETMAN_USER_STATE_SIZE = 32;
constexpr int KX_NETMAN_EVENT_SIZE = 40;
constexpr int KX_NETMAN_EVENT_UNIT = 48;
constexpr uint32_t KX_NETMAN_EVENT_MARKER = 0x01050206;
// Largest state message, state, and events length the server accepts; also a pending buffer.
constexpr int KX_NETMAN_STATE_MAX = 2048;

// Broadcast.
constexpr int KX_NETMAN_BCAST_ENTRIES = 12;  // first entry, when count > 0
constexpr int KX_NETMAN_BCAST_ENTRY_HEADER = 12;

// A game state message read in place; pointers point into the message.
struct kx_netman_state_msg_t {
    uint16_t id, ping, clock, frags, deaths;
    uint32_t st_len;
    const uint8_t* state;
    int32_t event_count;  // 0 when the message ends after the state
    uint32_t events_len;
    const uint8_t* events;
};

// Parse results; every check is made against the bytes actually present.
enum {
    KX_NETMAN_PROTO_OK = 0,
    KX_NETMAN_PROTO_TOO_LONG = -1,         // message above KX_NETMAN_STATE_MAX
    KX_NETMAN_PROTO_SHORT = -2,            // fewer than 20 bytes
    KX_NETMAN_PROTO_STATE_TOO_LONG = -3,   // st_len above KX_NETMAN_STATE_MAX
    KX_NETMAN_PROTO_STATE_PAST_END = -4,   // st_len runs past the message
    KX_NETMAN_PROTO_EVENTS_TOO_LONG = -5,  // events length above KX_NETMAN_STATE_MAX
    KX_NETMAN_PROTO_EVENTS_PAST_END = -6,  // event block runs past the message
    KX_NETMAN_PROTO_EVENTS_MISMATCH = -7,  // events length is not 48 x event count
};

// Read a game state message of len bytes. Fills out as far as the message is sound and
// returns KX_NETMAN_PROTO_OK or the first failed check (fields read before it stay valid).
// A message that ends right after the state has no events.
int kx_netman_proto_parse_state(const uint8_t* msg, int len, kx_netman_state_msg_t* out);

// Write a game state message into out (capacity cap) with n event units already packed in
// events (48 n bytes). Returns its length, or -1 when it does not fit.
int kx_netman_proto_write_state(uint8_t* out, int cap, uint16_t id, uint16_t ping, uint16_t clock,
                                uint16_t frags, uint16_t deaths, const uint8_t* state, int st_len,
                                const uint8_t* events, int n);

// One player entry of a broadcast, read in place.
struct kx_netman_bcast_entry_t {
    uint16_t id, ping, frags, deaths;
    int32_t st_len;
    const uint8_t* state;
};

// Read the broadcast header: receiver's ping, count, and the offset of the first entry
// (12 when count > 0, else the event block's offset 8). -1 when the message is too short.
int kx_netman_proto_read_bcast_header(const uint8_t* msg, int len, uint16_t* ping, int32_t* count,
                                      int* offset);
// Read the entry at *offset and advance it. 0, or -1 when the entry runs past len.
int kx_netman_proto_read_bcast_entry(const uint8_t* msg, int len, int* offset, kx_netman_bcast_entry_t* e);
// Read the event block at offset: count, length and units. 0, or -1 when it runs past len.
int kx_netman_proto_read_events(const uint8_t* msg, int len, int offset, int32_t* count, uint32_t* events_len,
                                const uint8_t** events);
