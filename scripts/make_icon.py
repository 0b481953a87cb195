#!/usr/bin/env python3
"""Draws Corvane's icon: a dark corvid head over a gold key bit, on a teal
disc. Writes res/corvex.ico: one 24 x 24 image, 8 bits per pixel, as a DIB.

    python3 scripts/make_icon.py [OUTPUT]
"""
import math
import struct
import sys

SIZE = 24

# Palette index: colour (R, G, B). The colour table lists these alone
# (biClrUsed), as a DIB may: the image keeps 8 bits a pixel, and the 250
# entries it would never use took 1,000 bytes of the file.
PALETTE = {
    0: (0, 0, 0),
    1: (0x1F, 0x6F, 0x78),  # teal disc
    2: (0x14, 0x4A, 0x52),  # disc rim
    3: (0x1A, 0x1A, 0x22),  # bird
    4: (0xE8, 0xB8, 0x30),  # key, eye
    5: (0xFF, 0xFF, 0xFF),  # eye highlight
}


def draw():
    """Returns rows top to bottom of palette indices, or None for clear."""
    c = (SIZE - 1) / 2
    img = [[None] * SIZE for _ in range(SIZE)]
    for y in range(SIZE):
        for x in range(SIZE):
            d = math.hypot(x - c, y - c)
            if d <= 11.2:
                img[y][x] = 2 if d > 10.0 else 1
    # The bird's head and beak, facing right.
    for y in range(SIZE):
        for x in range(SIZE):
            if math.hypot(x - 9.5, y - 9.5) <= 5.2:
                img[y][x] = 3
            # beak: a wedge from the head to the right
            if 13 <= x <= 19 and abs(y - 10.5) <= (19 - x) * 0.45:
                img[y][x] = 3
            # neck down to the key
            if 6 <= x <= 12 and 12 <= y <= 15:
                img[y][x] = 3
    img[8][10] = 4
    img[8][11] = 4
    img[9][10] = 4
    img[9][11] = 5
    # A key along the bottom: bow on the left, bit with two teeth.
    for y in range(SIZE):
        for x in range(SIZE):
            if 2.0 <= math.hypot(x - 7, y - 17.5) <= 3.2:
                img[y][x] = 4
            if 10 <= x <= 18 and 17 <= y <= 18:
                img[y][x] = 4
    for x, y in ((15, 19), (15, 20), (18, 19), (18, 20), (17, 19)):
        img[y][x] = 4
    return img


def ico(img):
    row_bytes = (SIZE + 3) // 4 * 4
    mask_row_bytes = ((SIZE + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0,
                         row_bytes * SIZE + mask_row_bytes * SIZE, 0, 0, len(PALETTE), 0)
    palette = b"".join(struct.pack("<BBBB", *reversed(PALETTE[i]), 0) for i in range(len(PALETTE)))
    xor = b""
    mask = b""
    for row in reversed(img):  # DIBs are stored bottom-up
        xor += bytes(0 if p is None else p for p in row).ljust(row_bytes, b"\0")
        bits = 0
        for x, p in enumerate(row):
            if p is None:
                bits |= 1 << (mask_row_bytes * 8 - 1 - x)
        mask += bits.to_bytes(mask_row_bytes, "big")
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "res/corvex.ico"
    with open(out, "wb") as f:
        f.write(ico(draw()))


if __name__ == "__main__":
    main()
