#!/usr/bin/env python3
"""Draws the placeholder artwork (plain PNG, no image library needed)."""
import colorsys, struct, sys, zlib, os

def png(path, size, pixel):
    rows = b"".join(b"\0" + b"".join(bytes(pixel(x, y, size)) for x in range(size)) for y in range(size))
    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xffffffff)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))

def rounded(rgb, inner=None):
    def pixel(x, y, s):
        m = s // 8
        if x < m or y < m or x >= s - m or y >= s - m:
            return (0, 0, 0, 0)
        if inner and s // 3 <= x < s - s // 3 and s // 3 <= y < s - s // 3:
            return inner + (255,)
        return rgb + (255,)
    return pixel

out = sys.argv[1]
for fw in ("QVAction", "QVEAction"):
    d = os.path.join(out, fw, "Resources"); os.makedirs(d, exist_ok=True)
    png(os.path.join(d, "default.png"), 32, rounded((74, 123, 208), (255, 255, 255)))
    png(os.path.join(d, "unknown.png"), 32, rounded((150, 150, 150), (90, 90, 90)))
d = os.path.join(out, "QVEAction", "Resources")
for fam in range(1000, 1020):
    r, g, b = colorsys.hls_to_rgb((fam - 1000) / 20.0, 0.5, 0.6)
    png(os.path.join(d, "family%d.png" % fam), 16, rounded((int(r * 255), int(g * 255), int(b * 255))))
