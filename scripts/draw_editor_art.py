#!/usr/bin/env python3
"""Draws the editor's art: the program icon (16, 32 and 48 pixels, 32-bit with
alpha) and the 16 x 16 toolbar glyphs of the main window.

  draw_editor_art.py icon OUT.ico     writes the icon
  draw_editor_art.py glyphs           prints each glyph as a form-text
                                      "Glyph.Data = {...}" block (a 24-bit
                                      bitmap; magenta is the see-through colour)
"""
import struct
import sys

BG = (255, 0, 255)


def canvas(size, fill):
    return [[fill for _ in range(size)] for _ in range(size)]


def rect(img, x0, y0, x1, y1, c):
    for y in range(y0, y1):
        for x in range(x0, x1):
            if 0 <= y < len(img) and 0 <= x < len(img):
                img[y][x] = c


def frame(img, x0, y0, x1, y1, c):
    rect(img, x0, y0, x1, y0 + 1, c)
    rect(img, x0, y1 - 1, x1, y1, c)
    rect(img, x0, y0, x0 + 1, y1, c)
    rect(img, x1 - 1, y0, x1, y1, c)


def poly(img, pts, c):
    n = len(img)
    for y in range(n):
        for x in range(n):
            px, py = x + 0.5, y + 0.5
            inside = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
                    inside = not inside
                j = i
            if inside:
                img[y][x] = c


DARK = (40, 40, 48)
WHITE = (255, 255, 255)
BLUE = (30, 90, 200)
GREEN = (20, 150, 50)
RED = (200, 30, 30)
YELLOW = (240, 200, 60)
GREY = (128, 128, 128)


def page(img):
    poly(img, [(3, 1), (10, 1), (13, 4), (13, 15), (3, 15)], DARK)
    poly(img, [(4, 2), (9.5, 2), (12, 4.5), (12, 14), (4, 14)], WHITE)
    rect(img, 9, 2, 10, 5, DARK)
    rect(img, 9, 4, 13, 5, DARK)


def glyph_new():
    g = canvas(16, BG)
    page(g)
    return g


def glyph_open():
    g = canvas(16, BG)
    rect(g, 1, 3, 7, 5, DARK)
    rect(g, 1, 4, 14, 14, DARK)
    rect(g, 2, 5, 13, 13, YELLOW)
    poly(g, [(3, 8), (15, 8), (13, 14), (1, 14)], DARK)
    poly(g, [(3.8, 9), (13.8, 9), (12.3, 13), (2.2, 13)], (250, 225, 120))
    return g


def glyph_save():
    g = canvas(16, BG)
    rect(g, 1, 1, 15, 15, DARK)
    rect(g, 2, 2, 14, 14, BLUE)
    rect(g, 4, 2, 12, 7, WHITE)
    rect(g, 4, 10, 12, 14, (200, 200, 210))
    rect(g, 9, 11, 11, 13, DARK)
    return g


def glyph_insert():
    g = canvas(16, BG)
    page(g)
    rect(g, 8, 9, 16, 12, GREEN)
    rect(g, 10, 7, 13, 15, GREEN)
    return g


def glyph_remove():
    g = canvas(16, BG)
    for i in range(11):
        for d in (0, 1):
            x, y = 2 + i + d, 2 + i
            if x < 14:
                g[y][x] = RED
                g[y][15 - x] = RED
    return g


def glyph_up():
    g = canvas(16, BG)
    poly(g, [(8, 2), (14, 8), (10.5, 8), (10.5, 14), (5.5, 14), (5.5, 8), (2, 8)], BLUE)
    return g


def glyph_down():
    return [row[:] for row in reversed(glyph_up())]


def glyph_preview():
    g = canvas(16, BG)
    rect(g, 1, 2, 15, 14, DARK)
    rect(g, 2, 3, 14, 5, BLUE)
    rect(g, 2, 5, 14, 13, WHITE)
    poly(g, [(6, 7), (11, 9), (6, 11)], GREEN)
    return g


