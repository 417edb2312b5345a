// Server transport, UDP side. Datagram layout: kx_net_wire.h.
// Depends on kx_sock, kx_net_wire, kx_client_socket (default handler), kx_log.
#include "engine/net/kx_udp_server.h"

#include <cstdlib>
#include <cstring>

#include "engine/app/kx_log.h"

void kx_udp_server_init(kx_udp_server_t* server, void* user) {
    kxLog("%s\n", "SOCK UDP SRV Init");
    kx_sock_startup();
    std::memset(server, 0, sizeof(*server));
    server->fd = -1;
    // Two halves: receiving in the first, sending from the second, so a handler may
    // send while the received payload is still in use.
    server->buf = (uint8_t*)std::calloc(2, KX_NET_SEND_BUF_SIZE);
    server->OnUdpBuf = kx_client_socket_default_udp_buf;
    server->user = user;
}

int kx_udp_server_start(kx_udp_server_t* server, int port) {
    kxLog("SOCK UDP SRV Start, port %d \n", port);
    server->status = 1;
    server->port = port;
    server->fd = kx_sock_open_server(SOCK_DGRAM, port, &server->addr);
    if (server->fd < 0) return 1;
    return 0;
}

void kx_udp_server_stop(kx_udp_server_t* server) {
    server->status = 0;
    kxLog("%s", "SOCK SRV Stop. \n");
    kx_sock_close(server->fd);
    server->fd = -1;
}

void kx_udp_server_term(kx_udp_server_t* server) {
    kx_udp_server_stop(server);
    std::free(server->buf);
    server->buf = nullptr;
}

int kx_udp_server_send(kx_udp_server_t* server, const kx_sockaddr_t* addr, uint8_t* header,
                       const void* data) {
    kx_net_put_u16(header, KX_NET_SOCK_VERSION);
    int len = kx_net_get_u16(header + 2);
    if (len > KX_NET_MAX_PAYLOAD) return -1;
    uint8_t* out = server->buf + KX_NET_SEND_BUF_SIZE;
    std::memcpy(out, header, KX_NET_DATAGRAM_HEADER);
    if (len) std::memcpy(out + KX_NET_DATAGRAM_HEADER, data, len);
    int n = (int)sendto(server->fd, (const char*)out, len + KX_NET_DATAGRAM_HEADER, MSG_NOSIGNAL,
                        (const struct sockaddr*)addr, sizeof(*addr));
    if (n > 0) return 0;
    int err = kx_sock_errno();
    if (n < 0 && kx_sock_would_block(err)) return 0;
    kxLog("UDP SRV send failed, n=%d, errno=%d\n", n, err);
    return -1;
}

int kx_udp_server_handle_datagram(kx_udp_server_t* server, const kx_sockaddr_t* from, const uint8_t* data,
                                  int n) {
    if (n < KX_NET_DATAGRAM_HEADER) {
        kxLog("n (%d) < UDP packet header\n", n);
        return -1;
    }
    int len = kx_net_get_u16(data + 2);
    if (n != KX_NET_DATAGRAM_HEADER + len) {
        kxLog("n (%d) != header_len (%d) + len (%d) \n", n, KX_NET_DATAGRAM_HEADER, len);
        return -1;
    }
    server->OnUdpBuf(server->user, from, data, data + KX_NET_DATAGRAM_HEADER);
    return 0;
}

int kx_udp_server_poll(kx_udp_server_t* server) {
    if (server->fd < 0) return 0;
    for (;;) {
        kx_sockaddr_t from;
        kx_socklen_t flen = sizeof(from);
        int n = (int)recvfrom(server->fd, (char*)server->buf, KX_NET_SEND_BUF_SIZE, 0,
                              (struct sockaddr*)&from, &flen);
        if (n < 0) {
            int err = kx_sock_errno();
            if (kx_sock_would_block(err)) return 0;
            kxLog("Cannot recvfrom (n %d, errno %d) \n", n, err);
            return -1;
        }
        kx_udp_server_handle_datagram(server, &from, server->buf, n);
    }
}
