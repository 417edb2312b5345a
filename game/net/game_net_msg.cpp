// State message writer and broadcast reader (see game_net_msg.h).
// Depends on kx_netman_proto, game_world.
#include "game/net/game_net_msg.h"

#include <cstring>

game_user_state_t game_net_state_of(const game_obj_t* o) {
    return game_user_state_t{o->health, o->dead,  o->pos.x,      o->pos.y,
                             o->vel.x,  o->vel.y, o->wish_vel.x, o->wish_vel.y};
}

int game_net_build_state(uint8_t* out, int cap, uint16_t id, uint16_t ping, uint16_t clock, uint16_t frags,
                         uint16_t deaths, const game_user_state_t& st, const game_event_t* ev, int n) {
    if (n < 0 || n > GAME_NET_EVENTS_PER_MSG) return -1;
    uint8_t units[GAME_NET_EVENTS_PER_MSG * KX_NETMAN_EVENT_UNIT];
    for (int i = 0; i < n; i++) {
        uint8_t* u = units + i * KX_NETMAN_EVENT_UNIT;
        kx_net_put_u32(u, KX_NETMAN_EVENT_MARKER);
        kx_net_put_u32(u + 4, KX_NETMAN_EVENT_SIZE);
        std::memcpy(u + 8, &ev[i], KX_NETMAN_EVENT_SIZE);
    }
    uint8_t state[KX_NETMAN_USER_STATE_SIZE];
    std::memcpy(state, &st, sizeof state);
    return kx_netman_proto_write_state(out, cap, id, ping, clock, frags, deaths, state, sizeof state, units,
                                       n);
}

namespace {

// The event block at ofs: i32 count, then when above 0 u32 length and the units. The
// units walked are those that lie whole within both the stated length and the message.
void read_event_block(const uint8_t* msg, int len, int ofs, game_net_bcast_t* out) {
    if (len - ofs < 4) return;
    out->events_ok = 1;
    out->event_count = kx_net_get_i32(msg + ofs);
    if (out->event_count <= 0 || len - ofs < 8) return;
    uint32_t stated = kx_net_get_u32(msg + ofs + 4);
    out->events = msg + ofs + 8;
    out->events_room = len - ofs - 8;
    uint32_t room = stated < (uint32_t)out->events_room ? stated : (uint32_t)out->events_room;
    for (int i = 0; i < out->event_count && (uint32_t)(i + 1) * KX_NETMAN_EVENT_UNIT <= room; i++) {
        int32_t event_len = kx_net_get_i32(out->events + i * KX_NETMAN_EVENT_UNIT + 4);
        if (event_len != KX_NETMAN_EVENT_SIZE) {
            out->bad_unit = i;
            out->bad_len = event_len;
            return;
        }
        out->units = i + 1;
    }
}

}  // namespace

int game_net_read_bcast(const uint8_t* msg, int len, game_net_bcast_t* out) {
    std::memset(out, 0, sizeof *out);
    out->bad_unit = -1;
    int ofs = 0;
    if (!msg || kx_netman_proto_read_bcast_header(msg, len, &out->ping, &out->count, &ofs) != 0) return -1;
    for (int k = 0; k < out->count; k++) {
        kx_netman_bcast_entry_t e;
        if (kx_netman_proto_read_bcast_entry(msg, len, &ofs, &e) != 0) return 0;  // cut short: no events
        if (k >= GAME_SLOT_COUNT) continue;  // only twelve slots exist; walked over to reach the events
        game_net_entry_t* d = &out->entries[out->entries_read++];
        *d = game_net_entry_t{e.id, e.ping, e.frags, e.deaths, e.st_len, {}};
        int n = e.st_len < KX_NETMAN_USER_STATE_SIZE ? e.st_len : KX_NETMAN_USER_STATE_SIZE;
        std::memcpy(&d->state, e.state, n);
    }
    read_event_block(msg, len, ofs, out);
    return 0;
}

game_event_t game_net_bcast_event(const game_net_bcast_t& b, int i) {
    game_event_t ev;
    std::memcpy(&ev, b.events + i * KX_NETMAN_EVENT_UNIT + 8, sizeof ev);
    return ev;
}
