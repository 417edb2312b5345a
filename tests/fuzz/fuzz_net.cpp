// libFuzzer harnesses of every parser that reads network bytes. One program per
// harness is built from this file; FUZZ_ENTRY names the function it runs. Every
// byte a parser hands on is read, so ASan sees any read past what was received;
// the network log (standard output) goes to /dev/null.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "engine/net/kx_netman.h"
#include "engine/net/kx_netman_relay.h"
#include "engine/net/kx_netman_server.h"

namespace {

volatile uint32_t g_sink = 0;  // keeps the reads of touch
int touch(const uint8_t* p, int len) {
    uint32_t s = 0;
    for (int i = 0; i < len; i++) s += p[i];
    g_sink = g_sink + s;
    return 0;
}
int on_frame(int, int, const uint8_t* p, int len) { return touch(p, len); }
int on_dgram(void*, const kx_sockaddr_t*, const uint8_t* h, const uint8_t* p) {
    return touch(h, 16) + touch(p, kx_net_get_u16(h + 2));
}
int on_buffer(uint32_t, int, const uint8_t* p, int len) { return touch(p, len); }
int on_event(void*, int, int) { return 0; }
void check(bool ok) {
    if (!ok) __builtin_trap();
}

kx_client_socket_t g_sock;  // a TCP or UDP client record without a descriptor
kx_netman_t g_nm;
kx_server_socket_t g_tcp;  // one client slot
kx_netman_server_t g_srv;  // three connections from 127.0.0.1, ids 17 to 19

// Bytes arrive in receive-sized chunks (byte 0 picks the size) into a splitter's buffer, never more
// than its free space, as the receive does; split() handles them and says whether to go on.
void feed(const uint8_t* data, size_t size, uint8_t* buf, int* pos, const std::function<bool()>& split) {
    if (size == 0) return;
    size_t chunk = 1 + (size_t)data[0] * 37;
    data++, size--;
    for (*pos = 0; size > 0;) {
        size_t n = std::min({chunk, size, (size_t)(KX_NET_MAX_FRAME - *pos)});
        check(n > 0);  // a partial frame always leaves room
        std::memcpy(buf + *pos, data, n);
        *pos += (int)n, data += n, size -= n;
        if (!split()) return;
    }
}

// Connections 17 and 18 are registered; 19 only once a hello of its got through.
void reset_server() {
    for (int i = 0; i < 3; i++) {
        kx_server_client_t* c = &g_srv.tcp.clients[i];
        c->flags = (i < 2 || (c->flags & KX_NETMAN_FLAG_REGISTERED)) ? KX_NETMAN_FLAG_REGISTERED : 0;
    }
}

}  // namespace

void fuzz_client_frames(const uint8_t* data, size_t size) {
    g_sock.type = KX_SOCK_TCP, g_sock.status = KX_SOCK_CONNECTED;
    feed(data, size, g_sock.recv_buf, &g_sock.buffer_recv_pos, [] {
        kx_client_socket_handle_buffer(&g_sock);
        return g_sock.status == KX_SOCK_CONNECTED;
    });
}

void fuzz_client_datagram(const uint8_t* data, size_t size) {
    if (size > (size_t)KX_NET_RECV_BUF_SIZE) return;  // a receive never takes more
    std::vector<uint8_t> exact(data, data + size);    // heap copy of exactly the bytes received
    kx_client_socket_handle_datagram(&g_sock, exact.data(), (int)size);
}

// Byte 0 odd: bytes 1-2 are a TCP msgtype and the rest its payload; even: the rest is a datagram.
void fuzz_netman_client(const uint8_t* data, size_t size) {
    if (size < 3 || size > 3 + (size_t)KX_NET_MAX_PAYLOAD) return;
    g_nm.tcp.status = g_nm.udp.status = KX_SOCK_CONNECTED;  // replies fail and end the session
    std::vector<uint8_t> rest(data + (data[0] & 1 ? 3 : 1), data + size);
    if (data[0] & 1) kx_netman_handle_tcp(&g_nm, kx_net_get_u16(data + 1), rest.data(), (int)rest.size());
    if (!(data[0] & 1)) kx_client_socket_handle_datagram(&g_nm.udp, rest.data(), (int)rest.size());
    check(g_nm.users.count <= g_nm.users.capacity && strnlen(g_nm.server_name, 32) < 32);
    for (int i = 0; i < g_nm.users.count; i++) check(strnlen(g_nm.users.items[i].name, 32) < 32);
}

