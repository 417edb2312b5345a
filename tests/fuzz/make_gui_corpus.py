#!/usr/bin/env python3
"""Write the seed corpus of fuzz_gui (an item file, a language file and a layout file in one
input: u16 item-file length, u16 language-file length, the two files, then the layout file)
into the folder given as the first argument. scripts/fuzz.sh runs it; nothing is committed."""
import os
import sys
from struct import pack


def gui_file(items, count=None):
    out = pack("<i", len(items) if count is None else count)
    for level, typ, flags, param, value, value_max in items:
        out += pack("<iiiI", level, 0, typ, flags) + pack("<4f", *param)
        out += pack("<iiiI", value, value_max, 1, 0) + pack("<4f", 0.0, 0.0, 0.5, 0.25)
    return out


def lang_file(texts, count=None):
    out = pack("<i", len(texts) if count is None else count)
    for t in texts:
        out += pack("<I", len(t)) + t
    return out


def coords_file(recs, count=None):
    out = pack("<i", len(recs) if count is None else count)
    for nav, layout, mask, value in recs:
        out += pack("<4i", *nav) + pack("<12f", *layout) + pack("<IIII", mask, value, 0, 0)
    return out


def bundle(g, l, c):
    return pack("<HH", len(g), len(l)) + g + l + c


FILL = [0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1]
REST = (0.0, 0.0, 1.0, 1.0)


def em(x, y, w, h):
    return [x, 0, 0, y, 0, 0, w, 0, 0, h, 0, 0]


# Every item type under one screen, with links, flags set and cleared by the layout file.
menu = [(0, 0, 0, REST, 0, 0), (1, 0, 0, REST, 0, 0)] + [
    (2, t, f, (0.0, 0.5, 0.25, 0.75) if t != 6 else (0.5, 0, 0, 0), v, m)
    for t, f, v, m in [(1, 0x4, 0, 0), (2, 0x8 | 0x80, 0, 0), (3, 0x10, 0, 0), (4, 0x2, 0, 0), (5, 0, 0, 0),
                       (6, 0x20, 0, 0), (7, 0x200, 0, 0), (8, 0x2, 1, 3), (9, 0x102, 5, 0), (10, 0, 0, 0),
                       (11, 0x400, 0, 0)]]
texts = [b"", b""] + [b"Item %d" % i for i in range(len(menu) - 2)]
texts[3] = b"\xcd\xe0\xf1\xf2\xf0\xee\xe9\xea\xe8 wrapped \\ across lines"
recs = [([0] * 4, FILL, 0, 0), ([2, 0, 0, 0], FILL, 0, 0)] + [
    ([1, -1, 2, -2], em(1, 1 + 3 * i, 20, 2), 0x1 if i == 3 else 0, 0) for i in range(len(menu) - 2)]
g, l, c = gui_file(menu), lang_file(texts), coords_file(recs)
corpus = {
    "menu": bundle(g, l, c),
    "short_coords": bundle(g, l, c[:-30]),
    "lang_mismatch": bundle(g, lang_file(texts[:-1]), c),
    "deep_levels": bundle(gui_file([(i, 3, 0, REST, 0, 0) for i in range(70)]), b"",
                          coords_file([([0] * 4, em(0.5, 0.5, 30, 20), 0, 0)] * 70)),
    "too_many": bundle(gui_file([(1, 2, 0, REST, 0, 0)] * 2, count=400), lang_file([b"a"] * 2, count=400), b""),
}
out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus", "fuzz_gui")
os.makedirs(out, exist_ok=True)
for name, data in corpus.items():
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
