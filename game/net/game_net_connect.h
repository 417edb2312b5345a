// Connecting to a game server as a player expects it: the server given as "host" or
// "host:port", its default taken from the command line or the environment, a
// connect that gives up after ten seconds, and a connect the player walked away
// from that starts no game. Depends on kx_netman, game_net_ui.
#pragma once

#include "engine/net/kx_netman.h"

constexpr int GAME_NET_PORT = 25280;
constexpr int GAME_NET_HOST_ROOM = 128;
constexpr int GAME_NET_CONNECT_TIMEOUT_MS = 10000;
// Disconnect reason of a connect that got no answer in time (code: milliseconds waited).
constexpr int GAME_NET_REASON_TIMEOUT = -50;

// Split "host" or "host:port" (blanks around it ignored) into host (room cap) and port
// (25280 when absent). 0, or -1 for an empty or too long host or a port outside 1..65535.
int game_net_parse_server(const char* text, char* host, int cap, int* port);

// Read the command line: "--connect HOST[:PORT]" and "--name NAME". The default server
// is that HOST[:PORT], else the IRONVALE_SERVER environment variable, else "localhost".
// IRONVALE_NET_TRACE=1 logs the remote players' slots once a second during play, the
// score table whenever a row changes and the kill lines.
void game_net_args(int argc, char** argv);
// 1 when IRONVALE_NET_TRACE asked for the session to be logged (remote slots, score
// table, kill lines).
int game_net_tracing();
// The default server text for the server field.
const char* game_net_default_server();
// 1 when that text came from --connect or IRONVALE_SERVER rather than the built-in "localhost".
int game_net_server_given();
// The name given with --name, or null.
const char* game_net_arg_name();
// 1 once when both --connect and --name were given: the program joins without the menus.
int game_net_take_autojoin();

// Connect netman to "host[:port]" and wait for it on the status screen. 0 when under way
// (a failure arrives through the disconnect handler), -1 for a bad text (nothing started).
int game_net_connect_to(kx_netman_t* netman, const char* server);
// The same with the game's netman.
int game_net_connect(const char* server);
// The player left: close the connection, pending or made (no message follows).
void game_net_leave();
// Once per frame instead of kx_netman_poll: poll, give up a connect pending too long, trace.
void game_net_poll(int dt_ms);
// The connect completed: 1 (and no longer pending) when the player still waits on the
// status screen for it, else 0.
int game_net_connect_take();
// Forget a pending connect (the connection ended).
void game_net_connect_clear();
