#!/usr/bin/env python3
"""Writes the sample files of the decoder tests into a folder.

    make_decode_samples.py OUTPUT_FOLDER

For every sample NAME it writes NAME.<ext> and NAME.rgba, the pixels that an independent
decoder (ImageMagick or Pillow) reads from the file: width and height as 32-bit little-endian
numbers, then R, G, B, A bytes row by row, top row first. A sample whose tool is missing gets
NAME.skip holding the reason instead.

Variants the tools cannot write (RLE4, RLE escapes, icons with chosen entries, PNG bit depths
Pillow lacks, ...) are put together here byte by byte. For those the script also checks that
the tool reads back the pixels they were made from, so that a mistake in this file shows up
here and not as a decoder fault.
"""

import os
import random
import shutil
import struct
import subprocess
import sys
import zlib

try:
    from PIL import Image
except ImportError:  # the Pillow samples are skipped
    Image = None

W, H = 37, 23  # odd sizes: every bit depth needs row padding


def find_magick():
    for candidate in ("/usr/bin/convert", shutil.which("convert")):
        if candidate and os.path.exists(candidate):
            probe = subprocess.run([candidate, "-version"], capture_output=True, text=True)
            if "ImageMagick" in probe.stdout:
                return candidate
    return None


MAGICK = find_magick()


class Missing(Exception):
    pass


def need_magick():
    if MAGICK is None:
        raise Missing("ImageMagick's convert is not installed (Debian package imagemagick)")


def need_pillow():
    if Image is None:
        raise Missing("Python Pillow is not installed (Debian package python3-pil)")


# --- Source pictures -------------------------------------------------------------------------


