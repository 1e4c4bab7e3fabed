#!/usr/bin/env python3
"""Redraws the button pictures and the application icon.

    python3 resources/draw_pictures.py [--preview DIR]

Needs ImageMagick's `convert` (6 or 7) and the DejaVu fonts. Writes the five
8-bit RGBA PNGs and Velquorn.ico beside this script; the build uses the
committed files, so only a change of the artwork needs this run. --preview also
writes enlarged copies on a button-face background for looking at them.
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# Palette shared by the pictures so they read as one set.
ORANGE = "#F08A24"
ORANGE_DARK = "#B85A0A"
BLUE = "#2F7FD8"
BLUE_DARK = "#1B4F91"
RED = "#D9342B"
RED_DARK = "#9C1F18"
INK = "#3A3F47"
BADGE_FILL = "#FFFFFF"
BADGE_EDGE = "#8A929C"
HINT_GREY = "#C4C8CC"

SANS_BOLD = "DejaVu-Sans-Condensed-Bold"
SERIF_BOLD = "DejaVu-Serif-Bold"


def convert_tool():
    for name in ("magick", "convert"):
        if shutil.which(name):
            return [name] if name == "convert" else [name, "convert"]
    sys.exit("draw_pictures: ImageMagick (convert) is needed")


def render(width, height, mvg, out_path, extra=()):
    """Renders MVG primitives onto a transparent canvas as an 8-bit RGBA PNG."""
    # Inline rather than @file: the stock security policy refuses @ paths.
    subprocess.run(
        convert_tool()
        + ["-size", f"{width}x{height}", "xc:none", "-draw", mvg]
        + list(extra)
        + ["-strip", "-define", "png:exclude-chunks=date,time",
           "-define", "png:color-type=6", "-define", "png:bit-depth=8",
           f"PNG32:{out_path}"],
        check=True)


def rgba_pixels(png_path):
    out = subprocess.run(convert_tool() + [png_path, "-depth", "8", "rgba:-"],
                         check=True, stdout=subprocess.PIPE).stdout
    return out


# ---- 32 x 32 buttons -------------------------------------------------------

def flac_badge():
    """The FLAC file badge shared by Add and Remove: an orange disc with a
    play triangle beside the letters FLAC, on a small white label."""
    return f"""
push graphic-context
  stroke {BADGE_EDGE} stroke-width 1 fill {BADGE_FILL}
  roundrectangle 0.5,2.5 31.5,15.5 2.5,2.5
pop graphic-context
push graphic-context
  stroke {ORANGE_DARK} stroke-width 1 fill {ORANGE}
  circle 6,9 6,4.5
  stroke none fill #FFFFFF
  polygon 4.5,6.6 8.6,9 4.5,11.4
pop graphic-context
push graphic-context
  font {SANS_BOLD} font-size 7.5 fill {INK} stroke none
  text 11.6,12.2 'FLAC'
pop graphic-context
"""


def sign(horizontal, vertical, fill, edge):
    """A plus (both bars) or a minus (horizontal only) below the badge, with a
    dark rim so it reads on any face colour."""
    shapes = []
    if horizontal:
        shapes.append("roundrectangle 8.5,20.5 23.5,25.5 1.5,1.5")
    if vertical:
        shapes.append("roundrectangle 13.5,17 18.5,30.5 1.5,1.5")
    rim = "\n".join(shapes)
    return f"""
push graphic-context
  stroke {edge} stroke-width 2 fill {edge}
  {rim}
pop graphic-context
push graphic-context
  stroke none fill {fill}
  {rim}
pop graphic-context
"""


def add_picture():
    return flac_badge() + sign(True, True, BLUE, BLUE_DARK)


def remove_picture():
    return flac_badge() + sign(True, False, RED, RED_DARK)


def clear_picture():
    # Two thick round-capped strokes; the dark pass underneath gives an edge.
    def cross(width, colour):
        return f"""
push graphic-context
  stroke {colour} stroke-width {width} stroke-linecap round fill none
  line 8,8 24,24
  line 24,8 8,24
pop graphic-context
"""
    return cross(7, BLUE_DARK) + cross(5, BLUE) + f"""
push graphic-context
  stroke #FFFFFF stroke-opacity 0.35 stroke-width 1.2 stroke-linecap round fill none
  line 9.5,8.8 14,13.3
  line 22.5,8.8 18,13.3
pop graphic-context
"""


def convert_picture():
    # Red tile, a white note, two arrows circling it.
    return f"""
push graphic-context
  stroke {RED_DARK} stroke-width 1 fill {RED}
  roundrectangle 1.5,1.5 30.5,30.5 6,6
  stroke none fill #FFFFFF fill-opacity 0.18
  roundrectangle 2.5,2.5 29.5,14.5 5,5
pop graphic-context
push graphic-context
  stroke #FFFFFF stroke-width 1.6 fill none stroke-linecap round
  path 'M 6.6,14.2 A 9.6,9.6 0 0 1 21.6,7.6'
  path 'M 25.4,17.8 A 9.6,9.6 0 0 1 10.4,24.4'
  stroke none fill #FFFFFF
  polygon 25.6,4.6 25.8,11.8 19.0,10.0
  polygon 6.4,27.4 6.2,20.2 13.0,22.0
pop graphic-context
push graphic-context
  stroke none fill #FFFFFF
  ellipse 14.0,20.2 3.4,2.6 0,360
  rectangle 15.7,9.4 17.4,20.2
  path 'M 17.4,9.4 C 18.6,11.8 21.8,12.2 21.0,16.2 C 20.2,14.2 18.8,13.6 17.4,13.4 Z'
