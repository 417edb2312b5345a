// Netman client: the session layer over one TCP and one UDP client socket to
// the same server. Greeting/hello handshake, user list, ping answers, texts,
// protocol version checks; every accepted message goes on to OnBuffer.
// Message layouts: kx_netman_proto.h. Depends on kx_client_socket, kx_netman_proto, kx_log.
#pragma once

#include <cstdint>

#include "engine/net/kx_client_socket.h"
#include "engine/net/kx_netman_proto.h"

// Disconnect reasons added by netman (the transport's are in kx_client_socket.h).
enum {
    KX_NETMAN_REASON_LEFT = -32,          // code 0: the player left (used by the game)
    KX_NETMAN_REASON_VERSION = -33,       // code: received version bits (msgtype & 0xFF00)
    KX_NETMAN_REASON_APP_VERSION = -34,   // code 0
    KX_NETMAN_REASON_GREETING_LEN = -37,  // code 0
};

constexpr int KX_NETMAN_MAX_USERS = 32;

struct kx_netman_user_t {
    uint32_t id;
    uint32_t reserved;
    uint32_t flags;
    uint16_t ping;
    uint16_t frags;
    uint16_t deaths;
    char name[KX_NETMAN_NAME_LEN];
};

// Fixed-capacity list: append-or-drop, remove by moving the last into the hole.
struct kx_netman_user_list_t {
    int in_use;
    int capacity;
    int count;
    kx_netman_user_t* items;  // capacity records, owned
};

struct kx_netman_t;
typedef int (*kx_netman_buffer_cb)(uint32_t sender, int type, const uint8_t* payload, int len);
typedef int (*kx_netman_event_cb)(kx_netman_t* netman, int a, int b);

struct kx_netman_t {
    uint32_t id;  // own user id from the greeting, 0 before
    uint16_t ping;
    uint16_t frags;
    uint16_t deaths;
    char server_name[KX_NETMAN_NAME_LEN];
    uint16_t app_version;
    char player_name[KX_NETMAN_NAME_LEN];
    kx_netman_user_list_t users;
    kx_client_socket_t tcp;
    kx_client_socket_t udp;
    kx_netman_buffer_cb OnBuffer;     // (0 for TCP or the datagram's sender id, type, payload, len)
    kx_netman_event_cb OnConnect;     // (netman, 0, 0)
    kx_netman_event_cb OnDisconnect;  // (netman, reason, code)
};

// Set up the user list (32 records), store the app version, name "Player", init both
// sockets with this record as their user, install the handlers and printing defaults.
void kx_netman_init(kx_netman_t* netman, uint16_t app_version);
// Free the user list and term the TCP, then the UDP socket.
void kx_netman_term(kx_netman_t* netman);
// Write "host:port" into server_name and connect TCP, then UDP, to host:port.
void kx_netman_connect(kx_netman_t* netman, const char* host, int port);
// Log and disconnect TCP, then UDP, with (reason, code).
void kx_netman_disconnect(kx_netman_t* netman, int reason, int code);
// One TCP frame of msgtype 0x100 + type. Result of kx_client_socket_send.
int kx_netman_send(kx_netman_t* netman, int type, const void* data, int len);
// One datagram of msgtype 0x100 + type with the own id. Result of kx_client_socket_udp_send.
int kx_netman_send_udp(kx_netman_t* netman, int type, const void* data, int len);
// Make this the current netman and poll TCP, then UDP. Once per frame.
void kx_netman_poll(kx_netman_t* netman);
// Index of the first user with this id, or -1.
int kx_netman_find_user(kx_netman_t* netman, uint32_t id);
// The netman record whose poll or callback is running (handlers find their record here).
kx_netman_t* kx_netman_current();
// Handle one TCP message of netman (ping, greeting, user list, text, version check) and
// pass it on to OnBuffer. 0 when passed on or the session ended, -1 for a dropped ping.
int kx_netman_handle_tcp(kx_netman_t* netman, int msgtype, const uint8_t* payload, int len);
// Handle one datagram (header 16 bytes, payload header.len bytes). 0, or -1 when dropped.
int kx_netman_handle_udp(kx_netman_t* netman, const uint8_t* header, const uint8_t* payload);
