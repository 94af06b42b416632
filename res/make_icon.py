#!/usr/bin/env python3
"""Builds res/Quillory.ico from the drawing in res/Quillory.mvg.

Eight images: 16, 24, 32 and 48 pixels, each in 8-bit (palette) and 32-bit
(alpha) colour. ImageMagick renders the drawing once at 256 pixels and scales
it down; this script writes the icon file itself, so each image gets exactly
the colour depth it should. Run it after changing the drawing and commit
the .ico: the build only reads it.
"""
import collections
import os
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
SIZES = (16, 24, 32, 48)


def drawing():
    with open(os.path.join(HERE, "Quillory.mvg")) as source:
        lines = [l for l in source if l.strip() and not l.startswith(("#", "viewbox"))]
    return "".join(lines)


def render(size):
    """RGBA bytes of the drawing at size x size, top row first."""
    return subprocess.run(
        ["convert", "-size", "256x256", "xc:none", "-draw", drawing(),
         "-resize", f"{size}x{size}", "-depth", "8", "rgba:-"],
        check=True, capture_output=True).stdout


def pixels(rgba):
    return [tuple(rgba[i:i + 4]) for i in range(0, len(rgba), 4)]


def and_mask(pix, size):
    """1 bit a pixel, set where transparent; rows bottom-up, padded to 32 bits."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if pix[y * size + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def header(size, bits, image_bytes, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0,
                       colours, 0)


def image32(pix, size):
    body = bytearray()
    for y in reversed(range(size)):
        for r, g, b, a in pix[y * size:(y + 1) * size]:
            body += bytes((b, g, r, a))
    mask = and_mask(pix, size)
    return header(size, 32, len(body) + len(mask)) + bytes(body) + mask


def palette_for(pix):
    """The 256 most used colours of the opaque pixels, at 5 bits a channel."""
    counts = collections.Counter(
        (r & 0xF8, g & 0xF8, b & 0xF8) for r, g, b, a in pix if a >= 128)
    colours = [colour for colour, _ in counts.most_common(255)]
    return [(0, 0, 0)] + colours + [(0, 0, 0)] * (255 - len(colours))


def nearest(colour, palette, cache):
    if colour not in cache:
        cache[colour] = min(range(1, 256), key=lambda i: sum(
            (p - c) ** 2 for p, c in zip(palette[i], colour)))
    return cache[colour]


def image8(pix, size):
    palette = palette_for(pix)
    cache = {}
    stride = (size + 3) // 4 * 4
    body = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            r, g, b, a = pix[y * size + x]
            row[x] = 0 if a < 128 else nearest((r, g, b), palette, cache)
        body += row
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    mask = and_mask(pix, size)
    return header(size, 8, len(body) + len(mask), 256) + table + bytes(body) + mask


def main():
    images = []
    for size in SIZES:
        pix = pixels(render(size))
        images.append((size, 8, image8(pix, size)))
        images.append((size, 32, image32(pix, size)))
    offset = 6 + 16 * len(images)
    directory = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    for size, bits, data in images:
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(os.path.join(HERE, "Quillory.ico"), "wb") as icon:
        icon.write(bytes(directory) + b"".join(data for _, _, data in images))


if __name__ == "__main__":
    main()
