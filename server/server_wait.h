// Waiting for the netman server's sockets with epoll: the set is brought in
// line with the server's sockets before each wait, so a pass costs one system
// call however many players are connected. While players are registered the UDP
// socket is left out: their states are read when the state cycle is due.
// Depends on kx_netman_server and Linux epoll.
#pragma once

#include "engine/net/kx_netman_server.h"

enum { SERVER_WAIT_TCP = 1, SERVER_WAIT_UDP = 2 };
constexpr int SERVER_WAIT_MAX = 2 + KX_SERVER_MAX_CLIENTS;

// One registered socket: key is the client id, or -1 / -2 for the UDP and listening sockets,
// so a descriptor number reused by a new client is registered again.
struct server_wait_entry_t {
    int fd, key;
    unsigned events;
};

// The registered set; lives from server_wait_init to server_wait_term.
struct server_wait_t {
    int epfd;
    int count;
    server_wait_entry_t entries[SERVER_WAIT_MAX];
};

// Create the epoll set. 0, or -1 when epoll is unavailable.
int server_wait_init(server_wait_t* w);
// Close the epoll set.
void server_wait_term(server_wait_t* w);
// Wait up to timeout_ms for the server's sockets. A mask of SERVER_WAIT_TCP (listening or
// client sockets) and SERVER_WAIT_UDP; 0 on timeout; -1 when interrupted or on failure.
int server_wait_run(server_wait_t* w, const kx_netman_server_t* server, int timeout_ms);
