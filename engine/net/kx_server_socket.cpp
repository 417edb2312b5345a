// Server transport, TCP side: accept, per-client frame splitting, sends with a
// per-client output queue, deferred and immediate kicks.
// Frame layout: kx_net_wire.h. Depends on kx_sock, kx_net_wire, kx_client_socket (default handlers), kx_log.
#include "engine/net/kx_server_socket.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/app/kx_log.h"

namespace {

void close_all(kx_server_socket_t* server) {
    server->status = 0;
    kxLog("SOCK SRV Stop. Closing %d clients...\n", server->client_count);
    for (int i = 0; i < server->client_count; i++) {
        kx_sock_close(server->clients[i].fd);
        server->clients[i].fd = -1;
        server->clients[i].out_len = 0;
    }
    server->client_count = 0;
    kx_sock_close(server->fd);
    server->fd = -1;
}

// A failed send (kx_sock_send_queued's failure) marks a deferred kick and drops the queue.
void send_failed(kx_server_socket_t* server, int i, int r) {
    kxLog("Cannot write, n %d, errno %d, kicking (index %d) \n", -1, r, i);
    kx_server_socket_deferred_kick(server, i, KX_SOCK_REASON_SEND, r == -1 ? 0 : r);
    server->clients[i].out_len = 0;
}

}  // namespace

void kx_server_socket_init(kx_server_socket_t* server, void* user) {
    kxLog("%s\n", "SOCK SRV Init");
    kx_sock_startup();
    std::memset(server, 0, sizeof(*server));
    server->fd = -1;
    server->send_buf = (uint8_t*)std::calloc(1, KX_NET_SEND_BUF_SIZE);
    for (auto& c : server->clients) {
        c.fd = -1;
        c.recv_buf = (uint8_t*)std::calloc(1, KX_NET_RECV_BUF_SIZE);
        c.out_buf = (uint8_t*)std::calloc(1, KX_SERVER_QUEUE_SIZE);
    }
    server->OnBuf = kx_client_socket_default_buf;
    server->OnConnect = kx_client_socket_default_event;
    server->OnDisconnect = kx_client_socket_default_event;
    server->user = user;
}

int kx_server_socket_start(kx_server_socket_t* server, int port) {
    kxLog("SOCK SRV Start, port %d \n", port);
    server->status = 1;
    server->client_count = 0;
    server->last_id = KX_SERVER_FIRST_ID - 1;
    server->port = port;
    server->fd = kx_sock_open_server(SOCK_STREAM, port, &server->addr);
    if (server->fd < 0) return 1;
    listen(server->fd, 8);
    return 0;
}

void kx_server_socket_stop(kx_server_socket_t* server) { close_all(server); }

void kx_server_socket_term(kx_server_socket_t* server) {
    kxLog("%s\n", "SOCK SRV Term");
    close_all(server);
    std::free(server->send_buf);
    server->send_buf = nullptr;
    for (auto& c : server->clients) {
        std::free(c.recv_buf);
        std::free(c.out_buf);
        c.recv_buf = c.out_buf = nullptr;
    }
}

void kx_server_socket_deferred_kick(kx_server_socket_t* server, int index, int reason, int code) {
    kxLog("Server Deferred Kick: index %d, reason %d, code %d\n", index, reason, code);
    if (index < 0 || index >= server->client_count) return;
    server->clients[index].flags |= KX_SERVER_FLAG_KICK;
}

void kx_server_socket_kick(kx_server_socket_t* server, int index, int reason, int code) {
    if (index < 0 || index >= server->client_count) return;
    kx_server_client_t* c = &server->clients[index];
    kxLog("SOCK SRV Kick: calling s->OnDisconnect()... (id %d, reason %d, index %d)", c->id, reason, index);
    server->OnDisconnect(server->user, c->id, reason);
    kxLog("SOCK SRV Kick #%d (id %d) (reason = %d) (code = %d)\n", index, c->id, reason, code);
    kx_sock_close(c->fd);
    int last = server->client_count - 1;
    if (index != last) {
        // The last client moves into the hole with its buffers; the freed slot keeps the others.
        kx_server_client_t moved = server->clients[last];
        server->clients[last].recv_buf = c->recv_buf;
        server->clients[last].out_buf = c->out_buf;
        *c = moved;
    }
    kx_server_client_t* freed = &server->clients[last];
    freed->fd = -1;
    freed->id = 0;
    freed->flags = 0;
    freed->buffer_recv_pos = 0;
    freed->out_len = 0;
    freed->user_data = nullptr;
    server->client_count--;
}

int kx_server_socket_find(kx_server_socket_t* server, int id) {
    for (int i = 0; i < server->client_count; i++)
        if (server->clients[i].id == id) return i;
    return -1;
}

int kx_server_socket_send(kx_server_socket_t* server, int index, int msgtype, const void* data, int len) {
    if (index < 0 || index >= server->client_count) return -1;
    if (len < 0) len = 0;
    if (len > KX_NET_MAX_PAYLOAD) {
        kxLog("SOCK SRV: frame of %d bytes is above %d, not sent \n", len, KX_NET_MAX_PAYLOAD);
        return -1;
    }
    kx_net_wire_write_frame(server->send_buf, (uint16_t)len, (uint16_t)msgtype);
    if (len) std::memcpy(server->send_buf + KX_NET_FRAME_HEADER, data, len);
    int total = len + KX_NET_FRAME_HEADER;
    kx_server_client_t* c = &server->clients[index];
    int r =
        kx_sock_send_queued(c->fd, c->out_buf, &c->out_len, KX_SERVER_QUEUE_SIZE, server->send_buf, total);
    if (r != 0) send_failed(server, index, r);
    return r;
}

