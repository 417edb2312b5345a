#!/usr/bin/env python3
"""Write the seed corpus of valid messages for every fuzz harness under corpus/<harness>/.

Run from anywhere: python3 tests/fuzz/make_corpus.py. Files are small and committed.
"""
import os
from struct import pack

HERE = os.path.dirname(os.path.abspath(__file__))


def frame(msgtype, payload):
    return pack("<HHHH", 2, len(payload), msgtype, 0) + payload


def datagram(msgtype, uid, payload, reserved=0):
    return pack("<HHHHII", 2, len(payload), msgtype, 0, uid, reserved) + payload


def name(text):
    return text.encode().ljust(32, b"\0")


def event_units(n):
    ev = pack("<HHHH3f4x3f4x", 1, 17, 17, 0, 1.0, 2.0, 0.5, 0.1, 0.2, 0.0)
    return b"".join(pack("<II", 0x01050206, 40) + ev for _ in range(n))


def state_msg(uid, events=0):
    st = pack("<ii6f", 100, 0, 1.0, 2.0, 0.1, 0.0, 0.0, 0.0)
    head = pack("<HHHHHHHHI", uid, 20, 1234, 1, 3, 4, 0xFAFF, 0xBAB0, len(st))
    return head + st + pack("<II", events, 48 * events) + event_units(events)


def broadcast(entries, events=0):
    body = b"".join(pack("<HHHHi", uid, 40, 1, 2, 32) + state_msg(uid)[20:52] for uid in entries)
    out = pack("<HHi", 25, 0, len(entries)) + (pack("<I", 40 * len(entries)) + body if entries else b"")
    return out + pack("<i", events) + (pack("<I", 48 * events) + event_units(events) if events else b"")


def msg(first, msgtype, payload):  # harness input: a selector byte, a msgtype, the payload
    return bytes([first]) + pack("<H", msgtype) + payload


greeting, hello = pack("<HH", 256, 17) + name("Test Server"), pack("<HH", 256, 17) + name("Player")
text, ping = b"Alice joined. Welcome! Press Y to chat\0", pack("<HH", 1000, 40)
users = pack("<IHHHH", 2, 17, 30, 0, 0x100) + name("Alice") + pack("<HHHH", 18, 30, 0, 0x100) + name("Bob")
corpus = {
    "fuzz_client_frames": {"greeting": b"\x08" + frame(0x104, greeting),
                           "empty_frame": b"\x00" + frame(0x110, b""),
                           "two_frames": b"\x01" + frame(0x101, ping) + frame(0x110, text),
                           "broadcast_events": b"\x20" + frame(0x119, broadcast([18, 19], 3))},
    "fuzz_client_datagram": {"broadcast": datagram(0x119, 17, broadcast([18, 19]), 1255),
                             "lone": datagram(0x119, 17, broadcast([]))},
    "fuzz_netman_client": {"greeting": msg(1, 0x104, greeting), "ping": msg(1, 0x101, ping),
                           "userlist": msg(1, 0x109, users), "text": msg(1, 0x110, text),
                           "broadcast_tcp": msg(1, 0x119, broadcast([18], 2)),
                           "broadcast_udp": b"\x00" + datagram(0x119, 17, broadcast([18, 19]))},
    "fuzz_server_frames": {"hello": b"\x08" + frame(0x105, hello), "ping_reply": b"\x00" + frame(0x102, ping),
                           "state_and_text": b"\x02" + frame(0x118, state_msg(17, 2)) + frame(0x110, text)},
    "fuzz_server_datagram": {"state": datagram(0x118, 17, state_msg(17)),
                             "state_other": datagram(0x118, 18, state_msg(18)),
                             "unknown_id": datagram(0x118, 99, state_msg(99))},
    "fuzz_server_message": {"hello": msg(2, 0x105, pack("<HH", 256, 19) + name("Carol")),
                            "state": msg(0, 0x118, state_msg(17)),
                            "state_events": msg(1, 0x118, state_msg(18, 3)),
                            "ping_reply": msg(0, 0x102, ping), "text": msg(1, 0x110, text)},
}
for harness, files in corpus.items():
    os.makedirs(os.path.join(HERE, "corpus", harness), exist_ok=True)
    for fname, data in files.items():
        with open(os.path.join(HERE, "corpus", harness, fname), "wb") as f:
            f.write(data)
print("seed corpus written under", os.path.join(HERE, "corpus"))
