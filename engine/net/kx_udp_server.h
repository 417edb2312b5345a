// Server transport, UDP side: one socket that receives datagrams from any
// address and sends datagrams to a given one (datagram layout in kx_net_wire.h).
// Depends on kx_sock, kx_net_wire, kx_client_socket (callback type), kx_log.
#pragma once

#include <cstdint>

#include "engine/net/kx_client_socket.h"

struct kx_udp_server_t {
    kx_socket_t fd;
    int port;
    int status;
    uint8_t* buf;  // 2 x KX_NET_SEND_BUF_SIZE bytes: receive half, then send half; owned
    kx_sockaddr_t addr;
    kx_sock_udp_buf_cb OnUdpBuf;  // (user, source address, header, payload)
    void* user;
};

// Log "SOCK UDP SRV Init", clear, allocate buf, install the printing default.
void kx_udp_server_init(kx_udp_server_t* server, void* user);
// Bind to port (any interface). 0 on success, 1 after an "ERROR ..." line.
int kx_udp_server_start(kx_udp_server_t* server, int port);
// Close the socket.
void kx_udp_server_stop(kx_udp_server_t* server);
// Stop and free buf.
void kx_udp_server_term(kx_udp_server_t* server);
// One datagram (header's len payload bytes) to addr; version set to 2. 0, or -1 after a log line.
int kx_udp_server_send(kx_udp_server_t* server, const kx_sockaddr_t* addr, uint8_t* header, const void* data);
// Receive and dispatch every waiting datagram. 0, or -1 on a receive error.
int kx_udp_server_poll(kx_udp_server_t* server);
// Check one datagram of n bytes from `from` and dispatch it. 0 when dispatched, -1 when dropped.
int kx_udp_server_handle_datagram(kx_udp_server_t* server, const kx_sockaddr_t* from, const uint8_t* data,
                                  int n);
