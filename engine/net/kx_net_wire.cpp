// Transport header packing; the layouts are written out in kx_net_wire.h.
// Depends on nothing.
#include "engine/net/kx_net_wire.h"

kx_net_frame_header_t kx_net_wire_read_frame(const uint8_t* p) {
    return {kx_net_get_u16(p), kx_net_get_u16(p + 2), kx_net_get_u16(p + 4), kx_net_get_u16(p + 6)};
}

void kx_net_wire_write_frame(uint8_t* p, uint16_t len, uint16_t msgtype) {
    kx_net_put_u16(p, KX_NET_SOCK_VERSION);
    kx_net_put_u16(p + 2, len);
    kx_net_put_u16(p + 4, msgtype);
    kx_net_put_u16(p + 6, 0);
}

kx_net_datagram_header_t kx_net_wire_read_datagram(const uint8_t* p) {
    return {kx_net_get_u16(p),     kx_net_get_u16(p + 2), kx_net_get_u16(p + 4),
            kx_net_get_u16(p + 6), kx_net_get_u32(p + 8), kx_net_get_u32(p + 12)};
}

void kx_net_wire_write_datagram(uint8_t* p, uint16_t len, uint16_t msgtype, uint32_t id, uint32_t reserved) {
    kx_net_put_u16(p, KX_NET_SOCK_VERSION);
    kx_net_put_u16(p + 2, len);
    kx_net_put_u16(p + 4, msgtype);
    kx_net_put_u16(p + 6, 0);
    kx_net_put_u32(p + 8, id);
    kx_net_put_u32(p + 12, reserved);
}
