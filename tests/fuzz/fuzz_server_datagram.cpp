// Server datagram size check and the netman server's datagram handler behind
// it (unknown ids, address check, messages from a registered user).
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/net/kx_netman_server.h"
#include "fuzz_common.h"

namespace {
kx_netman_server_t g_srv;
kx_sockaddr_t g_from;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_quiet();
    kx_netman_server_init(&g_srv, 256);
    g_srv.tcp.client_count = 2;
    for (int i = 0; i < 2; i++) {
        kx_server_client_t* c = &g_srv.tcp.clients[i];
        c->id = 17 + i;
        c->fd = -1;
        c->addr.sin_family = AF_INET;
        c->addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        c->user_data = std::calloc(1, sizeof(kx_netman_user_data_t));
        c->flags = KX_NETMAN_FLAG_REGISTERED;
    }
    g_from.sin_family = AF_INET;
    g_from.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (size_t)KX_NET_SEND_BUF_SIZE) return 0;
    std::vector<uint8_t> exact(data, data + size);
    for (int i = 0; i < 2; i++) g_srv.tcp.clients[i].flags = KX_NETMAN_FLAG_REGISTERED;
    kx_udp_server_handle_datagram(&g_srv.udp, &g_from, exact.data(), (int)size);
    return 0;
}
