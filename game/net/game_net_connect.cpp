// Server text, defaults and the pending connect (see game_net_connect.h).
// Depends on kx_netman, kx_log, game_net, game_net_ui.
#include "game/net/game_net_connect.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/app/kx_log.h"
#include "game/net/game_net.h"
#include "game/net/game_net_ui.h"
#include "game/sim/game_world.h"

namespace {

// Lifetime: the program run.
struct connect_state_t {
    char server[GAME_NET_HOST_ROOM + 8];
    char name[KX_NETMAN_NAME_LEN];
    int have_connect;
    int given;  // --connect or IRONVALE_SERVER named the server
    int autojoin;
    int pending;    // a connect was started and the player waits for it
    int waited_ms;  // time the TCP connect has been under way
    int trace;      // IRONVALE_NET_TRACE is set: log the remote slots once a second
    int trace_ms;
};
connect_state_t g_conn = {"localhost", "", 0, 0, 0, 0, 0, 0, 0};

}  // namespace

int game_net_parse_server(const char* text, char* host, int cap, int* port) {
    if (!text || cap < 1) return -1;
    host[0] = 0;
    while (std::isspace((unsigned char)*text)) text++;
    int n = (int)std::strlen(text);
    while (n > 0 && std::isspace((unsigned char)text[n - 1])) n--;
    const char* colon = (const char*)std::memchr(text, ':', n);
    const int hlen = colon ? (int)(colon - text) : n;
    if (hlen == 0 || hlen >= cap) return -1;
    int p = GAME_NET_PORT;
    if (colon) {
        const char* digits = colon + 1;
        const int dlen = n - hlen - 1;
        if (dlen < 1 || dlen > 5) return -1;
        p = 0;
        for (int i = 0; i < dlen; i++) {
            if (!std::isdigit((unsigned char)digits[i])) return -1;
            p = p * 10 + (digits[i] - '0');
        }
        if (p < 1 || p > 65535) return -1;
    }
    std::memcpy(host, text, hlen);
    host[hlen] = 0;
    *port = p;
    return 0;
}

void game_net_args(int argc, char** argv) {
    const char* trace = std::getenv("IRONVALE_NET_TRACE");
    g_conn.trace = trace && *trace && *trace != '0';
    const char* env = std::getenv("IRONVALE_SERVER");
    if (env && *env) std::snprintf(g_conn.server, sizeof g_conn.server, "%s", env);
    for (int i = 1; i + 1 < argc; i++) {
        if (std::strcmp(argv[i], "--connect") == 0) {
            std::snprintf(g_conn.server, sizeof g_conn.server, "%s", argv[++i]);
            g_conn.have_connect = 1;
        } else if (std::strcmp(argv[i], "--name") == 0) {
            std::snprintf(g_conn.name, sizeof g_conn.name, "%s", argv[++i]);
        }
    }
    g_conn.autojoin = g_conn.have_connect && g_conn.name[0];
    g_conn.given = g_conn.have_connect || (env && *env);
}

int game_net_tracing() { return g_conn.trace; }

const char* game_net_default_server() { return g_conn.server; }

int game_net_server_given() { return g_conn.given; }

const char* game_net_arg_name() { return g_conn.name[0] ? g_conn.name : nullptr; }

int game_net_take_autojoin() {
    const int a = g_conn.autojoin;
    g_conn.autojoin = 0;
    return a;
}

int game_net_connect_to(kx_netman_t* netman, const char* server) {
    char host[GAME_NET_HOST_ROOM];
    int port = 0;
    if (game_net_parse_server(server, host, sizeof host, &port) != 0) {
        kxLog("Game: not a server address: [%s] \n", server ? server : "");
        return -1;
    }
    g_conn.pending = 1;
    g_conn.waited_ms = 0;
    kx_netman_connect(netman, host, port);
    return 0;
}

int game_net_connect(const char* server) { return game_net_connect_to(&game_netman, server); }

void game_net_leave() {
    g_conn.pending = 0;
    kx_netman_disconnect(&game_netman, KX_NETMAN_REASON_LEFT, 0);
}

void game_net_poll(int dt_ms) {
    kx_netman_poll(&game_netman);
    if (g_conn.trace && game_world.multiplayer && game_world.game_mode == 3 &&
        (g_conn.trace_ms += dt_ms) >= 1000) {
        g_conn.trace_ms = 0;
        game_net_trace();
    }
    if (!g_conn.pending || game_netman.tcp.status != KX_SOCK_CONNECTING) return;
    g_conn.waited_ms += dt_ms;
    if (g_conn.waited_ms >= GAME_NET_CONNECT_TIMEOUT_MS)
        kx_netman_disconnect(&game_netman, GAME_NET_REASON_TIMEOUT, g_conn.waited_ms);
}

int game_net_connect_take() {
    const int waiting = g_conn.pending && game_net_ui.current_screen() == GAME_NET_SCREEN_STATUS;
    g_conn.pending = 0;
    return waiting;
}

void game_net_connect_clear() { g_conn.pending = 0; }
