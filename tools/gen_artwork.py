#!/usr/bin/env python3
"""Draws the setup's artwork: the wizard picture (BITMAP 1, 119 x 258) and the
program icon (ICON 1, 32 x 32), both 16 colours, uncompressed.

The picture is a night-blue panel with a settings dial: a ring of ticks, a
knob and its pointer, and three slider lines below it, the library's subject
(application settings). The icon is the same dial on its own.

    gen_artwork.py --out DIR    writes DIR/wizard.bmp and DIR/setup.ico
"""

import argparse
import math
import os
import struct

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GREY, YELLOW, BLUE, CYAN, WHITE = 0, 4, 6, 7, 8, 11, 12, 14, 15

# Ordered dithering between two palette colours for smooth shades.
BAYER = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def shade(x, y, low, high, amount):
    """`high` where the dither threshold lies below `amount` (0..1)."""
    return high if BAYER[y % 4][x % 4] < amount * 16 else low


class Canvas:
    def __init__(self, width, height, fill):
        self.width, self.height = width, height
        self.pixels = [[fill] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def disc(self, cx, cy, radius, colour):
        for y in range(int(cy - radius) - 1, int(cy + radius) + 2):
            for x in range(int(cx - radius) - 1, int(cx + radius) + 2):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2:
                    self.set(x, y, colour)

    def ring(self, cx, cy, inner, outer, colour):
        for y in range(int(cy - outer) - 1, int(cy + outer) + 2):
            for x in range(int(cx - outer) - 1, int(cx + outer) + 2):
                if inner ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= outer ** 2:
                    self.set(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, width=1):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            for dy in range(-(width // 2), width - width // 2):
                for dx in range(-(width // 2), width - width // 2):
                    self.set(int(round(x)) + dx, int(round(y)) + dy, colour)


def dial(canvas, cx, cy, radius, ticks=True):
    """A knob with a pointer at ten o'clock, inside a ring of ticks."""
    if ticks:
        for i in range(12):
            angle = math.radians(i * 30)
            canvas.line(cx + math.cos(angle) * radius * 1.15, cy + math.sin(angle) * radius * 1.15,
                        cx + math.cos(angle) * radius * 1.35, cy + math.sin(angle) * radius * 1.35,
                        CYAN if i % 3 == 0 else TEAL, 2)
    canvas.disc(cx, cy, radius, SILVER)
    canvas.ring(cx, cy, radius - 1.5, radius, WHITE)
    canvas.disc(cx + 1.5, cy + 1.5, radius * 0.72, GREY)
    canvas.disc(cx, cy, radius * 0.72, SILVER)
    angle = math.radians(210)
    canvas.line(cx, cy, cx + math.cos(angle) * radius * 0.62, cy + math.sin(angle) * radius * 0.62,
                NAVY, max(2, int(radius / 6)))
    canvas.disc(cx, cy, max(1.5, radius / 8), YELLOW)


def wizard_picture():
    width, height = 119, 258
    canvas = Canvas(width, height, NAVY)
    for y in range(height):
        for x in range(width):
            # Night blue at the top, brightening towards the bottom.
            canvas.pixels[y][x] = shade(x, y, NAVY, BLUE, max(0.0, (y - 60) / (height - 40)) * 0.8)
    dial(canvas, width / 2, 78, 30)
    for i, level in enumerate((0.7, 0.35, 0.55)):
        y = 150 + i * 22
        canvas.line(18, y, width - 18, y, GREY, 3)
        canvas.line(18, y, 18 + (width - 36) * level, y, CYAN, 3)
        knob = 18 + (width - 36) * level
        canvas.disc(knob, y, 5, WHITE)
        canvas.disc(knob, y, 3, SILVER)
    for x in range(width):
        canvas.set(x, height - 1, BLACK)
    return canvas


def setup_icon():
    canvas = Canvas(32, 32, None)
    canvas.disc(15.5, 15.5, 15.5, NAVY)
    dial(canvas, 15.5, 15.5, 11, ticks=False)
    return canvas


def dib(canvas, mask_rows=False):
    """BITMAPINFOHEADER, palette and bottom-up 4-bit rows (and an AND mask
    when `mask_rows`); pixels of None are transparent."""
    row_bytes = ((canvas.width + 1) // 2 + 3) & ~3
    rows = []
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray(row_bytes)
        for x, colour in enumerate(canvas.pixels[y]):
            index = colour or 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        rows.append(bytes(row))
    image = b"".join(rows)
    mask = b""
    if mask_rows:
        mask_bytes = ((canvas.width + 7) // 8 + 3) & ~3
        for y in range(canvas.height - 1, -1, -1):
            row = bytearray(mask_bytes)
            for x, colour in enumerate(canvas.pixels[y]):
                if colour is None:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(row)
    height = canvas.height * (2 if mask_rows else 1)
    header = struct.pack("<IiiHHIIiiII", 40, canvas.width, height, 1, 4, 0,
                         len(image) + len(mask), 0, 0, 16, 16)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + image + mask


def write_bmp(path, canvas):
    body = dib(canvas)
    offset = 14 + 40 + 64
    with open(path, "wb") as f:
        f.write(struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, offset) + body)


def write_ico(path, canvas):
    body = dib(canvas, mask_rows=True)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", canvas.width, canvas.height, 16, 0, 1, 4, len(body), 6 + 16)
    with open(path, "wb") as f:
        f.write(directory + entry + body)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    write_bmp(os.path.join(args.out, "wizard.bmp"), wizard_picture())
    write_ico(os.path.join(args.out, "setup.ico"), setup_icon())


if __name__ == "__main__":
    main()
