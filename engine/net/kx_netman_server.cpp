// Netman server: connections, hello and registration, user list, pings, texts,
// kicks and the poll cycles. The game state relay lives in kx_netman_relay.
// Layouts: kx_netman_proto.h. Depends on kx_server_socket, kx_udp_server, kx_netman_relay, kx_log.
#include "engine/net/kx_netman_server.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/app/kx_log.h"
#include "engine/net/kx_netman_relay.h"

namespace {

int default_buffer(int index, int type, const uint8_t*, int len, kx_netman_server_t*) {
    std::printf("Event Buf Handler: %d, msg=%d, len=%d \n", index, type, len);
    return 0;
}

int default_event(kx_netman_server_t*, int a, int b) {
    std::printf("Event Handler: %d, %d \n", a, b);
    return 0;
}

bool is_registered(const kx_server_client_t* c) { return (c->flags & KX_NETMAN_FLAG_REGISTERED) != 0; }

int on_connect(void* user, int index, int id) {
    kx_netman_server_t* server = (kx_netman_server_t*)user;
    kxLog("User connected (index %d) (id %d), querying for authentification\n", index, id);
    kx_netman_user_data_t* ud = (kx_netman_user_data_t*)std::calloc(1, sizeof(kx_netman_user_data_t));
    server->tcp.clients[index].user_data = ud;
    kxLog("userdata for %d is %08x\n", index, (unsigned)(uintptr_t)ud);
    if (kx_netman_server_count_registered(server) > KX_NETMAN_SERVER_MAX_USERS - 1) {
        kx_netman_server_kick(server, index, KX_NETMAN_KICK_FULL, 100);
        return 0;
    }
    kx_netman_server_send_type(server, id, KX_NETMAN_GREETING);
    server->OnConnect(server, index, id);
    return 0;
}

int on_disconnect(void* user, int id, int reason) {
    kx_netman_server_t* server = (kx_netman_server_t*)user;
    kxLog("%s", "Netman SRV Disconnect handler.\n");
    server->OnDisconnect(server, id, reason);
    int i = kx_netman_server_find(server, id);
    kxLog("Netman Disconnecting: id=%d, i=%d\n", id, i);
    char text[96];
    std::snprintf(text, sizeof(text), "Player (-1) (id=%d) has left the game", id);
    if (i >= 0) {
        kx_server_client_t* c = &server->tcp.clients[i];
        kx_netman_user_data_t* ud = (kx_netman_user_data_t*)c->user_data;
        if (ud) std::snprintf(text, sizeof(text), "%s has left the game", ud->name);
        kxLog("freeing userdata (id %d) (i %d) (%08x)\n", id, i, (unsigned)(uintptr_t)ud);
        std::free(ud);
        c->user_data = nullptr;
        c->flags &= ~KX_NETMAN_FLAG_REGISTERED;
    }
    kx_netman_server_broadcast_type(server, KX_NETMAN_USERLIST);
    kx_netman_server_broadcast(server, KX_NETMAN_TEXT, text, (int)std::strlen(text) + 1);
    return 0;
}

// The server whose TCP poll is running: the transport's OnBuf carries no owner.
kx_netman_server_t* g_tcp_owner = nullptr;

int on_tcp_buf(int index, int msgtype, const uint8_t* payload, int len) {
    if (!g_tcp_owner) return -1;
    return kx_netman_server_handle_message(g_tcp_owner, index, msgtype, payload, len);
}

int on_udp_buf(void* user, const kx_sockaddr_t* from, const uint8_t* header, const uint8_t* payload) {
    return kx_netman_server_handle_udp((kx_netman_server_t*)user, from, header, payload);
}

// Free the user data of every connection before the sockets let go of their slots.
void free_all_users(kx_netman_server_t* server) {
    for (int i = 0; i < server->tcp.client_count; i++) {
        std::free(server->tcp.clients[i].user_data);
        server->tcp.clients[i].user_data = nullptr;
    }
}

// payload holds the 36 bytes of a hello.
void handle_hello(kx_netman_server_t* server, int index, const uint8_t* payload) {
    kx_server_client_t* c = &server->tcp.clients[index];
    kx_netman_user_data_t* ud = (kx_netman_user_data_t*)c->user_data;
    char name[KX_NETMAN_NAME_LEN] = {};
    int n = 0;
    while (n < KX_NETMAN_NAME_LEN - 1 && payload[4 + n]) n++;
    std::memcpy(name, payload + 4, n);
    int claimed = kx_net_get_u16(payload + 2);
    if (claimed != c->id) {
        int d = kx_net_get_i32(payload);
        kxLog("hello mismatch: index %d, d %d (%d, %d), name [%s] \n", index, d, d & 0xFFFF,
              (d >> 16) & 0xFFFF, name);
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_HELLO_ID, c->id);
    }
    std::memset(ud, 0, sizeof(*ud));
    std::memcpy(ud->name, name, sizeof(name));
    kxLog("Greeting for new user (id %d) [%s] \n", c->id, ud->name);
    c->flags |= KX_NETMAN_FLAG_REGISTERED;
    kx_netman_server_broadcast_type(server, KX_NETMAN_USERLIST);
    char text[160];
    std::snprintf(text, sizeof(text), "%s joined. Welcome! Press Y to chat", ud->name);
    kx_netman_server_broadcast(server, KX_NETMAN_TEXT, text, (int)std::strlen(text) + 1);
}

}  // namespace

