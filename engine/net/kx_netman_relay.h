// Game state relay of the netman server: stores each user's last state from its
// state messages, queues their events for every other connection, and builds
// the per-user state broadcast. Layouts: kx_netman_proto.h.
// Depends on kx_netman_server, kx_netman_proto, kx_log.
#pragma once

#include <cstdint>

#include "engine/net/kx_netman_server.h"

// Handle a game state message from connection index: checks (kicking on failure), stores
// the state, queues events. 0 when accepted, -1 when refused.
int kx_netman_relay_state(kx_netman_server_t* server, int index, const uint8_t* payload, int len);
// Build the state broadcast for connection index into out (capacity cap, at least 8192).
// Returns its length; entries that would not fit are left out with a log line.
int kx_netman_relay_build(kx_netman_server_t* server, int index, uint8_t* out, int cap);
// Build and send the broadcast for connection index (TCP with events, else UDP) and clear
// its pending events.
void kx_netman_relay_send(kx_netman_server_t* server, int index);
