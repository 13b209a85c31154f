#!/usr/bin/env python3
"""Draws the Basic page's illustrations of the model resource module as
small 8-bit BMP files: plain line drawings on white, so they stay sharp
when the page stretches them.

    tools/make-preview-pictures.py src/resources/pictures
"""
import struct
import sys
from pathlib import Path

WHITE, BLACK, GRAY, LIGHT, DARK = 0, 1, 2, 3, 4
PALETTE = [(255, 255, 255), (0, 0, 0), (160, 160, 160), (224, 224, 224), (96, 96, 96)]

DIGITS = {  # 3 x 5 pixel figures
    "1": ["010", "110", "010", "010", "111"],
    "2": ["111", "001", "111", "100", "111"],
    "3": ["111", "001", "111", "001", "111"],
}


class Picture:
    def __init__(self, width, height, background=WHITE):
        self.width, self.height = width, height
        self.pixels = [[background] * width for _ in range(height)]

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, left, top, right, bottom, colour):
        for y in range(top, bottom):
            for x in range(left, right):
                self.dot(x, y, colour)

    def frame(self, left, top, right, bottom, colour=BLACK):
        for x in range(left, right):
            self.dot(x, top, colour)
            self.dot(x, bottom - 1, colour)
        for y in range(top, bottom):
            self.dot(left, y, colour)
            self.dot(right - 1, y, colour)

    def box(self, left, top, right, bottom, inside=WHITE):
        self.fill(left, top, right, bottom, inside)
        self.frame(left, top, right, bottom)

    def line(self, x0, y0, x1, y1, colour=BLACK):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.dot(x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps, colour)

    def figure(self, x, y, digit):
        for row, bits in enumerate(DIGITS[digit]):
            for column, bit in enumerate(bits):
                if bit == "1":
                    self.dot(x + column, y + row, BLACK)

    def save(self, path):
        stride = (self.width + 3) & ~3
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
        palette += b"\0" * (256 * 4 - len(palette))
        rows = b"".join(bytes(row) + b"\0" * (stride - self.width) for row in reversed(self.pixels))
        offset = 14 + 40 + len(palette)
        header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 8, 0, len(rows), 2835, 2835, 256, 0)
        Path(path).write_bytes(header + info + palette + rows)


def sheet(width, height):
    """A blank sheet with its top right corner folded."""
    p = Picture(width, height, LIGHT)
    fold = min(width, height) // 6
    p.box(0, 0, width - 2, height - 2)
    p.fill(2, height - 2, width, height, GRAY)          # shadow
    p.fill(width - 2, 2, width, height, GRAY)
    p.fill(width - 2 - fold, 0, width - 1, fold, LIGHT)
    p.line(width - 3 - fold, 0, width - 3, fold)
    p.line(width - 3 - fold, 0, width - 3 - fold, fold)
    p.line(width - 3 - fold, fold, width - 3, fold)
    return p


def copies(sets):
    """Three small stacks of two sheets, numbered top sheet first."""
    p = Picture(48, 32, LIGHT)
    for i, (back, front) in enumerate(sets):
        left = 2 + i * 15
        p.box(left + 3, 3, left + 14, 27)
        p.figure(left + 8, 6, back)
        p.box(left, 6, left + 11, 30)
        p.figure(left + 4, 15, front)
    return p


def printer():
    """The printer from the front: output tray on top, the multi-purpose
    tray folded down on the right, two paper cassettes below."""
    p = Picture(175, 122, LIGHT)
    p.box(30, 28, 145, 112, WHITE)                    # body
    p.box(50, 18, 125, 30, WHITE)                     # output tray
    p.fill(52, 20, 123, 22, GRAY)
    p.box(145, 55, 170, 62, WHITE)                    # multi-purpose tray
    p.line(145, 55, 160, 45)
    p.box(40, 36, 100, 46, LIGHT)                     # panel
    p.fill(106, 38, 112, 44, DARK)                    # power lamp
    for top in (66, 88):                               # cassettes
        p.box(36, top, 139, top + 20, WHITE)
        p.box(78, top + 7, 98, top + 12, GRAY)
    return p


def booklet():
    """An open booklet: two numbered pages folded at the middle."""
    p = Picture(175, 122, LIGHT)
    p.box(20, 16, 88, 106)
    p.box(87, 16, 155, 106)
    p.fill(22, 106, 156, 109, GRAY)
    p.line(87, 12, 87, 109, DARK)
    for top in range(28, 96, 8):
        p.line(30, top, 78, top, GRAY)
        p.line(97, top, 145, top, GRAY)
    p.figure(52, 98, "2")
    p.figure(120, 98, "3")
    return p


def main(folder):
    out = Path(folder)
    out.mkdir(parents=True, exist_ok=True)
    sheet(70, 99).save(out / "sheet_tall.bmp")
    sheet(99, 70).save(out / "sheet_wide.bmp")
    copies([("3", "1"), ("3", "2"), ("3", "3")]).save(out / "copies_collated.bmp")
    copies([("1", "1"), ("2", "2"), ("3", "3")]).save(out / "copies_uncollated.bmp")
    printer().save(out / "printer_trays.bmp")
    booklet().save(out / "booklet.bmp")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/resources/pictures")
