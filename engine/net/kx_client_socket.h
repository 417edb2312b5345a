// Client transport: one non-blocking TCP or UDP socket to the game server,
// polled once per frame. TCP carries framed messages (8-byte frame header),
// UDP one message per datagram (16-byte datagram header); layouts in kx_net_wire.h.
// Every failure ends in kx_client_socket_disconnect, which reports (reason, code).
// Depends on kx_sock, kx_net_wire, kx_log.
#pragma once

#include <cstdint>

#include "engine/net/kx_net_wire.h"
#include "engine/net/kx_sock.h"

// Disconnect reasons of this layer (the code's meaning depends on the reason).
enum {
    KX_SOCK_REASON_TOO_MANY_FRAMES = 1,  // code 165
    KX_SOCK_REASON_SEND_ZERO = -4,       // code 152
    KX_SOCK_REASON_TERM = -6,            // code 0
    KX_SOCK_REASON_RESOLVE = -7,         // code h_errno
    KX_SOCK_REASON_SOCKET = -8,          // code errno
    KX_SOCK_REASON_CONNECT = -9,         // code errno
    KX_SOCK_REASON_SEND = -10,           // code errno (EAGAIN when the output queue is full)
    KX_SOCK_REASON_RECV = -11,           // code 154
    KX_SOCK_REASON_SELECT = -12,         // code errno
    KX_SOCK_REASON_CONNECT_ERROR = -13,  // code: pending socket error
    KX_SOCK_REASON_VERSION = -16,        // code 160
    KX_SOCK_REASON_LENGTH = -17,         // code 161
};

enum { KX_SOCK_DISCONNECTED = 0, KX_SOCK_CONNECTED = 1, KX_SOCK_CONNECTING = 2 };
enum { KX_SOCK_TCP = SOCK_STREAM, KX_SOCK_UDP = SOCK_DGRAM };
constexpr int KX_SOCK_FLAG_RAW = 1;
// Bytes of whole frames the TCP record holds back when the system takes only part of a send.
constexpr int KX_CLIENT_SOCKET_QUEUE_SIZE = 65536;

typedef int (*kx_sock_buf_cb)(int index, int msgtype, const uint8_t* payload, int len);
typedef int (*kx_sock_udp_buf_cb)(void* user, const kx_sockaddr_t* from, const uint8_t* header,
                                  const uint8_t* payload);
typedef int (*kx_sock_event_cb)(void* user, int a, int b);

struct kx_client_socket_t {
    kx_socket_t fd;
    int port;                       // host order
    int status;                     // KX_SOCK_DISCONNECTED / CONNECTED / CONNECTING
    int flags;                      // bit 0: raw mode (no framing; poll does not read)
    int type;                       // KX_SOCK_TCP or KX_SOCK_UDP
    uint8_t* send_buf;              // KX_NET_SEND_BUF_SIZE bytes, owned
    uint8_t* recv_buf;              // KX_NET_RECV_BUF_SIZE bytes, owned
    int buffer_recv_pos;            // bytes held in recv_buf (TCP)
    kx_sock_buf_cb OnBuf;           // (0, msgtype, payload, len) per TCP frame
    kx_sock_udp_buf_cb OnUdpBuf;    // (user, server address, header, payload) per datagram
    kx_sock_event_cb OnConnect;     // (user, 0, 0)
    kx_sock_event_cb OnDisconnect;  // (user, reason, code)
    kx_sockaddr_t server_addr;
    struct hostent* host;  // resolver result of the last lookup, not owned
    void* user;
    // Bytes of frames the system has not taken yet, sent before anything newer.
    uint8_t* out_buf;  // KX_CLIENT_SOCKET_QUEUE_SIZE bytes, owned
    int out_len;
};

// The printing defaults that init installs (the server sockets install them too).
int kx_client_socket_default_buf(int index, int msgtype, const uint8_t* payload, int len);
int kx_client_socket_default_udp_buf(void* user, const kx_sockaddr_t* from, const uint8_t* header,
                                     const uint8_t* payload);
int kx_client_socket_default_event(void* user, int a, int b);

// Log "SOCK CLIENT Init", clear the record, allocate both buffers and the output queue,
// store user, install the printing default callbacks.
void kx_client_socket_init(kx_client_socket_t* sock, void* user);
// Log "SOCK CLIENT Term", disconnect with (-6, 0), free the buffers.
void kx_client_socket_term(kx_client_socket_t* sock);
// Start a connection (type KX_SOCK_TCP or KX_SOCK_UDP). 0 when under way (TCP) or ready
// (UDP); -1 when the TCP connect failed at once; the positive errno / resolver error otherwise.
// Failures are also reported through OnDisconnect.
int kx_client_socket_connect(kx_client_socket_t* sock, const char* host, int port, int type);
// The one close path: logs, and when not already disconnected closes the socket and calls
// OnDisconnect(user, reason, code), whose result it returns (0 when already disconnected).
int kx_client_socket_disconnect(kx_client_socket_t* sock, int reason, int code);
// Send one frame on a connected TCP record (len <= 8192). 0 on success (possibly queued);
// -1 when not connected, on a UDP record, above 8192 bytes or when the peer is gone; errno when
// the send failed.
int kx_client_socket_send(kx_client_socket_t* sock, int msgtype, const void* data, int len);
// Send one datagram on a UDP record; header is the caller's 16-byte header (its version is
// set to 2, its len gives the payload size). 0 when handed to the system, -1 otherwise.
int kx_client_socket_udp_send(kx_client_socket_t* sock, uint8_t* header, const void* data);
// Once per frame: complete a pending connect, flush queued output, receive and dispatch
// (TCP: one receive; UDP: every datagram waiting, at most 99).
// 0 normally, -1 when disconnected or on a failure.
int kx_client_socket_poll(kx_client_socket_t* sock);
// Split the TCP receive buffer into frames and dispatch them. 0, or -1 after a disconnect.
int kx_client_socket_handle_buffer(kx_client_socket_t* sock);
// Check and dispatch one received datagram of n bytes held in data. 0 when dispatched,
// -1 when dropped (short, wrong version, len beyond the bytes received).
int kx_client_socket_handle_datagram(kx_client_socket_t* sock, const uint8_t* data, int n);
