#!/usr/bin/env python3
"""Draws the installer's icons and writes them as .ico files into src/resources/.

Icon 10: a computer beside a software box, 32x32 and 48x48, 16 colours.
Icon 11: a flatbed scanner, 64x64 monochrome and 48x48 16 colours.
Icon 12: a floppy disk, 64x64 monochrome, 32x32 and 48x48 16 colours.

Each drawing is made on a grid of its own (32 or 64 units) and scaled to the image's size, so
that a screen at 150 % takes a 48x48 image rather than stretching the 32x32 one.

Usage: python3 tools/make_icons.py [output-dir]
"""
import os
import struct
import sys

# The standard 16-colour palette, as (blue, green, red) for the DIB colour table.
VGA = [
    (0x00, 0x00, 0x00), (0x00, 0x00, 0x80), (0x00, 0x80, 0x00), (0x00, 0x80, 0x80),
    (0x80, 0x00, 0x00), (0x80, 0x00, 0x80), (0x80, 0x80, 0x00), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0x00, 0x00, 0xFF), (0x00, 0xFF, 0x00), (0x00, 0xFF, 0xFF),
    (0xFF, 0x00, 0x00), (0xFF, 0x00, 0xFF), (0xFF, 0xFF, 0x00), (0xFF, 0xFF, 0xFF),
]
MONO = [(0x00, 0x00, 0x00), (0xFF, 0xFF, 0xFF)]

# Palette indices by name (the table is blue, green, red; the names are what shows).
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)
CLEAR = None


class Canvas:
    def __init__(self, size, grid):
        self.size = size
        self.grid = grid
        self.pixels = [[CLEAR] * size for _ in range(size)]

    def span(self, a0, a1):
        """Pixels covered by grid units a0 to a1, both included: at least one."""
        first = a0 * self.size // self.grid
        last = (a1 + 1) * self.size // self.grid - 1
        return first, max(first, last)

    def fill(self, x0, y0, x1, y1, colour):
        """Fills pixels (x0, y0) to (x1, y1), both included."""
        for y in range(max(0, y0), min(self.size, y1 + 1)):
            for x in range(max(0, x0), min(self.size, x1 + 1)):
                self.pixels[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle with corners (x0, y0) and (x1, y1), both included, in grid units."""
        x0, x1 = self.span(x0, x1)
        y0, y1 = self.span(y0, y1)
        self.fill(x0, y0, x1, y1, colour)

    def ring(self, x0, y0, x1, y1, colour):
        """The outermost pixels of pixels (x0, y0) to (x1, y1): an edge one pixel wide."""
        self.fill(x0, y0, x1, y0, colour)
        self.fill(x0, y1, x1, y1, colour)
        self.fill(x0, y0, x0, y1, colour)
        self.fill(x1, y0, x1, y1, colour)

    def frame(self, x0, y0, x1, y1, colour):
        """An edge one pixel wide round the rectangle, in grid units, at any size."""
        x0, x1 = self.span(x0, x1)
        y0, y1 = self.span(y0, y1)
        self.ring(x0, y0, x1, y1, colour)

    def box(self, x0, y0, x1, y1, fill, edge):
        self.rect(x0, y0, x1, y1, fill)
        self.frame(x0, y0, x1, y1, edge)


def pack_rows(canvas, bits, index_of):
    """Bottom-up DIB rows of `bits` per pixel, each padded to 4 bytes."""
    out = bytearray()
    per_byte = 8 // bits
    row_bytes = ((canvas.size * bits + 31) // 32) * 4
    for y in reversed(range(canvas.size)):
        row = bytearray(row_bytes)
        for x in range(canvas.size):
            value = index_of(canvas.pixels[y][x])
            shift = 8 - bits * (x % per_byte + 1)
            row[x // per_byte] |= value << shift
        out += row
    return bytes(out)


def image(canvas, bits, palette):
    size = canvas.size
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    colours = b''.join(struct.pack('<BBBB', b, g, r, 0) for b, g, r in palette)
    if bits == 1:
        xor = pack_rows(canvas, bits, lambda c: 1 if c == WHITE else 0)
    else:
        xor = pack_rows(canvas, bits, lambda c: 0 if c is CLEAR else c)
    mask = pack_rows(canvas, 1, lambda c: 1 if c is CLEAR else 0)
    data = header + colours + xor + mask
    return size, bits, len(palette), data


def ico(images):
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bits, colours, data in images:
        out += struct.pack('<BBBBHHII', size % 256, size % 256, colours % 256, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    for _, _, _, data in images:
        out += data
    return bytes(out)


def computer_and_box(size):
    c = Canvas(size, 32)
    # Monitor with a blue screen.
    c.box(1, 4, 20, 19, SILVER, BLACK)
    c.box(4, 7, 17, 16, BLUE, BLACK)
    c.rect(5, 8, 8, 8, AQUA)
    # Stand and keyboard.
    c.box(8, 20, 13, 22, GREY, BLACK)
    c.box(0, 23, 21, 28, SILVER, BLACK)
    c.rect(2, 25, 19, 25, GREY)
    # Software box, standing to the right.
    c.box(22, 9, 31, 30, RED, BLACK)
    c.rect(23, 10, 30, 12, YELLOW)
    c.box(24, 16, 29, 25, WHITE, BLACK)
    c.rect(25, 18, 28, 18, NAVY)
    c.rect(25, 21, 27, 21, NAVY)
    return c


def floppy(size, mono):
    c = Canvas(size, 32)
    body, edge, label, shutter = (BLACK, BLACK, WHITE, WHITE) if mono else (NAVY, BLACK, WHITE, SILVER)
    c.box(2, 2, 29, 29, body, edge)
    # Metal shutter with its window at the top.
    c.box(9, 2, 22, 10, shutter, edge)
    c.rect(17, 4, 19, 9, BLACK)
    # Label with lines; its bottom edge is the first pixel row of unit 29: on the disk's own edge at 32 pixels,
    # just inside it at 64.
    x0, x1 = c.span(6, 25)
    y0, y1 = c.span(15, 15)[0], c.span(29, 29)[0]
    c.fill(x0, y0, x1, y1, label)
    c.ring(x0, y0, x1, y1, edge)
    for line in (18, 21, 24):
        c.rect(8, line, 23, line, BLACK if mono else GREY)
    # Write-protect notch.
    c.rect(3, 26, 4, 27, CLEAR)
    return c


def scanner(size):
    c = Canvas(size, 64)
    # Lid, hinged at the back, and the base with its glass edge.
    c.box(4, 18, 59, 27, WHITE, BLACK)
    c.box(2, 28, 61, 47, BLACK, BLACK)
    c.rect(6, 31, 57, 33, WHITE)
    c.rect(46, 40, 50, 43, WHITE)
    c.rect(52, 40, 56, 43, WHITE)
    # A page going in.
    c.box(16, 6, 47, 17, WHITE, BLACK)
    for line in (9, 12, 15):
        c.rect(20, line, 43, line, BLACK)
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, '..', 'src', 'resources')
    icons = {
        'icon10.ico': [image(computer_and_box(32), 4, VGA), image(computer_and_box(48), 4, VGA)],
        'icon11.ico': [image(scanner(64), 1, MONO), image(scanner(48), 4, VGA)],
        'icon12.ico': [image(floppy(64, True), 1, MONO), image(floppy(32, False), 4, VGA),
                       image(floppy(48, False), 4, VGA)],
    }
    for name, images in icons.items():
        with open(os.path.join(out_dir, name), 'wb') as f:
            f.write(ico(images))


if __name__ == '__main__':
    main()
