// Netman client: handshake, user list, pings, texts, and the hand-off of every
// message to the owner. Layouts: kx_netman_proto.h.
// Depends on kx_client_socket, kx_netman_proto, kx_log.
#include "engine/net/kx_netman.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/app/kx_log.h"

namespace {

// The record being polled: the socket's OnBuf carries no owner context. Set at every entry point.
kx_netman_t* g_current = nullptr;

int default_buffer(uint32_t sender, int type, const uint8_t*, int len) {
    std::printf("Event Buf Handler: %d, msg=%d, len=%d \n", (int)sender, type, len);
    return 0;
}

int default_event(kx_netman_t*, int a, int b) {
    std::printf("Event Handler: %d, %d \n", a, b);
    return 0;
}

int tcp_on_buf(int, int msgtype, const uint8_t* payload, int len) {
    if (!g_current) return -1;
    return kx_netman_handle_tcp(g_current, msgtype, payload, len);
}

int tcp_on_connect(void* user, int a, int b) {
    g_current = (kx_netman_t*)user;
    return g_current->OnConnect(g_current, a, b);
}

int tcp_on_disconnect(void* user, int reason, int code) {
    g_current = (kx_netman_t*)user;
    return g_current->OnDisconnect(g_current, reason, code);
}

int udp_on_buf(void* user, const kx_sockaddr_t*, const uint8_t* header, const uint8_t* payload) {
    return kx_netman_handle_udp((kx_netman_t*)user, header, payload);
}

void end_session(kx_netman_t* netman, int reason, int code) {
    kxLog("Netman Disconnect, reason=%d, code=%d \n", reason, code);
    kx_client_socket_disconnect(&netman->tcp, reason, code);
    kx_client_socket_disconnect(&netman->udp, reason, code);
}

// Copy a name field of `cap` bytes that may lack its NUL; the copy is always terminated.
void copy_name(char* dst, const uint8_t* src, int cap) {
    int n = 0;
    while (n < cap - 1 && src[n]) n++;
    std::memcpy(dst, src, n);
    std::memset(dst + n, 0, KX_NETMAN_NAME_LEN - n);
}

void read_user_list(kx_netman_t* netman, const uint8_t* payload, int len) {
    netman->users.count = 0;
    if (len < 4) {
        kxLog("Got USERLIST message, icount=%d (buf len %d) \n", 0, len);
        return;
    }
    uint32_t icount = kx_net_get_u32(payload);
    kxLog("Got USERLIST message, icount=%d (buf len %d) \n", (int)icount, len);
    uint32_t present = (uint32_t)(len - 4) / KX_NETMAN_USERLIST_ENTRY;
    if (icount > present) {
        // Only entries that were actually received are read.
        kxLog("Netman: user list claims %d entries, %d received\n", (int)icount, (int)present);
        icount = present;
    }
    for (uint32_t k = 0; k < icount; k++) {
        const uint8_t* e = payload + 4 + k * KX_NETMAN_USERLIST_ENTRY;
        if (netman->users.count >= netman->users.capacity) break;  // append-or-drop
        kx_netman_user_t* u = &netman->users.items[netman->users.count++];
        std::memset(u, 0, sizeof(*u));
        u->id = kx_net_get_u16(e);
        u->ping = kx_net_get_u16(e + 2);
        u->reserved = kx_net_get_u16(e + 4);
        u->flags = kx_net_get_u16(e + 6);
        copy_name(u->name, e + 8, KX_NETMAN_NAME_LEN);
    }
}

}  // namespace

kx_netman_t* kx_netman_current() { return g_current; }

void kx_netman_init(kx_netman_t* netman, uint16_t app_version) {
    std::memset(netman, 0, sizeof(*netman));
    netman->users.in_use = 1;
    netman->users.capacity = KX_NETMAN_MAX_USERS;
    netman->users.count = 0;
    netman->users.items = (kx_netman_user_t*)std::calloc(KX_NETMAN_MAX_USERS, sizeof(kx_netman_user_t));
    netman->app_version = app_version;
    std::snprintf(netman->player_name, sizeof(netman->player_name), "%s", "Player");
    kx_client_socket_init(&netman->tcp, netman);
    kx_client_socket_init(&netman->udp, netman);
    netman->tcp.OnBuf = tcp_on_buf;
    netman->tcp.OnConnect = tcp_on_connect;
    netman->tcp.OnDisconnect = tcp_on_disconnect;
    netman->udp.OnUdpBuf = udp_on_buf;
    netman->OnBuffer = default_buffer;
    netman->OnConnect = default_event;
    netman->OnDisconnect = default_event;
}