void kx_netman_server_init(kx_netman_server_t* server, uint16_t app_version) {
    std::memset(server, 0, sizeof(*server));
    std::snprintf(server->server_name, sizeof(server->server_name), "%s", "Test Server");
    server->app_version = app_version;
    kx_server_socket_init(&server->tcp, server);
    server->tcp.OnConnect = on_connect;
    server->tcp.OnDisconnect = on_disconnect;
    server->tcp.OnBuf = on_tcp_buf;
    kx_udp_server_init(&server->udp, server);
    server->udp.OnUdpBuf = on_udp_buf;
    server->OnBuffer = default_buffer;
    server->OnConnect = default_event;
    server->OnDisconnect = default_event;
}

void kx_netman_server_term(kx_netman_server_t* server) {
    free_all_users(server);
    kx_server_socket_term(&server->tcp);
    kx_udp_server_term(&server->udp);
}

int kx_netman_server_start(kx_netman_server_t* server, int port) {
    server->now = server->last_state = server->last_ping = 0;
    // Both halves must listen; a server without its TCP side is of no use.
    int tcp = kx_server_socket_start(&server->tcp, port);
    int udp = kx_udp_server_start(&server->udp, port);
    return (tcp || udp) ? 1 : 0;
}

void kx_netman_server_stop(kx_netman_server_t* server) {
    free_all_users(server);
    kx_server_socket_stop(&server->tcp);
    kx_udp_server_stop(&server->udp);
}

int kx_netman_server_poll(kx_netman_server_t* server, uint32_t time) {
    uint16_t t = (uint16_t)time;
    server->now = t;
    if ((uint16_t)(t - server->last_state) >= KX_NETMAN_STATE_PERIOD) {
        for (int i = 0; i < server->tcp.client_count; i++)
            if (is_registered(&server->tcp.clients[i])) kx_netman_relay_send(server, i);
        server->last_state = t;
    }
    if ((uint16_t)(t - server->last_ping) > KX_NETMAN_PING_PERIOD) {
        kx_netman_server_broadcast_type(server, KX_NETMAN_PING);
        server->last_ping = t;
    }
    g_tcp_owner = server;
    kx_server_socket_poll(&server->tcp);
    return kx_udp_server_poll(&server->udp);
}

kx_netman_user_data_t* kx_netman_server_user(kx_netman_server_t* server, int index) {
    if (index < 0 || index >= server->tcp.client_count) return nullptr;
    return (kx_netman_user_data_t*)server->tcp.clients[index].user_data;
}

int kx_netman_server_send(kx_netman_server_t* server, int id, int type, const void* data, int len) {
    int i = kx_netman_server_find(server, id);
    if (type == KX_NETMAN_GREETING)
        kxLog("Calling kx_server_socket_send() for id %d, index %d, msgtype %d (srvsock clients count %d) \n",
              id, i, KX_NETMAN_MSG_BASE + type, server->tcp.client_count);
    if (i < 0) return -1;
    return kx_server_socket_send(&server->tcp, i, KX_NETMAN_MSG_BASE + type, data, len);
}

