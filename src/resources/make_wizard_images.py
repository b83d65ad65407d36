#!/usr/bin/env python3
"""Draws the wizard's pictures: the frame's background (bitmap 132, 499 by 312), the product
bitmap (48 by 48) and the window icon (133), all 24 bits per pixel.

    make_wizard_images.py OUTPUT_DIR
"""
import os
import struct
import sys


def bmp_rows(width, height, pixel):
    """Bottom-up rows of a 24-bit DIB, each padded to four bytes."""
    pad = (4 - (width * 3) % 4) % 4
    data = bytearray()
    for y in range(height - 1, -1, -1):
        for x in range(width):
            r, g, b = pixel(x, y)
            data += bytes((b, g, r))
        data += b"\0" * pad
    return bytes(data)


def info_header(width, height, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size, 2835, 2835, 0, 0)


def write_bmp(path, width, height, pixel):
    rows = bmp_rows(width, height, pixel)
    header = info_header(width, height, len(rows))
    with open(path, "wb") as out:
        out.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(rows), 0, 0, 14 + len(header)))
        out.write(header + rows)


def write_ico(path, size, pixel):
    rows = bmp_rows(size, size, pixel)
    mask_stride = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_stride * size)
    image = info_header(size, size * 2, len(rows) + len(mask)) + rows + mask
    with open(path, "wb") as out:
        out.write(struct.pack("<HHH", 0, 1, 1))
        out.write(struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(image), 6 + 16))
        out.write(image)


def mix(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


DEEP = (16, 58, 110)
LIGHT = (72, 138, 204)
PALE = (232, 240, 249)


def background(x, y):
    # A banner above the page area (the top 50 dialog units, about 81 of 312 rows), pale below.
    if y < 81:
        colour = mix(DEEP, LIGHT, x / 498)
        # A few soft diagonal stripes on the right.
        if x > 300 and ((x + y) // 14) % 3 == 0:
            colour = mix(colour, (255, 255, 255), 0.08)
        return colour
    return mix(PALE, (250, 252, 255), (y - 81) / 231)


def product(x, y):
    # A rounded tile with a white ring: the product's mark.
    cx = cy = 23.5
    dx, dy = x - cx, y - cy
    r2 = dx * dx + dy * dy
    if abs(dx) > 22 or abs(dy) > 22:
        return (255, 255, 255)
    tile = mix(LIGHT, DEEP, (x + y) / 94)
    if 100 <= r2 <= 196:
        return (255, 255, 255)
    if 14 <= dx <= 19 and 14 <= dy <= 19:
        return (255, 255, 255)
    return tile


def icon(x, y):
    return product(int(x * 1.5), int(y * 1.5))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_bmp(os.path.join(out, "wizard-background.bmp"), 499, 312, background)
    write_bmp(os.path.join(out, "product.bmp"), 48, 48, product)
    write_ico(os.path.join(out, "wizard.ico"), 32, icon)


if __name__ == "__main__":
    main()
