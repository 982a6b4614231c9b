#!/usr/bin/env python3
"""Writes the browser's images: icons up_level.ico, preview.ico and block.ico (16x16 and 32x32,
32 bits with alpha), the 16x16 24-bit bitmaps folder.bmp and drawing.bmp, and folder_tree.bmp, the
folder tree's strip of ten 16x16 images on black (its mask colour), 161x18 pixels."""
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

OUTLINE = (60, 60, 60, 255)
# A folder with its lid open: the back, and the front leaning forward.
OPEN_FOLDER = [
    (box(0.05, 0.22, 0.45, 0.34), (200, 150, 40, 255)),
    (box(0.05, 0.3, 0.85, 0.88), (200, 150, 40, 255)),
    (triangle((0.22, 0.45), (1.0, 0.45), (0.85, 0.9)), (250, 225, 130, 255)),
    (triangle((0.22, 0.45), (0.05, 0.9), (0.85, 0.9)), (250, 225, 130, 255)),
]
MONITOR = [
    (box(0.1, 0.1, 0.9, 0.68), OUTLINE),
    (box(0.17, 0.17, 0.83, 0.61), (70, 140, 210, 255)),
    (box(0.42, 0.68, 0.58, 0.8), OUTLINE),
    (box(0.25, 0.8, 0.75, 0.88), OUTLINE),
]
DRIVE_BODY = [
    (box(0.05, 0.35, 0.95, 0.75), OUTLINE),
    (box(0.1, 0.4, 0.9, 0.7), (190, 190, 190, 255)),
]
# The folder tree's strip, in the order of CTreeCtrlFolder::Image.
TREE_IMAGES = [
    FOLDER,
    OPEN_FOLDER,
    # My Network Places: a globe.
    [(disc(0.5, 0.5, 0.42), (40, 110, 190, 255)), (ring(0.5, 0.5, 0.3, 0.05), (140, 200, 250, 255)),
     (box(0.44, 0.08, 0.56, 0.92), (140, 200, 250, 255)), (box(0.08, 0.44, 0.92, 0.56), (140, 200, 250, 255))],
    # Desktop: a screen with a green landscape.
    MONITOR + [(box(0.17, 0.45, 0.83, 0.61), (60, 160, 70, 255)), (disc(0.65, 0.3, 0.08), (250, 220, 60, 255))],
    # My Computer: a screen over a box.
    MONITOR[:2] + [(box(0.05, 0.72, 0.95, 0.95), OUTLINE), (box(0.1, 0.77, 0.9, 0.9), (200, 200, 200, 255)),
                   (box(0.7, 0.8, 0.82, 0.86), (60, 180, 60, 255))],
    # A removable drive: a diskette.
    [(box(0.1, 0.1, 0.9, 0.9), (50, 70, 140, 255)), (box(0.28, 0.1, 0.72, 0.38), (200, 200, 210, 255)),
     (box(0.55, 0.14, 0.65, 0.32), (50, 70, 140, 255)), (box(0.22, 0.55, 0.78, 0.9), (240, 240, 240, 255))],
    # Any other drive: a disk box with a light.
    DRIVE_BODY + [(box(0.7, 0.5, 0.82, 0.6), (60, 200, 60, 255))],
    # A CD-ROM drive: a disc.
    [(disc(0.5, 0.5, 0.45), (150, 150, 160, 255)), (ring(0.5, 0.5, 0.32, 0.08), (200, 180, 230, 255)),
     (disc(0.5, 0.5, 0.1), (40, 40, 40, 255)), (disc(0.5, 0.5, 0.05), (90, 90, 90, 255))],
    # Control Panel: a panel with sliders.
    [(box(0.08, 0.1, 0.92, 0.9), OUTLINE), (box(0.13, 0.15, 0.87, 0.85), (230, 230, 200, 255)),
     (box(0.28, 0.2, 0.32, 0.8), OUTLINE), (box(0.48, 0.2, 0.52, 0.8), OUTLINE), (box(0.68, 0.2, 0.72, 0.8), OUTLINE),
     (box(0.22, 0.3, 0.38, 0.4), (200, 60, 60, 255)), (box(0.42, 0.6, 0.58, 0.7), (60, 160, 60, 255)),
     (box(0.62, 0.45, 0.78, 0.55), (60, 90, 200, 255))],
    # My Documents: a folder with a sheet in it.
    FOLDER[:2] + [(box(0.25, 0.12, 0.75, 0.7), (255, 255, 255, 255)),
                  (segment(0.32, 0.25, 0.68, 0.25, 0.03), (40, 90, 170, 255)),
                  (segment(0.32, 0.4, 0.6, 0.4, 0.03), (40, 90, 170, 255)), FOLDER[2]],
]


def write_bmp(path, layers, size=16, background=(255, 255, 255)):
    """A bottom-up 24-bit bitmap file of the layers over a background."""
    write_strip(path, [layers], size, size, size, background)


def write_strip(path, images, size, width, height, background):
    """A bottom-up 24-bit bitmap file of images side by side, each size x size at the top."""
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for row in range(height - 1, -1, -1):
        line = b''
        for column in range(width):
            index, x, y = column // size, (column % size + 0.5) / size, (row + 0.5) / size
            colour = background
            if index < len(images) and row < size:
                for inside, rgba in images[index]:
                    if inside(x, y):
                        colour = rgba[:3]
            line += bytes((colour[2], colour[1], colour[0]))
        rows.append(line + b'\0' * (stride - len(line)))
    pixels = b''.join(rows)
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
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
    write_strip(os.path.join(here, 'folder_tree.bmp'), TREE_IMAGES, 16, 161, 18, (0, 0, 0))


if __name__ == '__main__':
    main()
