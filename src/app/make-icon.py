#!/usr/bin/env python3
"""Writes pagora.ico: the program's icon, 32x32 and 16x16 in 16 colours.

A sheet with a blue title row and grid lines, and a green arrow leaving it:
a table going out as a page. Run it from this folder; the .ico is committed.
"""
import struct

# The 16 colours of the standard VGA palette, as (blue, green, red, 0).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]  # (r, g, b)
BLACK, GREEN, NAVY, GREY, WHITE, BLUE = 0, 2, 4, 8, 15, 12
CLEAR = None


def picture(n):
    """Rows top to bottom of palette indexes (None for transparent)."""
    s = n / 32
    px = [[CLEAR] * n for _ in range(n)]
    left, right = round(2 * s), round(26 * s)
    top, bottom = round(3 * s), round(28 * s)
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            edge = x in (left, right) or y in (top, bottom)
            px[y][x] = BLACK if edge else WHITE
    header = top + round(6 * s)
    for y in range(top + 1, header):
        for x in range(left + 1, right):
            px[y][x] = NAVY
    step = max(3, round(6 * s))
    for y in range(header, bottom, step):
        for x in range(left + 1, right):
            px[y][x] = GREY
    for x in range(left + step, right, step):
        for y in range(header, bottom):
            px[y][x] = GREY
    arrow(px, n, s)
    return px


def arrow(px, n, s):
    mid = round(20 * s)
    tail, head = round(14 * s), n - 1
    half = max(1, round(1 * s))
    for x in range(tail, head - round(4 * s)):
        for y in range(mid - half, mid + half + 1):
            px[y][x] = GREEN
    tip = round(6 * s)
    for i in range(tip):
        for y in range(mid - (tip - i), mid + (tip - i) + 1):
            x = head - tip + i
            if 0 <= y < n:
                px[y][x] = GREEN


def image(n):
    px = picture(n)
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    xor, mask = b'', b''
    for row in reversed(px):  # bitmaps run bottom-up
        nibbles = [0 if c is None else c for c in row]
        line = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, n, 2))
        xor += line + b'\0' * (-len(line) % 4)
        bits = ''.join('1' if c is None else '0' for c in row)
        line = int(bits, 2).to_bytes(n // 8, 'big')
        mask += line + b'\0' * (-len(line) % 4)
    return header + palette + xor + mask


def main():
    images = [(32, image(32)), (16, image(16))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in images:
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open('pagora.ico', 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
