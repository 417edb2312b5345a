// Netman client message handler: byte 0 chooses TCP or UDP, bytes 1-2 the
// msgtype (TCP) and the rest is the payload; for UDP the rest is the datagram.
#include <cstring>
#include <vector>

#include "engine/net/kx_netman.h"
#include "fuzz_common.h"

namespace {
kx_netman_t g_nm;
int on_buffer(uint32_t, int, const uint8_t* p, int len) {
    fuzz_touch(p, len);
    return 0;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_quiet();
    kx_netman_init(&g_nm, 256);
    g_nm.OnBuffer = on_buffer;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3 || size > 3 + (size_t)KX_NET_MAX_PAYLOAD) return 0;
    // Sockets without a descriptor: replies fail and end the session, which is fine here.
    g_nm.tcp.status = KX_SOCK_CONNECTED;
    g_nm.tcp.type = KX_SOCK_TCP;
    g_nm.tcp.fd = -1;
    g_nm.udp.status = KX_SOCK_CONNECTED;
    g_nm.udp.type = KX_SOCK_UDP;
    g_nm.udp.fd = -1;
    if (data[0] & 1) {
        std::vector<uint8_t> msg(data + 3, data + size);
        kx_netman_handle_tcp(&g_nm, kx_net_get_u16(data + 1), msg.data(), (int)msg.size());
    } else {
        std::vector<uint8_t> dgram(data + 1, data + size);
        kx_client_socket_handle_datagram(&g_nm.udp, dgram.data(), (int)dgram.size());
    }
    if (g_nm.users.count > g_nm.users.capacity) __builtin_trap();
    for (int i = 0; i < g_nm.users.count; i++)
        if (strnlen(g_nm.users.items[i].name, 32) == 32) __builtin_trap();
    if (strnlen(g_nm.server_name, 32) == 32) __builtin_trap();
    return 0;
}