def photo(w, h, seed, alpha=False):
    """RGB(A) tuples, rows top first: gradients with noise, so neighbours differ."""
    rnd = random.Random(seed)
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            r = (x * 255 // max(w - 1, 1) + rnd.randrange(40)) % 256
            g = (y * 255 // max(h - 1, 1) + rnd.randrange(40)) % 256
            b = rnd.randrange(256)
            a = (x * 7 + y * 13 + rnd.randrange(30)) % 256 if alpha else 255
            row.append((r, g, b, a))
        rows.append(row)
    return rows


def smooth_photo(w, h, seed):
    """A picture JPEG can keep close: soft gradients with a little noise."""
    rnd = random.Random(seed)
    return [
        [
            ((x * 4 + y * 2) % 256, (128 + x - 2 * y) % 256, (y * 6 + rnd.randrange(8)) % 256, 255)
            for x in range(w)
        ]
        for y in range(h)
    ]


def indexed(w, h, colours, seed):
    rnd = random.Random(seed)
    return [[rnd.randrange(colours) for _ in range(w)] for _ in range(h)]


def palette_of(count, seed, first_black=False):
    rnd = random.Random(seed)
    entries = [(rnd.randrange(256), rnd.randrange(256), rnd.randrange(256)) for _ in range(count)]
    if first_black:
        entries[0] = (0, 0, 0)
    return entries


def rgba_bytes(rows):
    return bytes(c for row in rows for p in row for c in p)


def from_palette(indices, palette):
    return [[palette[i] + (255,) for i in row] for row in indices]


# --- Reference decoders ----------------------------------------------------------------------


def magick_decode(path, frame=None, sixteen=False):
    """With `sixteen`, the nearest 8-bit value to each 16-bit sample: ImageMagick's own
    reduction to 8 bits truncates some values and rounds others."""
    need_magick()
    source = path if frame is None else "%s[%d]" % (path, frame)
    size = subprocess.run(
        [MAGICK, source, "-format", "%w %h", "info:"], capture_output=True, text=True, check=True
    ).stdout.split()
    depth = "16" if sixteen else "8"
    pixels = subprocess.run(
        [MAGICK, source, "-depth", depth, "-endian", "MSB", "rgba:-"], capture_output=True, check=True
    ).stdout
    if sixteen:
        samples = struct.unpack(">%dH" % (len(pixels) // 2), pixels)
        pixels = bytes((v * 255 + 32767) // 65535 for v in samples)
    return int(size[0]), int(size[1]), pixels


def pillow_decode(path):
    need_pillow()
    with Image.open(path) as im:
        im.load()
        if im.mode not in ("RGBA", "LA", "PA") and "transparency" not in im.info:
            im = im.convert("RGB")
        return im.width, im.height, im.convert("RGBA").tobytes()


def check_reads_back(reference, rows, what):
    w, h, pixels = reference
    if (w, h) != (len(rows[0]), len(rows)) or pixels != rgba_bytes(rows):
        sys.exit("make_decode_samples: %s does not read back as written" % what)


# --- PNG, written by hand for full control of colour type, depth and interlacing -------------


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def pack_samples(samples, depth):
    if depth == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    if depth == 8:
        return bytes(samples)
    out, acc, bits = bytearray(), 0, 0
    for s in samples:
        acc, bits = (acc << depth) | s, bits + depth
        if bits == 8:
            out.append(acc)
            acc, bits = 0, 0
    if bits:
        out.append(acc << (8 - bits))
    return bytes(out)


ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]


def png_file(samples, colour_type, depth, palette=None, trns=None, interlace=False):
    """`samples`: rows of per-pixel tuples of samples at `depth`."""
    h, w = len(samples), len(samples[0])
    raw = bytearray()
    passes = ADAM7 if interlace else [(0, 0, 1, 1)]
    for x0, y0, dx, dy in passes:
        for y in range(y0, h, dy):
            picked = [c for p in samples[y][x0::dx] for c in p]
            if picked:
                raw += b"\0" + pack_samples(picked, depth)
    out = b"\x89PNG\r\n\x1a\n"
    out += png_chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, depth, colour_type, 0, 0, int(interlace)))
    if palette:
        out += png_chunk(b"PLTE", bytes(c for p in palette for c in p))
    if trns is not None:
        out += png_chunk(b"tRNS", trns)
    out += png_chunk(b"tEXt", b"Comment\0skipped by the decoder")
    data = zlib.compress(bytes(raw), 9)
    for at in range(0, len(data), 1000):  # several IDAT chunks
        out += png_chunk(b"IDAT", data[at : at + 1000])
    return out + png_chunk(b"IEND", b"")


def png_sample(colour_type, depth, interlace=False, trns=False, seed=1):
    top = (1 << depth) - 1
    rnd = random.Random(seed)
    palette, trns_bytes = None, None
    if colour_type == 3:
        count = min(1 << depth, 200)
        palette = palette_of(count, seed)
        samples = [[(i,) for i in row] for row in indexed(W, H, count, seed)]
        if trns:
            trns_bytes = bytes(rnd.randrange(256) for _ in range(count // 2))
    else:
        channels = {0: 1, 2: 3, 4: 2, 6: 4}[colour_type]
        samples = [[tuple(rnd.randrange(top + 1) for _ in range(channels)) for _ in range(W)] for _ in range(H)]
        if trns:
            key = samples[3][4]  # this value, wherever it occurs, is transparent
            for y in range(0, H, 5):
                samples[y][y % W] = key
            trns_bytes = b"".join(struct.pack(">H", v) for v in key)
    return png_file(samples, colour_type, depth, palette, trns_bytes, interlace)


# --- BMP, written by hand for the variants the tools do not write ----------------------------


def bmp_file(w, h, bitcount, pixel_rows, palette=(), header=40, compression=0, masks=(),
             masks_after=False, top_down=False, colours_used=0, data=None):
    """`pixel_rows`: rows of stored bytes, top row first (reversed here unless top-down)."""
    if data is None:
        stride = (w * bitcount + 31) // 32 * 4
        ordered = pixel_rows if top_down else list(reversed(pixel_rows))
        data = b"".join(r + b"\0" * (stride - len(r)) for r in ordered)
    height = -h if top_down else h
    if header == 12:
        info = struct.pack("<IHHHH", 12, w, height, 1, bitcount)
        table = b"".join(bytes((b, g, r)) for r, g, b in palette)
    else:
        info = struct.pack("<IiiHHIIiiII", header, w, height, 1, bitcount, compression, len(data),
                           2835, 2835, colours_used, 0)
        extra = b"".join(struct.pack("<I", m) for m in masks)
        if masks_after:
            info += extra
        else:
            info += (extra + b"\0" * header)[: header - 40]
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + len(info) + len(table)
    return b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset) + info + table + data


def packed_index_rows(indices, bits):
    return [pack_samples(row, bits) for row in indices]


def encode_bmp_field(value, mask):
    shift = (mask & -mask).bit_length() - 1
    bits = bin(mask).count("1")
    return ((value >> (8 - bits)) << shift) & mask if bits <= 8 else (value << (shift + bits - 8)) & mask


def masked_rows(rows, masks, bytes_per_pixel):
    out = []
    for row in rows:
        b = bytearray()
        for p in row:
            v = 0
            for c, m in zip(p, masks):
                if m:
                    v |= encode_bmp_field(c, m)
            b += v.to_bytes(bytes_per_pixel, "little")
        out.append(bytes(b))
    return out


def truncate_to_mask(rows, masks):
    """The colours a masked pixel format can hold, widened back as decoders do."""
    def widen(v, m):
        bits = bin(m).count("1")
        if bits == 0:
            return 0
        v >>= 8 - bits
        out, filled = v << (8 - bits), bits
        while filled < 8:
            out |= out >> bits
            filled += bits
        return out & 255
    return [[tuple(widen(c, m) for c, m in zip(p[:3], masks[:3])) + (255,) for p in row] for row in rows]


def rle_pixels(seq, four):
    """Runs and absolute stretches for one stretch of a row, no end of line. An RLE4 run
    alternates the two values of its byte, so a run there is any stretch of period two."""
    step = 2 if four else 1

    def run_starts(k):
        return k + 2 < len(seq) and (seq[k + 2] == seq[k] if four else seq[k] == seq[k + 1] == seq[k + 2])

    out, i = bytearray(), 0
    while i < len(seq):
        j = i + 1
        while j < len(seq) and j - i < 255 and (j - i < step or seq[j] == seq[j - step]):
            j += 1
        if j - i >= 3 or j == len(seq):
            second = seq[i + 1] if four and i + 1 < j else seq[i]
            out += bytes((j - i, seq[i] << 4 | second if four else seq[i]))
            i = j
            continue
        k = i  # a literal stretch until the next run of three
        while k < len(seq) and k - i < 255 and not run_starts(k):
            k += 1
        stretch = seq[i:k] if k > i else seq[i:i + 1]
        if len(stretch) < 3:
            for v in stretch:
                out += bytes((1, v * 17 if four else v))
        else:
            body = pack_samples(stretch, 4) if four else bytes(stretch)
            out += bytes((0, len(stretch))) + body + (b"\0" if len(body) % 2 else b"")
        i += len(stretch)
    return bytes(out)


def rle_stream(indices, four, escapes=False):
    """Rows bottom-up; with `escapes`, holes made with delta, early end of line and of bitmap."""
    h = len(indices)
    out = bytearray()
    bottom_up = list(reversed(indices))
    r = 0
    while r < h:
        row = bottom_up[r]
        if escapes and r == 2:  # a hole of 4 pixels inside the row
            out += rle_pixels(row[:5], four) + bytes((0, 2, 4, 0)) + rle_pixels(row[9:], four)
        elif escapes and r == 5:  # 3 right and 2 rows up: the rest of rows 5 and 6 stay black
            out += rle_pixels(row[:6], four) + bytes((0, 2, 3, 2)) + rle_pixels(bottom_up[7][9:], four)
            r = 7
        elif escapes and r == 9:  # end of line after 10 pixels
            out += rle_pixels(row[:10], four)
        elif escapes and r == h - 3:  # end of bitmap: the top three rows stay black
            out += bytes((0, 1))
            return bytes(out)
        else:
            out += rle_pixels(row, four)
        out += bytes((0, 0))
        r += 1
    return bytes(out[:-2]) + bytes((0, 1))


def ico_file(entries):
    """`entries`: (width, height, bitcount, bytes) in directory order."""
    head = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    directory, body = b"", b""
    for w, h, bitcount, data in entries:
        directory += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, bitcount, len(data), offset + len(body))
        body += data
    return head + directory + body


def icon_dib(rows, bitcount, mask, palette=()):
    """A bitmap entry: colour bitmap (doubled height in the header) and mask, bottom-up."""
    h, w = len(rows), len(rows[0])
    if bitcount <= 8:
        stored = packed_index_rows(rows, bitcount)
    elif bitcount == 24:
        stored = [bytes(c for p in row for c in (p[2], p[1], p[0])) for row in rows]
    else:
        stored = [bytes(c for p in row for c in (p[2], p[1], p[0], p[3])) for row in rows]
    stride = (w * bitcount + 31) // 32 * 4
    mask_stride = (w + 31) // 32 * 4
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, bitcount, 0, 0, 0, 0, 0, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    xor = b"".join(r + b"\0" * (stride - len(r)) for r in reversed(stored))
    mask_rows = [pack_samples(m, 1) for m in mask]
    and_ = b"".join(r + b"\0" * (mask_stride - len(r)) for r in reversed(mask_rows))
    return info + table + xor + and_


def circle_mask(w, h):
    return [[0 if (x - w / 2) ** 2 + (y - h / 2) ** 2 < (w / 2.2) ** 2 else 1 for x in range(w)] for y in range(h)]


def with_mask(rows, mask):
    return [[p[:3] + (0 if m else 255,) for p, m in zip(row, mrow)] for row, mrow in zip(rows, mask)]


# --- The samples -----------------------------------------------------------------------------

SAMPLES = {}  # name -> (extension, function that writes the file and returns its reference)


def sample(name, ext):
    def register(make):
        SAMPLES[name] = (ext, make)
        return make
    return register


def magick_converted(path, rows, *arguments):
    """Has ImageMagick write `rows` (saved as PNG by Pillow first) with `arguments`."""
    need_magick()
    need_pillow()
    source = path + ".src.png"
    w, h = len(rows[0]), len(rows)
    Image.frombytes("RGBA", (w, h), rgba_bytes(rows)).convert("RGB").save(source)
    subprocess.run([MAGICK, source, *arguments], check=True)
    os.remove(source)


def header_field(path, at, fmt, expected, what):
    with open(path, "rb") as f:
        data = f.read()
    if struct.unpack_from(fmt, data, at)[0] != expected:
        sys.exit("make_decode_samples: %s" % what)


# PNG: every colour type (0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA) at every legal
# depth, some interlaced, tRNS for palette, grey and RGB; and one written by Pillow.
def register_png(t, d, interlace=False, trns=False):
    name = "png_t%d_d%d%s%s" % (t, d, "_trns" if trns else "", "_interlaced" if interlace else "")

    def make(path):
        with open(path, "wb") as f:
            f.write(png_sample(t, d, interlace, trns, seed=t * 100 + d))
        return magick_decode(path, sixteen=d == 16)
    SAMPLES[name] = ("png", make)


for t, depths in ((0, (1, 2, 4, 8, 16)), (2, (8, 16)), (3, (1, 2, 4, 8)), (4, (8, 16)), (6, (8, 16))):
    for d in depths:
        register_png(t, d)
for t, d in ((0, 1), (2, 8), (3, 2), (6, 16), (4, 8)):
    register_png(t, d, interlace=True)
for t, d in ((3, 8), (3, 4), (0, 2), (0, 8), (0, 16), (2, 8), (2, 16)):
    register_png(t, d, trns=True)
register_png(3, 8, interlace=True, trns=True)


@sample("png_pillow_rgba", "png")
def _(path):
    need_pillow()
    rows = photo(W, H, 7, alpha=True)
    Image.frombytes("RGBA", (W, H), rgba_bytes(rows)).save(path, optimize=True)
    check_reads_back(pillow_decode(path), rows, path)
    return pillow_decode(path)


# JPEG: written by Pillow (libjpeg) at 61x45, a size that leaves partial blocks.
def pillow_jpeg(path, mode, options):
    need_pillow()
    im = Image.frombytes("RGBA", (61, 45), rgba_bytes(smooth_photo(61, 45, 3))).convert(mode)
    im.save(path, quality=90, **options)
    return pillow_decode(path)


for name, mode, options in (
    ("jpeg_grey", "L", {}),
    ("jpeg_420", "RGB", {"subsampling": 2}),
    ("jpeg_422", "RGB", {"subsampling": 1}),
    ("jpeg_444", "RGB", {"subsampling": 0}),
    ("jpeg_progressive", "RGB", {"subsampling": 2, "progressive": True}),
    ("jpeg_progressive_grey", "L", {"progressive": True}),
):
    SAMPLES[name] = ("jpg", lambda path, mode=mode, options=options: pillow_jpeg(path, mode, options))


def adobe_transform(path):
    """The colour transform of the Adobe marker: 0 CMYK, 2 YCCK; None without a marker."""
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(b"\xff\xee\x00\x0eAdobe")
    return None if at < 0 else data[at + 15]


@sample("jpeg_ycck_adobe", "jpg")
def _(path):
    magick_converted(path, smooth_photo(61, 45, 4), "-colorspace", "CMYK", "-quality", "92", path)
    if adobe_transform(path) != 2:
        sys.exit("make_decode_samples: ImageMagick did not write YCCK with an Adobe marker")
    return pillow_decode(path)


def pillow_cmyk_jpeg(path):
    need_pillow()
    rnd = random.Random(5)
    inks = bytes(
        v for y in range(45) for x in range(61)
        for v in ((x * 4) % 256, (y * 5) % 256, (x + y) * 2 % 256, (y * 3 + rnd.randrange(20)) % 256)
    )
    Image.frombytes("CMYK", (61, 45), inks).save(path, quality=92)
    if adobe_transform(path) != 0:
        sys.exit("make_decode_samples: Pillow did not write CMYK with an Adobe marker")


@sample("jpeg_cmyk_adobe", "jpg")
def _(path):
    pillow_cmyk_jpeg(path)
    return pillow_decode(path)


@sample("jpeg_cmyk_plain", "jpg")
def _(path):
    # The same data without its Adobe marker holds plain, not inverted, CMYK. Pillow inverts
    # every CMYK JPEG as if it had the marker, so the reference takes the samples it read,
    # undoes that inversion and converts them as plain ink.
    pillow_cmyk_jpeg(path)
    with open(path, "rb") as f:
        data = f.read()
    at = data.find(b"\xff\xee")
    length = struct.unpack(">H", data[at + 2 : at + 4])[0]
    with open(path, "wb") as f:
        f.write(data[:at] + data[at + 2 + length :])
    with Image.open(path) as im:
        inks = im.tobytes()  # 255 minus the stored samples, which are the ink here
    rgba = bytearray()
    for at in range(0, len(inks), 4):
        c, m, y, k = (255 - v for v in inks[at : at + 4])
        rgba += bytes(((255 - ink) * (255 - k) + 127) // 255 for ink in (c, m, y)) + b"\xff"
    return 61, 45, bytes(rgba)


# BMP: colour tables of 1, 4 and 8 bits (a short table, core headers, top-down rows).
def register_bmp_indexed(name, bits, colours, header=40, colours_used=0, top_down=False):
    def make(path):
        need_magick()
        indices = indexed(W, H, colours, bits)
        palette = palette_of(colours, bits + 50)
        with open(path, "wb") as f:
            f.write(bmp_file(W, H, bits, packed_index_rows(indices, bits), palette, header=header,
                             colours_used=colours_used, top_down=top_down))
        reference = magick_decode(path)
        check_reads_back(reference, from_palette(indices, palette), path)
        return reference
    SAMPLES[name] = ("bmp", make)


register_bmp_indexed("bmp_1", 1, 2)
register_bmp_indexed("bmp_4", 4, 16)
register_bmp_indexed("bmp_8", 8, 256)
register_bmp_indexed("bmp_8_short_table", 8, 90, colours_used=90)
register_bmp_indexed("bmp_4_topdown", 4, 16, top_down=True)
register_bmp_indexed("bmp_core_8", 8, 256, header=12)


@sample("bmp_8_pillow", "bmp")
def _(path):
    need_pillow()
    rows = photo(W, H, 11)
    Image.frombytes("RGBA", (W, H), rgba_bytes(rows)).convert("RGB").quantize(200).save(path)
    return pillow_decode(path)


@sample("bmp_core_24", "bmp")
def _(path):
    magick_converted(path, photo(W, H, 12), "BMP2:" + path)
    header_field(path, 14, "<I", 12, "BMP2 did not write a core header")
    return magick_decode(path)


# RLE8 and RLE4 put together here, plain and with delta, end-of-line and end-of-bitmap holes.
def rle_sample(path, four, escapes):
    need_magick()
    colours = 16 if four else 200
    indices = indexed(W, H, colours, 21 if four else 22)
    for y in range(0, H, 3):  # runs for the encoder to find
        for x in range(3, 3 + y % 11):
            indices[y][x] = indices[y][x - (2 if four else 1)]
    palette = palette_of(colours, 23, first_black=True)
    data = rle_stream(indices, four, escapes)
    if escapes:
        # ImageMagick refuses RLE data far smaller than the picture; bytes after the end of
        # bitmap are ignored by every decoder.
        data += bytes(200)
    with open(path, "wb") as f:
        f.write(bmp_file(W, H, 4 if four else 8, None, palette, compression=2 if four else 1, data=data))
    reference = magick_decode(path)
    if not escapes:
        check_reads_back(reference, from_palette(indices, palette), path)
    return reference


for bits in (8, 4):
    for escapes in (False, True):
        SAMPLES["bmp_rle%d%s" % (bits, "_escapes" if escapes else "")] = (
            "bmp", lambda path, four=bits == 4, escapes=escapes: rle_sample(path, four, escapes))


@sample("bmp_rle8_magick", "bmp")
def _(path):
    magick_converted(path, photo(W, H, 13), "-colors", "64", "-compress", "RLE", "BMP3:" + path)
    header_field(path, 30, "<I", 1, "ImageMagick did not write RLE8")
    return magick_decode(path)


# 16 and 32 bits, with the default 5-5-5 layout or bit fields after or inside the header.
def masked_sample(path, bitcount, masks, header, compression, masks_after=False, alpha=False, top_down=False):
    need_magick()
    rows = photo(W, H, bitcount + header, alpha=alpha)
    stored = masked_rows(rows, masks, bitcount // 8)
    with open(path, "wb") as f:
        f.write(bmp_file(W, H, bitcount, stored, header=header, compression=compression,
                         masks=masks, masks_after=masks_after, top_down=top_down))
    reference = magick_decode(path)
    if not alpha:
        check_reads_back(reference, truncate_to_mask(rows, masks), path)
    return reference


for name, arguments, options in (
    ("bmp_16_555", (16, (0x7C00, 0x03E0, 0x001F), 40, 0), {}),
    ("bmp_16_565", (16, (0xF800, 0x07E0, 0x001F), 40, 3), {"masks_after": True}),
    ("bmp_16_555_bitfields_v5", (16, (0x7C00, 0x03E0, 0x001F), 124, 3), {}),
    # Channels in an unusual order, to catch decoders that assume B, G, R, A.
    ("bmp_32_bitfields_alpha_v5", (32, (0x0000FF00, 0x00FF0000, 0xFF000000, 0x000000FF), 124, 3), {"alpha": True}),
    ("bmp_32_bitfields_topdown", (32, (0x00FF0000, 0x0000FF00, 0x000000FF), 40, 3), {"masks_after": True, "top_down": True}),
):
    SAMPLES[name] = ("bmp", lambda path, a=arguments, o=options: masked_sample(path, *a, **o))


@sample("bmp_24", "bmp")
def _(path):
    need_pillow()
    Image.frombytes("RGBA", (W, H), rgba_bytes(photo(W, H, 14))).convert("RGB").save(path)
    return pillow_decode(path)


def bmp_direct(path, rows, bitcount, top_down=False):
    """24 or 32 bits without masks: B, G, R (and A) bytes."""
    need_magick()
    order = (2, 1, 0, 3)[: bitcount // 8]
    stored = [bytes(p[i] for p in row for i in order) for row in rows]
    with open(path, "wb") as f:
        f.write(bmp_file(W, H, bitcount, stored, top_down=top_down))
    reference = magick_decode(path)
    check_reads_back(reference, rows, path)
    return reference


@sample("bmp_24_topdown", "bmp")
def _(path):
    return bmp_direct(path, photo(W, H, 15), 24, top_down=True)


@sample("bmp_32", "bmp")
def _(path):
    return bmp_direct(path, photo(W, H, 17, alpha=True), 32)


@sample("bmp_24_v5_magick", "bmp")
def _(path):
    magick_converted(path, photo(W, H, 16), "-type", "TrueColor", "BMP:" + path)
    header_field(path, 14, "<I", 124, "ImageMagick did not write a V5 header")
    return magick_decode(path)


# Icons: the reference is the tool's decode of the entry the decoder should pick.
def icon_sample(path, entries, frame, expected):
    with open(path, "wb") as f:
        f.write(ico_file(entries))
    reference = magick_decode(path, frame)
    check_reads_back(reference, expected, path)
    return reference


@sample("ico_best_of_bitmaps", "ico")
def _(path):
    # 16x16 8-bit, 32x32 4-bit, 32x32 24-bit, 24x24 32-bit: the 32x32 24-bit entry wins.
    big = photo(32, 32, 33)
    entries = [
        (16, 16, 8, icon_dib(indexed(16, 16, 256, 34), 8, circle_mask(16, 16), palette_of(256, 31))),
        (32, 32, 4, icon_dib(indexed(32, 32, 16, 35), 4, circle_mask(32, 32), palette_of(16, 32))),
        (32, 32, 24, icon_dib(big, 24, circle_mask(32, 32))),
        (24, 24, 32, icon_dib(photo(24, 24, 36, alpha=True), 32, circle_mask(24, 24))),
    ]
    return icon_sample(path, entries, 2, with_mask(big, circle_mask(32, 32)))


@sample("ico_1bit", "ico")
def _(path):
    indices = indexed(W, W, 2, 37)
    palette = [(0, 0, 0), (255, 255, 255)]
    mask = circle_mask(W, W)
    entries = [(W, W, 1, icon_dib(indices, 1, mask, palette))]
    return icon_sample(path, entries, 0, with_mask(from_palette(indices, palette), mask))


@sample("ico_32_alpha", "ico")
def _(path):
    rows = photo(20, 20, 38, alpha=True)
    entries = [
        (16, 16, 8, icon_dib(indexed(16, 16, 256, 39), 8, circle_mask(16, 16), palette_of(256, 39))),
        (20, 20, 32, icon_dib(rows, 32, circle_mask(20, 20))),
    ]
    return icon_sample(path, entries, 1, rows)


@sample("ico_png_entry", "ico")
def _(path):
    # A 48x48 PNG entry between two bitmap entries.
    need_pillow()
    rows = photo(48, 48, 40, alpha=True)
    png = path + ".entry.png"
    Image.frombytes("RGBA", (48, 48), rgba_bytes(rows)).save(png)
    with open(png, "rb") as f:
        data = f.read()
    entries = [
        (16, 16, 24, icon_dib(photo(16, 16, 41), 24, circle_mask(16, 16))),
        (48, 48, 32, data),
        (32, 32, 32, icon_dib(photo(32, 32, 42, alpha=True), 32, circle_mask(32, 32))),
    ]
    with open(path, "wb") as f:
        f.write(ico_file(entries))
    reference = pillow_decode(png)
    os.remove(png)
    check_reads_back(reference, rows, path)
    return reference


@sample("ico_pillow_bitmaps", "ico")
def _(path):
    need_pillow()
    rows = photo(48, 48, 43, alpha=True)
    im = Image.frombytes("RGBA", (48, 48), rgba_bytes(rows))
    im.save(path, sizes=[(16, 16), (32, 32), (48, 48)], bitmap_format="bmp")
    return pillow_decode(path)


def write_reference(path, reference):
    w, h, pixels = reference
    if len(pixels) != w * h * 4:
        sys.exit("make_decode_samples: %s: reference has %d bytes for %dx%d" % (path, len(pixels), w, h))
    with open(path, "wb") as f:
        f.write(struct.pack("<II", w, h) + pixels)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, (ext, make) in SAMPLES.items():
        base = os.path.join(folder, name)
        try:
            reference = make(base + "." + ext)
        except Missing as missing:
            with open(base + ".skip", "w") as f:
                f.write(str(missing))
            continue
        write_reference(base + ".rgba", reference)


if __name__ == "__main__":
    main()
