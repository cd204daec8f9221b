#!/usr/bin/env python3
"""Draws the Zeltrand icon and writes it as src/resources/zeltrand.ico.

The picture is a small PC monitor with a list on its screen and a green check
mark, drawn from a few shapes on a 32-unit grid and rendered with 8x8
supersampling at 16, 32 and 48 pixels, 32-bit with alpha. Only the standard
library is needed, so the icon can be remade anywhere:

    python3 scripts/make-icon.py [output.ico] [--preview preview.png]

The preview is the three sizes side by side on a light and a dark background,
for checking the result by eye.
"""

import struct
import sys
import zlib
from pathlib import Path

SIZES = (16, 32, 48)
SUPERSAMPLE = 8
GRID = 32.0  # the shapes below are in units of a 32-pixel icon


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def polyline(points, width):
    half = width / 2.0
    segments = list(zip(points, points[1:]))

    def near(x, y, a, b):
        (ax, ay), (bx, by) = a, b
        dx, dy = bx - ax, by - ay
        t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
        t = min(max(t, 0.0), 1.0)
        px, py = ax + t * dx, ay + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half

    return lambda x, y: any(near(x, y, a, b) for a, b in segments)


def vertical_gradient(top, bottom, y0, y1):
    def colour(_x, y):
        t = min(max((y - y0) / (y1 - y0), 0.0), 1.0)
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
    return colour


def solid(rgb):
    return lambda _x, _y: rgb


CHECK = [(17.5, 17.0), (21.5, 21.5), (29.5, 10.5)]

# Painted in order, each over the ones before: (shape, colour).
LAYERS = [
    (rounded_rect(10, 26, 22, 29, 1.2), solid((70, 78, 90))),          # foot
    (rect(14, 22, 18, 27), solid((92, 100, 112))),                     # neck
    (rounded_rect(1.5, 3, 30.5, 24, 2.5), solid((118, 128, 142))),     # rim
    (rounded_rect(2.5, 4, 29.5, 23, 1.8), solid((44, 52, 64))),        # bezel
    (rect(3.5, 5, 28.5, 22),
     vertical_gradient((86, 160, 236), (28, 88, 170), 5, 22)),         # screen
    (rect(6, 7.5, 8, 9.5), solid((255, 214, 90))),                     # list
    (rect(10, 7.5, 22, 9.5), solid((240, 246, 255))),
    (rect(6, 12, 8, 14), solid((255, 214, 90))),
    (rect(10, 12, 20, 14), solid((240, 246, 255))),
    (rect(6, 16.5, 8, 18.5), solid((255, 214, 90))),
    (rect(10, 16.5, 15, 18.5), solid((240, 246, 255))),
    (polyline(CHECK, 6.0), solid((20, 70, 30))),                       # check
    (polyline(CHECK, 3.6), solid((70, 210, 80))),
]


def render(size):
    """Returns size*size RGBA tuples, top row first."""
    scale = GRID / size
    step = 1.0 / SUPERSAMPLE
    pixels = []
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # premultiplied
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = (px + (sx + 0.5) * step) * scale
                    y = (py + (sy + 0.5) * step) * scale
                    rgba = None
                    for inside, colour in LAYERS:
                        if inside(x, y):
                            rgba = colour(x, y)
                    if rgba is not None:
                        acc[0] += rgba[0]
                        acc[1] += rgba[1]
                        acc[2] += rgba[2]
                        acc[3] += 1.0
            n = SUPERSAMPLE * SUPERSAMPLE
            alpha = acc[3] / n
            if alpha == 0.0:
                pixels.append((0, 0, 0, 0))
            else:
                pixels.append(tuple(round(c / acc[3]) for c in acc[:3])
                              + (round(alpha * 255),))
    return pixels


def ico_image(size, pixels):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         size * size * 4, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(range(size)):
        for r, g, b, a in pixels[row * size:(row + 1) * size]:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(range(size)):
        bits = bytearray(mask_stride)
        for col in range(size):
            if pixels[row * size + col][3] == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def ico_file(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    body = b""
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                           len(data), offset)
        offset += len(data)
        body += data
    return out + body


def png_file(width, height, rgba_rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(c for px in row for c in px)
                   for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6,
                                         0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def preview(rendered):
    """Each size at 4x zoom, on a light band above a dark band."""
    zoom, gap = 4, 8
    width = sum(s * zoom + gap for s in SIZES) + gap
    band = max(SIZES) * zoom + 2 * gap
    rows = []
    for background in ((236, 236, 236), (40, 40, 40)):
        canvas = [[background + (255,)] * width for _ in range(band)]
        x0 = gap
        for size in SIZES:
            pixels = rendered[size]
            for y in range(size * zoom):
                for x in range(size * zoom):
                    r, g, b, a = pixels[(y // zoom) * size + x // zoom]
                    k = a / 255.0
                    canvas[gap + y][x0 + x] = tuple(
                        round(c * k + bg * (1 - k))
                        for c, bg in zip((r, g, b), background)) + (255,)
            x0 += size * zoom + gap
        rows += canvas
    return png_file(width, len(rows), rows)


def main(argv):
    root = Path(__file__).resolve().parent.parent
    out = root / "src" / "resources" / "zeltrand.ico"
    preview_path = None
    args = list(argv)
    while args:
        arg = args.pop(0)
        if arg == "--preview":
            preview_path = Path(args.pop(0))
        else:
            out = Path(arg)
    rendered = {size: render(size) for size in SIZES}
    out.write_bytes(ico_file([(s, ico_image(s, rendered[s])) for s in SIZES]))
    if preview_path:
        preview_path.write_bytes(preview(rendered))


if __name__ == "__main__":
    main(sys.argv[1:])
