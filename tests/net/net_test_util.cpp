// Helpers for network tests; see net_test_util.h. Depends on kx_net and POSIX sockets.
#include "net/net_test_util.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <random>
#include <thread>

namespace {

double now_ms() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

sockaddr_in loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons((uint16_t)port);
    return a;
}

int bound_port(int fd) {
    sockaddr_in a{};
    socklen_t l = sizeof(a);
    getsockname(fd, (sockaddr*)&a, &l);
    return ntohs(a.sin_port);
}

bool wait_readable(int fd, int timeout_ms) {
    pollfd p = {fd, POLLIN, 0};
    return poll(&p, 1, timeout_ms) > 0;
}

}  // namespace

bool net_test_wait(const std::function<bool()>& step, int timeout_ms) {
    double end = now_ms() + timeout_ms;
    for (;;) {
        if (step()) return true;
        if (now_ms() > end) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

int net_test_random_port() {
    static std::mt19937 rng((unsigned)(getpid() * 7919u) ^
                            (unsigned)std::chrono::steady_clock::now().time_since_epoch().count());
    return 20000 + (int)(rng() % 40000);
}

int net_test_start_netman_server(kx_netman_server_t* server, uint16_t app_version) {
    for (int attempt = 0; attempt < 50; attempt++) {
        kx_netman_server_init(server, app_version);
        int port = net_test_random_port();
        if (kx_netman_server_start(server, port) == 0) return port;
        kx_netman_server_term(server);
    }
    return -1;
}

int net_test_start_server_sockets(kx_server_socket_t* tcp, kx_udp_server_t* udp) {
    for (int attempt = 0; attempt < 50; attempt++) {
        kx_server_socket_init(tcp, nullptr);
        kx_udp_server_init(udp, nullptr);
        int port = net_test_random_port();
        if (kx_server_socket_start(tcp, port) == 0 && kx_udp_server_start(udp, port) == 0) return port;
        kx_server_socket_term(tcp);
        kx_udp_server_term(udp);
    }
    return -1;
}

int raw_tcp_listen(int* port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(0);
    if (bind(fd, (sockaddr*)&a, sizeof(a)) != 0 || listen(fd, 64) != 0) return -1;
    *port = bound_port(fd);
    return fd;
}

int raw_tcp_accept(int listen_fd) {
    if (!wait_readable(listen_fd, NET_TEST_TIMEOUT_MS)) return -1;
    return accept(listen_fd, nullptr, nullptr);
}

int raw_tcp_connect(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = loopback(port);
    if (connect(fd, (sockaddr*)&a, sizeof(a)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int raw_udp_bind(int* port) {
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a = loopback(0);
    if (bind(fd, (sockaddr*)&a, sizeof(a)) != 0) return -1;
    *port = bound_port(fd);
    return fd;
}

bool raw_send(int fd, const bytes_t& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
        if (n <= 0) return false;
        done += (size_t)n;
    }
    return true;
}

bool raw_send_to(int fd, int port, const bytes_t& data) {
    sockaddr_in a = loopback(port);
    return sendto(fd, data.data(), data.size(), 0, (sockaddr*)&a, sizeof(a)) == (ssize_t)data.size();
}

bool raw_read(int fd, size_t n, bytes_t* out) {
    out->assign(n, 0);
    size_t done = 0;
    double end = now_ms() + NET_TEST_TIMEOUT_MS;
    while (done < n) {
        int left = (int)(end - now_ms());
        if (left <= 0 || !wait_readable(fd, left)) return false;
        ssize_t r = recv(fd, out->data() + done, n - done, 0);
        if (r <= 0) return false;
        done += (size_t)r;
    }
    return true;
}

bool raw_read_frame(int fd, int* msgtype, bytes_t* payload) {
    bytes_t h;
    if (!raw_read(fd, 8, &h)) return false;
    *msgtype = get16(h, 4);
    return raw_read(fd, get16(h, 2), payload);
}

bool raw_read_frame_of(int fd, int msgtype, bytes_t* payload) {
    for (int k = 0; k < 1000; k++) {
        int t = 0;
        if (!raw_read_frame(fd, &t, payload)) return false;
        if (t == msgtype) return true;
    }
    return false;
}

bool raw_recv_datagram(int fd, bytes_t* out) {
    if (!wait_readable(fd, NET_TEST_TIMEOUT_MS)) return false;
    out->assign(9000, 0);
    ssize_t n = recv(fd, out->data(), out->size(), 0);
    if (n < 0) return false;
    out->resize((size_t)n);
    return true;
}

bool raw_wait_eof(int fd, int timeout_ms) {
    double end = now_ms() + timeout_ms;
    uint8_t buf[4096];
    for (;;) {
        int left = (int)(end - now_ms());
        if (left <= 0 || !wait_readable(fd, left)) return false;
        ssize_t r = recv(fd, buf, sizeof(buf), 0);
        if (r == 0) return true;
        if (r < 0) return errno == ECONNRESET;
    }
}

void raw_read_available(int fd, bytes_t* out) {
    uint8_t buf[65536];
    ssize_t n;
    while ((n = recv(fd, buf, sizeof(buf), MSG_DONTWAIT)) > 0) out->insert(out->end(), buf, buf + n);
}

int raw_pending(int fd) {
    int n = 0;
    ioctl(fd, FIONREAD, &n);
    return n;
}

void put16(bytes_t* b, uint16_t v) {
    b->push_back((uint8_t)v);
    b->push_back((uint8_t)(v >> 8));
}

void put32(bytes_t* b, uint32_t v) {
    put16(b, (uint16_t)v);
    put16(b, (uint16_t)(v >> 16));
}

uint16_t get16(const bytes_t& b, size_t ofs) { return (uint16_t)(b[ofs] | (b[ofs + 1] << 8)); }
uint32_t get32(const bytes_t& b, size_t ofs) { return get16(b, ofs) | ((uint32_t)get16(b, ofs + 2) << 16); }

bytes_t net_frame(int msgtype, const bytes_t& payload, int version, int len) {
    bytes_t b;
    put16(&b, (uint16_t)version);
    put16(&b, (uint16_t)(len < 0 ? payload.size() : len));
    put16(&b, (uint16_t)msgtype);
    put16(&b, 0);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

bytes_t net_datagram(int msgtype, uint32_t id, const bytes_t& payload, int version, int len) {
    bytes_t b;
    put16(&b, (uint16_t)version);
    put16(&b, (uint16_t)(len < 0 ? payload.size() : len));
    put16(&b, (uint16_t)msgtype);
    put16(&b, 0);
    put32(&b, id);
    put32(&b, 0);
    b.insert(b.end(), payload.begin(), payload.end());
    return b;
}

bytes_t name_field(const std::string& name) {
    bytes_t b(32, 0);
    std::memcpy(b.data(), name.data(), name.size() < 32 ? name.size() : 32);
    return b;
}
