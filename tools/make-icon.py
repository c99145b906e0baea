#!/usr/bin/env python3
"""Draws the program icon IDR_MAINFRAME and writes it as res/setup.ico.

The icon is a blue diskette with a white label that carries a navy "O":
one 32 x 32 and one 16 x 16 image, 16 colours (4 bits per pixel) each,
in the classic 16-colour Windows palette. The output is the same byte for
byte on every run; the build uses the committed .ico and does not need
Python.

    tools/make-icon.py [OUTPUT.ico]      (default: res/setup.ico)
"""

import os
import struct
import sys

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, GREY, SILVER, BLUE, WHITE = 0, 4, 8, 7, 12, 15
CLEAR = None  # transparent pixel: AND mask bit set, colour index 0

def diskette(size, shutter, slot, label, ring):
    """Returns rows of colour indices for a diskette of the given size.

    shutter, slot and label are (left, top, right, bottom) boxes, inclusive;
    ring is (centre x, centre y, outer radius x, outer radius y, thickness)
    of the "O" on the label, with centres on half pixels.
    """
    last = size - 1
    notch = max(2, size // 8)  # the cut corner at the top right
    grid = [[CLEAR] * size for _ in range(size)]
    for y in range(1, last):
        for x in range(1, last):
            if x - (last - 1 - notch) > y - 1:
                continue  # outside the cut corner
            edge = (x in (1, last - 1) or y in (1, last - 1)
                    or x - (last - 1 - notch) == y - 1)
            grid[y][x] = NAVY if edge else BLUE
    fill_box(grid, shutter, SILVER)
    outline_box(grid, shutter, GREY)
    fill_box(grid, slot, NAVY)
    fill_box(grid, label, WHITE)
    outline_box(grid, label, SILVER)
    draw_ring(grid, ring, NAVY)
    # A drop shadow on the right and bottom edges gives the disk some depth.
    for i in range(2, size):
        if grid[last][i - 1] is not CLEAR or grid[last - 1][i - 1] is not CLEAR:
            grid[last][i] = BLACK if i < last else CLEAR
        if grid[i - 1][last - 1] is not CLEAR and i < last:
            grid[i][last] = BLACK
    return grid


def fill_box(grid, box, colour):
    left, top, right, bottom = box
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            grid[y][x] = colour


def outline_box(grid, box, colour):
    left, top, right, bottom = box
    for x in range(left, right + 1):
        grid[top][x] = grid[bottom][x] = colour
    for y in range(top, bottom + 1):
        grid[y][left] = grid[y][right] = colour


def draw_ring(grid, ring, colour):
    cx, cy, rx, ry, thickness = ring
    for y in range(len(grid)):
        for x in range(len(grid)):
            dx, dy = x + 0.5 - cx, y + 0.5 - cy
            outer = (dx / rx) ** 2 + (dy / ry) ** 2
            inner_rx, inner_ry = rx - thickness, ry - thickness
            inner = (dx / inner_rx) ** 2 + (dy / inner_ry) ** 2
            if outer <= 1.0 and inner > 1.0:
                grid[y][x] = colour


def images():
    big = diskette(32, shutter=(8, 1, 22, 11), slot=(17, 3, 20, 9),
                   label=(5, 14, 26, 29), ring=(16.0, 22.0, 6.0, 6.5, 2.2))
    small = diskette(16, shutter=(4, 1, 11, 5), slot=(9, 2, 10, 4),
                     label=(3, 7, 12, 13), ring=(8.0, 10.5, 3.0, 3.0, 1.3))
    return [big, small]


def dib(grid):
    """The icon image as Windows stores it: header, palette, XOR and AND maps."""
    size = len(grid)
    xor_stride = (size * 4 + 31) // 32 * 4
    and_stride = (size + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         (xor_stride + and_stride) * size, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor_rows, and_rows = [], []
    for row in reversed(grid):  # bottom-up rows
        indices = [0 if c is CLEAR else c for c in row]
        packed = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
        xor_rows.append(packed.ljust(xor_stride, b"\0"))
        bits = 0
        for c in row:
            bits = (bits << 1) | (1 if c is CLEAR else 0)
        and_rows.append(bits.to_bytes(size // 8, "big").ljust(and_stride, b"\0"))
    return header + palette + b"".join(xor_rows) + b"".join(and_rows)


def ico(grids):
    count = len(grids)
    blobs = [dib(g) for g in grids]
    offset = 6 + 16 * count
    out = struct.pack("<HHH", 0, 1, count)
    for grid, blob in zip(grids, blobs):
        size = len(grid)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "res", "setup.ico")
    with open(target, "wb") as f:
        f.write(ico(images()))
    for grid in images():
        for row in grid:
            print("".join("." if c is CLEAR else "0123456789abcdef"[c] for c in row))
        print()


if __name__ == "__main__":
    main()
