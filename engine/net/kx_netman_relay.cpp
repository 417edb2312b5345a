// Game state relay of the netman server. The state message and broadcast
// layouts are written out in kx_netman_proto.h.
// Depends on kx_netman_server, kx_netman_proto, kx_log.
#include "engine/net/kx_netman_relay.h"

#include <cstring>

#include "engine/app/kx_log.h"

namespace {

// Decimal values, each followed by ", ".
void dump_dec(const uint8_t* p, int count) {
    for (int k = 0; k < count; k++) kxLog("%d, ", kx_net_get_u16(p + 2 * k));
}

// Hex values, eight to a line.
void dump_hex(const uint8_t* p, int count) {
    for (int k = 0; k < count; k++) {
        if (k > 0 && k % 8 == 0) kxLog("%s", "\n");
        kxLog("%04x ", kx_net_get_u16(p + 2 * k));
    }
}

}  // namespace

int kx_netman_relay_state(kx_netman_server_t* server, int index, const uint8_t* payload, int len) {
    kx_server_client_t* c = &server->tcp.clients[index];
    kx_netman_user_data_t* ud = (kx_netman_user_data_t*)c->user_data;
    kx_netman_state_msg_t m;
    int r = kx_netman_proto_parse_state(payload, len, &m);
    if (r == KX_NETMAN_PROTO_TOO_LONG) {
        kxLog("SRV error, data too long (index %d, len %d)\n", index, len);
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_TOO_LONG, 2048);
        return -1;
    }
    if (r == KX_NETMAN_PROTO_SHORT) {
        kxLog("SRV error, state message too short (index %d, len %d)\n", index, len);
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_MALFORMED, len);
        return -1;
    }
    if (m.id != c->id) {
        kxLog("id (%d) != cl_id (%d), kicking (index %d) \n", c->id, m.id, index);
        dump_dec(payload, len / 4);
        kxLog("%s", "\n");
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_STATE_ID, c->id);
        kxLog("%s\n", "kicked.");
        return -1;
    }
    ud->clock = m.clock;
    ud->frags = m.frags;
    ud->deaths = m.deaths;
    if (r == KX_NETMAN_PROTO_STATE_TOO_LONG) {
        kxLog("state_len > max. %d. Total len %d, ping %d \n", (int)m.st_len, len, m.ping);
        dump_hex(payload, len / 2);
        kxLog("%s", "\n----\n");
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_TOO_LONG, 2048);
        return -1;
    }
    if (r == KX_NETMAN_PROTO_STATE_PAST_END) {
        kxLog("SRV error, st_len %d runs past the message (index %d, len %d)\n", (int)m.st_len, index, len);
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_MALFORMED, len);
        return -1;
    }
    std::memcpy(ud->state, m.state, m.st_len);
    ud->state_len = (int32_t)m.st_len;
    if (r == KX_NETMAN_PROTO_EVENTS_TOO_LONG) {
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_TOO_LONG, 2048);
        return -1;
    }
    if (r != KX_NETMAN_PROTO_OK) {
        kxLog("SRV error, event block does not match the message (index %d, len %d)\n", index, len);
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_MALFORMED, len);
        return -1;
    }
    if (m.event_count <= 0) return 0;
    int ev_len = (int)m.events_len;
    for (int j = 0; j < server->tcp.client_count; j++) {
        if (j == index) continue;
        kx_netman_user_data_t* other = (kx_netman_user_data_t*)server->tcp.clients[j].user_data;
        if (!other) continue;
        // Room is kept for four times the batch, so one sender cannot fill a receiver's buffer.
        if (other->pending_bytes + 4 * ev_len > KX_NETMAN_STATE_MAX) {
            kxLog("Error, max events length is reached for user id %d (%d events), skipped \n", index,
                  other->pending_count);
            continue;
        }
        std::memcpy(other->pending + other->pending_bytes, m.events, ev_len);
        other->pending_bytes += ev_len;
        other->pending_count += m.event_count;
    }
    return 0;
}

int kx_netman_relay_build(kx_netman_server_t* server, int index, uint8_t* out, int cap) {
    kx_netman_user_data_t* u = (kx_netman_user_data_t*)server->tcp.clients[index].user_data;
    kx_net_put_u16(out, u->ping);
    kx_net_put_u16(out + 2, (uint16_t)u->reserved1);
    kx_net_put_u32(out + 8, 0);
    // Room for the event block is kept so that pending events always go out.
    int events_room = 8 + u->pending_bytes;
    int32_t count = 0;
    uint32_t total = 0;
    int ofs = KX_NETMAN_BCAST_ENTRIES;
    for (int j = 0; j < server->tcp.client_count; j++) {
        const kx_server_client_t* c = &server->tcp.clients[j];
        const kx_netman_user_data_t* v = (const kx_netman_user_data_t*)c->user_data;
        if (j == index || !v || !(c->flags & KX_NETMAN_FLAG_REGISTERED)) continue;
        int size = KX_NETMAN_BCAST_ENTRY_HEADER + v->state_len;
        if (ofs + size + events_room > cap) {
            kxLog("State of id %d left out of the broadcast for index %d: no room\n", c->id, index);
            continue;
        }
        kx_net_put_u16(out + ofs, (uint16_t)c->id);
        kx_net_put_u16(out + ofs + 2, v->ping);
        kx_net_put_u16(out + ofs + 4, v->frags);
        kx_net_put_u16(out + ofs + 6, v->deaths);
        kx_net_put_u32(out + ofs + 8, (uint32_t)v->state_len);
        std::memcpy(out + ofs + KX_NETMAN_BCAST_ENTRY_HEADER, v->state, v->state_len);
        ofs += size;
        total += (uint32_t)v->state_len + 8;
        count++;
    }
    kx_net_put_u32(out + 4, (uint32_t)count);
    if (count > 0) {
        kx_net_put_u32(out + 8, total);
    } else {
        ofs = 8;  // without entries the total is absent and the event block starts at 8
    }
    kx_net_put_u32(out + ofs, (uint32_t)u->pending_count);
    ofs += 4;
    if (u->pending_count > 0) {
        kx_net_put_u32(out + ofs, (uint32_t)u->pending_bytes);
        std::memcpy(out + ofs + 4, u->pending, u->pending_bytes);
        ofs += 4 + u->pending_bytes;
    }
    return ofs;
}

void kx_netman_relay_send(kx_netman_server_t* server, int index) {
    if (index < 0 || index >= server->tcp.client_count) return;
    kx_server_client_t* c = &server->tcp.clients[index];
    kx_netman_user_data_t* u = (kx_netman_user_data_t*)c->user_data;
    if (!u) return;
    uint8_t msg[KX_NET_MAX_PAYLOAD];
    int len = kx_netman_relay_build(server, index, msg, sizeof(msg));
    if (u->pending_count > 0)
        kx_netman_server_send(server, c->id, KX_NETMAN_STATE_BROADCAST, msg, len);
    else
        kx_netman_server_send_udp(server, c->id, KX_NETMAN_STATE_BROADCAST, msg, len);
    u->pending_count = 0;
    u->pending_bytes = 0;
}