pop graphic-context
"""


def drop_hint_picture():
    return f"""
push graphic-context
  font {SERIF_BOLD} font-size 21 fill {HINT_GREY} stroke none
  text-antialias 1
  gravity center
  text 0,0 'Drag and Drop Here'
pop graphic-context
"""


# ---- the icon --------------------------------------------------------------

def icon_mvg(size):
    """The application icon on a 256-unit grid, scaled to size. A blue rounded
    tile with a white note and an orange arrow that turns it into a file."""
    s = size / 256.0
    return f"""
push graphic-context
  affine {s},0,0,{s},0,0
  push graphic-context
    stroke {BLUE_DARK} stroke-width {max(1.0 / s, 6)} fill {BLUE}
    roundrectangle 12,12 244,244 48,48
    stroke none fill #FFFFFF fill-opacity 0.14
    roundrectangle 22,20 234,124 40,40
  pop graphic-context
  push graphic-context
    stroke none fill #FFFFFF
    ellipse 92,176 30,23 0,360
    rectangle 108,56 124,176
    path 'M 124,56 C 140,80 176,88 170,126 C 160,104 144,98 124,96 Z'
  pop graphic-context
  push graphic-context
    stroke {ORANGE_DARK} stroke-width {max(1.0 / s, 5)} fill {ORANGE}
    stroke-linejoin round
    polygon 150,150 196,150 196,124 240,176 196,228 196,202 150,202
  pop graphic-context
pop graphic-context
"""


ICON_ENTRIES = [  # (size, bits per pixel), largest first as Windows lists them
    (256, 32), (128, 32), (64, 32), (48, 32), (32, 32), (16, 32),
    (48, 8), (32, 8), (16, 8),
    (32, 4), (16, 4),
]

# The 16 colours of the classic Windows palette, for the 4-bit images.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette_256():
    # 6x6x6 colour cube, then a ramp of greys.
    colours = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    colours += [(v, v, v) for v in range(8, 248, 6)][:256 - len(colours)]
    return colours + [(0, 0, 0)] * (256 - len(colours))


def nearest(palette, rgb, cache):
    hit = cache.get(rgb)
    if hit is None:
        r, g, b = rgb
        hit = min(range(len(palette)),
                  key=lambda i: (palette[i][0] - r) ** 2 * 3 + (palette[i][1] - g) ** 2 * 4 +
                  (palette[i][2] - b) ** 2 * 2)
        cache[rgb] = hit
    return hit


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def and_mask(pixels, size):
    """1 where transparent; bottom-up rows."""
    out = bytearray()
    stride = row_bytes(1, size)
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if pixels[(y * size + x) * 4 + 3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def dib(pixels, size, bits):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0,
                         0 if bits == 32 else 1 << bits, 0)
    if bits == 32:
        body = bytearray()
        for y in reversed(range(size)):
            for x in range(size):
                r, g, b, a = pixels[(y * size + x) * 4:(y * size + x) * 4 + 4]
                body += bytes((b, g, r, a))
        return header + bytes(body) + and_mask(pixels, size)
    palette = VGA16 if bits == 4 else palette_256()
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    cache = {}
    body = bytearray()
    stride = row_bytes(bits, size)
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            r, g, b, a = pixels[(y * size + x) * 4:(y * size + x) * 4 + 4]
            index = nearest(palette, (r, g, b), cache) if a >= 128 else 0
            if bits == 8:
                row[x] = index
            else:
                row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        body += row
    return header + table + bytes(body) + and_mask(pixels, size)


def png_bytes(pixels, size):
    raw = b"".join(b"\x00" + pixels[y * size * 4:(y + 1) * size * 4] for y in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_icon(path, workdir):
    images = []
    for size, bits in ICON_ENTRIES:
        png = os.path.join(workdir, f"icon{size}.png")
        if not os.path.exists(png):
            render(size, size, icon_mvg(size), png)
        pixels = rgba_pixels(png)
        # Vista and later read the 256-pixel image as PNG; the rest stay DIBs for XP.
        data = png_bytes(pixels, size) if size == 256 else dib(pixels, size, bits)
        images.append((size, bits, data))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        colours = 0 if bits >= 8 else 1 << bits
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colours, 0, 1, bits, len(data),
                           offset)
        offset += len(data)
    out += b"".join(data for _, _, data in images)
    with open(path, "wb") as f:
        f.write(out)


PICTURES = [  # file, width, height, primitives
    ("convert.png", 32, 32, convert_picture),
    ("remove.png", 32, 32, remove_picture),
    ("add.png", 32, 32, add_picture),
    ("clear.png", 32, 32, clear_picture),
    ("drop_hint.png", 280, 32, drop_hint_picture),
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--preview", help="folder for enlarged previews")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as work:
        for name, width, height, picture in PICTURES:
            render(width, height, picture(), os.path.join(HERE, name))
        write_icon(os.path.join(HERE, "Velquorn.ico"), work)
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            for name, width, height, _ in PICTURES:
                subprocess.run(convert_tool() + [
                    "-size", f"{width}x{height}", "xc:#F0F0F0", os.path.join(HERE, name),
                    "-composite", "-filter", "point", "-resize", "800%",
                    os.path.join(args.preview, name)], check=True)
            subprocess.run(convert_tool() + [
                "-background", "#F0F0F0"] + [os.path.join(work, f"icon{s}.png") for s in
                                              (256, 128, 64, 48, 32, 16)] +
                ["-gravity", "center", "+append", os.path.join(args.preview, "icon.png")],
                check=True)


if __name__ == "__main__":
    main()
