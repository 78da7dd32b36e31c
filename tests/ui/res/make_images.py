#!/usr/bin/env python3
"""Writes the test images: a 12x12 nine-patch (4 px corners red, green, blue,
yellow; white edges; grey middle) and a two-state strip (red | green)."""
import struct
import zlib


def write_png(path, width, height, pixel):
    rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def nine_patch(x, y):
    left, right, top, bottom = x < 4, x >= 8, y < 4, y >= 8
    if left and top:
        return (255, 0, 0, 255)
    if right and top:
        return (0, 255, 0, 255)
    if left and bottom:
        return (0, 0, 255, 255)
    if right and bottom:
        return (255, 255, 0, 255)
    if left or right or top or bottom:
        return (255, 255, 255, 255)
    return (128, 128, 128, 255)


if __name__ == "__main__":
    write_png("ninepatch.png", 12, 12, nine_patch)
    write_png("twostates.png", 16, 8, lambda x, y: (255, 0, 0, 255) if x < 8 else (0, 255, 0, 255))
