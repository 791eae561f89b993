#!/usr/bin/env python3
"""Draws the program's icon (a page with a folded corner over a blue tile, with a small
clock) at 48, 32 and 16 pixels, 32 bits per pixel, and writes Quorvane.ico; given a file and
sizes, at those sizes into that file (QuorvaneCli.ico: 32 16, the console program's, kept small)."""
import math
import struct
import sys


def inside_rounded(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def pixel(u, v):
    """Colour (r, g, b, a) at unit-square coordinates u, v (0..1, v downward)."""
    colour = (0, 0, 0, 0)
    if inside_rounded(u, v, 0.04, 0.04, 0.96, 0.96, 0.18):
        shade = int(40 * v)
        colour = (30, 96 - shade // 2, 200 - shade, 255)
    # The page, its top-right corner folded.
    if 0.24 <= u <= 0.70 and 0.14 <= v <= 0.84 and not (u - 0.56 > v - 0.14):
        colour = (250, 250, 250, 255)
        if u - 0.56 > v - 0.14 - 0.02 and u >= 0.56:
            colour = (190, 200, 215, 255)
        for line_v in (0.36, 0.48, 0.60):
            if abs(v - line_v) < 0.025 and 0.31 <= u <= 0.58:
                colour = (120, 140, 170, 255)
    # The clock: the times the program edits.
    d = math.hypot(u - 0.70, v - 0.70)
    if d <= 0.22:
        colour = (245, 160, 30, 255)
        if d <= 0.16:
            colour = (255, 255, 255, 255)
            hand = (abs(u - 0.70) < 0.025 and 0.58 <= v <= 0.70) or (
                abs(v - 0.70) < 0.025 and 0.70 <= u <= 0.80)
            if hand:
                colour = (40, 40, 40, 255)
    return colour


def image(size):
    samples = 4  # supersampling for smooth edges
    rows = []
    for y in range(size - 1, -1, -1):  # bottom-up, as DIBs are stored
        row = bytearray()
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    r, g, b, a = pixel((x + (sx + 0.5) / samples) / size,
                                       (y + (sy + 0.5) / samples) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            alpha = acc[3] // (samples * samples)
            if acc[3]:
                r, g, b = (acc[i] // acc[3] for i in range(3))
            else:
                r = g = b = 0
            row += bytes((b, g, r, alpha))
        rows.append(bytes(row))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)  # all opaque: alpha carries the shape
    return header + b''.join(rows) + mask


def main(out, sizes):
    images = [image(s) for s in sizes]
    data = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, img in zip(sizes, images):
        data += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(out, 'wb') as f:
        f.write(data + b''.join(images))


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'Quorvane.ico',
         tuple(int(size) for size in sys.argv[2:]) or (48, 32, 16))
