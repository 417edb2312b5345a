// Client transport: connect, framed TCP send/receive, datagrams, the one
// disconnect path. Frame and datagram layouts are written out in kx_net_wire.h.
// Depends on kx_sock, kx_net_wire, kx_log.
#include "engine/net/kx_client_socket.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/app/kx_log.h"

#ifndef _WIN32
#include <sys/select.h>
#endif

namespace {

// End the connection after a failed send (kx_sock_send_queued's failure); its result.
int send_failed(kx_client_socket_t* sock, int r) {
    if (r == -1) {
        kxLog("%s\n", "SOCK Lost Connection, case 152");
        kx_client_socket_disconnect(sock, KX_SOCK_REASON_SEND_ZERO, 152);
        return -1;
    }
    kxLog("SOCK cannot write (n=%d) \n", -1);
    kx_client_socket_disconnect(sock, KX_SOCK_REASON_SEND, r);
    return r;
}

}  // namespace

int kx_client_socket_default_buf(int index, int msgtype, const uint8_t*, int len) {
    std::printf("Event Buf Handler: %d, msg=%d, len=%d \n", index, msgtype, len);
    return 0;
}

int kx_client_socket_default_udp_buf(void*, const kx_sockaddr_t*, const uint8_t* header, const uint8_t*) {
    kx_net_datagram_header_t h = kx_net_wire_read_datagram(header);
    std::printf("Empty UDP Buf Event Handler: %d, msg %d, len %d\n", (int)h.id, h.msgtype, h.len);
    return 0;
}

int kx_client_socket_default_event(void*, int a, int b) {
    std::printf("Event Handler: %d, %d \n", a, b);
    return 0;
}

void kx_client_socket_init(kx_client_socket_t* sock, void* user) {
    kxLog("%s\n", "SOCK CLIENT Init");
    kx_sock_startup();
    std::memset(sock, 0, sizeof(*sock));
    sock->fd = -1;
    sock->recv_buf = (uint8_t*)std::calloc(1, KX_NET_RECV_BUF_SIZE);
    sock->send_buf = (uint8_t*)std::calloc(1, KX_NET_SEND_BUF_SIZE);
    sock->out_buf = (uint8_t*)std::calloc(1, KX_CLIENT_SOCKET_QUEUE_SIZE);
    sock->user = user;
    sock->OnBuf = kx_client_socket_default_buf;
    sock->OnUdpBuf = kx_client_socket_default_udp_buf;
    sock->OnConnect = kx_client_socket_default_event;
    sock->OnDisconnect = kx_client_socket_default_event;
}

void kx_client_socket_term(kx_client_socket_t* sock) {
    kxLog("%s\n", "SOCK CLIENT Term");
    kx_client_socket_disconnect(sock, KX_SOCK_REASON_TERM, 0);
    std::free(sock->recv_buf);
    std::free(sock->send_buf);
    std::free(sock->out_buf);
    sock->recv_buf = sock->send_buf = sock->out_buf = nullptr;
}

int kx_client_socket_disconnect(kx_client_socket_t* sock, int reason, int code) {
    kxLog("SOCK CLIENT disconnect (reason %d) (code %d) (current status %d) \n", reason, code, sock->status);
    if (sock->status == KX_SOCK_DISCONNECTED) return 0;
    // Cleared before the callback so that a disconnect from inside OnDisconnect only logs.
    sock->status = KX_SOCK_DISCONNECTED;
    kxLog("Trying to close sock (%08x) ...\n", (unsigned)sock->fd);
    kx_sock_close(sock->fd);
    sock->fd = -1;
    sock->out_len = 0;
    kxLog("%s\n", "SOCK CLIENT calling OnDisconnect()...");
    return sock->OnDisconnect(sock->user, reason, code);
}

