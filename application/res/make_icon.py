#!/usr/bin/env python3
"""Writes select_block.ico: an arrow pointing at a small block, 16x16 and 32x32, 32 bits with alpha."""
import os
import sys


def inside_triangle(x, y, a, b, c):
    def side(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])
    d1, d2, d3 = side((x, y), a, b), side((x, y), b, c), side((x, y), c, a)
    return not ((d1 < 0 or d2 < 0 or d3 < 0) and (d1 > 0 or d2 > 0 or d3 > 0))


def block_edge(x, y):
    return 0.45 <= x <= 0.95 and 0.45 <= y <= 0.95


def block_face(x, y):
    return 0.51 <= x <= 0.89 and 0.51 <= y <= 0.89


def arrow_outline(x, y):
    head = inside_triangle(x, y, (0.02, 0.02), (0.52, 0.22), (0.22, 0.52))
    shaft = abs((x - y)) < 0.12 and 0.1 < (x + y) / 2 < 0.5
    return head or shaft


def arrow_fill(x, y):
    head = inside_triangle(x, y, (0.08, 0.08), (0.42, 0.22), (0.22, 0.42))
    shaft = abs((x - y)) < 0.05 and 0.1 < (x + y) / 2 < 0.44
    return head or shaft


# Layers drawn in order: (inside test on unit coordinates, RGBA colour).
LAYERS = [
    (block_edge, (30, 60, 120, 255)),
    (block_face, (110, 170, 235, 255)),
    (arrow_outline, (0, 0, 0, 255)),
    (arrow_fill, (255, 255, 255, 255)),
]


def main():
    # The drawing of layers into an icon file is the host's icon script's.
    here = os.path.dirname(os.path.abspath(__file__))
    sys.path.insert(0, os.path.join(here, '..', '..', 'host', 'app', 'res'))
    import make_icon as host_icon
    host_icon.write_ico(sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, 'select_block.ico'), LAYERS)


if __name__ == '__main__':
    main()
