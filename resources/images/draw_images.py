#!/usr/bin/env python3
"""Draws the grid control's own pictures and writes them as Windows bitmap,
cursor and icon files beside this script. The files are checked in; run
this again only after changing a picture.

  5100-5102  check box: checked, unchecked, undetermined (1 bit, 16x16)
  5105-5106  two-state picture: off, on (8 bits, 16x16)
  5120-5122  icons: grid, line, cell (8 bits, 16x16)
  5130       column resize cursor (1 bit, 32x32, hot spot 11, 9)
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def rows_1bpp(pixels, width):
    """Rows bottom-up, one bit a pixel (1 = palette entry 1), padded to 4."""
    out = b""
    for row in reversed(pixels):
        bits = 0
        data = bytearray()
        for x in range(width):
            bits = (bits << 1) | (1 if row[x] else 0)
            if x % 8 == 7:
                data.append(bits)
                bits = 0
        while len(data) % 4:
            data.append(0)
        out += bytes(data)
    return out


def rows_8bpp(pixels, width):
    out = b""
    for row in reversed(pixels):
        data = bytearray(row[:width])
        while len(data) % 4:
            data.append(0)
        out += bytes(data)
    return out


def info_header(width, height, bits, colours):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 0, 0, colours, 0)


def palette(colours):
    return b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in colours)


def write_bmp(name, width, height, bits, colours, pixels):
    pal = palette(colours)
    body = rows_1bpp(pixels, width) if bits == 1 else rows_8bpp(pixels, width)
    info = info_header(width, height, bits, len(colours)) + pal
    offset = 14 + len(info)
    head = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(head + info + body)


def write_icon_or_cursor(name, width, height, bits, colours, pixels, mask, hotspot=None):
    pal = palette(colours)
    xor = rows_1bpp(pixels, width) if bits == 1 else rows_8bpp(pixels, width)
    andmask = rows_1bpp(mask, width)
    image = info_header(width, 2 * height, bits, len(colours)) + pal + xor + andmask
    cursor = hotspot is not None
    head = struct.pack("<HHH", 0, 2 if cursor else 1, 1)
    a, b = (hotspot if cursor else (1, bits))
    entry = struct.pack("<BBBBHHII", width, height, 0 if bits > 4 else len(colours), 0, a, b,
                        len(image), 6 + 16)
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(head + entry + image)


def blank(w, h, v=0):
    return [[v] * w for _ in range(h)]


def check_box(state):
    """White box with a dark frame; 1 = ink (black), 0 = paper (white)."""
    p = blank(16, 16)
    for i in range(2, 15):
        p[2][i] = p[14][i] = p[i][2] = p[i][14] = 1
    if state == "checked":
        # A tick of three pixels' thickness from (4, 8) down to (7, 11), up to (12, 5).
        path = [(4, 8), (5, 9), (6, 10), (7, 11), (8, 10), (9, 9), (10, 8), (11, 7), (12, 6)]
        for (x, y) in path:
            for dy in range(3):
                p[y - 2 + dy][x] = 1
    elif state == "undetermined":
        for y in range(4, 13):
            for x in range(4, 13):
                if (x + y) % 2 == 0:
                    p[y][x] = 1
    return p


def write_check_boxes():
    mono = [(255, 255, 255), (0, 0, 0)]
    write_bmp("check_on.bmp", 16, 16, 1, mono, check_box("checked"))
    write_bmp("check_off.bmp", 16, 16, 1, mono, check_box("unchecked"))
    write_bmp("check_undetermined.bmp", 16, 16, 1, mono, check_box("undetermined"))


# 8-bit pictures share one small palette; unused entries stay black.
COLOURS = [
    (255, 255, 255),  # 0 white
    (0, 0, 0),        # 1 black
    (128, 128, 128),  # 2 dark grey
    (192, 192, 192),  # 3 light grey
    (0, 128, 0),      # 4 dark green
    (0, 224, 0),      # 5 green
    (160, 255, 160),  # 6 light green
    (0, 0, 128),      # 7 navy
    (255, 255, 192),  # 8 cream
    (128, 0, 0),      # 9 dark red
]
PALETTE = COLOURS + [(0, 0, 0)] * (256 - len(COLOURS))


def lamp(on):
    """A round lamp: grey when off, green with a highlight when on."""
    p = blank(16, 16, 0)
    rim, body, shine = (4, 5, 6) if on else (2, 3, 0)
    for y in range(16):
        for x in range(16):
            d = (x - 7.5) ** 2 + (y - 7.5) ** 2
            if d <= 6.5 ** 2:
                p[y][x] = rim
            if d <= 5.2 ** 2:
                p[y][x] = body
            if (x - 5.5) ** 2 + (y - 5.5) ** 2 <= 1.6 ** 2:
                p[y][x] = shine
    return p


def write_lamps():
    write_bmp("state_off.bmp", 16, 16, 8, PALETTE, lamp(False))
    write_bmp("state_on.bmp", 16, 16, 8, PALETTE, lamp(True))


def grid_icon(kind):
    """A small table: navy header, grey rules; a line or a cell marked."""
    p = blank(16, 16, 0)
    for y in range(1, 15):
        for x in range(1, 15):
            if y in (1, 14) or x in (1, 14):
                p[y][x] = 2
            elif y <= 4:
                p[y][x] = 7
            elif y in (7, 10) or x in (5, 10):
                p[y][x] = 3
    if kind == "line":
        for x in range(2, 14):
            for y in (8, 9):
                p[y][x] = 7
    elif kind == "cell":
        for x in range(6, 10):
            for y in (8, 9):
                p[y][x] = 9
    mask = blank(16, 16, 1)
    for y in range(1, 15):
        for x in range(1, 15):
            mask[y][x] = 0
    return p, mask


def write_icons():
    for name, kind in (("grid.ico", "grid"), ("grid_line.ico", "line"), ("grid_cell.ico", "cell")):
        p, mask = grid_icon(kind)
        write_icon_or_cursor(name, 16, 16, 8, PALETTE, p, mask)


def resize_cursor():
    """Two vertical bars with arrows left and right, centred on (11, 9).

    Monochrome cursors combine AND mask and XOR image: mask 1 / image 0
    leaves the screen, mask 0 / image 0 is black, mask 0 / image 1 white.
    Black shapes with a white outline read on any background."""
    hx, hy = 11, 9
    shape = blank(32, 32, 0)
    for y in range(hy - 7, hy + 8):
        shape[y][hx - 1] = shape[y][hx + 1] = 1
    for x in range(hx - 9, hx + 10):
        shape[hy][x] = 1
    for i in range(1, 5):
        for dy in range(-i, i + 1):
            shape[hy + dy][hx - 9 + i] = 1
            shape[hy + dy][hx + 9 - i] = 1
    outline = blank(32, 32, 0)
    for y in range(32):
        for x in range(32):
            if not shape[y][x]:
                continue
            for dy in (-1, 0, 1):
                for dx in (-1, 0, 1):
                    if 0 <= y + dy < 32 and 0 <= x + dx < 32:
                        outline[y + dy][x + dx] = 1
    image = blank(32, 32, 0)
    mask = blank(32, 32, 1)
    for y in range(32):
        for x in range(32):
            if outline[y][x]:
                mask[y][x] = 0
                image[y][x] = 0 if shape[y][x] else 1
    return image, mask


def write_cursor():
    image, mask = resize_cursor()
    write_icon_or_cursor("column_resize.cur", 32, 32, 1, [(0, 0, 0), (255, 255, 255)], image, mask,
                         hotspot=(11, 9))


if __name__ == "__main__":
    write_check_boxes()
    write_lamps()
    write_icons()
    write_cursor()