int kx_netman_server_send_udp(kx_netman_server_t* server, int id, int type, const void* data, int len) {
    kx_netman_user_data_t* ud = kx_netman_server_user(server, kx_netman_server_find(server, id));
    if (!ud) return -1;
    if (!ud->udp_known) {
        kxLog("Can't send to id=%d, udp address is not known yet\n", id);
        return -1;
    }
    uint8_t header[KX_NET_DATAGRAM_HEADER];
    kx_net_wire_write_datagram(header, (uint16_t)len, (uint16_t)(KX_NETMAN_MSG_BASE + type), (uint32_t)id,
                               KX_NETMAN_UDP_RESERVED);
    return kx_udp_server_send(&server->udp, &ud->udp_addr, header, data);
}

void kx_netman_server_send_type(kx_netman_server_t* server, int id, int type) {
    int index = kx_netman_server_find(server, id);
    kx_netman_user_data_t* ud = kx_netman_server_user(server, index);
    if (!ud) return;
    switch (type) {
        case KX_NETMAN_PING: {
            uint8_t msg[KX_NETMAN_PING_LEN];
            kx_net_put_u16(msg, server->now);
            kx_net_put_u16(msg + 2, ud->ping);
            kx_netman_server_send(server, id, type, msg, sizeof(msg));
            break;
        }
        case KX_NETMAN_GREETING: {
            // The name's characters without terminator in a zero-filled 32-byte field.
            uint8_t msg[KX_NETMAN_GREETING_LEN] = {};
            kx_net_put_u16(msg, server->app_version);
            kx_net_put_u16(msg + 2, (uint16_t)id);
            std::memcpy(msg + 4, server->server_name, strnlen(server->server_name, KX_NETMAN_NAME_LEN));
            kx_netman_server_send(server, id, type, msg, sizeof(msg));
            break;
        }
        case KX_NETMAN_USERLIST: {
            uint8_t msg[4 + KX_SERVER_MAX_CLIENTS * KX_NETMAN_USERLIST_ENTRY] = {};
            uint32_t count = 0;
            for (int j = 0; j < server->tcp.client_count; j++) {
                const kx_server_client_t* c = &server->tcp.clients[j];
                const kx_netman_user_data_t* u = (const kx_netman_user_data_t*)c->user_data;
                if (!is_registered(c) || !u) continue;
                uint8_t* e = msg + 4 + count * KX_NETMAN_USERLIST_ENTRY;
                kx_net_put_u16(e, (uint16_t)c->id);
                kx_net_put_u16(e + 2, u->ping);
                kx_net_put_u16(e + 4, (uint16_t)u->reserved0);
                kx_net_put_u16(e + 6, (uint16_t)c->flags);
                std::memcpy(e + 8, u->name, KX_NETMAN_NAME_LEN);
                count++;
            }
            kx_net_put_u32(msg, count);
            kx_netman_server_send(server, id, type, msg, 4 + (int)count * KX_NETMAN_USERLIST_ENTRY);
            break;
        }
        case KX_NETMAN_STATE_BROADCAST:
            kx_netman_relay_send(server, index);
            break;
        default:
            break;
    }
}

void kx_netman_server_broadcast_type(kx_netman_server_t* server, int type) {
    for (int i = 0; i < server->tcp.client_count; i++)
        if (is_registered(&server->tcp.clients[i]))
            kx_netman_server_send_type(server, server->tcp.clients[i].id, type);
}

void kx_netman_server_broadcast(kx_netman_server_t* server, int type, const void* data, int len) {
    if (type == KX_NETMAN_TEXT) kxLog("text: (%.*s) \n", kx_net_text_len(data, len), kx_net_text(data));
    for (int i = 0; i < server->tcp.client_count; i++) {
        kx_server_client_t* c = &server->tcp.clients[i];
        if (!is_registered(c)) {
            kxLog("i %d (id %d) skipped (unregistred) \n", i, c->id);
            continue;
        }
        kxLog("i %d (id %d) sending: \n", i, c->id);
        kx_server_socket_send(&server->tcp, i, KX_NETMAN_MSG_BASE + type, data, len);
    }
}

void kx_netman_server_kick(kx_netman_server_t* server, int index, int reason, int code) {
    kxLog("Netman SRV Kick: calling kx_server_socket_kick(index %d, reason %d) \n", index, reason);
    kx_server_socket_kick(&server->tcp, index, reason, code);
}

