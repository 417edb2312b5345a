// Netman server message handler (hello, ping reply, state with entries and
// events, text) for one of three connections, followed by the state broadcast
// each connection would get. Byte 0: connection; bytes 1-2: msgtype; rest: payload.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/net/kx_netman_relay.h"
#include "engine/net/kx_netman_server.h"
#include "fuzz_common.h"

namespace {
kx_netman_server_t g_srv;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_quiet();
    kx_netman_server_init(&g_srv, 256);
    g_srv.tcp.client_count = 3;
    for (int i = 0; i < 3; i++) {
        kx_server_client_t* c = &g_srv.tcp.clients[i];
        c->id = 17 + i;
        c->fd = -1;
        c->user_data = std::calloc(1, sizeof(kx_netman_user_data_t));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3 || size > 3 + (size_t)KX_NET_MAX_PAYLOAD) return 0;
    int index = data[0] % 3;
    // Connections 0 and 1 are registered; 2 only when its hello got through.
    for (int i = 0; i < 3; i++) {
        kx_server_client_t* c = &g_srv.tcp.clients[i];
        c->flags = (i < 2 || (c->flags & KX_NETMAN_FLAG_REGISTERED)) ? KX_NETMAN_FLAG_REGISTERED : 0;
    }
    std::vector<uint8_t> msg(data + 3, data + size);
    g_srv.now = (uint16_t)(data[1] * 257);
    kx_netman_server_handle_message(&g_srv, index, kx_net_get_u16(data + 1), msg.data(), (int)msg.size());
    static uint8_t out[KX_NET_MAX_PAYLOAD];
    for (int i = 0; i < 3; i++) {
        kx_netman_user_data_t* u = kx_netman_server_user(&g_srv, i);
        if (u->pending_bytes < 0 || u->pending_bytes > KX_NETMAN_STATE_MAX) __builtin_trap();
        if (u->state_len < 0 || u->state_len > KX_NETMAN_STATE_MAX) __builtin_trap();
        if (strnlen(u->name, 32) == 32) __builtin_trap();
        int len = kx_netman_relay_build(&g_srv, i, out, sizeof(out));
        if (len < 8 || len > (int)sizeof(out)) __builtin_trap();
        // What the game will read back from the broadcast must parse within its length.
        uint16_t ping;
        int32_t count;
        int ofs;
        if (kx_netman_proto_read_bcast_header(out, len, &ping, &count, &ofs) != 0) __builtin_trap();
        for (int k = 0; k < count; k++) {
            kx_netman_bcast_entry_t e;
            if (kx_netman_proto_read_bcast_entry(out, len, &ofs, &e) != 0) __builtin_trap();
        }
        int32_t n;
        uint32_t ev_len;
        const uint8_t* ev;
        if (kx_netman_proto_read_events(out, len, ofs, &n, &ev_len, &ev) != 0) __builtin_trap();
        // Sent: the pending buffer is emptied as kx_netman_relay_send does.
        u->pending_bytes = 0;
        u->pending_count = 0;
    }
    return 0;
}
