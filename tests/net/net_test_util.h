// Raw sockets on 127.0.0.1 that send and read exact bytes, byte builders, and event-driven waits.
#pragma once

#include <arpa/inet.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

using bytes_t = std::vector<uint8_t>;
using pairs_t = std::vector<std::pair<int, int>>;
using net_clock_t = std::chrono::steady_clock;

inline net_clock_t::time_point net_deadline(int ms = 20000) {
    return net_clock_t::now() + std::chrono::milliseconds(ms);
}
inline bool net_wait(const std::function<bool()>& step) {
    for (auto end = net_deadline(); !step(); std::this_thread::sleep_for(std::chrono::microseconds(500)))
        if (net_clock_t::now() > end) return false;
    return true;
}
inline int net_free_port(const std::function<bool(int port)>& start) {
    static std::mt19937 rng((unsigned)getpid() ^ (unsigned)net_clock_t::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 50; attempt++)
        if (int port = 20000 + (int)(rng() % 40000); start(port)) return port;
    return -1;
}

// Every raw socket stays open until raw_close or raw_close_all.
inline std::vector<int> g_raw_open;
inline int raw_kept(int fd) { return fd >= 0 ? g_raw_open.push_back(fd), fd : -1; }
inline void raw_close(int& fd) {
    if (fd >= 0) close(fd);
    g_raw_open.erase(std::remove(g_raw_open.begin(), g_raw_open.end(), fd), g_raw_open.end());
    fd = -1;
}
inline void raw_close_all() {
    for (int fd : g_raw_open) close(fd);
    g_raw_open.clear();
}
inline sockaddr_in raw_loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET, a.sin_addr.s_addr = htonl(INADDR_LOOPBACK), a.sin_port = htons((uint16_t)port);
    return a;
}
inline int raw_port(int fd) {
    sockaddr_in a{};
    socklen_t l = sizeof(a);
    return getsockname(fd, (sockaddr*)&a, &l), ntohs(a.sin_port);
}
inline bool raw_readable(int fd, net_clock_t::time_point end) {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(end - net_clock_t::now()).count();
    pollfd p = {fd, POLLIN, 0};
    return ms > 0 && poll(&p, 1, (int)ms) > 0;
}
// A TCP listener or UDP socket on 127.0.0.1:*port (0: an ephemeral port, stored); fd or -1.
inline int raw_bound(int type, int* port) {
    int fd = socket(AF_INET, type, 0);
    sockaddr_in a = raw_loopback(*port);
    if (bind(fd, (sockaddr*)&a, sizeof(a)) == 0 && (type == SOCK_DGRAM || listen(fd, 64) == 0))
        return *port = raw_port(fd), raw_kept(fd);
    return close(fd), -1;
}
inline int raw_listen(int* port) { return raw_bound(SOCK_STREAM, port); }
inline int raw_udp(int* port) { return raw_bound(SOCK_DGRAM, port); }
inline int raw_accept(int fd) {
    return raw_kept(raw_readable(fd, net_deadline()) ? accept(fd, nullptr, nullptr) : -1);
}
inline int raw_connect(int port) {
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = raw_loopback(port);
    return connect(fd, (sockaddr*)&a, sizeof(a)) == 0 ? raw_kept(fd) : (close(fd), -1);
}
inline bool raw_send(int fd, const bytes_t& b) {
    for (ssize_t done = 0, n; done < (ssize_t)b.size(); done += n)
        if ((n = send(fd, b.data() + done, b.size() - done, MSG_NOSIGNAL)) <= 0) return false;
    return true;
}
inline bool raw_send_to(int fd, int port, const bytes_t& b) {
    sockaddr_in a = raw_loopback(port);
    return sendto(fd, b.data(), b.size(), 0, (sockaddr*)&a, sizeof(a)) == (ssize_t)b.size();
}
inline bool raw_read(int fd, size_t n, bytes_t* out) {  // exactly n bytes
    out->assign(n, 0);
    auto end = net_deadline();
    for (ssize_t done = 0, r; done < (ssize_t)n; done += r)
        if (!raw_readable(fd, end) || (r = recv(fd, out->data() + done, n - done, 0)) <= 0) return false;
    return true;
}
inline uint16_t get16(const bytes_t& b, size_t ofs) { return (uint16_t)(b[ofs] | (b[ofs + 1] << 8)); }
inline bytes_t& operator+=(bytes_t& a, const bytes_t& b) { return a.insert(a.end(), b.begin(), b.end()), a; }
inline bytes_t operator+(bytes_t a, const bytes_t& b) { return a += b; }
// The next frame of msgtype (any when negative; others are skipped); empty on a timeout.
inline bytes_t raw_frame(int fd, int msgtype = -1) {
    for (bytes_t h, payload; raw_read(fd, 8, &h) && raw_read(fd, get16(h, 2), &payload);)
        if (msgtype < 0 || get16(h, 4) == msgtype) return h + payload;
    return {};
}
inline bytes_t raw_datagram(int fd) {  // empty on a timeout
    bytes_t d(9000);
    ssize_t n = raw_readable(fd, net_deadline()) ? recv(fd, d.data(), d.size(), 0) : -1;
    return d.resize(n > 0 ? (size_t)n : 0), d;
}
// True once the peer has closed the stream.
inline bool raw_eof(int fd, int timeout_ms = 20000) {
    uint8_t buf[4096];
    for (auto end = net_deadline(timeout_ms); raw_readable(fd, end);)
        if (ssize_t r = recv(fd, buf, sizeof(buf), 0); r <= 0) return r == 0 || errno == ECONNRESET;
    return false;
}
inline int raw_pending(int fd) {
    int n = 0;
    return ioctl(fd, FIONREAD, &n), n;
}

// Little-endian u16/u32 fields, a 32-byte name, a text with its NUL, a frame {version, len,
// msgtype, 0} + payload, a datagram {version, len, msgtype, 0, id, reserved} + payload.
inline bytes_t u16s(std::initializer_list<int> v) {
    bytes_t b;
    for (int x : v) b.insert(b.end(), {(uint8_t)x, (uint8_t)(x >> 8)});
    return b;
}
inline bytes_t u32s(std::initializer_list<uint32_t> v) {
    bytes_t b;
    for (uint32_t x : v) b += u16s({(int)(x & 0xFFFF), (int)(x >> 16)});
    return b;
}
inline bytes_t name32(const std::string& s) {
    bytes_t b(32, 0);
    return std::memcpy(b.data(), s.data(), std::min<size_t>(s.size(), 32)), b;
}
inline bytes_t cstr(const std::string& s) { return bytes_t(s.c_str(), s.c_str() + s.size() + 1); }
inline bytes_t frame(int msgtype, const bytes_t& payload, int version = 2, int len = -1) {
    return u16s({version, len < 0 ? (int)payload.size() : len, msgtype, 0}) + payload;
}
inline bytes_t datagram(int msgtype, uint32_t id, const bytes_t& payload, int version = 2, int len = -1,
                        uint32_t reserved = 0) {
    return frame(msgtype, u32s({id, reserved}) + payload, version, len < 0 ? (int)payload.size() : len);
}
