// Main loop of ironvale-server. Depends on kx_netman_server, server_wait.
#include "server/server_loop.h"

#include <time.h>

#include "server/server_wait.h"

uint32_t server_loop_clock_ms() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint32_t)((uint64_t)ts.tv_sec * 1000u + (uint64_t)ts.tv_nsec / 1000000u);
}

int server_loop_timeout(const kx_netman_server_t* server, uint32_t now) {
    const kx_server_socket_t* tcp = &server->tcp;
    bool registered = false;
    for (int i = 0; i < tcp->client_count; i++) {
        if (tcp->clients[i].flags & KX_SERVER_FLAG_KICK) return 0;  // carry the kick out now
        if (tcp->clients[i].flags & KX_NETMAN_FLAG_REGISTERED) registered = true;
    }
    if (!registered) return 1000;  // nothing periodic to do; sockets wake us
    int since_state = (uint16_t)((uint16_t)now - server->last_state);
    int since_ping = (uint16_t)((uint16_t)now - server->last_ping);
    int to_state = KX_NETMAN_STATE_PERIOD - since_state;
    int to_ping = KX_NETMAN_PING_PERIOD + 1 - since_ping;
    int t = to_state < to_ping ? to_state : to_ping;
    return t < 0 ? 0 : t;
}

void server_loop_step(kx_netman_server_t* server, int ready, uint32_t now) {
    server->now = (uint16_t)now;
    if ((ready & SERVER_WAIT_TCP) || ready < 0 || server_loop_timeout(server, now) == 0) {
        // Datagrams first: the states that came since the last cycle go out in this one.
        kx_udp_server_poll(&server->udp);
        kx_netman_server_poll(server, now);
    } else if (ready & SERVER_WAIT_UDP) {
        kx_udp_server_poll(&server->udp);
    }
}

void server_loop_run(kx_netman_server_t* server, volatile sig_atomic_t* stop) {
    server_wait_t wait;
    bool have_epoll = server_wait_init(&wait) == 0;
    kx_netman_server_poll(server, server_loop_clock_ms());
    while (!*stop) {
        int timeout = server_loop_timeout(server, server_loop_clock_ms());
        int ready = -1;
        if (have_epoll) {
            ready = server_wait_run(&wait, server, timeout);
        } else {
            struct timespec ts = {0, 2000000};  // no epoll: a short sleep keeps the rates
            nanosleep(&ts, nullptr);
        }
        if (*stop) break;
        server_loop_step(server, ready, server_loop_clock_ms());
    }
    server_wait_term(&wait);
}
