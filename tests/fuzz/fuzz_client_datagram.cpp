// Client datagram check: the input is one received datagram.
#include <cstring>
#include <vector>

#include "engine/net/kx_client_socket.h"
#include "fuzz_common.h"

namespace {
kx_client_socket_t g_sock;
int on_udp(void*, const kx_sockaddr_t*, const uint8_t* header, const uint8_t* payload) {
    fuzz_touch(header, 16);
    fuzz_touch(payload, kx_net_get_u16(header + 2));
    return 0;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_quiet();
    kx_client_socket_init(&g_sock, nullptr);
    g_sock.OnUdpBuf = on_udp;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > (size_t)KX_NET_RECV_BUF_SIZE) return 0;  // a receive never takes more
    std::vector<uint8_t> exact(data, data + size);      // heap copy of exactly the bytes received
    kx_client_socket_handle_datagram(&g_sock, exact.data(), (int)size);
    return 0;
}
