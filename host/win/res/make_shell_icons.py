#!/usr/bin/env python3
"""Writes the shell's icons (desktop, computer, drives, folders and special places) as .ico files
at 16x16 and 32x32 into this folder; the host library embeds them."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'app', 'res'))
from make_icon import write_ico  # noqa: E402

OUTLINE = (40, 40, 40, 255)
FOLDER = (240, 200, 80, 255)
FOLDER_DARK = (200, 150, 40, 255)
SCREEN = (40, 110, 200, 255)
GREY = (190, 190, 190, 255)
DARK_GREY = (110, 110, 110, 255)
WHITE = (250, 250, 250, 255)
GREEN = (60, 180, 60, 255)


def box(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def framed(x0, y0, x1, y1, fill, edge=0.06):
    return [(box(x0, y0, x1, y1), OUTLINE), (box(x0 + edge, y0 + edge, x1 - edge, y1 - edge), fill)]


def folder(open_=False):
    layers = framed(0.05, 0.2, 0.45, 0.4, FOLDER_DARK) + framed(0.05, 0.3, 0.95, 0.85, FOLDER_DARK)
    if open_:
        front = lambda x, y: 0.45 <= y <= 0.85 and x >= 0.05 + (0.85 - y) * 0.4 and x <= 0.95 + (0.85 - y) * 0.1
        inner = lambda x, y: 0.5 <= y <= 0.8 and x >= 0.12 + (0.85 - y) * 0.4 and x <= 0.9 + (0.85 - y) * 0.1
        layers += [(front, OUTLINE), (inner, FOLDER)]
    else:
        layers += [(box(0.11, 0.36, 0.89, 0.79), FOLDER)]
    return layers


def drive(light):
    return framed(0.05, 0.35, 0.95, 0.75, GREY) + [(box(0.7, 0.5, 0.85, 0.6), light),
                                                   (box(0.12, 0.62, 0.6, 0.66), DARK_GREY)]


def computer():
    return (framed(0.1, 0.08, 0.9, 0.62, SCREEN) + framed(0.4, 0.62, 0.6, 0.75, GREY) +
            framed(0.15, 0.75, 0.85, 0.92, GREY))


def desktop():
    return framed(0.05, 0.15, 0.95, 0.85, (60, 150, 150, 255)) + [(box(0.15, 0.25, 0.35, 0.45), WHITE),
                                                               (box(0.15, 0.55, 0.35, 0.75), WHITE)]


def cdrom():
    ring = lambda r0, r1: (lambda x, y: r0 <= ((x - 0.5) ** 2 + (y - 0.5) ** 2) ** 0.5 <= r1)
    return [(ring(0.0, 0.45), OUTLINE), (ring(0.0, 0.4), (200, 210, 230, 255)), (ring(0.1, 0.16), DARK_GREY),
            (ring(0.0, 0.07), (0, 0, 0, 0))]


def network():
    return (computer()[:4] + framed(0.05, 0.78, 0.95, 0.86, GREEN) +
            [(box(0.47, 0.62, 0.53, 0.8), OUTLINE)])


def control_panel():
    return framed(0.1, 0.1, 0.9, 0.9, WHITE) + [(box(0.25, 0.3, 0.75, 0.36), SCREEN), (box(0.25, 0.48, 0.75, 0.54), GREEN),
                                                (box(0.25, 0.66, 0.75, 0.72), (220, 60, 60, 255))]


def documents():
    return folder() + framed(0.3, 0.1, 0.7, 0.6, WHITE) + [(box(0.38, 0.25, 0.62, 0.28), DARK_GREY),
                                                           (box(0.38, 0.4, 0.62, 0.43), DARK_GREY)]


ICONS = {
    'folder': folder(),
    'folder_open': folder(True),
    'desktop': desktop(),
    'computer': computer(),
    'drive_fixed': drive(GREEN),
    'drive_removable': framed(0.2, 0.15, 0.8, 0.85, DARK_GREY) + framed(0.3, 0.15, 0.7, 0.45, WHITE),
    'drive_cdrom': cdrom(),
    'drive_remote': drive(GREEN) + [(box(0.2, 0.78, 0.8, 0.84), GREEN), (box(0.47, 0.75, 0.53, 0.95), OUTLINE)],
    'network': network(),
    'control_panel': control_panel(),
    'documents': documents(),
}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    for name, layers in ICONS.items():
        write_ico(os.path.join(here, name + '.ico'), layers)


if __name__ == '__main__':
    main()
