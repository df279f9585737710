#!/usr/bin/env python3
"""Draws the project's sample application icons into assets/icons/.

Each icon is a rounded square with transparent, anti-aliased corners: a
diagonal two-colour gradient with a round badge in the middle. Every design
is written at 40 x 40 pixels (name.png, a 40-point icon at scale 1) and at
120 x 120 pixels (name@3x.png, the same icon at scale 3), as 8-bit RGBA PNGs
with straight (not premultiplied) alpha.

With --pane it draws the settings pane's icon instead, the row's icon in
the Settings app: 29, 58 and 87 pixels (icon.png, icon@2x.png, icon@3x.png,
29 points at scales 1, 2 and 3) into assets/pane/.

Only the standard library is used (zlib, struct), and the output is the same
on every run, so the files can be checked in and regenerated at will.
"""

import os
import struct
import sys
import zlib

# name: (gradient start RGB, gradient end RGB, badge RGB)
DESIGNS = {
    "ember": ((255, 94, 58), (255, 42, 104), (255, 214, 102)),
    "lagoon": ((30, 144, 255), (0, 206, 180), (240, 250, 255)),
    "moss": ((76, 175, 80), (27, 94, 32), (200, 230, 160)),
}

SIZES = ((40, ""), (120, "@3x"))

# The pane's icon: the same design language in the project's own colours.
PANE_DESIGN = ((124, 77, 255), (30, 144, 255), (255, 214, 102))
PANE_SIZES = ((29, ""), (58, "@2x"), (87, "@3x"))

SUPERSAMPLE = 4  # sub-pixel samples per axis for edge coverage
CORNER = 0.225  # corner radius as a share of the side
BADGE = 0.22  # badge radius as a share of the side


def inside_rounded_square(x, y, side):
    """Whether the point (in pixels) lies inside the rounded square."""
    r = CORNER * side
    dx = max(0.0, abs(x - side / 2) - (side / 2 - r))
    dy = max(0.0, abs(y - side / 2) - (side / 2 - r))
    return dx * dx + dy * dy <= r * r


def inside_badge(x, y, side):
    r = BADGE * side
    dx, dy = x - side / 2, y - side / 2
    return dx * dx + dy * dy <= r * r


def pixel(px, py, side, start, end, badge):
    """Straight-alpha RGBA of one pixel, from its sub-pixel samples."""
    n = SUPERSAMPLE
    shape = 0
    on_badge = 0
    for sy in range(n):
        for sx in range(n):
            x = px + (sx + 0.5) / n
            y = py + (sy + 0.5) / n
            if inside_rounded_square(x, y, side):
                shape += 1
                if inside_badge(x, y, side):
                    on_badge += 1
    if shape == 0:
        return (0, 0, 0, 0)
    t = (px + py + 1) / (2 * side - 1)  # 0 at the top-left, 1 at the bottom-right
    ground = [s + (e - s) * t for s, e in zip(start, end)]
    mix = on_badge / shape
    rgb = [round(g * (1 - mix) + b * mix) for g, b in zip(ground, badge)]
    alpha = round(255 * shape / (n * n))
    return (rgb[0], rgb[1], rgb[2], alpha)


def png_chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def encode_png(side, rows):
    header = struct.pack(">IIBBBBB", side, side, 8, 6, 0, 0, 0)  # 8-bit RGBA
    raw = b"".join(b"\x00" + bytes(row) for row in rows)  # filter 0 on every row
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


def draw(side, colours):
    rows = []
    for py in range(side):
        row = []
        for px in range(side):
            row.extend(pixel(px, py, side, *colours))
        rows.append(row)
    return rows


def write(path, side, colours):
    with open(path, "wb") as f:
        f.write(encode_png(side, draw(side, colours)))
    print(path)


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    args = sys.argv[1:]
    if args[:1] == ["--pane"]:
        out_dir = args[1] if len(args) > 1 else os.path.join(root, "assets", "pane")
        os.makedirs(out_dir, exist_ok=True)
        for side, suffix in PANE_SIZES:
            write(os.path.join(out_dir, f"icon{suffix}.png"), side, PANE_DESIGN)
        return
    out_dir = args[0] if args else os.path.join(root, "assets", "icons")
    os.makedirs(out_dir, exist_ok=True)
    for name, colours in DESIGNS.items():
        for side, suffix in SIZES:
            write(os.path.join(out_dir, f"{name}{suffix}.png"), side, colours)


if __name__ == "__main__":
    main()
