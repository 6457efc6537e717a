#!/usr/bin/env python3
"""Draws the settings window's icons and writes them as Windows icon files.

Each icon is drawn from a few shapes on a transparent square and written as a classic icon
(32-bit BGRA bitmap with its AND mask), which every icon reader understands. The files are
checked in under src/gui/icons/, and the program's large icon also as data/drape.png for the
desktop's application menu; run this again after changing a drawing:

    python3 tools/make-icons.py src/gui/icons data
"""

import math
import os
import struct
import sys
import zlib

TRANSPARENT = (0, 0, 0, 0)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[TRANSPARENT] * size for _ in range(size)]

    def put(self, x, y, colour):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.put(x, y, colour)

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.put(x, y0, colour)
            self.put(x, y1, colour)
        for y in range(y0, y1 + 1):
            self.put(x0, y, colour)
            self.put(x1, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = max(abs(x1 - x0), abs(y1 - y0)) * 2 + 1
        for i in range(steps + 1):
            t = i / steps
            x = x0 + (x1 - x0) * t
            y = y0 + (y1 - y0) * t
            for dy in range(width):
                for dx in range(width):
                    self.put(round(x) + dx - width // 2, round(y) + dy - width // 2, colour)

    def disc(self, cx, cy, r, colour):
        for y in range(self.size):
            for x in range(self.size):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= r * r:
                    self.put(x, y, colour)

    def ring(self, cx, cy, r, width, colour, gap_from=None, gap_to=None):
        for y in range(self.size):
            for x in range(self.size):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if r - width <= d <= r:
                    angle = math.degrees(math.atan2(cx - (x + 0.5), cy - (y + 0.5))) % 360
                    if gap_from is not None and (angle >= gap_from or angle <= gap_to):
                        continue
                    self.put(x, y, colour)


GREEN = (40, 160, 60, 255)
DARK_GREEN = (20, 100, 30, 255)
RED = (200, 40, 40, 255)
BLUE = (40, 90, 190, 255)
GREY = (110, 110, 110, 255)
LIGHT = (235, 235, 235, 255)
PAPER = (250, 250, 240, 255)
BROWN = (150, 100, 50, 255)
YELLOW = (240, 200, 40, 255)
BLACK = (20, 20, 20, 255)


def apply_icon(size):
    c = Canvas(size)
    s = size / 16
    c.line(round(2 * s), round(8 * s), round(6 * s), round(12 * s), GREEN, max(2, round(2 * s)))
    c.line(round(6 * s), round(12 * s), round(14 * s), round(3 * s), GREEN, max(2, round(2 * s)))
    return c


def indicator_icon(size):
    c = Canvas(size)
    c.disc(8, 8, 6, DARK_GREEN)
    c.disc(8, 8, 4.5, GREEN)
    c.disc(6.5, 6.5, 1.5, (150, 230, 150, 255))
    return c


def monitor(c, colour):
    c.rect(1, 2, 14, 11, GREY)
    c.rect(2, 3, 13, 10, colour)
    c.rect(6, 12, 9, 12, GREY)
    c.rect(4, 13, 11, 13, GREY)


def create_autorun_icon(size):
    c = Canvas(size)
    monitor(c, BLUE)
    # A plus: add the entry.
    c.rect(7, 4, 8, 9, LIGHT)
    c.rect(5, 6, 10, 7, LIGHT)
    return c


def remove_autorun_icon(size):
    c = Canvas(size)
    monitor(c, BLUE)
    c.line(5, 4, 10, 9, RED, 2)
    c.line(10, 4, 5, 9, RED, 2)
    return c


def shortcut_icon(size):
    c = Canvas(size)
    c.rect(1, 1, 14, 14, PAPER)
    c.frame(1, 1, 14, 14, GREY)
    # The bent arrow of a shortcut.
    c.line(4, 12, 4, 8, BLUE, 2)
    c.line(4, 7, 10, 7, BLUE, 2)
    c.line(8, 4, 11, 7, BLUE, 2)
    c.line(8, 10, 11, 7, BLUE, 2)
    return c


def clipboard_icon(size):
    c = Canvas(size)
    c.rect(2, 2, 13, 15, BROWN)
    c.rect(4, 4, 11, 14, PAPER)
    c.rect(5, 1, 10, 3, GREY)
    for y in (7, 9, 11):
        c.rect(5, y, 10, y, GREY)
    return c


def documentation_icon(size):
    c = Canvas(size)
    c.rect(2, 1, 13, 14, BLUE)
    c.rect(4, 2, 13, 13, PAPER)
    for y in (4, 6, 8, 10):
        c.rect(6, y, 11, y, GREY)
    c.rect(2, 14, 13, 14, (20, 50, 120, 255))
    return c


def exit_icon(size):
    c = Canvas(size)
    c.ring(8, 8.5, 6.5, 2, RED, gap_from=330, gap_to=30)
    c.rect(7, 1, 8, 8, RED)
    return c


def program_icon(size):
    c = Canvas(size)
    s = size / 16
    c.rect(0, round(1 * s), size - 1, round(11 * s), GREY)
    c.rect(round(1 * s), round(2 * s), size - 1 - round(1 * s), round(10 * s), BLACK)
    # Yellow and black stripes: a marked desktop.
    for y in range(round(2 * s), round(10 * s) + 1):
        for x in range(round(1 * s), size - round(1 * s)):
            if ((x + y) // max(1, round(2 * s))) % 2 == 0:
                c.put(x, y, YELLOW)
    c.rect(round(6 * s), round(12 * s), round(9 * s), round(13 * s), GREY)
    c.rect(round(3 * s), round(14 * s), size - 1 - round(3 * s), round(14 * s) + max(0, round(s) - 1), GREY)
    return c


def icon_file(canvases):
    """A classic icon file: a directory, then per image a BITMAPINFOHEADER, BGRA rows
    bottom-up and a 1-bit AND mask (set where transparent)."""
    header = struct.pack("<HHH", 0, 1, len(canvases))
    entries = b""
    images = b""
    offset = 6 + 16 * len(canvases)
    for c in canvases:
        n = c.size
        info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, 0, 0, 0, 0, 0)
        xor = b""
        mask = b""
        mask_stride = ((n + 31) // 32) * 4
        for y in reversed(range(n)):
            row_mask = bytearray(mask_stride)
            for x in range(n):
                r, g, b, a = c.pixels[y][x]
                xor += bytes((b, g, r, a))
                if a == 0:
                    row_mask[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(row_mask)
        image = info + xor + mask
        entries += struct.pack("<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        images += image
    return header + entries + images


def png_file(c):
    """An RGBA PNG of the canvas."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    rows = b"".join(b"\0" + bytes(v for px in row for v in px) for row in c.pixels)
    header = struct.pack(">IIBBBBB", c.size, c.size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


ICONS = [
    ("apply", apply_icon, (16, 32)),
    ("indicator", indicator_icon, (16,)),
    ("create_autorun", create_autorun_icon, (16,)),
    ("remove_autorun", remove_autorun_icon, (16,)),
    ("shortcut", shortcut_icon, (16,)),
    ("clipboard", clipboard_icon, (16,)),
    ("documentation", documentation_icon, (16,)),
    ("exit", exit_icon, (16,)),
    ("program", program_icon, (16,)),
    ("program_large", program_icon, (32,)),
]


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "src/gui/icons"
    data = sys.argv[2] if len(sys.argv) > 2 else "data"
    os.makedirs(folder, exist_ok=True)
    os.makedirs(data, exist_ok=True)
    for name, draw, sizes in ICONS:
        with open(os.path.join(folder, name + ".ico"), "wb") as out:
            out.write(icon_file([draw(size) for size in sizes]))
    with open(os.path.join(data, "drape.png"), "wb") as out:
        out.write(png_file(program_icon(32)))


if __name__ == "__main__":
    main()
