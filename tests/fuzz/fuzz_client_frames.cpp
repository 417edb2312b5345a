// Client frame splitter: the input arrives in receive-sized chunks (the first
// byte picks the chunk size) and is split into frames from the receive buffer.
#include <algorithm>
#include <cstring>

#include "engine/net/kx_client_socket.h"
#include "fuzz_common.h"

namespace {
kx_client_socket_t g_sock;
int on_buf(int, int, const uint8_t* p, int len) {
    fuzz_touch(p, len);
    return 0;
}
int on_event(void*, int, int) { return 0; }
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_quiet();
    kx_client_socket_init(&g_sock, nullptr);
    g_sock.OnBuf = on_buf;
    g_sock.OnDisconnect = on_event;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t chunk = 1 + (size_t)data[0] * 37;
    data++, size--;
    g_sock.type = KX_SOCK_TCP;
    g_sock.fd = -1;
    g_sock.status = KX_SOCK_CONNECTED;
    g_sock.buffer_recv_pos = 0;
    while (size > 0) {
        // As the receive does: never more than the free space of the buffer.
        size_t space = (size_t)(KX_NET_MAX_FRAME - g_sock.buffer_recv_pos);
        size_t n = std::min({chunk, size, space});
        if (n == 0) __builtin_trap();  // a partial frame must always leave room
        std::memcpy(g_sock.recv_buf + g_sock.buffer_recv_pos, data, n);
        g_sock.buffer_recv_pos += (int)n;
        data += n, size -= n;
        kx_client_socket_handle_buffer(&g_sock);
        if (g_sock.status != KX_SOCK_CONNECTED) break;
    }
    return 0;
}
