// Netman server: greets connections with a user id, registers users on hello,
// keeps the user list, measures pings, relays texts, keeps each user's last game
// state and forwards events, and sends every registered user the states of the
// others every 51 ms. Runs over one TCP and one UDP server socket on one port.
// Message layouts: kx_netman_proto.h.
// Depends on kx_server_socket, kx_udp_server, kx_netman_proto, kx_log.
#pragma once

#include <cstdint>

#include "engine/net/kx_netman_proto.h"
#include "engine/net/kx_server_socket.h"
#include "engine/net/kx_udp_server.h"

constexpr int KX_NETMAN_SERVER_MAX_USERS = 12;
constexpr int KX_NETMAN_STATE_PERIOD = 51;  // ms between state broadcasts (at least)
constexpr int KX_NETMAN_PING_PERIOD = 500;  // ms between pings (more than)
constexpr uint32_t KX_NETMAN_UDP_RESERVED = 1255;

// Kick reasons of the server (deferred unless noted).
enum {
    KX_NETMAN_KICK_VERSION = -33,       // code 256
    KX_NETMAN_KICK_HELLO_ID = -36,      // code: the connection's id
    KX_NETMAN_KICK_HELLO_LEN = -37,     // code 36
    KX_NETMAN_KICK_TOO_LONG = -40,      // code 2048
    KX_NETMAN_KICK_UNREGISTERED = -41,  // code 148
    KX_NETMAN_KICK_STATE_ID = -42,      // code: the connection's id
    KX_NETMAN_KICK_MALFORMED = -43,     // code: message length; a state message cut short
    KX_NETMAN_KICK_FULL = -48,          // code 100, immediate
};

// Per-connection record, allocated at connection and freed at disconnection.
struct kx_netman_user_data_t {
    uint32_t reserved0;  // sent as the reserved field of user list entries
    uint32_t reserved1;  // sent at byte 2 of state broadcasts
    uint32_t unused;
    kx_sockaddr_t udp_addr;  // source of the user's last datagram
    int32_t udp_known;
    uint16_t clock;
    uint16_t ping;  // smoothed, ms
    uint16_t frags;
    uint16_t deaths;
    char name[KX_NETMAN_NAME_LEN];
    uint8_t state[KX_NETMAN_STATE_MAX];
    int32_t state_len;
    uint8_t pending[KX_NETMAN_STATE_MAX];  // event units waiting for this user
    int32_t pending_count;
    int32_t pending_bytes;
};

struct kx_netman_server_t;
typedef int (*kx_netman_server_buffer_cb)(int index, int type, const uint8_t* payload, int len,
                                          kx_netman_server_t* server);
typedef int (*kx_netman_server_event_cb)(kx_netman_server_t* server, int a, int b);

struct kx_netman_server_t {
    char server_name[KX_NETMAN_NAME_LEN];
    kx_server_socket_t tcp;  // its client slots are the users
    kx_udp_server_t udp;
    uint16_t app_version;
    kx_netman_server_buffer_cb OnBuffer;     // every accepted message
    kx_netman_server_event_cb OnConnect;     // (server, index, id)
    kx_netman_server_event_cb OnDisconnect;  // (server, id, reason)
    uint16_t now;                            // ms stamp of the current poll (mod 65536)
    uint16_t last_state;                     // stamp of the last state cycle
    uint16_t last_ping;                      // stamp of the last ping cycle
};

// Name "Test Server", store the app version, init both sockets and install the handlers.
void kx_netman_server_init(kx_netman_server_t* server, uint16_t app_version);
// Term both sockets; frees every user's data.
void kx_netman_server_term(kx_netman_server_t* server);
// Start TCP then UDP on port. 0 on success, 1 when either failed.
int kx_netman_server_start(kx_netman_server_t* server, int port);
// Stop both sockets (every user's data is freed).
void kx_netman_server_stop(kx_netman_server_t* server);
// Periodic work at time (ms): state cycle, ping cycle, then the TCP and UDP polls. UDP poll result.
int kx_netman_server_poll(kx_netman_server_t* server, uint32_t time);
// One TCP frame of type to the user with this id. 0, -1 when unknown, or the transport's failure.
int kx_netman_server_send(kx_netman_server_t* server, int id, int type, const void* data, int len);
// One datagram of type to the user's last UDP address. 0, -1 when unknown or not reachable yet.
int kx_netman_server_send_udp(kx_netman_server_t* server, int id, int type, const void* data, int len);
// Build and send message type 1 (ping), 4 (greeting), 9 (user list) or 25 (state) to that user.
void kx_netman_server_send_type(kx_netman_server_t* server, int id, int type);
// kx_netman_server_send_type for every registered user in slot order.
void kx_netman_server_broadcast_type(kx_netman_server_t* server, int type);
// Send the payload as type to every registered user in slot order.
void kx_netman_server_broadcast(kx_netman_server_t* server, int type, const void* data, int len);
// Remove connection index at once.
void kx_netman_server_kick(kx_netman_server_t* server, int index, int reason, int code);
// Mark connection index for removal at the next poll.
void kx_netman_server_deferred_kick(kx_netman_server_t* server, int index, int reason, int code);
// Slot index of the user with this id, or -1.
int kx_netman_server_find(kx_netman_server_t* server, int id);
// Number of registered users.
int kx_netman_server_count_registered(kx_netman_server_t* server);
// Handle one message from connection index (from TCP, or UDP after the address check).
// 0 when accepted (and passed to OnBuffer), -1 when refused (a kick is pending).
int kx_netman_server_handle_message(kx_netman_server_t* server, int index, int msgtype,
                                    const uint8_t* payload, int len);
// Handle one datagram from `from` (header 16 bytes, payload header.len bytes). 0 or -1.
int kx_netman_server_handle_udp(kx_netman_server_t* server, const kx_sockaddr_t* from, const uint8_t* header,
                                const uint8_t* payload);
// The user data of connection index, or null.
kx_netman_user_data_t* kx_netman_server_user(kx_netman_server_t* server, int index);