void kx_netman_term(kx_netman_t* netman) {
    g_current = netman;
    std::free(netman->users.items);
    netman->users.items = nullptr;
    netman->users.in_use = netman->users.capacity = netman->users.count = 0;
    kx_client_socket_term(&netman->tcp);
    kx_client_socket_term(&netman->udp);
    if (g_current == netman) g_current = nullptr;
}

void kx_netman_connect(kx_netman_t* netman, const char* host, int port) {
    g_current = netman;
    std::snprintf(netman->server_name, sizeof(netman->server_name), "%s:%d", host, port);
    kx_client_socket_connect(&netman->tcp, host, port, KX_SOCK_TCP);
    kx_client_socket_connect(&netman->udp, host, port, KX_SOCK_UDP);
}

void kx_netman_disconnect(kx_netman_t* netman, int reason, int code) {
    g_current = netman;
    end_session(netman, reason, code);
}

int kx_netman_send(kx_netman_t* netman, int type, const void* data, int len) {
    return kx_client_socket_send(&netman->tcp, KX_NETMAN_MSG_BASE + type, data, len & 0xFFFF);
}

int kx_netman_send_udp(kx_netman_t* netman, int type, const void* data, int len) {
    uint8_t header[KX_NET_DATAGRAM_HEADER];
    kx_net_wire_write_datagram(header, (uint16_t)len, (uint16_t)(KX_NETMAN_MSG_BASE + type), netman->id, 0);
    return kx_client_socket_udp_send(&netman->udp, header, data);
}

void kx_netman_poll(kx_netman_t* netman) {
    g_current = netman;
    kx_client_socket_poll(&netman->tcp);
    kx_client_socket_poll(&netman->udp);
}

int kx_netman_find_user(kx_netman_t* netman, uint32_t id) {
    for (int i = 0; i < netman->users.count; i++)
        if (netman->users.items[i].id == id) return i;
    return -1;
}

int kx_netman_handle_tcp(kx_netman_t* netman, int msgtype, const uint8_t* payload, int len) {
    g_current = netman;
    int version = msgtype & 0xFF00;
    if (version != KX_NETMAN_MSG_BASE) {
        end_session(netman, KX_NETMAN_REASON_VERSION, version);
        return 0;
    }
    int type = msgtype & 0xFF;
    switch (type) {
        case KX_NETMAN_PING:
            if (len != KX_NETMAN_PING_LEN) {
                kxLog("CRITICAL WARNING, ping len = %d, but must be 4\n", len);
                return -1;
            }
            netman->ping = kx_net_get_u16(payload + 2);
            kx_netman_send(netman, KX_NETMAN_PING_REPLY, payload, KX_NETMAN_PING_LEN);
            break;
        case KX_NETMAN_GREETING: {
            if (len != KX_NETMAN_GREETING_LEN) {
                end_session(netman, KX_NETMAN_REASON_GREETING_LEN, 0);
                return 0;
            }
            uint16_t version_recv = kx_net_get_u16(payload);
            if (version_recv != netman->app_version) {
                end_session(netman, KX_NETMAN_REASON_APP_VERSION, 0);
                return 0;
            }
            copy_name(netman->server_name, payload + 4, KX_NETMAN_NAME_LEN);
            netman->id = kx_net_get_u16(payload + 2);
            kxLog("Got: id=%d, app protocol version %d, server name [%s]\n", (int)netman->id, version_recv,
                  netman->server_name);
            // Hello: the greeting's first four bytes unchanged, then our name zero-filled.
            uint8_t hello[KX_NETMAN_GREETING_LEN] = {};
            std::memcpy(hello, payload, 4);
            std::memcpy(hello + 4, netman->player_name, strnlen(netman->player_name, KX_NETMAN_NAME_LEN - 1));
            kx_netman_send(netman, KX_NETMAN_HELLO, hello, KX_NETMAN_GREETING_LEN);
            break;
        }
        case KX_NETMAN_USERLIST:
            read_user_list(netman, payload, len);
            break;
        case KX_NETMAN_TEXT:
            kxLog("Got TEXT message, index=%d: %.*s \n", 0, kx_net_text_len(payload, len),
                  kx_net_text(payload));
            break;
        default:
            break;
    }
    netman->OnBuffer(0, type, payload, len);
    return 0;
}

int kx_netman_handle_udp(kx_netman_t* netman, const uint8_t* header, const uint8_t* payload) {
    g_current = netman;
    kx_net_datagram_header_t h = kx_net_wire_read_datagram(header);
    int version = h.msgtype & 0xFF00;
    if (version != KX_NETMAN_MSG_BASE) {
        kxLog("CRITICAL WARNING, netman protocol version mismatch: %d instead of %d \n", version,
              KX_NETMAN_MSG_BASE);
        return -1;
    }
    netman->OnBuffer(h.id, h.msgtype & 0xFF, payload, h.len);
    return 0;
}
