// Server frame splitter for one client slot, fed in receive-sized chunks.
#include <algorithm>
#include <cstring>

#include "engine/net/kx_server_socket.h"
#include "fuzz_common.h"

namespace {
kx_server_socket_t g_srv;
int on_buf(int, int, const uint8_t* p, int len) {
    fuzz_touch(p, len);
    return 0;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz_quiet();
    kx_server_socket_init(&g_srv, nullptr);
    g_srv.OnBuf = on_buf;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    size_t chunk = 1 + (size_t)data[0] * 37;
    data++, size--;
    g_srv.client_count = 1;
    kx_server_client_t* c = &g_srv.clients[0];
    c->id = 17;
    c->fd = -1;
    c->flags = 0;
    c->buffer_recv_pos = 0;
    while (size > 0 && !(c->flags & KX_SERVER_FLAG_KICK)) {
        size_t space = (size_t)(KX_NET_MAX_FRAME - c->buffer_recv_pos);
        size_t n = std::min({chunk, size, space});
        if (n == 0) __builtin_trap();
        std::memcpy(c->recv_buf + c->buffer_recv_pos, data, n);
        c->buffer_recv_pos += (int)n;
        data += n, size -= n;
        kx_server_socket_handle_buffer(&g_srv, 0);
    }
    return 0;
}
