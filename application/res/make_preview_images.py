#!/usr/bin/env python3
"""Writes the preview dialog's images: the mode icons zoom.ico, pan.ico and orbit.ico, the render
mode icons (wire_2d.ico, wire_3d.ico, hidden.ico, flat.ico, gouraud.ico, flat_edges.ico,
gouraud_edges.ico), all 16x16 and 32x32 with alpha, and the 32x32 cursors zoom.cur, pan.cur and
orbit.cur with their hot spot in the middle."""
import math
import os
import struct
import sys

sys.dont_write_bytecode = True
from make_browser_images import box, disc, ring, segment, triangle

DARK = (30, 30, 30, 255)
GREEN = (20, 140, 40, 255)
BLUE = (40, 90, 170, 255)
LIGHT = (150, 195, 245, 255)
WHITE = (255, 255, 255, 255)


def arrows(colour, width=0.06):
    """A cross of four arrows, as a pan tool shows."""
    return [
        (segment(0.5, 0.12, 0.5, 0.88, width), colour),
        (segment(0.12, 0.5, 0.88, 0.5, width), colour),
        (triangle((0.5, 0.02), (0.36, 0.2), (0.64, 0.2)), colour),
        (triangle((0.5, 0.98), (0.36, 0.8), (0.64, 0.8)), colour),
        (triangle((0.02, 0.5), (0.2, 0.36), (0.2, 0.64)), colour),
        (triangle((0.98, 0.5), (0.8, 0.36), (0.8, 0.64)), colour),
    ]


def magnifier(colour):
    return [
        (segment(0.62, 0.62, 0.92, 0.92, 0.1), (90, 60, 30, 255)),
        (disc(0.4, 0.4, 0.32), colour),
        (disc(0.4, 0.4, 0.24), (220, 235, 250, 255)),
        (segment(0.26, 0.4, 0.54, 0.4, 0.05), DARK),
        (segment(0.4, 0.26, 0.4, 0.54, 0.05), DARK),
    ]


def orbit(colour):
    """A circle with the four small circles of the orbit gadget."""
    return [(ring(0.5, 0.5, 0.36, 0.05), colour)] + [
        (ring(0.5 + dx, 0.5 + dy, 0.1, 0.045), colour) for dx, dy in ((0, -0.36), (0, 0.36), (-0.36, 0), (0.36, 0))]


def cube(fill, edges=True, hidden=False):
    """A box seen from above and the side: filled faces, optional outlines."""
    front = [(0.15, 0.35), (0.65, 0.35), (0.65, 0.85), (0.15, 0.85)]
    layers = []
    if fill:
        layers += [(box(0.15, 0.35, 0.65, 0.85), fill),
                   (triangle((0.15, 0.35), (0.35, 0.15), (0.85, 0.15)), fill),
                   (triangle((0.15, 0.35), (0.85, 0.15), (0.65, 0.35)), fill),
                   (triangle((0.65, 0.35), (0.85, 0.15), (0.85, 0.65)), fill),
                   (triangle((0.65, 0.35), (0.85, 0.65), (0.65, 0.85)), fill)]
    if edges:
        lines = [(front[i], front[(i + 1) % 4]) for i in range(4)]
        lines += [((0.15, 0.35), (0.35, 0.15)), ((0.65, 0.35), (0.85, 0.15)), ((0.65, 0.85), (0.85, 0.65)),
                  ((0.35, 0.15), (0.85, 0.15)), ((0.85, 0.15), (0.85, 0.65))]
        if not hidden and not fill:
            lines += [((0.15, 0.85), (0.35, 0.65)), ((0.35, 0.15), (0.35, 0.65)), ((0.35, 0.65), (0.85, 0.65))]
        layers += [(segment(a[0], a[1], b[0], b[1], 0.035), DARK) for a, b in lines]
    return layers


ICONS = {
    'zoom.ico': magnifier((60, 70, 90, 255)),
    'pan.ico': arrows(BLUE),
    'orbit.ico': orbit(GREEN),
    # Plan lines for the two-dimensional wireframe.
    'wire_2d.ico': [(segment(0.1, 0.2, 0.9, 0.2, 0.04), DARK), (segment(0.1, 0.8, 0.9, 0.8, 0.04), DARK),
                    (segment(0.2, 0.1, 0.2, 0.9, 0.04), DARK), (segment(0.8, 0.1, 0.8, 0.9, 0.04), DARK)],
    'wire_3d.ico': cube(None),
    'hidden.ico': cube(WHITE, hidden=True),
    'flat.ico': cube(BLUE, edges=False),
    'gouraud.ico': cube(LIGHT, edges=False),
    'flat_edges.ico': cube(BLUE),
    'gouraud_edges.ico': cube(LIGHT),
}
CURSORS = {
    'zoom.cur': [(disc(0.5, 0.5, 0.04), DARK)] + magnifier((60, 70, 90, 255)),
    'pan.cur': arrows(DARK, 0.04),
    'orbit.cur': orbit(DARK) + [(disc(0.5, 0.5, 0.04), DARK)],
}


def write_cur(path, host_icon, layers, size=32):
    """A cursor file: one 32x32 image with alpha, hot spot in the middle."""
    image = host_icon.dib(size, layers)
    data = struct.pack('<HHH', 0, 2, 1)
    data += struct.pack('<BBBBHHII', size, size, 0, 0, size // 2, size // 2, len(image), 6 + 16)
    with open(path, 'wb') as f:
        f.write(data + image)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    sys.path.insert(0, os.path.join(here, '..', '..', 'host', 'app', 'res'))
    import make_icon as host_icon
    for name, layers in ICONS.items():
        host_icon.write_ico(os.path.join(here, name), layers)
    for name, layers in CURSORS.items():
        write_cur(os.path.join(here, name), host_icon, layers)


if __name__ == '__main__':
    main()
