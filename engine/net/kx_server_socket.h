// Server transport, TCP side: a listening socket with up to 36 client slots,
// each with an id, a receive buffer and the frame splitter of the client
// transport (frame layout in kx_net_wire.h). Failures on a client mark it for a
// deferred kick that the next poll carries out, so slots stay put while frames
// are dispatched.
// Depends on kx_sock, kx_net_wire, kx_client_socket (callback types), kx_log.
#pragma once

#include <cstdint>

#include "engine/net/kx_client_socket.h"

constexpr int KX_SERVER_MAX_CLIENTS = 36;
constexpr int KX_SERVER_FIRST_ID = 17;
constexpr int KX_SERVER_FLAG_KICK = 2;
// Bytes of frames held for a client whose system buffer is full.
constexpr int KX_SERVER_QUEUE_SIZE = 32768;

typedef int (*kx_server_connect_cb)(void* user, int index, int id);
typedef int (*kx_server_disconnect_cb)(void* user, int id, int reason);

struct kx_server_client_t {
    int id;
    kx_socket_t fd;
    int addr_len;
    int flags;  // KX_SERVER_FLAG_KICK: deferred kick pending; the owner may use higher bits
    kx_sockaddr_t addr;
    uint8_t* recv_buf;  // KX_NET_RECV_BUF_SIZE bytes, owned by the slot
    int buffer_recv_pos;
    void* user_data;   // the owner's per-client record
    uint8_t* out_buf;  // KX_SERVER_QUEUE_SIZE bytes of unsent frames, owned by the slot
    int out_len;
};

struct kx_server_socket_t {
    kx_socket_t fd;
    int port;
    int status;
    uint8_t* send_buf;  // KX_NET_SEND_BUF_SIZE bytes, shared by every send
    kx_sockaddr_t addr;
    int client_count;
    int last_id;
    kx_server_client_t clients[KX_SERVER_MAX_CLIENTS];
    kx_sock_buf_cb OnBuf;                  // (client index, msgtype, payload, len)
    kx_server_connect_cb OnConnect;        // (user, client index, id)
    kx_server_disconnect_cb OnDisconnect;  // (user, id, reason)
    void* user;
};

// Log "SOCK SRV Init", clear, allocate the send buffer and every slot's buffers, install defaults.
void kx_server_socket_init(kx_server_socket_t* server, void* user);
// Listen on port (any interface). 0 on success, 1 after an "ERROR ..." line.
int kx_server_socket_start(kx_server_socket_t* server, int port);
// Close every client and the listening socket.
void kx_server_socket_stop(kx_server_socket_t* server);
// Log "SOCK SRV Term", stop, free every buffer.
void kx_server_socket_term(kx_server_socket_t* server);
// Mark slot index for removal at the next poll (the reason is only logged).
void kx_server_socket_deferred_kick(kx_server_socket_t* server, int index, int reason, int code);
// Remove slot index now: OnDisconnect(user, id, reason), close, move the last slot into the hole.
void kx_server_socket_kick(kx_server_socket_t* server, int index, int reason, int code);
// Slot index of the client with this id, or -1.
int kx_server_socket_find(kx_server_socket_t* server, int id);
// One frame to client index. 0 (sent or queued); -1 for an unknown index or a payload above
// 8192 bytes (nothing sent); errno or -1 after marking a deferred kick.
int kx_server_socket_send(kx_server_socket_t* server, int index, int msgtype, const void* data, int len);
// kx_server_socket_send to every client in slot order.
void kx_server_socket_broadcast(kx_server_socket_t* server, int msgtype, const void* data, int len);
// Execute deferred kicks, accept, flush queued output, receive and dispatch. Returns 0.
int kx_server_socket_poll(kx_server_socket_t* server);
// Split slot index's receive buffer into frames and dispatch them; failures mark a deferred kick.
void kx_server_socket_handle_buffer(kx_server_socket_t* server, int index);
