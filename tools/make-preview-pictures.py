#!/usr/bin/env python3
"""Draws the Basic and Advanced pages' illustrations of the model resource module as
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


def quality(cell):
    """A magnified round edge of a printed glyph on the printer's dot grid:
    the finer the grid, the smoother the edge."""
    p = Picture(174, 94)
    cx, cy, outer, inner = 87, 47, 42, 24
    for top in range(0, p.height, cell):
        for left in range(0, p.width, cell):
            x, y = left + cell / 2 - cx, top + cell / 2 - cy
            if inner * inner <= x * x + y * y <= outer * outer:
                p.fill(left, top, left + cell, top + cell, DARK)
    if cell >= 6:
        for x in range(0, p.width, cell):
            p.line(x, 0, x, p.height - 1, LIGHT)
        for y in range(0, p.height, cell):
            p.line(0, y, p.width - 1, y, LIGHT)
    p.frame(0, 0, p.width, p.height, GRAY)
    return p


def page(p, left, top, right, bottom):
    """A printed page: a sheet with lines of text."""
    p.box(left, top, right, bottom)
    for y in range(top + 6, bottom - 4, 5):
        p.line(left + 5, y, right - 6, y, GRAY)


def duplex_off():
    p = Picture(174, 78, LIGHT)
    page(p, 67, 8, 107, 66)
    p.fill(69, 66, 109, 68, GRAY)
    p.fill(107, 10, 109, 68, GRAY)
    return p


def back(p, left, top, right, bottom):
    """The back of a sheet being turned: blank, drawn fainter."""
    p.fill(left, top, right, bottom, WHITE)
    p.frame(left, top, right, bottom, GRAY)


def duplex_side():
    """A sheet bound on its left edge, its back turned over to the left."""
    p = Picture(174, 78, LIGHT)
    back(p, 47, 8, 88, 66)
    page(p, 87, 8, 128, 66)
    p.fill(89, 66, 130, 68, GRAY)
    p.fill(86, 6, 89, 68, DARK)
    return p


def duplex_top():
    """A sheet bound on its top edge, its back turned over upwards."""
    p = Picture(174, 78, LIGHT)
    back(p, 67, 2, 107, 39)
    page(p, 67, 38, 107, 75)
    p.fill(107, 40, 109, 77, GRAY)
    p.fill(65, 37, 109, 40, DARK)
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
    for cell, dpi in ((12, 300), (6, 600), (3, 1200)):
        quality(cell).save(out / f"quality_{dpi}.bmp")
    duplex_off().save(out / "duplex_off.bmp")
    duplex_side().save(out / "duplex_side.bmp")
    duplex_top().save(out / "duplex_top.bmp")


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/resources/pictures")
