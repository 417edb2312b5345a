// Load generator engine: real kx_netman_t clients driven from one thread.
// Depends on kx_net (netman client, state message layout), POSIX poll and clock.
#include "tools/loadgen/loadgen.h"

#include <poll.h>
#include <time.h>

#include <cmath>
#include <cstring>

#include "engine/net/kx_netman.h"

namespace {

struct client_t {
    kx_netman_t netman;
    loadgen_client_stats_t* stats;
    double last_state_ms;  // arrival of the previous broadcast, < 0 before the first
    int states_sent;
};

// One run at a time; netman hands callbacks no context, so they find their client here.
client_t g_clients[LOADGEN_MAX_CLIENTS];
int g_count = 0;
bool g_measuring = false;

double now_ms() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

client_t* current_client() {
    kx_netman_t* n = kx_netman_current();
    for (int i = 0; i < g_count; i++)
        if (&g_clients[i].netman == n) return &g_clients[i];
    return nullptr;
}

int on_buffer(uint32_t sender, int type, const uint8_t*, int len) {
    client_t* c = current_client();
    if (!c) return 0;
    c->stats->recv_msgs++;
    c->stats->recv_bytes += (uint64_t)len + (sender ? KX_NET_DATAGRAM_HEADER : KX_NET_FRAME_HEADER);
    if (type == KX_NETMAN_USERLIST) c->stats->joined = 1;
    if (type == KX_NETMAN_STATE_BROADCAST) {
        c->stats->states_recv++;
        double t = now_ms();
        if (g_measuring && c->last_state_ms >= 0) {
            c->stats->period_sum_ms += t - c->last_state_ms;
            c->stats->period_count++;
        }
        c->last_state_ms = t;
    }
    return 0;
}

int on_connect(kx_netman_t*, int, int) { return 0; }

int on_disconnect(kx_netman_t* n, int reason, int code) {
    for (int i = 0; i < g_count; i++) {
        if (&g_clients[i].netman != n || reason == KX_NETMAN_REASON_LEFT) continue;
        g_clients[i].stats->disconnected = 1;
        g_clients[i].stats->reason = reason;
        g_clients[i].stats->code = code;
    }
    return 0;
}

// One state message as the game sends it: a 60-byte datagram, or over TCP with an event.
void send_state(client_t* c, const loadgen_config_t* cfg, double t) {
    kx_netman_t* n = &c->netman;
    c->states_sent++;
    uint8_t state[KX_NETMAN_USER_STATE_SIZE] = {};
    int32_t health = 100;
    float pos[2] = {(float)std::sin(t / 1000.0) * 5.0f, (float)std::cos(t / 1000.0) * 5.0f};
    std::memcpy(state, &health, 4);
    std::memcpy(state + 8, pos, 8);
    uint8_t unit[KX_NETMAN_EVENT_UNIT] = {};
    bool event = cfg->events_every > 0 && c->states_sent % cfg->events_every == 0;
    if (event) {
        kx_net_put_u32(unit, KX_NETMAN_EVENT_MARKER);
        kx_net_put_u32(unit + 4, KX_NETMAN_EVENT_SIZE);
        kx_net_put_u16(unit + 8, 1);  // machine-gun round
        kx_net_put_u16(unit + 10, (uint16_t)n->id);
        kx_net_put_u16(unit + 12, (uint16_t)n->id);
    }
    uint8_t msg[KX_NETMAN_STATE_MAX];
    int len = kx_netman_proto_write_state(msg, sizeof(msg), (uint16_t)n->id, n->ping, (uint16_t)t, n->frags,
                                          n->deaths, state, sizeof(state), unit, event ? 1 : 0);
    if (event) {
        if (kx_netman_send(n, KX_NETMAN_STATE, msg, len) == 0)
            c->stats->sent_bytes += len + KX_NET_FRAME_HEADER;
    } else {
        if (kx_netman_send_udp(n, KX_NETMAN_STATE, msg, len) == 0)
            c->stats->sent_bytes += len + KX_NET_DATAGRAM_HEADER;
    }
    c->stats->sent_msgs++;
    if (cfg->text_every > 0 && c->states_sent % cfg->text_every == 0) {
        char text[64];
        int tl =
            std::snprintf(text, sizeof(text), "load text %d from %s", c->states_sent, n->player_name) + 1;
        if (kx_netman_send(n, KX_NETMAN_TEXT, text, tl) == 0) {
            c->stats->sent_msgs++;
            c->stats->sent_bytes += tl + KX_NET_FRAME_HEADER;
        }
    }
}

void poll_all() {
    for (int i = 0; i < g_count; i++) kx_netman_poll(&g_clients[i].netman);
}

// Sleep until a socket is readable or ms pass.
void wait_sockets(int ms) {
    struct pollfd fds[2 * LOADGEN_MAX_CLIENTS];
    int n = 0;
    for (int i = 0; i < g_count; i++) {
        if (g_clients[i].netman.tcp.status) fds[n++] = {g_clients[i].netman.tcp.fd, POLLIN, 0};
        if (g_clients[i].netman.udp.status) fds[n++] = {g_clients[i].netman.udp.fd, POLLIN, 0};
    }
    poll(fds, n, ms);
}

}  // namespace

void loadgen_defaults(loadgen_config_t* config) {
    *config = {};
    config->port = 25280;
    config->clients = 4;
    config->seconds = 5;
    config->period_ms = 50;
    config->join_timeout_ms = 10000;
}