int kx_client_socket_connect(kx_client_socket_t* sock, const char* host, int port, int type) {
    kxLog("SOCK CLIENT Connect() %s:%d...\n", host, port);
    if (sock->status != KX_SOCK_DISCONNECTED) kx_sock_close(sock->fd);  // a second connect replaces the first
    sock->buffer_recv_pos = 0;
    sock->out_len = 0;
    sock->status = KX_SOCK_CONNECTING;
    sock->port = port;
    sock->type = type;
    sock->fd = (kx_socket_t)socket(AF_INET, type, type == KX_SOCK_UDP ? IPPROTO_UDP : IPPROTO_TCP);
    if (sock->fd < 0) {
        int err = kx_sock_errno();
        kx_client_socket_disconnect(sock, KX_SOCK_REASON_SOCKET, err);
        return err;
    }
    kx_sock_set_nonblocking(sock->fd);
    sock->host = gethostbyname(host);
    if (!sock->host || !sock->host->h_addr_list[0]) {
        int err = kx_sock_resolver_errno();
        kxLog("SOCK CLIENT gethostbyname() failed, h_errno=%d\n", err);
        kx_client_socket_disconnect(sock, KX_SOCK_REASON_RESOLVE, err);
        return err;
    }
    std::memset(&sock->server_addr, 0, sizeof(sock->server_addr));
    sock->server_addr.sin_family = AF_INET;
    int alen = sock->host->h_length;
    if (alen > (int)sizeof(sock->server_addr.sin_addr)) alen = (int)sizeof(sock->server_addr.sin_addr);
    std::memcpy(&sock->server_addr.sin_addr, sock->host->h_addr_list[0], alen);
    sock->server_addr.sin_port = htons((uint16_t)port);
#ifdef _WIN32
    const uint8_t* ip = (const uint8_t*)&sock->server_addr.sin_addr;
    kxLog("Server IP: %d.%d.%d.%d \n", ip[0], ip[1], ip[2], ip[3]);
#endif
    if (type == KX_SOCK_UDP) {
        sock->status = KX_SOCK_CONNECTED;
    } else if (connect(sock->fd, (const struct sockaddr*)&sock->server_addr, sizeof(sock->server_addr)) !=
               0) {
        int err = kx_sock_errno();
        if (!kx_sock_in_progress(err)) {
            kxLog("%s\n", "connect() failed. ");
            kx_client_socket_disconnect(sock, KX_SOCK_REASON_CONNECT, err);
            return -1;
        }
    }
    kxLog("SOCK CLIENT Connecting... (status %d)\n", sock->status);
    return 0;
}

int kx_client_socket_send(kx_client_socket_t* sock, int msgtype, const void* data, int len) {
    if ((msgtype & 0xFF) == 5) kxLog("SOCK CLIENT: Sending hello (%d, len %d) \n", msgtype, len);
    if (sock->status != KX_SOCK_CONNECTED) return -1;
    if (sock->type == KX_SOCK_UDP) {
        kxLog("%s\n", "CRITICAL WARNING, send() called for UDP socket instead of udp_send()");
        return -1;
    }
    if (len < 0) len = 0;
    if (len > KX_NET_MAX_PAYLOAD) {
        // A frame cannot say more; cutting it would hand the peer a corrupt message.
        kxLog("SOCK CLIENT: frame of %d bytes is above %d, not sent \n", len, KX_NET_MAX_PAYLOAD);
        return -1;
    }
    int total;
    if (sock->flags & KX_SOCK_FLAG_RAW) {
        if (len) std::memcpy(sock->send_buf, data, len);
        total = len;
    } else {
        kx_net_wire_write_frame(sock->send_buf, (uint16_t)len, (uint16_t)msgtype);
        if (len) std::memcpy(sock->send_buf + KX_NET_FRAME_HEADER, data, len);
        total = (uint16_t)(len + KX_NET_FRAME_HEADER);
    }
    int r = kx_sock_send_queued(sock->fd, sock->out_buf, &sock->out_len, KX_CLIENT_SOCKET_QUEUE_SIZE,
                                sock->send_buf, total);
    return r == 0 ? 0 : send_failed(sock, r);
}

int kx_client_socket_udp_send(kx_client_socket_t* sock, uint8_t* header, const void* data) {
    if (sock->status != KX_SOCK_CONNECTED) return -1;
    if (sock->type != KX_SOCK_UDP) {
        kxLog("%s\n", "CRITICAL WARNING, udp_send() called for TCP socket. ");
        return -1;
    }
    kx_net_put_u16(header, KX_NET_SOCK_VERSION);
    int len = kx_net_get_u16(header + 2);
    if (len > KX_NET_MAX_PAYLOAD) return -1;
    std::memcpy(sock->send_buf, header, KX_NET_DATAGRAM_HEADER);
    if (len) std::memcpy(sock->send_buf + KX_NET_DATAGRAM_HEADER, data, len);
    sendto(sock->fd, (const char*)sock->send_buf, len + KX_NET_DATAGRAM_HEADER, MSG_NOSIGNAL,
           (const struct sockaddr*)&sock->server_addr, sizeof(sock->server_addr));
    return 0;
}

int kx_client_socket_handle_datagram(kx_client_socket_t* sock, const uint8_t* data, int n) {
    if (n < KX_NET_DATAGRAM_HEADER) {
        kxLog("UDP SOCK ERROR, short datagram (n %d)\n", n);
        return -1;
    }
    kx_net_datagram_header_t h = kx_net_wire_read_datagram(data);
    if (h.version != KX_NET_SOCK_VERSION) {
        kxLog("%s\n", "UDP SOCK ERROR, Version Mismatch");
        return -1;
    }
    if (h.len > n - KX_NET_DATAGRAM_HEADER) {
        kxLog("UDP SOCK ERROR, datagram shorter than its header says (n %d, len %d)\n", n, h.len);
        return -1;
    }
    sock->OnUdpBuf(sock->user, &sock->server_addr, data, data + KX_NET_DATAGRAM_HEADER);
    return 0;
}

