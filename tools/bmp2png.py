#!/usr/bin/env python3
"""Converts uncompressed 24- or 32-bit BMP files (as the wizard driver saves
its screenshots) to PNG files beside them, with Python's standard library
only, so that the demo needs no image package.

    bmp2png.py FILE.bmp...
"""
import struct
import sys
import zlib


def read_bmp(data):
    """The width, the height and the RGB rows, top row first."""
    if data[:2] != b"BM":
        raise ValueError("not a BMP file")
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits not in (24, 32) or compression != 0:
        raise ValueError("not an uncompressed 24- or 32-bit BMP file")
    pixel = bits // 8
    stride = (width * pixel + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + y * stride
        bgr = data[start:start + width * pixel]
        rgb = bytearray(width * 3)
        rgb[0::3] = bgr[2::pixel]
        rgb[1::3] = bgr[1::pixel]
        rgb[2::3] = bgr[0::pixel]
        rows.append(bytes(rgb))
    # A positive height means the rows are stored bottom-up.
    if height > 0:
        rows.reverse()
    return width, abs(height), rows


def chunk(kind, payload):
    return (struct.pack(">I", len(payload)) + kind + payload +
            struct.pack(">I", zlib.crc32(kind + payload) & 0xFFFFFFFF))


def png_bytes(width, height, rows):
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    image = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(image, 9)) + chunk(b"IEND", b""))


def main(paths):
    if not paths:
        sys.exit(__doc__.strip())
    for path in paths:
        with open(path, "rb") as f:
            width, height, rows = read_bmp(f.read())
        target = (path[:-4] if path.lower().endswith(".bmp") else path) + ".png"
        with open(target, "wb") as f:
            f.write(png_bytes(width, height, rows))


if __name__ == "__main__":
    main(sys.argv[1:])
