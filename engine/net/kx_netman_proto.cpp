// Game state message and broadcast readers; layouts in kx_netman_proto.h.
// Depends on kx_net_wire.
#include "engine/net/kx_netman_proto.h"

int kx_netman_proto_read_events(const uint8_t* msg, int len, int offset, int32_t* count, uint32_t* events_len,
                                const uint8_t** events) {
    *count = 0;
    *events_len = 0;
    *events = nullptr;
    if (offset < 0 || len - offset < 4) return -1;
    *count = kx_net_get_i32(msg + offset);
    if (*count <= 0) return 0;
    if (len - offset < 8) return -1;
    *events_len = kx_net_get_u32(msg + offset + 4);
    if (*events_len > (uint32_t)(len - offset - 8)) return -1;
    *events = msg + offset + 8;
    return 0;
}

int kx_netman_proto_parse_state(const uint8_t* msg, int len, kx_netman_state_msg_t* out) {
    *out = {};
    if (len > KX_NETMAN_STATE_MAX) return KX_NETMAN_PROTO_TOO_LONG;
    if (len < KX_NETMAN_STATE_HEADER) return KX_NETMAN_PROTO_SHORT;
    out->id = kx_net_get_u16(msg + KX_NETMAN_STATE_OFS_ID);
    out->ping = kx_net_get_u16(msg + KX_NETMAN_STATE_OFS_PING);
    out->clock = kx_net_get_u16(msg + KX_NETMAN_STATE_OFS_CLOCK);
    out->frags = kx_net_get_u16(msg + KX_NETMAN_STATE_OFS_FRAGS);
    out->deaths = kx_net_get_u16(msg + KX_NETMAN_STATE_OFS_DEATHS);
    out->st_len = kx_net_get_u32(msg + KX_NETMAN_STATE_OFS_ST_LEN);
    if (out->st_len > (uint32_t)KX_NETMAN_STATE_MAX) return KX_NETMAN_PROTO_STATE_TOO_LONG;
    if (out->st_len > (uint32_t)(len - KX_NETMAN_STATE_HEADER)) return KX_NETMAN_PROTO_STATE_PAST_END;
    out->state = msg + KX_NETMAN_STATE_HEADER;
    int ofs = KX_NETMAN_STATE_HEADER + (int)out->st_len;
    if (ofs == len) return KX_NETMAN_PROTO_OK;
    if (len - ofs < 4) return KX_NETMAN_PROTO_EVENTS_PAST_END;
    out->event_count = kx_net_get_i32(msg + ofs);
    if (out->event_count <= 0) return KX_NETMAN_PROTO_OK;
    if (len - ofs < 8) return KX_NETMAN_PROTO_EVENTS_PAST_END;
    out->events_len = kx_net_get_u32(msg + ofs + 4);
    if (out->events_len > (uint32_t)KX_NETMAN_STATE_MAX) return KX_NETMAN_PROTO_EVENTS_TOO_LONG;
    if (out->events_len > (uint32_t)(len - ofs - 8)) return KX_NETMAN_PROTO_EVENTS_PAST_END;
    if ((uint64_t)out->event_count * KX_NETMAN_EVENT_UNIT != out->events_len)
        return KX_NETMAN_PROTO_EVENTS_MISMATCH;
    out->events = msg + ofs + 8;
    return KX_NETMAN_PROTO_OK;
}

int kx_netman_proto_write_state(uint8_t* out, int cap, uint16_t id, uint16_t ping, uint16_t clock,
                                uint16_t frags, uint16_t deaths, const uint8_t* state, int st_len,
                                const uint8_t* events, int n) {
    int total = KX_NETMAN_STATE_HEADER + st_len + 8 + n * KX_NETMAN_EVENT_UNIT;
    if (st_len < 0 || n < 0 || total > cap) return -1;
    kx_net_put_u16(out + KX_NETMAN_STATE_OFS_ID, id);
    kx_net_put_u16(out + KX_NETMAN_STATE_OFS_PING, ping);
    kx_net_put_u16(out + KX_NETMAN_STATE_OFS_CLOCK, clock);
    kx_net_put_u16(out + KX_NETMAN_STATE_OFS_ONE, 1);
    kx_net_put_u16(out + KX_NETMAN_STATE_OFS_FRAGS, frags);
    kx_net_put_u16(out + KX_NETMAN_STATE_OFS_DEATHS, deaths);
    kx_net_put_u16(out + KX_NETMAN_STATE_OFS_MAGIC, 0xFAFF);
    kx_net_put_u16(out + KX_NETMAN_STATE_OFS_MAGIC + 2, 0xBAB0);
    kx_net_put_u32(out + KX_NETMAN_STATE_OFS_ST_LEN, (uint32_t)st_len);
    if (st_len) std::memcpy(out + KX_NETMAN_STATE_HEADER, state, st_len);
    int ofs = KX_NETMAN_STATE_HEADER + st_len;
    kx_net_put_u32(out + ofs, (uint32_t)n);
    kx_net_put_u32(out + ofs + 4, (uint32_t)(n * KX_NETMAN_EVENT_UNIT));
    if (n) std::memcpy(out + ofs + 8, events, n * KX_NETMAN_EVENT_UNIT);
    return total;
}

int kx_netman_proto_read_bcast_header(const uint8_t* msg, int len, uint16_t* ping, int32_t* count,
                                      int* offset) {
    if (len < 8) return -1;
    *ping = kx_net_get_u16(msg);
    *count = kx_net_get_i32(msg + 4);
    if (*count > 0) {
        if (len < KX_NETMAN_BCAST_ENTRIES) return -1;
        *offset = KX_NETMAN_BCAST_ENTRIES;
    } else {
        *offset = 8;
    }
    return 0;
}

int kx_netman_proto_read_bcast_entry(const uint8_t* msg, int len, int* offset, kx_netman_bcast_entry_t* e) {
    int ofs = *offset;
    if (ofs < 0 || len - ofs < KX_NETMAN_BCAST_ENTRY_HEADER) return -1;
    e->id = kx_net_get_u16(msg + ofs);
    e->ping = kx_net_get_u16(msg + ofs + 2);
    e->frags = kx_net_get_u16(msg + ofs + 4);
    e->deaths = kx_net_get_u16(msg + ofs + 6);
    e->st_len = kx_net_get_i32(msg + ofs + 8);
    if (e->st_len < 0 || e->st_len > len - ofs - KX_NETMAN_BCAST_ENTRY_HEADER) return -1;
    e->state = msg + ofs + KX_NETMAN_BCAST_ENTRY_HEADER;
    *offset = ofs + KX_NETMAN_BCAST_ENTRY_HEADER + e->st_len;
    return 0;
}