int loadgen_run(const loadgen_config_t* cfg, loadgen_result_t* result) {
    std::memset(result, 0, sizeof(*result));
    int count =
        cfg->clients < 1 ? 1 : (cfg->clients > LOADGEN_MAX_CLIENTS ? LOADGEN_MAX_CLIENTS : cfg->clients);
    result->clients = count;
    g_count = count;
    g_measuring = false;
    for (int i = 0; i < count; i++) {
        client_t* c = &g_clients[i];
        kx_netman_init(&c->netman, 256);
        std::snprintf(c->netman.player_name, sizeof(c->netman.player_name), "load-%d", i);
        c->netman.OnBuffer = on_buffer;
        c->netman.OnConnect = on_connect;
        c->netman.OnDisconnect = on_disconnect;
        c->stats = &result->stats[i];
        c->last_state_ms = -1;
        c->states_sent = 0;
        kx_netman_connect(&c->netman, "127.0.0.1", cfg->port);
    }
    // Join: every client greeted, said hello and got its user list.
    double deadline = now_ms() + cfg->join_timeout_ms;
    for (;;) {
        poll_all();
        int joined = 0, gone = 0;
        for (int i = 0; i < count; i++) {
            joined += result->stats[i].joined;
            gone += result->stats[i].disconnected;
        }
        if (joined + gone == count || now_ms() > deadline) {
            result->all_joined = joined == count;
            break;
        }
        wait_sockets(5);
    }
    for (int i = 0; i < count; i++) {
        result->stats[i].id = g_clients[i].netman.id;
        result->stats[i].sent_msgs = result->stats[i].sent_bytes = 0;
        result->stats[i].recv_msgs = result->stats[i].recv_bytes = result->stats[i].states_recv = 0;
    }
    // Send: each client on its own 50 ms schedule, staggered so they do not all send at once.
    g_measuring = true;
    double start = now_ms();
    double end = start + cfg->seconds * 1000.0;
    double next[LOADGEN_MAX_CLIENTS];
    for (int i = 0; i < count; i++) next[i] = start + (double)cfg->period_ms * i / count;
    for (;;) {
        double t = now_ms();
        if (t >= end) break;
        poll_all();
        double soonest = end;
        for (int i = 0; i < count; i++) {
            client_t* c = &g_clients[i];
            if (c->netman.tcp.status != KX_SOCK_CONNECTED) continue;
            if (t >= next[i]) {
                send_state(c, cfg, t);
                next[i] += cfg->period_ms;
                if (next[i] < t) next[i] = t + cfg->period_ms;
            }
            if (next[i] < soonest) soonest = next[i];
        }
        int wait = (int)(soonest - now_ms());
        wait_sockets(wait < 0 ? 0 : (wait > 20 ? 20 : wait));
    }
    result->seconds = (now_ms() - start) / 1000.0;
    g_measuring = false;
    int ok = result->all_joined;
    for (int i = 0; i < count; i++) {
        if (result->stats[i].disconnected) ok = 0;
        kx_netman_disconnect(&g_clients[i].netman, KX_NETMAN_REASON_LEFT, 0);
        kx_netman_term(&g_clients[i].netman);
    }
    g_count = 0;
    return ok ? 0 : 1;
}

void loadgen_report(const loadgen_result_t* r, bool json, FILE* out) {
    double s = r->seconds > 0 ? r->seconds : 1;
    uint64_t tot[4] = {0, 0, 0, 0};
    double psum = 0;
    uint64_t pcount = 0;
    if (json)
        std::fprintf(out, "{\"clients\": %d, \"seconds\": %.3f, \"all_joined\": %s, \"per_client\": [",
                     r->clients, r->seconds, r->all_joined ? "true" : "false");
    for (int i = 0; i < r->clients; i++) {
        const loadgen_client_stats_t* c = &r->stats[i];
        tot[0] += c->sent_msgs;
        tot[1] += c->sent_bytes;
        tot[2] += c->recv_msgs;
        tot[3] += c->recv_bytes;
        psum += c->period_sum_ms;
        pcount += c->period_count;
        double period = c->period_count ? c->period_sum_ms / c->period_count : 0;
        if (json) {
            std::fprintf(
                out,
                "%s\n  {\"id\": %u, \"joined\": %s, \"disconnected\": %s, \"reason\": %d, \"code\": %d, "
                "\"sent_msgs_per_s\": %.1f, \"sent_bytes_per_s\": %.1f, \"recv_msgs_per_s\": %.1f, "
                "\"recv_bytes_per_s\": %.1f, \"state_period_ms\": %.2f}",
                i ? "," : "", c->id, c->joined ? "true" : "false", c->disconnected ? "true" : "false",
                c->reason, c->code, c->sent_msgs / s, c->sent_bytes / s, c->recv_msgs / s, c->recv_bytes / s,
                period);
        } else {
            std::fprintf(
                out,
                "client %2d id %u%s: sent %.1f msg/s %.1f B/s, received %.1f msg/s %.1f B/s, state period "
                "%.2f ms\n",
                i, c->id, c->disconnected ? " (dropped)" : (c->joined ? "" : " (not joined)"),
                c->sent_msgs / s, c->sent_bytes / s, c->recv_msgs / s, c->recv_bytes / s, period);
        }
    }
    double period = pcount ? psum / pcount : 0;
    if (json) {
        std::fprintf(
            out,
            "\n], \"total\": {\"sent_msgs_per_s\": %.1f, \"sent_bytes_per_s\": %.1f, \"recv_msgs_per_s\": "
            "%.1f, \"recv_bytes_per_s\": %.1f, \"state_period_ms\": %.2f}}\n",
            tot[0] / s, tot[1] / s, tot[2] / s, tot[3] / s, period);
    } else {
        std::fprintf(out,
                     "total: sent %.1f msg/s %.1f B/s, received %.1f msg/s %.1f B/s, state period %.2f ms\n",
                     tot[0] / s, tot[1] / s, tot[2] / s, tot[3] / s, period);
    }
}