void kx_netman_server_deferred_kick(kx_netman_server_t* server, int index, int reason, int code) {
    kxLog("Netman SRV Deferred Kick: index %d, reason %d, code %d\n", index, reason, code);
    kx_server_socket_deferred_kick(&server->tcp, index, reason, code);
}

int kx_netman_server_find(kx_netman_server_t* server, int id) {
    return kx_server_socket_find(&server->tcp, id);
}

int kx_netman_server_count_registered(kx_netman_server_t* server) {
    int n = 0;
    for (int i = 0; i < server->tcp.client_count; i++) n += is_registered(&server->tcp.clients[i]) ? 1 : 0;
    return n;
}

int kx_netman_server_handle_message(kx_netman_server_t* server, int index, int msgtype,
                                    const uint8_t* payload, int len) {
    if (index < 0 || index >= server->tcp.client_count) return -1;
    kx_server_client_t* c = &server->tcp.clients[index];
    kx_netman_user_data_t* ud = (kx_netman_user_data_t*)c->user_data;
    if (!ud) return -1;
    if ((msgtype & 0xFF00) != KX_NETMAN_MSG_BASE) {
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_VERSION, 256);
        return -1;
    }
    int type = msgtype & 0xFF;
    if (type == KX_NETMAN_HELLO) {
        kxLog("Processing Hello From %d\n", index);
        if (len != KX_NETMAN_GREETING_LEN) {
            kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_HELLO_LEN, 36);
            return -1;
        }
        handle_hello(server, index, payload);
    } else if (!is_registered(c)) {
        kxLog("SRV Unregistred: index %d, id %d, msg %d, len %d\n", index, c->id, type, len);
        kx_netman_server_deferred_kick(server, index, KX_NETMAN_KICK_UNREGISTERED, 148);
        return -1;
    } else if (type == KX_NETMAN_PING_REPLY) {
        if (len >= 2) {
            uint16_t rtt = (uint16_t)(server->now - kx_net_get_u16(payload));
            ud->ping = (uint16_t)((3 * (int)ud->ping + (int)rtt) / 4);
        }
    } else if (type == KX_NETMAN_STATE) {
        if (kx_netman_relay_state(server, index, payload, len) != 0) return -1;
    } else if (type == KX_NETMAN_TEXT) {
        kxLog("Got TEXT message from user %d: %.*s \n", c->id, kx_net_text_len(payload, len),
              kx_net_text(payload));
        int tl = kx_net_text_len(payload, len);
        if (tl < len) {
            kx_netman_server_broadcast(server, KX_NETMAN_TEXT, payload, len);
        } else {
            // Relayed texts always end in a NUL, so no receiver reads past a sender's bytes.
            static char text[KX_NET_MAX_PAYLOAD];
            if (tl > KX_NET_MAX_PAYLOAD - 1) tl = KX_NET_MAX_PAYLOAD - 1;
            if (tl) std::memcpy(text, payload, tl);
            text[tl] = 0;
            kx_netman_server_broadcast(server, KX_NETMAN_TEXT, text, tl + 1);
        }
    }
    server->OnBuffer(index, type, payload, len, server);
    return 0;
}

int kx_netman_server_handle_udp(kx_netman_server_t* server, const kx_sockaddr_t* from, const uint8_t* header,
                                const uint8_t* payload) {
    kx_net_datagram_header_t h = kx_net_wire_read_datagram(header);
    if (h.version != KX_NET_SOCK_VERSION) {
        kxLog("UDP SRV version mismatch (%d), ignored\n", h.version);
        return -1;
    }
    int i = kx_netman_server_find(server, (int)h.id);
    kx_netman_user_data_t* ud = kx_netman_server_user(server, i);
    if (!ud) {
        kxLog("Got UDP Package from unknown id (%d), ignored\n", (int)h.id);
        return -1;
    }
    // Only the host of the user's TCP connection may speak for that id.
    if (from->sin_addr.s_addr != server->tcp.clients[i].addr.sin_addr.s_addr) {
        char ip[INET_ADDRSTRLEN] = "?";
        inet_ntop(AF_INET, &from->sin_addr, ip, sizeof(ip));
        kxLog("Got UDP Package for id (%d) from another address [%s], ignored\n", (int)h.id, ip);
        return -1;
    }
    ud->udp_known = 1;
    ud->udp_addr = *from;
    return kx_netman_server_handle_message(server, i, h.msgtype, payload, h.len);
}