int kx_client_socket_handle_buffer(kx_client_socket_t* sock) {
    int handled = 0;
    while (sock->buffer_recv_pos >= KX_NET_FRAME_HEADER) {
        kx_net_frame_header_t h = kx_net_wire_read_frame(sock->recv_buf);
        if (h.version != KX_NET_SOCK_VERSION) {
            kxLog("--- bad sock version. buffer_recv_pos %d, len %d, ver %d, msgtype %d, flags %d \n",
                  sock->buffer_recv_pos, h.len, h.version, h.msgtype, h.flags);
            kx_client_socket_disconnect(sock, KX_SOCK_REASON_VERSION, 160);
            sock->buffer_recv_pos = 0;
            return -1;
        }
        if (h.len > KX_NET_MAX_PAYLOAD) {
            kx_client_socket_disconnect(sock, KX_SOCK_REASON_LENGTH, 161);
            sock->buffer_recv_pos = 0;
            return -1;
        }
        int frame = h.len + KX_NET_FRAME_HEADER;
        if (sock->buffer_recv_pos < frame) return 0;
        sock->OnBuf(0, h.msgtype, sock->recv_buf + KX_NET_FRAME_HEADER, h.len);
        // The handler may have closed (or reopened) this record; what is held is stale then.
        if (sock->status != KX_SOCK_CONNECTED) {
            sock->buffer_recv_pos = 0;
            return -1;
        }
        std::memmove(sock->recv_buf, sock->recv_buf + frame, sock->buffer_recv_pos - frame);
        sock->buffer_recv_pos -= frame;
        if (++handled >= KX_NET_MAX_FRAMES_PER_PASS) {
            kxLog("%s\n", "ERROR: Too many attempts when handling buffer (client). ");
            kx_client_socket_disconnect(sock, KX_SOCK_REASON_TOO_MANY_FRAMES, 165);
            sock->buffer_recv_pos = 0;
            return 0;
        }
    }
    return 0;
}

int kx_client_socket_poll(kx_client_socket_t* sock) {
    if (sock->status == KX_SOCK_DISCONNECTED) return -1;
    if (sock->status == KX_SOCK_CONNECTING) {
        // WinSock reports a failed connect in the exception set, never as writable.
        fd_set wset, eset;
        FD_ZERO(&wset);
        FD_ZERO(&eset);
        FD_SET(sock->fd, &wset);
        FD_SET(sock->fd, &eset);
        struct timeval tv = {0, 5000};
        int r = select((int)sock->fd + 1, nullptr, &wset, &eset, &tv);
        if (r < 0) {
            kx_client_socket_disconnect(sock, KX_SOCK_REASON_SELECT, kx_sock_errno());
            return -1;
        }
        const bool writable = FD_ISSET(sock->fd, &wset), failed = FD_ISSET(sock->fd, &eset);
        if (r == 0 || (!writable && !failed)) return 0;
        int err = -1;  // a failed query counts as an error
        kx_socklen_t elen = sizeof(err);
        getsockopt(sock->fd, SOL_SOCKET, SO_ERROR, (char*)&err, &elen);
        if (failed && err == 0) err = -1;  // the failure is certain even without its number
        if (err != 0) {
            kxLog("%s\n", "SOCK CLIENT Error on getsockopt");
            kx_client_socket_disconnect(sock, KX_SOCK_REASON_CONNECT_ERROR, err);
            return -1;
        }
        kxLog("%s\n", "SOCK CLIENT Connected!");
        sock->status = KX_SOCK_CONNECTED;
        sock->OnConnect(sock->user, 0, 0);
        if (sock->status != KX_SOCK_CONNECTED) return -1;
    }
    if (sock->type == KX_SOCK_UDP) {
        // Every datagram waiting, not one per frame: at a low frame rate the states would
        // otherwise queue up and the game would show ever older ones.
        for (int i = 0; i < KX_NET_MAX_FRAMES_PER_PASS && sock->status == KX_SOCK_CONNECTED; i++) {
            int n = (int)recv(sock->fd, (char*)sock->recv_buf, KX_NET_RECV_BUF_SIZE, 0);
            if (n < 0) return kx_sock_would_block(kx_sock_errno()) ? 0 : -1;
            kx_client_socket_handle_datagram(sock, sock->recv_buf, n);
        }
        return 0;
    }
    if (sock->flags & KX_SOCK_FLAG_RAW) return 0;
    if (sock->out_len > 0) {
        int r = kx_sock_queue_flush(sock->fd, sock->out_buf, &sock->out_len);
        if (r != 0) {
            send_failed(sock, r);
            return -1;
        }
    }
    // A pending partial frame is at most 8199 bytes, so there is always room to read.
    int space = KX_NET_MAX_FRAME - sock->buffer_recv_pos;
    int n = (int)recv(sock->fd, (char*)sock->recv_buf + sock->buffer_recv_pos, space, 0);
    if (n > 0) {
        sock->buffer_recv_pos += n;
        kx_client_socket_handle_buffer(sock);
        return 0;
    }
    if (n < 0 && kx_sock_would_block(kx_sock_errno())) return 0;
    kxLog("%s\n", "Kicking, case 154");
    kx_client_socket_disconnect(sock, KX_SOCK_REASON_RECV, 154);
    return -1;
}
