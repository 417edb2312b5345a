// The game's side of netman: the own state sent every 50 ms (at once when events
// wait), the broadcast applied to the twelve player slots with the remote shots,
// deaths and respawns, the user list behind the name labels and the score table,
// texts into the chat box, and what the player sees when the connection is made
// or ends. Everything runs on the main thread inside the netman poll.
// Depends on kx_netman, game_net_msg, game_chat, game_net_ui, game_sim.
#pragma once

#include <cstdint>

#include "engine/net/kx_netman.h"

constexpr int GAME_NET_APP_VERSION = 256;

// The game's netman client. Lifetime: game_net_init .. game_net_term.
extern kx_netman_t game_netman;

// Init the netman client (application version 256), install the three handlers and the
// simulation's network hooks (own id, local death, state sender, chat clearing).
void game_net_init();
// Term the netman client (its sockets close quietly).
void game_net_term();

// Send the own state with up to ten queued events: a 60-byte datagram when none waits,
// else a TCP frame. Only the events sent leave the queue.
void game_net_send_state();
// netman OnBuffer: text (TCP only), greeting, user list, state broadcast; others ignored.
int game_net_on_buffer(uint32_t sender, int type, const uint8_t* payload, int len);
// netman OnConnect: the chat line of item 111 and the multiplayer game start, unless the
// player left the status screen meanwhile (then the connection is closed again).
int game_net_on_connect(kx_netman_t* netman, int a, int b);
// netman OnDisconnect: back to the status screen with the reason's message, except when
// the player left (-32).
int GameNetManOnDisconnect(kx_netman_t* netman, int reason, int code);
// The local player died: count the death and add the kill line to the chat box.
void game_net_local_death(int killer);
// Log every active remote slot: "net: slot K NAME at X Y" (for following a session).
void game_net_trace();
// The message of a disconnect (reason, code) as the status screen shows it; null when
// the fallback text of item 112 applies.
const char* game_net_disconnect_message(int reason, int code);
