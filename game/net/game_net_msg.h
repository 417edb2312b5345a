// The game's messages on the wire: the own state message (netman type 24) built
// from the local player and queued events, and the state broadcast (type 25)
// read into a bounded record. Layouts are written out in kx_netman_proto.h.
// Pure functions over bytes; depends on kx_netman_proto and game_world.
#pragma once

#include <cstdint>

#include "engine/net/kx_netman_proto.h"
#include "game/sim/game_world.h"

// One player's state on the wire, 32 bytes.
struct game_user_state_t {
    int32_t health;
    int32_t dead;
    float pos_x, pos_y;
    float vel_x, vel_y;
    float wish_x, wish_y;
};
static_assert(sizeof(game_user_state_t) == KX_NETMAN_USER_STATE_SIZE, "the wire state is 32 bytes");

// Events one state message carries at most; the rest wait for the next frame, so a
// message stays far below the 2048 bytes the server accepts.
constexpr int GAME_NET_EVENTS_PER_MSG = 10;
constexpr int GAME_NET_MSG_ROOM = 2048;
constexpr int GAME_NET_STATE_LEN = 60;  // a state message without events

// The wire state of a player object.
game_user_state_t game_net_state_of(const game_obj_t* o);

// Write the state message with n events (0..GAME_NET_EVENTS_PER_MSG) into out (room cap).
// Returns its length, 60 + 48 n, or -1 when n is out of range or it does not fit.
int game_net_build_state(uint8_t* out, int cap, uint16_t id, uint16_t ping, uint16_t clock, uint16_t frags,
                         uint16_t deaths, const game_user_state_t& st, const game_event_t* ev, int n);

// One player entry of a broadcast; the state is copied into a zero-filled record.
struct game_net_entry_t {
    uint16_t id, ping, frags, deaths;
    int32_t st_len;  // as received
    game_user_state_t state;
};

// A broadcast read within its received length.
struct game_net_bcast_t {
    uint16_t ping;                              // the receiver's own ping
    int32_t count;                              // as received
    int entries_read;                           // entries present, at most 12
    game_net_entry_t entries[GAME_SLOT_COUNT];  // the first entries_read
    int events_ok;                              // 1 when the event block was reached
    int32_t event_count;                        // as received (0 without a block)
    int units;                                  // whole 40-byte events within the block
    int bad_unit;                               // index of the first unit whose event_len is not 40, else -1
    int32_t bad_len;                            // that unit's event_len
    const uint8_t* events;                      // first unit, in the message
    int events_room;                            // bytes of the message from the first unit on
};

// Read a broadcast of len bytes. Entries beyond the twelfth are skipped, not applied; a
// state longer than 32 bytes is cut, a shorter one zero-filled. Returns 0, or -1 when the
// message is shorter than its header (nothing is read).
int game_net_read_bcast(const uint8_t* msg, int len, game_net_bcast_t* out);

// Event unit i (below units) of a read broadcast.
game_event_t game_net_bcast_event(const game_net_bcast_t& b, int i);
