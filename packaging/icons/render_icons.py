#!/usr/bin/env python3
"""Renders window/dorvex.svg (a rounded square and three bars) as PNG icons of the hicolor sizes.

    packaging/icons/render_icons.py    writes packaging/icons/<N>x<N>/dorvex.png

Plain Python (zlib): the shapes are few, so they are drawn here with 4x4 samples a pixel."""
import pathlib
import struct
import zlib

# The SVG's shapes on its 64x64 canvas: x, y, width, height, corner radius, RGB colour.
SHAPES = [
    (4, 4, 56, 56, 10, (0x2B, 0x5D, 0x9B)),
    (13, 36, 9, 16, 0, (0xFF, 0xFF, 0xFF)),
    (27.5, 24, 9, 28, 0, (0xFF, 0xFF, 0xFF)),
    (42, 14, 9, 38, 0, (0xFF, 0xD3, 0x4D)),
]
SIZES = [16, 24, 32, 48, 128, 256]
SAMPLES = 4


def inside(shape, x, y):
    sx, sy, w, h, r, _ = shape
    if not (sx <= x < sx + w and sy <= y < sy + h):
        return False
    # Distance to the nearest corner's centre, for points in a corner square.
    cx = min(max(x, sx + r), sx + w - r)
    cy = min(max(y, sy + r), sy + h - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def render(size):
    scale = 64 / size
    rows = []
    for py in range(size):
        row = bytearray([0])  # filter type: none
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied RGB, alpha
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    colour = None
                    for shape in SHAPES:
                        if inside(shape, x, y):
                            colour = shape[5]
                    if colour is not None:
                        for i in range(3):
                            acc[i] += colour[i]
                        acc[3] += 1
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            rgb = [round(acc[i] / acc[3]) if acc[3] else 0 for i in range(3)]
            row += bytes(rgb + [round(alpha * 255)])
        rows.append(bytes(row))
    return png(size, b"".join(rows))


def png(size, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = pathlib.Path(__file__).resolve().parent
    for size in SIZES:
        folder = here / f"{size}x{size}"
        folder.mkdir(exist_ok=True)
        (folder / "dorvex.png").write_bytes(render(size))


if __name__ == "__main__":
    main()
