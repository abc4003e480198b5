#!/usr/bin/env python3
"""Builds the plug-in's own skins: draws each skin's pictures (mask and buttons)
as PNG files and packs them with the skin's layout text into one ".qzb" container.

Usage: make_skins.py OUT_DIR

A skin is a folder here with a "layout.txt" (item lines, TAB-separated, millimetres at
4 pixels per millimetre); every image item ("typfim") names a picture that a function
of this file draws, at the item's own size in pixels. The container is the header of
decimal byte counts separated by TABs, the byte 254, the layout text in Windows-1252,
then the pictures in the order of their image items.
"""
import math
import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
PX_PER_MM = 4


class Canvas:
    """RGBA pixels with shapes drawn by signed distance, so their edges are smooth."""

    def __init__(self, width, height, rgba=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.px = bytearray(bytes(rgba) * (width * height))

    def blend(self, x, y, rgba, coverage):
        a = rgba[3] / 255.0 * coverage
        if a <= 0:
            return
        i = (y * self.width + x) * 4
        p = self.px
        da = p[i + 3] / 255.0
        oa = a + da * (1 - a)
        for c in range(3):
            p[i + c] = round((rgba[c] * a + p[i + c] * da * (1 - a)) / oa) if oa > 0 else 0
        p[i + 3] = round(oa * 255)

    def shape(self, distance, rgba, box=None):
        """Fills where distance(x, y) < 0, half a pixel soft at the edge."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, int(y0)), min(self.height, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.width, int(math.ceil(x1)))):
                d = distance(x + 0.5, y + 0.5)
                if d < 0.5:
                    self.blend(x, y, rgba, min(1.0, 0.5 - d))

    def rounded_rect(self, x0, y0, x1, y1, radius, rgba):
        cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
        hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

        def d(x, y):
            qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
            return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - radius

        self.shape(d, rgba, (x0 - 1, y0 - 1, x1 + 1, y1 + 1))

    def ellipse(self, cx, cy, rx, ry, rgba):
        def d(x, y):
            return (math.hypot((x - cx) / rx, (y - cy) / ry) - 1) * min(rx, ry)

        self.shape(d, rgba, (cx - rx - 2, cy - ry - 2, cx + rx + 2, cy + ry + 2))

    def vertical_gradient(self, top, bottom):
        for y in range(self.height):
            t = y / max(1, self.height - 1)
            rgba = bytes(round(a + (b - a) * t) for a, b in zip(top, bottom))
            self.px[y * self.width * 4:(y + 1) * self.width * 4] = rgba * self.width

    def png(self):
        rows = b"".join(b"\0" + bytes(self.px[y * self.width * 4:(y + 1) * self.width * 4]) for y in range(self.height))

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

        head = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", head) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


WHITE = (255, 255, 255, 255)

# --- The pictures, by file name: each draws at the size its item asks for. ---------------


def mask(body_top, body_bottom, frame, view):
    """The skin's body: white (cut away from the window) outside a rounded panel; a
    frame around the live view's place. No body colour may be white for the region."""

    def draw(w, h):
        c = Canvas(w, h, WHITE)
        body = Canvas(w, h)
        body.vertical_gradient(body_top, body_bottom)
        outline = Canvas(w, h)
        outline.rounded_rect(0, 0, w, h, 28, (0, 0, 0, 255))
        for i in range(0, len(c.px), 4):
            cover = outline.px[i + 3]
            if cover:
                c.blend((i // 4) % w, (i // 4) // w, tuple(body.px[i:i + 3]) + (cover,), 1.0)
        x0, y0, x1, y1 = view
        c.rounded_rect(x0 - 6, y0 - 6, x1 + 6, y1 + 6, 8, frame)
        c.rounded_rect(x0, y0, x1, y1, 2, (12, 14, 18, 255))
        return c

    return draw


def button(fill, glyph=None):
    def draw(w, h):
        c = Canvas(w, h)
        c.rounded_rect(0.5, 0.5, w - 0.5, h - 0.5, 10, (0, 0, 0, 90))
        c.rounded_rect(1.5, 1.5, w - 1.5, h - 1.5, 9, fill)
        if glyph:
            glyph(c, w, h)
        return c

    return draw


def settings_glyph(c, w, h):
    for k in (-1, 0, 1):
        c.ellipse(w / 2 + k * 9, h / 2, 3.2, 3.2, (235, 238, 242, 255))


SLATE_TOP, SLATE_BOTTOM = (52, 58, 72, 255), (24, 27, 34, 255)
FRAME = (84, 96, 120, 255)
BLUE, BLUE_DOWN, BLUE_OVER = (0, 110, 200, 255), (0, 78, 150, 255), (30, 140, 230, 255)
GREY, GREY_DOWN, GREY_OVER = (88, 96, 110, 255), (60, 66, 78, 255), (112, 122, 138, 255)
RED, RED_DOWN, RED_OVER = (168, 44, 44, 255), (120, 28, 28, 255), (196, 70, 70, 255)

PICTURES = {
    "bgb_studio.png": mask(SLATE_TOP, SLATE_BOTTOM, FRAME, (20, 50, 620, 450)),
    "bgb_passport.png": mask(SLATE_TOP, SLATE_BOTTOM, FRAME, (32, 56, 416, 632)),
    "takepicture.png": button(BLUE),
    "takepicture_down.png": button(BLUE_DOWN),
    "takepicture_over.png": button(BLUE_OVER),
    "settings.png": button(GREY, settings_glyph),
    "settings_down.png": button(GREY_DOWN, settings_glyph),
    "settings_over.png": button(GREY_OVER, settings_glyph),
    "cancel.png": button(RED),
    "cancel_down.png": button(RED_DOWN),
    "cancel_over.png": button(RED_OVER),
}

# --- Layouts into containers ---------------------------------------------------------------


def key(line, name):
    for field in line.split("\t"):
        if field.startswith(name):
            return field[len(name):]
    return ""


def pixels(mm):
    return round(float(mm.replace(",", ".")) * PX_PER_MM)


def build(skin_dir):
    with open(os.path.join(skin_dir, "layout.txt"), encoding="utf-8") as f:
        lines = [l.rstrip("\r\n") for l in f if l.strip() and not l.startswith("#")]
    files = []
    for line in lines[1:]:
        if key(line, "typ") != "fim":
            continue
        name = key(line, "dat")
        if name not in PICTURES:
            sys.exit(f"{skin_dir}: no drawing for the picture {name}")
        files.append(PICTURES[name](pixels(key(line, "wid")), pixels(key(line, "hei"))).png())
    text = "\r\n".join(lines).encode("cp1252") + b"\r\n"
    header = "\t".join(str(n) for n in [len(text)] + [len(f) for f in files]).encode("ascii")
    return header + b"\xfe" + text + b"".join(files)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name in sorted(os.listdir(HERE)):
        skin_dir = os.path.join(HERE, name)
        if os.path.isfile(os.path.join(skin_dir, "layout.txt")):
            with open(os.path.join(out, name + ".qzb"), "wb") as f:
                f.write(build(skin_dir))


if __name__ == "__main__":
    main()
