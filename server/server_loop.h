// Main loop of ironvale-server: waits on every socket of the netman server
// with poll() and a timeout reaching to the next state or ping cycle, then
// polls the server with a millisecond clock.
// Depends on kx_netman_server.
#pragma once

#include <csignal>
#include <cstdint>

#include "engine/net/kx_netman_server.h"

// Milliseconds of a monotonic clock.
uint32_t server_loop_clock_ms();
// Milliseconds until the server next has periodic work at time now (0 when due;
// a long wait when nobody is registered).
int server_loop_timeout(const kx_netman_server_t* server, uint32_t now);
enum { SERVER_LOOP_TCP = 1, SERVER_LOOP_UDP = 2 };
// Wait until a socket is ready or timeout_ms passes. A mask of SERVER_LOOP_TCP (listening or
// client sockets) and SERVER_LOOP_UDP; 0 on timeout, -1 when interrupted by a signal.
int server_loop_wait(const kx_netman_server_t* server, int timeout_ms);
// One pass after a wait: the full server poll when periodic work is due or TCP sockets
// are ready, else only the UDP socket (the common case: a player's state arrived).
void server_loop_step(kx_netman_server_t* server, int ready, uint32_t now);
// Run until *stop becomes non-zero.
void server_loop_run(kx_netman_server_t* server, volatile sig_atomic_t* stop);
