#!/usr/bin/env python3
"""Write the seed corpus of valid messages for every fuzz harness under corpus/<harness>/.

Run from anywhere: python3 tests/fuzz/make_corpus.py. Files are small and committed.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(msgtype, payload, version=2):
    return struct.pack("<HHHH", version, len(payload), msgtype, 0) + payload


def datagram(msgtype, uid, payload, reserved=0):
    return struct.pack("<HHHHII", 2, len(payload), msgtype, 0, uid, reserved) + payload


def name(text):
    return text.encode().ljust(32, b"\0")


def event_units(n):
    out = b""
    for i in range(n):
        ev = struct.pack("<HHHH", 1, 17, 17, 0) + struct.pack("<3f", 1.0, 2.0, 0.5) + b"\0" * 4
        ev += struct.pack("<3f", 0.1, 0.2, 0.0) + b"\0" * 4
        out += struct.pack("<II", 0x01050206, 40) + ev
    return out


def state_msg(uid, events=0):
    st = struct.pack("<ii6f", 100, 0, 1.0, 2.0, 0.1, 0.0, 0.0, 0.0)
    head = struct.pack("<HHHHHHHHI", uid, 20, 1234, 1, 3, 4, 0xFAFF, 0xBAB0, len(st))
    return head + st + struct.pack("<II", events, 48 * events) + event_units(events)


def user_list(entries):
    out = struct.pack("<I", len(entries))
    for uid, nm in entries:
        out += struct.pack("<HHHH", uid, 30, 0, 0x100) + name(nm)
    return out


def broadcast(entries, events=0):
    body = b"".join(struct.pack("<HHHHi", uid, 40, 1, 2, 32) + state_msg(uid)[20:52] for uid in entries)
    out = struct.pack("<HHi", 25, 0, len(entries))
    if entries:
        out += struct.pack("<I", 40 * len(entries)) + body
    out += struct.pack("<i", events)
    if events:
        out += struct.pack("<I", 48 * events) + event_units(events)
    return out


greeting = struct.pack("<HH", 256, 17) + name("Test Server")
hello = struct.pack("<HH", 256, 17) + name("Player")
text = b"Alice joined. Welcome! Press Y to chat\0"
ping = struct.pack("<HH", 1000, 40)

corpus = {
    "fuzz_client_frames": {
        "greeting": b"\x08" + frame(0x104, greeting),
        "two_frames": b"\x01" + frame(0x101, ping) + frame(0x110, text),
        "empty_frame": b"\x00" + frame(0x110, b""),
        "broadcast_events": b"\x20" + frame(0x119, broadcast([18, 19], 3)),
    },
    "fuzz_client_datagram": {
        "broadcast": datagram(0x119, 17, broadcast([18, 19]), 1255),
        "lone": datagram(0x119, 17, broadcast([])),
    },
    "fuzz_netman_client": {
        "greeting": b"\x01" + struct.pack("<H", 0x104) + greeting,
        "ping": b"\x01" + struct.pack("<H", 0x101) + ping,
        "userlist": b"\x01" + struct.pack("<H", 0x109) + user_list([(17, "Alice"), (18, "Bob")]),
        "text": b"\x01" + struct.pack("<H", 0x110) + text,
        "broadcast_tcp": b"\x01" + struct.pack("<H", 0x119) + broadcast([18], 2),
        "broadcast_udp": b"\x00" + datagram(0x119, 17, broadcast([18, 19])),
    },
    "fuzz_server_frames": {
        "hello": b"\x08" + frame(0x105, hello),
        "state_and_text": b"\x02" + frame(0x118, state_msg(17, 2)) + frame(0x110, text),
        "ping_reply": b"\x00" + frame(0x102, ping),
    },
    "fuzz_server_datagram": {
        "state": datagram(0x118, 17, state_msg(17)),
        "state_other": datagram(0x118, 18, state_msg(18)),
        "unknown_id": datagram(0x118, 99, state_msg(99)),
    },
    "fuzz_server_message": {
        "hello": b"\x02" + struct.pack("<H", 0x105) + struct.pack("<HH", 256, 19) + name("Carol"),
        "state": b"\x00" + struct.pack("<H", 0x118) + state_msg(17),
        "state_events": b"\x01" + struct.pack("<H", 0x118) + state_msg(18, 3),
        "ping_reply": b"\x00" + struct.pack("<H", 0x102) + ping,
        "text": b"\x01" + struct.pack("<H", 0x110) + text,
    },
}

for harness, files in corpus.items():
    d = os.path.join(HERE, "corpus", harness)
    os.makedirs(d, exist_ok=True)
    for fname, data in files.items():
        with open(os.path.join(d, fname), "wb") as f:
            f.write(data)
print("seed corpus written under", os.path.join(HERE, "corpus"))