def glyph_play():
    g = canvas(16, BG)
    poly(g, [(4, 2), (13, 8), (4, 14)], GREEN)
    return g


def glyph_pause():
    g = canvas(16, BG)
    rect(g, 4, 3, 7, 13, DARK)
    rect(g, 9, 3, 12, 13, DARK)
    return g


def glyph_first():
    g = canvas(16, BG)
    rect(g, 3, 3, 5, 13, DARK)
    poly(g, [(13, 3), (5, 8), (13, 13)], DARK)
    return g


GLYPHS = [
    ("miNew", glyph_new), ("miOpen", glyph_open), ("miSaveDropDown", glyph_save),
    ("miFrameInsert", glyph_insert), ("miFrameRemove", glyph_remove), ("miFrameUp", glyph_up),
    ("miFrameDown", glyph_down), ("miViewPreviewWindow", glyph_preview), ("miPlay", glyph_play),
    ("miPause", glyph_pause), ("miRewind", glyph_first),
]


def bmp24(img):
    n = len(img)
    row = (n * 3 + 3) // 4 * 4
    data = bytearray()
    for y in reversed(range(n)):
        line = bytearray()
        for r, g, b in img[y]:
            line += bytes((b, g, r))
        data += line + bytes(row - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, n, n, 1, 24, 0, len(data), 0, 0, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    return head + info + data


def glyph_block(name, img):
    data = bmp24(img)
    blob = struct.pack("<I", len(data)) + data
    hexed = blob.hex().upper()
    lines = [hexed[i:i + 64] for i in range(0, len(hexed), 64)]
    return name + "\n" + "\n".join(lines)


# --- the icon: a film frame in a violet-to-teal square with a white "play" mark.
def icon_pixels(n):
    px = [[(0, 0, 0, 0) for _ in range(n)] for _ in range(n)]
    m = max(1, n // 16)
    for y in range(m, n - m):
        for x in range(m, n - m):
            t = (x + y) / (2.0 * n)
            r = int(110 * (1 - t) + 20 * t)
            g = int(60 * (1 - t) + 170 * t)
            b = int(200 * (1 - t) + 170 * t)
            px[y][x] = (r, g, b, 255)
    # rounded corners
    for (cx, cy) in ((m, m), (n - m - 1, m), (m, n - m - 1), (n - m - 1, n - m - 1)):
        px[cy][cx] = (0, 0, 0, 0)
    # sprocket holes along the top and bottom
    hole = max(1, n // 12)
    step = max(3, n // 6)
    for x in range(m + hole, n - m - hole, step):
        for yy in range(hole):
            for xx in range(hole):
                px[m + hole // 2 + yy][x + xx] = (20, 20, 30, 255)
                px[n - m - hole - hole // 2 + yy][x + xx] = (20, 20, 30, 255)
    # the play mark
    x0, x1 = int(n * 0.36), int(n * 0.72)
    y0, y1 = int(n * 0.28), int(n * 0.72)
    for y in range(y0, y1):
        half = (y1 - y0) / 2.0
        span = (1 - abs(y + 0.5 - (y0 + half)) / half) * (x1 - x0)
        for x in range(x0, x0 + int(span + 0.5)):
            px[y][x] = (255, 255, 255, 255)
    return px


def icon_image(n):
    px = icon_pixels(n)
    xor = bytearray()
    for y in reversed(range(n)):
        for r, g, b, a in px[y]:
            xor += bytes((b, g, r, a))
    mask_row = (n + 31) // 32 * 4
    andm = bytearray()
    for y in reversed(range(n)):
        bits = bytearray(mask_row)
        for x in range(n):
            if px[y][x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        andm += bits
    head = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
    return head + xor + andm


def write_icon(path):
    sizes = [16, 32, 48]
    images = [icon_image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        out += img
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "icon":
        write_icon(sys.argv[2])
    elif len(sys.argv) == 2 and sys.argv[1] == "glyphs":
        for name, fn in GLYPHS:
            print(glyph_block(name, fn()))
    else:
        sys.exit(__doc__)
