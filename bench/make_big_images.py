#!/usr/bin/env python3
"""Writes the large, valid photographs that compare_load.sh fits, into the folder given:
big-1bit.png (30000 x 30000 grey, 1 bit), big-rle8.bmp (30000 x 30000, 8-bit RLE) and
big-rgb.png (16000 x 16000 true colour, 8 bits, not interlaced). The left half of every picture
is light and the right half dark, so the fitted desktop can be checked at two points:
`make_big_images.py check BITMAP` prints "ok" when a 24-bit bitmap is so."""
import struct
import sys
import zlib


def png(path, width, height, bit_depth, colour_type, row):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bit_depth, colour_type,
                                             0, 0, 0)))
        deflate = zlib.compressobj(6)
        line = b"\x00" + row
        data = bytearray()
        for _ in range(height):
            data += deflate.compress(line)
            if len(data) > 1 << 20:
                out.write(chunk(b"IDAT", bytes(data)))
                data.clear()
        data += deflate.flush()
        out.write(chunk(b"IDAT", bytes(data)))
        out.write(chunk(b"IEND", b""))


def rle8_bmp(path, width, height):
    # Each row: the left half in runs of palette entry 1, the right half of entry 2, then an
    # end of line; the last row ends the bitmap instead.
    row = bytearray()
    for half, index in ((width // 2, 1), (width - width // 2, 2)):
        while half > 0:
            run = min(255, half)
            row += bytes((run, index))
            half -= run
    pixels = (bytes(row) + b"\x00\x00") * (height - 1) + bytes(row) + b"\x00\x01"
    palette = bytes((0, 0, 0, 0)) + bytes((40, 200, 230, 0)) + bytes((90, 30, 20, 0))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 1, len(pixels), 2835, 2835, 3, 0)
    offset = 14 + len(header) + len(palette)
    with open(path, "wb") as out:
        out.write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset))
        out.write(header + palette + pixels)


def check(path):
    data = open(path, "rb").read()
    offset = struct.unpack("<I", data[10:14])[0]
    width, height = struct.unpack("<ii", data[18:26])
    stride = (width * 3 + 3) // 4 * 4

    def brightness(x, y):
        row = height - 1 - y if height > 0 else y
        at = offset + row * stride + 3 * x
        return sum(data[at:at + 3])

    rows = (0, abs(height) // 2, abs(height) - 1)
    light = all(brightness(width // 4, y) > 400 for y in rows)
    dark = all(brightness(width * 3 // 4, y) < 200 for y in rows)
    print("ok" if light and dark else f"WRONG ({width} x {height})")


def main():
    if sys.argv[1] == "check":
        check(sys.argv[2])
        return
    folder = sys.argv[1]
    side = 30000
    png(f"{folder}/big-1bit.png", side, side, 1, 0, b"\xff" * (side // 16) + b"\x00" * (side // 16))
    rle8_bmp(f"{folder}/big-rle8.bmp", side, side)
    side = 16000
    png(f"{folder}/big-rgb.png", side, side, 8, 2,
        bytes((230, 200, 40)) * (side // 2) + bytes((20, 30, 90)) * (side // 2))


if __name__ == "__main__":
    main()
