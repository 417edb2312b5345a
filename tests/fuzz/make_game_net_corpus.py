#!/usr/bin/env python3
"""Write the seed corpus of fuzz_game_net into the directory given: sessions of valid
messages as the game receives them (user list, broadcasts with entries and events, texts).

Each record: u8 kind (0 broadcast TCP, 1 broadcast UDP, 2 user list, 3 text, 4 chat line),
u16 length, the message.
"""
import os
import sys
from struct import pack


def rec(kind, payload):
    return pack("<BH", kind, len(payload)) + payload


def name(text):
    return text.encode().ljust(32, b"\0")


def users(ids):
    return pack("<I", len(ids)) + b"".join(pack("<HHHH", uid, 30, 0, 0x100) + name("P%d" % uid) for uid in ids)


def state(x, y):
    return pack("<ii6f", 45, 0, x, y, 0.1, -0.2, 0.3, 0.4)


def unit(code, owner, sender, killer):
    return pack("<II", 0x01050206, 40) + pack("<HHHH3f4x3f4x", code, owner, sender, killer,
                                              1.0, 2.0, 0.9, 0.25, 0.0, -0.01)


def broadcast(ping, entries, events):
    body = b"".join(pack("<HHHHi", uid, 40, 1, 2, 32) + state(float(uid), 2.0) for uid in entries)
    out = pack("<HHi", ping, 0, len(entries)) + (pack("<I", 44 * len(entries)) + body if entries else b"")
    units = b"".join(events)
    return out + pack("<i", len(events)) + (pack("<I", len(units)) + units if events else b"")


others = list(range(18, 30))
corpus = {
    "session": rec(2, users([17, 18, 19])) + rec(3, b"P18: hello\0") +
               rec(0, broadcast(40, [18, 19], [unit(1, 18, 18, 0), unit(2, 19, 19, 0), unit(4, 18, 18, 17),
                                              unit(5, 18, 0, 0)])),
    "twelve": rec(2, users([17] + others)) + rec(1, broadcast(20, others, [])),
    "empty": rec(2, users([17])) + rec(1, broadcast(0, [], [])),
    "chat": rec(3, b"a: one\0") + rec(3, b"b: two\0") + rec(4, b"local line"),
}
out = sys.argv[1] if len(sys.argv) > 1 else "corpus_game_net"
os.makedirs(out, exist_ok=True)
for fname, data in corpus.items():
    with open(os.path.join(out, fname), "wb") as f:
        f.write(data)