void fuzz_server_frames(const uint8_t* data, size_t size) {
    kx_server_client_t* c = &g_tcp.clients[0];
    c->flags = 0;
    feed(data, size, c->recv_buf, &c->buffer_recv_pos, [c] {
        kx_server_socket_handle_buffer(&g_tcp, 0);
        return !(c->flags & KX_SERVER_FLAG_KICK);
    });
}

void fuzz_server_datagram(const uint8_t* data, size_t size) {
    if (size > (size_t)KX_NET_SEND_BUF_SIZE) return;
    std::vector<uint8_t> exact(data, data + size);
    reset_server();
    kx_udp_server_handle_datagram(&g_srv.udp, &g_srv.tcp.clients[0].addr, exact.data(), (int)size);
}

// Byte 0: connection; bytes 1-2: msgtype; the rest: payload. Then the state broadcast each
// connection would get must parse within its length.
void fuzz_server_message(const uint8_t* data, size_t size) {
    if (size < 3 || size > 3 + (size_t)KX_NET_MAX_PAYLOAD) return;
    std::vector<uint8_t> msg(data + 3, data + size);
    reset_server();
    g_srv.now = (uint16_t)(data[1] * 257);
    kx_netman_server_handle_message(&g_srv, data[0] % 3, kx_net_get_u16(data + 1), msg.data(),
                                    (int)msg.size());
    static uint8_t out[KX_NET_MAX_PAYLOAD];
    for (int i = 0; i < 3; i++) {
        kx_netman_user_data_t* u = kx_netman_server_user(&g_srv, i);
        check(u->pending_bytes >= 0 && u->pending_bytes <= KX_NETMAN_STATE_MAX && u->state_len >= 0 &&
              u->state_len <= KX_NETMAN_STATE_MAX && strnlen(u->name, 32) < 32);
        int len = kx_netman_relay_build(&g_srv, i, out, sizeof(out)), ofs, n;
        check(len >= 8 && len <= (int)sizeof(out));
        uint16_t ping;
        int32_t count, events;
        uint32_t ev_len;
        const uint8_t* ev;
        kx_netman_bcast_entry_t e;
        check(kx_netman_proto_read_bcast_header(out, len, &ping, &count, &ofs) == 0);
        for (n = 0; n < count; n++) check(kx_netman_proto_read_bcast_entry(out, len, &ofs, &e) == 0);
        check(kx_netman_proto_read_events(out, len, ofs, &events, &ev_len, &ev) == 0);
        u->pending_bytes = u->pending_count = 0;  // sent, as kx_netman_relay_send does
    }
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::freopen("/dev/null", "w", stdout);
    kx_client_socket_init(&g_sock, nullptr);
    g_sock.OnBuf = on_frame, g_sock.OnUdpBuf = on_dgram, g_sock.OnDisconnect = on_event;
    kx_netman_init(&g_nm, 256);
    g_nm.OnBuffer = on_buffer;
    g_nm.tcp.type = KX_SOCK_TCP, g_nm.udp.type = KX_SOCK_UDP;
    kx_server_socket_init(&g_tcp, nullptr);
    g_tcp.OnBuf = on_frame, g_tcp.client_count = 1, g_tcp.clients[0].id = 17;
    kx_netman_server_init(&g_srv, 256);
    g_srv.tcp.client_count = 3;
    for (int i = 0; i < 3; i++) {
        kx_server_client_t* c = &g_srv.tcp.clients[i];
        c->id = 17 + i;
        c->addr.sin_family = AF_INET, c->addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        c->user_data = std::calloc(1, sizeof(kx_netman_user_data_t));
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FUZZ_ENTRY(data, size);
    return 0;
}
