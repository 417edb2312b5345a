// Platform layer of the socket code: the few calls where BSD sockets and
// WinSock differ (start-up, non-blocking mode, error numbers, closing).
// Everything else in engine/net uses plain BSD names through this header.
// Depends on the system socket headers only.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
typedef int kx_socklen_t;
#ifndef MSG_NOSIGNAL
#define MSG_NOSIGNAL 0
#endif
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
typedef socklen_t kx_socklen_t;
#endif

// A socket as the records store it: a WinSock SOCKET is pointer-sized, so the
// Windows build keeps it whole in a signed pointer-sized int (INVALID_SOCKET
// reads as -1, so "fd < 0" means no socket in both builds).
#ifdef _WIN32
typedef intptr_t kx_socket_t;
#else
typedef int kx_socket_t;
#endif

// IPv4 socket address as stored in the records (16 bytes).
typedef struct sockaddr_in kx_sockaddr_t;

// Start the socket library once per process (WinSock); 0 on success, non-zero on failure.
int kx_sock_startup();

// Make a descriptor non-blocking; 0 on success, -1 on failure.
int kx_sock_set_nonblocking(kx_socket_t fd);

// Close a descriptor (closesocket on Windows); negative descriptors are ignored.
void kx_sock_close(kx_socket_t fd);

// The error number of the last failed socket call (errno or WSAGetLastError()).
int kx_sock_errno();

// True when the error means "nothing to do now" (EAGAIN / EWOULDBLOCK).
bool kx_sock_would_block(int err);

// True when a non-blocking connect reports it is under way.
bool kx_sock_in_progress(int err);

// True when a connect failed because nothing listens there (ECONNREFUSED / WSAECONNREFUSED).
bool kx_sock_refused(int err);

// True when a connect gave up waiting for the peer (ETIMEDOUT / WSAETIMEDOUT).
bool kx_sock_timed_out(int err);

// Check n descriptors for pending input without waiting: ready[i] = 1 when fds[i] can be read
// (or has failed). On a failure of the check itself every entry is set to 1, so callers
// fall back to trying each one. Returns the number of ready descriptors.
int kx_sock_poll_readable(const kx_socket_t* fds, int n, uint8_t* ready);

// Resolver error of the last failed host lookup (h_errno or WSAGetLastError()).
int kx_sock_resolver_errno();

// Open a non-blocking socket of type (SOCK_STREAM or SOCK_DGRAM) with SO_REUSEADDR, bound to port
// on every interface; addr receives that address. The descriptor, or -1 after an "ERROR ..." log
// line (nothing is left open).
kx_socket_t kx_sock_open_server(int type, int port, kx_sockaddr_t* addr);

// Output queue of a stream socket: q (cap bytes) holds *qlen bytes the system has not taken yet.
// Failures of both calls: the send's error number, EAGAIN when the queue is full, or -1 when the
// system took nothing (the peer is gone). The caller ends the connection on a failure.
// Hand the queued bytes to the system. 0 when all went or the rest has to wait.
int kx_sock_queue_flush(kx_socket_t fd, uint8_t* q, int* qlen);
// Send len bytes after the queued ones, queueing what the system does not take. 0 when sent or queued.
int kx_sock_send_queued(kx_socket_t fd, uint8_t* q, int* qlen, int cap, const uint8_t* data, int len);
