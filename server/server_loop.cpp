// Main loop of ironvale-server. Depends on kx_netman_server and POSIX poll().
#include "server/server_loop.h"

#include <poll.h>
#include <time.h>

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

int server_loop_wait(const kx_netman_server_t* server, int timeout_ms) {
    struct pollfd fds[2 + KX_SERVER_MAX_CLIENTS];
    int n = 0;
    fds[n++] = {server->udp.fd, POLLIN, 0};
    fds[n++] = {server->tcp.fd, POLLIN, 0};
    for (int i = 0; i < server->tcp.client_count; i++) {
        const kx_server_client_t* c = &server->tcp.clients[i];
        fds[n++] = {c->fd, (short)(POLLIN | (c->out_len > 0 ? POLLOUT : 0)), 0};
    }
    if (poll(fds, n, timeout_ms) < 0) return -1;
    int ready = fds[0].revents ? SERVER_LOOP_UDP : 0;
    for (int i = 1; i < n; i++)
        if (fds[i].revents) ready |= SERVER_LOOP_TCP;
    return ready;
}

void server_loop_step(kx_netman_server_t* server, int ready, uint32_t now) {
    if ((ready & SERVER_LOOP_TCP) || ready < 0 || server_loop_timeout(server, now) == 0) {
        kx_netman_server_poll(server, now);
    } else if (ready & SERVER_LOOP_UDP) {
        server->now = (uint16_t)now;
        kx_udp_server_poll(&server->udp);
    }
}

void server_loop_run(kx_netman_server_t* server, volatile sig_atomic_t* stop) {
    kx_netman_server_poll(server, server_loop_clock_ms());
    while (!*stop) {
        int ready = server_loop_wait(server, server_loop_timeout(server, server_loop_clock_ms()));
        if (*stop) break;
        server_loop_step(server, ready, server_loop_clock_ms());
    }
}
