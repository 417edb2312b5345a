// Wire helpers shared by every network module: little-endian field access and
// the two transport headers. Both builds are little-endian, so fields are copied
// without swapping; memcpy keeps unaligned reads defined.
// Depends on nothing.
#pragma once

#include <cstdint>
#include <cstring>

// Socket protocol version, first field of every frame and datagram header.
constexpr int KX_NET_SOCK_VERSION = 2;
// Largest payload of one frame or datagram.
constexpr int KX_NET_MAX_PAYLOAD = 8192;
constexpr int KX_NET_FRAME_HEADER = 8;
constexpr int KX_NET_DATAGRAM_HEADER = 16;
// Send buffers hold one datagram header and a full payload.
constexpr int KX_NET_SEND_BUF_SIZE = KX_NET_DATAGRAM_HEADER + KX_NET_MAX_PAYLOAD;
// Receive buffers hold a whole frame of maximum length with its header (TCP), or a
// whole datagram (UDP).
constexpr int KX_NET_RECV_BUF_SIZE = KX_NET_DATAGRAM_HEADER + KX_NET_MAX_PAYLOAD;
constexpr int KX_NET_MAX_FRAME = KX_NET_FRAME_HEADER + KX_NET_MAX_PAYLOAD;
// Frames handled in one pass before the connection is considered abusive.
constexpr int KX_NET_MAX_FRAMES_PER_PASS = 99;

inline uint16_t kx_net_get_u16(const uint8_t* p) {
    uint16_t v;
    std::memcpy(&v, p, 2);
    return v;
}
inline uint32_t kx_net_get_u32(const uint8_t* p) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline int32_t kx_net_get_i32(const uint8_t* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}
inline void kx_net_put_u16(uint8_t* p, uint16_t v) { std::memcpy(p, &v, 2); }
inline void kx_net_put_u32(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }

// Characters of a received text before its NUL, never more than len (texts may lack the NUL).
inline int kx_net_text_len(const void* p, int len) {
    if (!p || len <= 0) return 0;
    const void* nul = std::memchr(p, 0, (size_t)len);
    return nul ? (int)((const uint8_t*)nul - (const uint8_t*)p) : len;
}
// The text itself, or "" when there is none (for "%.*s" with kx_net_text_len).
inline const char* kx_net_text(const void* p) { return p ? (const char*)p : ""; }

// Frame header (TCP), 8 bytes, then `len` payload bytes, then the next frame:
//   0 u16 version (2)   2 u16 len (0..8192)   4 u16 msgtype   6 u16 flags (0)
struct kx_net_frame_header_t {
    uint16_t version, len, msgtype, flags;
};

// Datagram header (UDP), 16 bytes, then `len` payload bytes; one message per datagram:
//   0 u16 version (2)   2 u16 len   4 u16 msgtype   6 u16 flags (0)
//   8 u32 sender's user id   12 u32 reserved (client writes 0, server 1255)
struct kx_net_datagram_header_t {
    uint16_t version, len, msgtype, flags;
    uint32_t id, reserved;
};

// Read a frame header from 8 bytes.
kx_net_frame_header_t kx_net_wire_read_frame(const uint8_t* p);
// Write the frame header {2, len, msgtype, 0} into 8 bytes.
void kx_net_wire_write_frame(uint8_t* p, uint16_t len, uint16_t msgtype);
// Read a datagram header from 16 bytes.
kx_net_datagram_header_t kx_net_wire_read_datagram(const uint8_t* p);
// Write a datagram header into 16 bytes (version 2, flags 0).
void kx_net_wire_write_datagram(uint8_t* p, uint16_t len, uint16_t msgtype, uint32_t id, uint32_t reserved);
