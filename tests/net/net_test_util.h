// Helpers for network tests: raw sockets on 127.0.0.1 that send and read
// exact bytes, frame builders, random ports, and an event-driven wait.
// Depends on kx_net, GoogleTest-free (plain C++).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/net/kx_netman_server.h"

using bytes_t = std::vector<uint8_t>;

// Generous limit for anything to happen (slow sanitizer builds on a busy machine).
constexpr int NET_TEST_TIMEOUT_MS = 20000;

// Call step until it returns true or timeout_ms passes; waits briefly between calls.
bool net_test_wait(const std::function<bool()>& step, int timeout_ms = NET_TEST_TIMEOUT_MS);
// A random port in 20000..59999.
int net_test_random_port();
// Start the netman server on a random free port (tried until both TCP and UDP bind). Port or -1.
int net_test_start_netman_server(kx_netman_server_t* server, uint16_t app_version);
// Start a kx_server_socket_t and kx_udp_server_t pair on one random free port. Port or -1.
int net_test_start_server_sockets(kx_server_socket_t* tcp, kx_udp_server_t* udp);

// Raw sockets (blocking) on 127.0.0.1.
int raw_tcp_listen(int* port);      // ephemeral port; listening fd
int raw_tcp_accept(int listen_fd);  // waits up to the test timeout; fd or -1
int raw_tcp_connect(int port);      // fd or -1
int raw_udp_bind(int* port);        // ephemeral port; fd
bool raw_send(int fd, const bytes_t& data);
bool raw_send_to(int fd, int port, const bytes_t& data);
// Read exactly n bytes (waiting up to the test timeout).
bool raw_read(int fd, size_t n, bytes_t* out);
// Read one frame: header then payload.
bool raw_read_frame(int fd, int* msgtype, bytes_t* payload);
// Read frames until one of msgtype arrives (others are skipped).
bool raw_read_frame_of(int fd, int msgtype, bytes_t* payload);
// Receive one datagram (waiting up to the test timeout).
bool raw_recv_datagram(int fd, bytes_t* out);
// True once the peer has closed the stream (data before the end is discarded).
bool raw_wait_eof(int fd, int timeout_ms = NET_TEST_TIMEOUT_MS);
// Append whatever is waiting on fd without blocking.
void raw_read_available(int fd, bytes_t* out);
// Bytes waiting to be read on fd.
int raw_pending(int fd);

// Frame: header {version, len, msgtype, 0} and payload. len < 0: payload size.
bytes_t net_frame(int msgtype, const bytes_t& payload, int version = 2, int len = -1);
// Datagram: 16-byte header and payload. len < 0: payload size.
bytes_t net_datagram(int msgtype, uint32_t id, const bytes_t& payload, int version = 2, int len = -1);
// Little-endian field writers appending to a byte vector.
void put16(bytes_t* b, uint16_t v);
void put32(bytes_t* b, uint32_t v);
uint16_t get16(const bytes_t& b, size_t ofs);
uint32_t get32(const bytes_t& b, size_t ofs);
// A 32-byte name field.
bytes_t name_field(const std::string& name);
