// epoll wait for ironvale-server. Depends on kx_netman_server and Linux epoll.
#include "server/server_wait.h"

#include <sys/epoll.h>
#include <unistd.h>

#include <cerrno>

namespace {

bool same_socket(const server_wait_entry_t& a, const server_wait_entry_t& b) {
    return a.fd == b.fd && a.key == b.key;
}

// Bring one wanted socket into the set; old is its previous registration or null.
void sync_one(int epfd, const server_wait_entry_t& want, const server_wait_entry_t* old) {
    if (old && old->events == want.events) return;
    epoll_event ev{};
    ev.events = want.events;
    ev.data.u32 = want.key == -1 ? SERVER_WAIT_UDP : SERVER_WAIT_TCP;
    if (epoll_ctl(epfd, old ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, want.fd, &ev) == 0) return;
    if (errno == EEXIST) epoll_ctl(epfd, EPOLL_CTL_MOD, want.fd, &ev);
    if (errno == ENOENT) epoll_ctl(epfd, EPOLL_CTL_ADD, want.fd, &ev);
}

}  // namespace

int server_wait_init(server_wait_t* w) {
    *w = {};
    w->epfd = epoll_create1(EPOLL_CLOEXEC);
    return w->epfd >= 0 ? 0 : -1;
}

void server_wait_term(server_wait_t* w) {
    if (w->epfd >= 0) close(w->epfd);
    w->epfd = -1;
}

int server_wait_run(server_wait_t* w, const kx_netman_server_t* server, int timeout_ms) {
    server_wait_entry_t want[SERVER_WAIT_MAX];
    int n = 0;
    bool registered = false;
    want[n++] = {server->tcp.fd, -2, EPOLLIN};
    for (int i = 0; i < server->tcp.client_count; i++) {
        const kx_server_client_t* c = &server->tcp.clients[i];
        want[n++] = {c->fd, c->id, (unsigned)EPOLLIN | (c->out_len > 0 ? (unsigned)EPOLLOUT : 0u)};
        registered = registered || (c->flags & KX_NETMAN_FLAG_REGISTERED);
    }
    // With players in the game the states they send wait for the next state cycle (at most 51 ms
    // away, see server_loop_step) instead of waking the server one datagram at a time.
    if (!registered) want[n++] = {server->udp.fd, -1, EPOLLIN};
    // Sockets no longer wanted leave the set (closed ones have left already).
    for (int k = 0; k < w->count; k++) {
        bool kept = false;
        for (int j = 0; j < n && !kept; j++) kept = same_socket(want[j], w->entries[k]);
        if (!kept) epoll_ctl(w->epfd, EPOLL_CTL_DEL, w->entries[k].fd, nullptr);
    }
    for (int j = 0; j < n; j++) {
        const server_wait_entry_t* old = nullptr;
        for (int k = 0; k < w->count && !old; k++)
            if (same_socket(want[j], w->entries[k])) old = &w->entries[k];
        sync_one(w->epfd, want[j], old);
    }
    for (int j = 0; j < n; j++) w->entries[j] = want[j];
    w->count = n;
    epoll_event evs[SERVER_WAIT_MAX];
    int r = epoll_wait(w->epfd, evs, SERVER_WAIT_MAX, timeout_ms);
    if (r < 0) return -1;
    int ready = 0;
    for (int i = 0; i < r; i++) ready |= (int)evs[i].data.u32;
    return ready;
}
