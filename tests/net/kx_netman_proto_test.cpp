// Game state messages and broadcasts read from hand-built bytes: every check against the
// bytes present, at and one past each limit, and a written message byte for byte.
#include "engine/net/kx_netman_proto.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "net/net_test_util.h"

namespace {

// id 17, ping 40, clock 1234, the constant 1, frags 3, deaths 4, the magic words, st_len.
bytes_t header(uint32_t st_len) { return u16s({17, 40, 1234, 1, 3, 4, 0xFAFF, 0xBAB0}) + u32s({st_len}); }
bytes_t fill(size_t n, uint8_t v = 7) { return bytes_t(n, v); }
const bytes_t st = fill(32, 9);

TEST(NetmanProto, StateMessagesAreCheckedAgainstTheirBytes) {
    struct {
        const char* name;
        bytes_t msg;
        int result;
        int32_t count = 0;
        uint32_t events_len = 0;
    } cases[] = {
        {"state alone", header(32) + st, KX_NETMAN_PROTO_OK},
        {"no events", header(32) + st + u32s({0}), KX_NETMAN_PROTO_OK},
        {"a negative count reads as none", header(32) + st + u32s({0xFFFFFFFF}), KX_NETMAN_PROTO_OK, -1},
        {"two events", header(32) + st + u32s({2, 96}) + fill(96), KX_NETMAN_PROTO_OK, 2, 96},
        {"2048 bytes", header(2028) + fill(2028), KX_NETMAN_PROTO_OK},
        {"2049 bytes", header(2029) + fill(2029), KX_NETMAN_PROTO_TOO_LONG},
        {"19 bytes", fill(19), KX_NETMAN_PROTO_SHORT},
        {"empty state", header(0), KX_NETMAN_PROTO_OK},
        {"st_len 2049", header(2049) + st, KX_NETMAN_PROTO_STATE_TOO_LONG},
        {"st_len one past the end", header(33) + st, KX_NETMAN_PROTO_STATE_PAST_END},
        {"three bytes of a count", header(32) + st + fill(3), KX_NETMAN_PROTO_EVENTS_PAST_END},
        {"count without its length", header(32) + st + u32s({1}), KX_NETMAN_PROTO_EVENTS_PAST_END, 1},
        {"events length 2049", header(32) + st + u32s({1, 2049}) + fill(48), KX_NETMAN_PROTO_EVENTS_TOO_LONG,
         1, 2049},
        {"47 of 48 event bytes", header(32) + st + u32s({1, 48}) + fill(47), KX_NETMAN_PROTO_EVENTS_PAST_END,
         1, 48},
        {"two events in 48 bytes", header(32) + st + u32s({2, 48}) + fill(48),
         KX_NETMAN_PROTO_EVENTS_MISMATCH, 2, 48},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        kx_netman_state_msg_t m;
        bytes_t exact = c.msg;  // the parser may read these bytes and no more
        ASSERT_EQ(kx_netman_proto_parse_state(exact.data(), (int)exact.size(), &m), c.result);
        EXPECT_EQ(std::tuple(m.event_count, m.events_len), std::tuple(c.count, c.events_len));
        if (c.result == KX_NETMAN_PROTO_SHORT || c.result == KX_NETMAN_PROTO_TOO_LONG) continue;
        EXPECT_EQ(std::tuple(m.id, m.ping, m.clock, m.frags, m.deaths), std::tuple(17, 40, 1234, 3, 4));
        if (c.result != KX_NETMAN_PROTO_OK) continue;
        EXPECT_EQ(m.state, exact.data() + 20);
        EXPECT_EQ(m.events, c.count > 0 ? exact.data() + 20 + m.st_len + 8 : nullptr);
    }
}

TEST(NetmanProto, WrittenStateMessageByteForByte) {
    const bytes_t units = fill(96, 5), want = header(32) + st + u32s({2, 96}) + units;
    uint8_t out[300];
    EXPECT_EQ(kx_netman_proto_write_state(out, (int)want.size(), 17, 40, 1234, 3, 4, st.data(), 32,
                                          units.data(), 2),
              (int)want.size());
    EXPECT_EQ(bytes_t(out, out + want.size()), want);
    EXPECT_EQ(kx_netman_proto_write_state(out, (int)want.size() - 1, 17, 40, 1234, 3, 4, st.data(), 32,
                                          units.data(), 2),
              -1);
}

TEST(NetmanProto, BroadcastHeaderEntriesAndEvents) {
    // ping 40, count 1, total 12; Bob (18): ping 50, frags 2, deaths 1, a 4-byte state; no events.
    const bytes_t msg =
        u16s({40, 0}) + u32s({1, 12}) + u16s({18, 50, 2, 1}) + u32s({4}) + fill(4) + u32s({0});
    uint16_t ping = 0;
    int32_t count = 0, events = -9;
    int ofs = 0;
    ASSERT_EQ(kx_netman_proto_read_bcast_header(msg.data(), (int)msg.size(), &ping, &count, &ofs), 0);
    EXPECT_EQ(std::tuple(ping, count, ofs), std::tuple(40, 1, 12));
    kx_netman_bcast_entry_t e;
    ASSERT_EQ(kx_netman_proto_read_bcast_entry(msg.data(), (int)msg.size(), &ofs, &e), 0);
    EXPECT_EQ(std::tuple(e.id, e.ping, e.frags, e.deaths, e.st_len, ofs), std::tuple(18, 50, 2, 1, 4, 28));
    EXPECT_EQ(e.state, msg.data() + 24);
    uint32_t len = 1;
    const uint8_t* units = msg.data();
    EXPECT_EQ(kx_netman_proto_read_events(msg.data(), (int)msg.size(), ofs, &events, &len, &units), 0);
    EXPECT_EQ(std::tuple(events, len, units), std::tuple(0, 0u, nullptr));

    // Cut short: a header of 7 bytes, a first entry that cannot start, a state past the end.
    EXPECT_EQ(kx_netman_proto_read_bcast_header(msg.data(), 7, &ping, &count, &ofs), -1);
    EXPECT_EQ(kx_netman_proto_read_bcast_header(msg.data(), 11, &ping, &count, &ofs), -1);
    const bytes_t none = u16s({9, 0}) + u32s({0}) + u32s({0});
    ASSERT_EQ(kx_netman_proto_read_bcast_header(none.data(), 8, &ping, &count, &ofs), 0);
    EXPECT_EQ(std::tuple(ping, count, ofs), std::tuple(9, 0, 8));
    for (int cut : {23, 27}) {
        ofs = 12;
        EXPECT_EQ(kx_netman_proto_read_bcast_entry(msg.data(), cut, &ofs, &e), -1) << cut;
    }
    ofs = -1;
    EXPECT_EQ(kx_netman_proto_read_bcast_entry(msg.data(), (int)msg.size(), &ofs, &e), -1);
}

TEST(NetmanProto, EventBlocksAtAnyOffset) {
    const bytes_t block = u32s({2, 96}) + fill(96, 3);
    struct {
        const char* name;
        int len, offset, result;
        int32_t count;
        uint32_t events_len;
    } cases[] = {
        {"whole block at offset 0", 104, 0, 0, 2, 96},      {"a negative offset", 104, -1, -1, 0, 0},
        {"three bytes of a count", 3, 0, -1, 0, 0},         {"count without its length", 7, 0, -1, 2, 0},
        {"one byte short of the units", 103, 0, -1, 2, 96},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t count = -9;
        uint32_t len = 1;
        const uint8_t* units = nullptr;
        EXPECT_EQ(kx_netman_proto_read_events(block.data(), c.len, c.offset, &count, &len, &units), c.result);
        EXPECT_EQ(std::tuple(count, len), std::tuple(c.count, c.events_len));
        EXPECT_EQ(units, c.result == 0 ? block.data() + 8 : nullptr);
    }
}

}  // namespace
