// Platform layer of the socket code: BSD sockets on Linux, WinSock 2 on Windows.
// Depends on kx_log (for the WinSock start-up failure line).
#include "engine/net/kx_sock.h"

#include <cerrno>
#include <cstring>

#include "engine/app/kx_log.h"

#ifdef _WIN32
int kx_sock_startup() {
    static bool started = false;
    if (started) return 0;
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 0), &data) != 0) {
        kxLog("%s\n", "Cannot initialize WinSock");
        return 1;
    }
    started = true;
    return 0;
}
int kx_sock_set_nonblocking(kx_socket_t fd) {
    u_long on = 1;
    return ioctlsocket((SOCKET)fd, FIONBIO, &on) == 0 ? 0 : -1;
}
void kx_sock_close(kx_socket_t fd) {
    if (fd >= 0) closesocket((SOCKET)fd);
}
int kx_sock_errno() { return WSAGetLastError(); }
bool kx_sock_would_block(int err) { return err == WSAEWOULDBLOCK; }
bool kx_sock_in_progress(int err) { return err == WSAEWOULDBLOCK || err == WSAEINPROGRESS; }
bool kx_sock_refused(int err) { return err == WSAECONNREFUSED; }
bool kx_sock_timed_out(int err) { return err == WSAETIMEDOUT; }
int kx_sock_resolver_errno() { return WSAGetLastError(); }
static int poll_fds(WSAPOLLFD* p, int n) { return WSAPoll(p, (ULONG)n, 0); }
typedef WSAPOLLFD kx_pollfd_t;
#else
#include <fcntl.h>
#include <unistd.h>

int kx_sock_startup() { return 0; }
int kx_sock_set_nonblocking(kx_socket_t fd) {
    int fl = fcntl(fd, F_GETFL, 0);
    if (fl < 0) return -1;
    return fcntl(fd, F_SETFL, fl | O_NONBLOCK) == 0 ? 0 : -1;
}
void kx_sock_close(kx_socket_t fd) {
    if (fd >= 0) close(fd);
}
int kx_sock_errno() { return errno; }
bool kx_sock_would_block(int err) { return err == EAGAIN || err == EWOULDBLOCK; }
bool kx_sock_in_progress(int err) { return err == EAGAIN || err == EINPROGRESS; }
bool kx_sock_refused(int err) { return err == ECONNREFUSED; }
bool kx_sock_timed_out(int err) { return err == ETIMEDOUT; }
int kx_sock_resolver_errno() { return h_errno; }
#include <poll.h>
static int poll_fds(struct pollfd* p, int n) { return poll(p, (nfds_t)n, 0); }
typedef struct pollfd kx_pollfd_t;
#endif

int kx_sock_poll_readable(const kx_socket_t* fds, int n, uint8_t* ready) {
    constexpr int kMax = 64;
    kx_pollfd_t p[kMax];
    if (n > kMax) n = kMax;
    for (int i = 0; i < n; i++) {
        p[i].fd = (decltype(p[i].fd))fds[i];
        p[i].events = POLLIN;
        p[i].revents = 0;
    }
    if (poll_fds(p, n) < 0) {
        for (int i = 0; i < n; i++) ready[i] = 1;
        return n;
    }
    int count = 0;
    for (int i = 0; i < n; i++) {
        ready[i] = p[i].revents != 0 ? 1 : 0;
        count += ready[i];
    }
    return count;
}

kx_socket_t kx_sock_open_server(int type, int port, kx_sockaddr_t* addr) {
    kx_socket_t fd = (kx_socket_t)socket(AF_INET, type, type == SOCK_DGRAM ? IPPROTO_UDP : IPPROTO_TCP);
    if (fd < 0) {
        kxLog("%s\n", "ERROR opening server socket");
        return -1;
    }
    int on = 1;
    if (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, (const char*)&on, sizeof(on)) != 0) {
        kxLog("%s\n", "ERROR on setting setsockopt SO_REUSEADDR");
        kx_sock_close(fd);
        return -1;
    }
    std::memset(addr, 0, sizeof(*addr));
    addr->sin_family = AF_INET;
    addr->sin_addr.s_addr = htonl(INADDR_ANY);
    addr->sin_port = htons((uint16_t)port);
    if (bind(fd, (const struct sockaddr*)addr, sizeof(*addr)) != 0) {
        kxLog("%s\n", "ERROR on server binding");
        kx_sock_close(fd);
        return -1;
    }
    kx_sock_set_nonblocking(fd);
    return fd;
}

int kx_sock_queue_flush(kx_socket_t fd, uint8_t* q, int* qlen) {
    while (*qlen > 0) {
        int n = (int)send(fd, (const char*)q, *qlen, MSG_NOSIGNAL);
        if (n < 0) {
            int err = kx_sock_errno();
            return kx_sock_would_block(err) ? 0 : err;
        }
        if (n == 0) return -1;
        std::memmove(q, q + n, *qlen - n);
        *qlen -= n;
    }
    return 0;
}

int kx_sock_send_queued(kx_socket_t fd, uint8_t* q, int* qlen, int cap, const uint8_t* data, int len) {
    int n = 0;  // bytes the system took; older bytes go first, so a frame never overtakes a queued one
    if (*qlen > 0) {
        int r = kx_sock_queue_flush(fd, q, qlen);
        if (r != 0) return r;
    }
    if (*qlen == 0) {
        n = (int)send(fd, (const char*)data, len, MSG_NOSIGNAL);
        if (n < 0) {
            int err = kx_sock_errno();
            if (!kx_sock_would_block(err)) return err;
            n = 0;
        } else if (n == 0 && len > 0) {
            return -1;
        }
    }
    if (n == len) return 0;
    // A full queue ends the connection rather than letting the stream lose part of a frame.
    if (*qlen + len - n > cap) return EAGAIN;
    std::memcpy(q + *qlen, data + n, len - n);
    *qlen += len - n;
    return 0;
}