void kx_server_socket_broadcast(kx_server_socket_t* server, int msgtype, const void* data, int len) {
    for (int i = 0; i < server->client_count; i++) kx_server_socket_send(server, i, msgtype, data, len);
}

void kx_server_socket_handle_buffer(kx_server_socket_t* server, int index) {
    kx_server_client_t* c = &server->clients[index];
    int handled = 0;
    while (c->buffer_recv_pos >= KX_NET_FRAME_HEADER) {
        kx_net_frame_header_t h = kx_net_wire_read_frame(c->recv_buf);
        if (h.version != KX_NET_SOCK_VERSION) {
            kx_server_socket_deferred_kick(server, index, KX_SOCK_REASON_VERSION, -2);
            kxLog("version %d, len %d, msgtype %d, flags %d \n", h.version, h.len, h.msgtype, h.flags);
            c->buffer_recv_pos = 0;
            return;
        }
        if (h.len > KX_NET_MAX_PAYLOAD) {
            kx_server_socket_deferred_kick(server, index, KX_SOCK_REASON_LENGTH, -2);
            c->buffer_recv_pos = 0;
            return;
        }
        int frame = h.len + KX_NET_FRAME_HEADER;
        if (c->buffer_recv_pos < frame) return;
        server->OnBuf(index, h.msgtype, c->recv_buf + KX_NET_FRAME_HEADER, h.len);
        std::memmove(c->recv_buf, c->recv_buf + frame, c->buffer_recv_pos - frame);
        c->buffer_recv_pos -= frame;
        if (++handled >= KX_NET_MAX_FRAMES_PER_PASS) {
            kxLog("%s\n", "ERROR: Too many attempts when handling buffer (server). ");
            kx_server_socket_deferred_kick(server, index, KX_SOCK_REASON_TOO_MANY_FRAMES, -2);
            c->buffer_recv_pos = 0;
            return;
        }
    }
}

int kx_server_socket_poll(kx_server_socket_t* server) {
    bool kicked = false;
    for (int i = 0; i < server->client_count;) {
        if (server->clients[i].flags & KX_SERVER_FLAG_KICK) {
            kxLog("Executing deferred kick. Kicking now (id=%d) \n", i);
            kx_server_socket_kick(server, i, 0, 0);
            kicked = true;
            continue;  // another client moved into slot i
        }
        i++;
    }
    if (server->fd < 0) return 0;
    // One readiness check instead of an accept and a receive per client that would
    // mostly find nothing: the listening socket first, then every client.
    kx_socket_t fds[1 + KX_SERVER_MAX_CLIENTS];
    uint8_t ready[1 + KX_SERVER_MAX_CLIENTS];
    fds[0] = server->fd;
    for (int i = 0; i < server->client_count; i++) fds[1 + i] = server->clients[i].fd;
    kx_sock_poll_readable(fds, 1 + server->client_count, ready);
    int ready_count = server->client_count;  // clients accepted below were not checked
    while (ready[0]) {
        kx_sockaddr_t addr;
        kx_socklen_t alen = sizeof(addr);
        kx_socket_t fd = (kx_socket_t)accept(server->fd, (struct sockaddr*)&addr, &alen);
        if (fd < 0) break;
        char ip[INET_ADDRSTRLEN] = "?";
        inet_ntop(AF_INET, &addr.sin_addr, ip, sizeof(ip));
        if (server->client_count >= KX_SERVER_MAX_CLIENTS) {
            // Every slot is taken: refuse at once rather than overwrite a client.
            kxLog("SOCK SRV refused connection, all %d slots in use (addr=[%s]) \n", KX_SERVER_MAX_CLIENTS,
                  ip);
            kx_sock_close(fd);
            continue;
        }
        int i = server->client_count;
        kx_server_client_t* c = &server->clients[i];
        kx_sock_set_nonblocking(fd);
        c->fd = fd;
        c->addr = addr;
        c->addr_len = (int)alen;
        c->id = ++server->last_id;
        c->flags = 0;
        c->buffer_recv_pos = 0;
        c->out_len = 0;
        c->user_data = nullptr;
        kxLog("SOCK SRV client connected (i=%d, id=%d) (addr=[%s]) \n", i, c->id, ip);
        server->client_count++;
        server->OnConnect(server->user, i, c->id);
    }
    if (server->client_count == 0) return 0;
    for (int i = 0; i < server->client_count; i++) {
        kx_server_client_t* c = &server->clients[i];
        if (kicked) kxLog("------\nprocessing %d (id %d): \n", i, c->id);
        if (c->flags & KX_SERVER_FLAG_KICK) continue;  // leaving at the next poll
        if (c->out_len > 0) {
            int r = kx_sock_queue_flush(c->fd, c->out_buf, &c->out_len);
            if (r != 0) send_failed(server, i, r);
        }
        if (i < ready_count && !ready[1 + i]) continue;
        int space = KX_NET_MAX_FRAME - c->buffer_recv_pos;
        int n = (int)recv(c->fd, (char*)c->recv_buf + c->buffer_recv_pos, space, 0);
        if (n > 0) {
            c->buffer_recv_pos += n;
            kx_server_socket_handle_buffer(server, i);
        } else if (n == 0 || !kx_sock_would_block(kx_sock_errno())) {
            kxLog("Kicking, case 174 (i=%d, client_count=%d)\n", i, server->client_count);
            kx_server_socket_deferred_kick(server, i, KX_SOCK_REASON_RECV, 174);
        }
    }
    return 0;
}
