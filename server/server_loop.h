// Main loop of ironvale-server: waits on every socket of the netman server
// (server_wait, epoll) with a timeout reaching to the next state or ping cycle, then
// polls the server with a millisecond clock.
// Depends on kx_netman_server, server_wait.
#pragma once

#include <csignal>
#include <cstdint>

#include "engine/net/kx_netman_server.h"

// Milliseconds of a monotonic clock.
uint32_t server_loop_clock_ms();
// Milliseconds until the server next has periodic work at time now (0 when due;
// a long wait when nobody is registered).
int server_loop_timeout(const kx_netman_server_t* server, uint32_t now);
// One pass after a wait: when periodic work is due or TCP sockets are ready, the waiting
// datagrams and then the full server poll; else only the UDP socket (a datagram arrived while
// nobody is registered).
// ready is a mask of SERVER_WAIT_TCP and SERVER_WAIT_UDP, or -1 when unknown.
void server_loop_step(kx_netman_server_t* server, int ready, uint32_t now);
// Run until *stop becomes non-zero.
void server_loop_run(kx_netman_server_t* server, volatile sig_atomic_t* stop);
