#!/usr/bin/env python3
"""Makes the application icons in this folder from the sample's own pictures.

The large sizes and the SVG show the bubble with the ghost from the title
screen (data/ABOUTSCREEN.bmp, 32 x 32 pixels at 112, 92); 16 and 48 pixels
show the ghost enemy alone (data/B6.bmp, 16 x 16). Pixels are scaled by
whole numbers, never smoothed; the black around the picture, as far as it
reaches from the edges, becomes transparent.

Run from anywhere: python3 packaging/icons/make-icons.py
"""
import pathlib
import struct
import zlib

HERE = pathlib.Path(__file__).resolve().parent
DATA = HERE.parent.parent / "data"
NAME = "io.github.zelquor_editor"


def read_bmp(path):
    """Rows of (r, g, b) from an uncompressed 24-bit BMP."""
    raw = path.read_bytes()
    offset, = struct.unpack_from("<I", raw, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", raw, 18)
    assert bits == 24, path
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        row_y = abs(height) - 1 - y if height > 0 else y
        start = offset + row_y * stride
        rows.append([(raw[start + 3 * x + 2], raw[start + 3 * x + 1], raw[start + 3 * x])
                     for x in range(width)])
    return rows


def crop(rows, x, y, w, h):
    return [row[x:x + w] for row in rows[y:y + h]]


def with_transparent_surround(rows):
    """RGBA rows; black reached from the edges (4-connected) is transparent."""
    h, w = len(rows), len(rows[0])
    clear = set()
    todo = [(x, y) for x in range(w) for y in (0, h - 1)] + \
           [(x, y) for y in range(h) for x in (0, w - 1)]
    while todo:
        x, y = todo.pop()
        if (x, y) in clear or not (0 <= x < w and 0 <= y < h) or rows[y][x] != (0, 0, 0):
            continue
        clear.add((x, y))
        todo += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    return [[(0, 0, 0, 0) if (x, y) in clear else rows[y][x] + (255,) for x in range(w)]
            for y in range(h)]


def scaled(rows, factor):
    return [[p for p in row for _ in range(factor)] for row in rows for _ in range(factor)]


def write_png(path, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    h, w = len(rows), len(rows[0])
    pixels = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)
    path.write_bytes(b"\x89PNG\r\n\x1a\n"
                     + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
                     + chunk(b"IDAT", zlib.compress(pixels, 9))
                     + chunk(b"IEND", b""))


def write_svg(path, rows):
    """One rectangle per horizontal run of one colour."""
    h, w = len(rows), len(rows[0])
    rects = []
    for y, row in enumerate(rows):
        x = 0
        while x < w:
            end = x
            while end < w and row[end] == row[x]:
                end += 1
            r, g, b, a = row[x]
            if a:
                rects.append(f'<rect x="{x}" y="{y}" width="{end - x}" height="1" '
                             f'fill="#{r:02x}{g:02x}{b:02x}"/>')
            x = end
    path.write_text(f'<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
                    f'viewBox="0 0 {w} {h}" shape-rendering="crispEdges">\n'
                    + "\n".join(rects) + "\n</svg>\n")


def main():
    bubble = with_transparent_surround(crop(read_bmp(DATA / "ABOUTSCREEN.bmp"), 112, 92, 32, 32))
    ghost = with_transparent_surround(read_bmp(DATA / "B6.bmp"))
    for size, art in ((16, ghost), (32, bubble), (48, ghost), (64, bubble),
                      (128, bubble), (256, bubble)):
        write_png(HERE / f"{NAME}-{size}.png", scaled(art, size // len(art)))
    write_svg(HERE / f"{NAME}.svg", bubble)


if __name__ == "__main__":
    main()
