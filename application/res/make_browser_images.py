#!/usr/bin/env python3
"""Writes the browser's images: icons up_level.ico, preview.ico and block.ico (16x16 and 32x32,
32 bits with alpha) and the 16x16 24-bit bitmaps folder.bmp and drawing.bmp."""
import math
import os
import struct
import sys


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) < width


def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) < r


def segment(ax, ay, bx, by, width):
    def inside(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - (ax + t * dx), y - (ay + t * dy)) < width
    return inside


def triangle(a, b, c):
    def side(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])

    def inside(x, y):
        d1, d2, d3 = side((x, y), a, b), side((x, y), b, c), side((x, y), c, a)
        return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))
    return inside


FOLDER = [
    (box(0.05, 0.22, 0.45, 0.34), (200, 150, 40, 255)),
    (box(0.05, 0.3, 0.95, 0.88), (200, 150, 40, 255)),
    (box(0.1, 0.36, 0.9, 0.82), (250, 210, 90, 255)),
]
ICONS = {
    # A folder with an arrow pointing up out of it.
    'up_level.ico': FOLDER + [
        (triangle((0.5, 0.05), (0.2, 0.4), (0.8, 0.4)), (30, 110, 40, 255)),
        (box(0.4, 0.35, 0.6, 0.72), (30, 110, 40, 255)),
    ],
    # A magnifying glass.
    'preview.ico': [
        (segment(0.6, 0.6, 0.92, 0.92, 0.09), (90, 60, 30, 255)),
        (disc(0.4, 0.4, 0.3), (60, 70, 90, 255)),
        (disc(0.4, 0.4, 0.23), (200, 225, 250, 255)),
    ],
    # A block: a blue square with an insertion cross.
    'block.ico': [
        (box(0.12, 0.12, 0.88, 0.88), (40, 90, 170, 255)),
        (box(0.2, 0.2, 0.8, 0.8), (150, 195, 245, 255)),
        (segment(0.5, 0.3, 0.5, 0.7, 0.04), (20, 20, 20, 255)),
        (segment(0.3, 0.5, 0.7, 0.5, 0.04), (20, 20, 20, 255)),
    ],
}
BITMAPS = {
    'folder.bmp': FOLDER,
    # A drawing sheet with a folded corner and a few lines.
    'drawing.bmp': [
        (box(0.15, 0.05, 0.85, 0.95), (90, 90, 90, 255)),
        (box(0.2, 0.1, 0.8, 0.9), (255, 255, 255, 255)),
        (segment(0.3, 0.4, 0.7, 0.4, 0.04), (40, 90, 170, 255)),
        (segment(0.3, 0.6, 0.6, 0.6, 0.04), (40, 90, 170, 255)),
    ],
}


def write_bmp(path, layers, size=16, background=(255, 255, 255)):
    """A bottom-up 24-bit bitmap file of the layers over a background."""
    stride = (size * 3 + 3) // 4 * 4
    rows = []
    for row in range(size - 1, -1, -1):
        line = b''
        for column in range(size):
            x, y = (column + 0.5) / size, (row + 0.5) / size
            colour = background
            for inside, rgba in layers:
                if inside(x, y):
                    colour = rgba[:3]
            line += bytes((colour[2], colour[1], colour[0]))
        rows.append(line + b'\0' * (stride - len(line)))
    pixels = b''.join(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + len(header) + len(pixels), 0, 0, 14 + len(header)))
        f.write(header + pixels)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    sys.path.insert(0, os.path.join(here, '..', '..', 'host', 'app', 'res'))
    import make_icon as host_icon
    for name, layers in ICONS.items():
        host_icon.write_ico(os.path.join(here, name), layers)
    for name, layers in BITMAPS.items():
        write_bmp(os.path.join(here, name), layers)


if __name__ == '__main__':
    main()
