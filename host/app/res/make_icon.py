#!/usr/bin/env python3
"""Writes cadhost.ico: a drawing compass at 16x16 and 32x32, 32 bits a pixel with alpha."""
import math
import struct
import sys


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


# Layers drawn in order: (inside test on unit coordinates, RGBA colour).
def arc(x, y):
    r = math.hypot(x - 0.5, y - 0.18)
    return abs(r - 0.74) < 0.035 and y > 0.78 and 0.08 < x < 0.92


def leg(ax, ay, bx, by, width):
    return lambda x, y: segment_distance(x, y, ax, ay, bx, by) < width


LAYERS = [
    (arc, (42, 125, 225, 255)),
    (leg(0.5, 0.18, 0.2, 0.9, 0.085), (40, 52, 70, 255)),
    (leg(0.5, 0.18, 0.78, 0.86, 0.085), (40, 52, 70, 255)),
    (leg(0.5, 0.18, 0.2, 0.9, 0.045), (150, 170, 195, 255)),
    (leg(0.5, 0.18, 0.73, 0.74, 0.045), (150, 170, 195, 255)),
    (leg(0.74, 0.77, 0.8, 0.9, 0.04), (230, 160, 40, 255)),
    (leg(0.5, 0.02, 0.5, 0.12, 0.05), (40, 52, 70, 255)),
    (lambda x, y: math.hypot(x - 0.5, y - 0.18) < 0.11, (40, 52, 70, 255)),
    (lambda x, y: math.hypot(x - 0.5, y - 0.18) < 0.07, (235, 185, 50, 255)),
]


def render(size, layers=LAYERS, samples=4):
    """Rows top to bottom of (r, g, b, a), each pixel averaged over samples x samples points."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    colour = None
                    for inside, rgba in layers:
                        if inside(x, y):
                            colour = rgba
                    if colour:
                        for i in range(3):
                            acc[i] += colour[i]
                        acc[3] += 1
            n = samples * samples
            a = acc[3] / n
            rgb = [round(acc[i] / acc[3]) if acc[3] else 0 for i in range(3)]
            row.append((rgb[0], rgb[1], rgb[2], round(a * 255)))
        rows.append(row)
    return rows


def dib(size, layers=LAYERS):
    rows = render(size, layers)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = (size + 31) // 32 * 4
    mask = b''
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    return header + pixels + mask


def write_ico(out, layers=LAYERS):
    """Writes an icon file of the layers at 16x16 and 32x32."""
    images = [(16, dib(16, layers)), (32, dib(32, layers))]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    data += b''.join(image for _, image in images)
    with open(out, 'wb') as f:
        f.write(data)


def main():
    write_ico(sys.argv[1] if len(sys.argv) > 1 else 'cadhost.ico')


if __name__ == '__main__':
    main()
