#!/usr/bin/env python3
"""Draws the step pictures, the program icon and the stand-in files of the
installation medium, and writes them beside this script and into ../medium.

The output is deterministic: after changing a drawing, run this script and
commit what it wrote. With --check it writes nothing and lists the files that
differ from what it would write (exit status 1 if any)."""

import argparse
import math
import struct
import sys
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

BAYER_4X4 = ((0, 8, 2, 10), (12, 4, 14, 6), (3, 11, 1, 9), (15, 7, 13, 5))


# Drawing: shapes are predicates over continuous coordinates, pixels are
# averaged from a grid of samples so that edges come out anti-aliased.


def sample_offsets(per_side):
    return [(i + 0.5) / per_side for i in range(per_side)]


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def arc(cx, cy, r, start_degrees, end_degrees, steps=24):
    """Points along a circle; angles clockwise on screen from the positive x axis."""
    points = []
    for i in range(steps + 1):
        a = math.radians(start_degrees + (end_degrees - start_degrees) * i / steps)
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return points


def stroke(polylines, half_width, dx=0.0, dy=0.0):
    segments = []
    for line in polylines:
        for (ax, ay), (bx, by) in zip(line, line[1:]):
            segments.append((ax + dx, ay + dy, bx + dx, by + dy))
    xs = [v for s in segments for v in (s[0], s[2])]
    ys = [v for s in segments for v in (s[1], s[3])]
    left, right = min(xs) - half_width, max(xs) + half_width
    top, bottom = min(ys) - half_width, max(ys) + half_width

    def inside(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return False
        return any(segment_distance(x, y, *s) <= half_width for s in segments)

    return inside


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def annulus(cx, cy, r_inner, r_outer):
    return lambda x, y: r_inner * r_inner <= (x - cx) ** 2 + (y - cy) ** 2 <= r_outer * r_outer


def polygon(points):
    def inside(x, y):
        result = False
        for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                result = not result
        return result

    return inside


def rounded_rect(left, top, right, bottom, radius):
    def inside(x, y):
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        in_box = left <= x <= right and top <= y <= bottom
        return in_box and (x - cx) ** 2 + (y - cy) ** 2 <= radius**2

    return inside


def paint(width, height, layers, per_side=4):
    """layers: (inside, colour) pairs painted in order over nothing; colour is an
    RGB triple or a function of the pixel position. Returns rows of
    (average colour, covered share) where the share excludes uncovered samples."""
    offsets = sample_offsets(per_side)
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            total = [0.0, 0.0, 0.0]
            hits = 0
            for oy in offsets:
                for ox in offsets:
                    for inside, colour in reversed(layers):
                        if inside(px + ox, py + oy):
                            rgb = colour(px, py) if callable(colour) else colour
                            total = [t + c for t, c in zip(total, rgb)]
                            hits += 1
                            break
            share = hits / (per_side * per_side)
            mean = tuple(t / hits for t in total) if hits else BLACK
            row.append((mean, share))
        rows.append(row)
    return rows


def over(mean_and_share, background):
    (colour, share) = mean_and_share
    return tuple(c * share + b * (1 - share) for c, b in zip(colour, background))


def nearest(colour, palette):
    def distance(i):
        return sum((a - b) ** 2 for a, b in zip(colour, palette[i]))

    return min(range(len(palette)), key=distance)


# GIF: one frame, a global colour table, no extensions.


def lzw_compress(indices, min_code_size):
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bits = 0
    bit_count = 0

    def emit(code, width):
        nonlocal bits, bit_count
        bits |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            bit_count -= 8

    width = min_code_size + 1
    table = {}
    next_code = end + 1
    emit(clear, width)
    prefix = indices[0]
    for index in indices[1:]:
        key = (prefix, index)
        if key in table:
            prefix = table[key]
            continue
        emit(prefix, width)
        if next_code < 4096:
            table[key] = next_code
            next_code += 1
            # The decoder lags one entry behind, so it widens its codes one step later.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table = {}
            next_code = end + 1
            width = min_code_size + 1
        prefix = index
    emit(prefix, width)
    emit(end, width)
    if bit_count:
        out.append(bits & 0xFF)
    return bytes(out)


def gif_bytes(width, height, palette, indices, table_bits=None):
    table_bits = table_bits or max(2, (len(palette) - 1).bit_length())
    table = list(palette) + [BLACK] * ((1 << table_bits) - len(palette))
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (table_bits - 1), 0, 0)
    for rgb in table:
        out += bytes(rgb)
    out += struct.pack("<BHHHHB", 0x2C, 0, 0, width, height, 0)
    out.append(table_bits)
    data = lzw_compress(indices, table_bits)
    for start in range(0, len(data), 255):
        chunk = data[start : start + 255]
        out.append(len(chunk))
        out += chunk
    out += b"\x00\x3b"
    return bytes(out)


def websafe_gif(width, height, layers, background=WHITE):
    """A small picture on a plain background, colours rounded to the web-safe
    cube, with a colour table of just the colours it uses."""
    pixels = [
        tuple(round(c / 51) * 51 for c in over(cell, background))
        for row in paint(width, height, layers)
        for cell in row
    ]
    palette = sorted(set(pixels))
    lookup = {rgb: i for i, rgb in enumerate(palette)}
    return gif_bytes(width, height, palette, [lookup[p] for p in pixels])


# Step pictures: a light-grey digit inside a warm ring, 14 colours each.

STEP_WIDTH, STEP_HEIGHT = 40, 42
RING_COLOURS = [(255, 247, 188), (255, 216, 172), (255, 184, 110)]  # yellow, peach, orange
RING_EDGES = [(255, 251, 228), (255, 234, 206)]
DIGIT_GREY = (190, 190, 190)
SHADOW_GREY = (140, 140, 140)
GREYS = [(v, v, v) for v in (140, 160, 176, 190, 204, 218, 232, 245)]
STEP_PALETTE = [WHITE] + RING_COLOURS + RING_EDGES + GREYS


def digit_strokes(digit):
    """Centre lines of the digits in a box about 9 wide and 17 high around (0, 0)."""
    if digit == 1:
        return [[(-3.2, -5.2), (0.6, -8.4), (0.6, 8.2)], [(-3.4, 8.2), (4.6, 8.2)]]
    if digit == 2:
        top = arc(0.0, -3.9, 4.3, 195, 380)
        return [top + [(-4.4, 8.2), (4.9, 8.2)]]
    return [
        arc(-0.2, -4.2, 4.0, 200, 450),
        arc(-0.2, 4.0, 4.3, -90, 155),
        [(-1.6, -0.2), (-0.2, -0.2)],
    ]


def ring_colour(x, y):
    """Ordered dithering across the ring: pale yellow where the light from the
    upper left falls on it, light orange on the far side and towards the hole."""
    cx, cy = STEP_WIDTH / 2, STEP_HEIGHT / 2
    dx, dy = x + 0.5 - cx, y + 0.5 - cy
    r = math.hypot(dx, dy) or 1.0
    facing = (-dx - dy) / (r * math.sqrt(2))
    depth = min(1.0, max(0.0, (19.0 - r) / 6.0))
    t = 0.8 * (1 - facing) / 2 + 0.2 * depth
    position = 2 * t
    lower = min(int(position), 1)
    threshold = (BAYER_4X4[y % 4][x % 4] + 0.5) / 16
    return RING_COLOURS[lower + 1] if position - lower > threshold else RING_COLOURS[lower]


def step_picture(digit):
    cx, cy = STEP_WIDTH / 2, STEP_HEIGHT / 2
    strokes = [[(x + cx, y + cy) for x, y in line] for line in digit_strokes(digit)]
    half_width = 1.6
    layers = [
        (annulus(cx, cy, 13.0, 19.0), ring_colour),
        (stroke(strokes, half_width, 0.9, 0.9), SHADOW_GREY),
        (stroke(strokes, half_width), DIGIT_GREY),
    ]
    cells = [cell for row in paint(STEP_WIDTH, STEP_HEIGHT, layers, 6) for cell in row]
    indices = [nearest(over(cell, WHITE), STEP_PALETTE) for cell in cells]
    unused = sorted(set(range(len(STEP_PALETTE))) - set(indices))
    if unused:
        sys.exit(f"step{digit}.gif leaves colours {unused} unused; adjust the drawing")
    return indices


def step_gif(indices):
    return gif_bytes(STEP_WIDTH, STEP_HEIGHT, STEP_PALETTE, indices, table_bits=8)


# The same picture for the Qt window, whose GIF reader is a plugin loaded at start-up.
def step_png(indices):
    colours = [STEP_PALETTE[index] + (255,) for index in indices]
    return png_bytes([colours[row:row + STEP_WIDTH]
                      for row in range(0, len(colours), STEP_WIDTH)])


# Program icon: a grey dial with eight spokes, a dark hub and a pointer to the
# upper right; outside the dial is transparent.

VGA_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
POINTER_RED = (196, 28, 24)
ICON_256 = (
    VGA_16
    + [(v, v, v) for v in range(8, 256, 8)]
    + [tuple(round(p + (200 - p) * k / 6) for p in POINTER_RED) for k in range(6)]
)
ICON_256 += [BLACK] * (256 - len(ICON_256))


def dial_layers(size, shaded):
    c = size / 2
    unit = size / 2
    line = max(0.055 * unit, 0.55)

    def face(x, y):
        if not shaded:
            return (192, 192, 192)
        shade = ((x + 0.5 - c) + (y + 0.5 - c)) / (2 * unit)
        v = round(212 - 36 * shade)
        return (v, v, v)

    spokes = []
    for k in range(8):
        a = math.radians(22.5 + 45 * k)
        spokes.append([(c + 0.22 * unit * math.cos(a), c + 0.22 * unit * math.sin(a)),
                       (c + 0.80 * unit * math.cos(a), c + 0.80 * unit * math.sin(a))])
    tip = (c + 0.74 * unit / math.sqrt(2), c - 0.74 * unit / math.sqrt(2))
    across = 0.16 * unit / math.sqrt(2)
    pointer = [tip, (c + across, c + across), (c - across, c - across)]
    return [
        (disc(c, c, unit), (60, 60, 60)),
        (disc(c, c, 0.90 * unit), (132, 132, 132)),
        (disc(c, c, 0.84 * unit), face),
        (stroke(spokes, line), (112, 112, 112)),
        (polygon(pointer), POINTER_RED),
        (disc(c, c, max(0.22 * unit, 1.2)), (40, 40, 40)),
    ]


def icon_image(size, bit_count):
    palette = ICON_256 if bit_count == 8 else VGA_16
    rows = paint(size, size, dial_layers(size, shaded=bit_count == 8), 6)
    cells = [cell for row in rows for cell in row]
    opaque = [share >= 0.5 for _, share in cells]
    indices = [nearest(cell[0], palette) if solid else 0 for cell, solid in zip(cells, opaque)]

    def rows_bottom_up(values_per_row):
        return [values_per_row[y * size : (y + 1) * size] for y in reversed(range(size))]

    def padded(row_bytes):
        return row_bytes + b"\x00" * (-len(row_bytes) % 4)

    colours = bytearray()
    for row in rows_bottom_up(indices):
        if bit_count == 8:
            packed = bytes(row)
        else:
            pairs = row + [0] * (size % 2)
            packed = bytes(pairs[i] << 4 | pairs[i + 1] for i in range(0, size, 2))
        colours += padded(packed)
    mask = bytearray()
    for row in rows_bottom_up([not solid for solid in opaque]):
        packed = bytes(
            sum(0x80 >> b for b in range(8) if i + b < size and row[i + b])
            for i in range(0, size, 8)
        )
        mask += padded(packed)
    header = struct.pack(
        "<IiiHHIIiiII", 40, size, 2 * size, 1, bit_count, 0, len(colours) + len(mask), 0, 0, 0, 0
    )
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + table + bytes(colours) + bytes(mask)


def icon_bytes():
    formats = [(48, 8), (32, 8), (16, 4), (32, 4), (12, 4)]
    images = [icon_image(size, bits) for size, bits in formats]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (size, bits), image in zip(formats, images):
        colours = 0 if bits == 8 else 16
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(image), offset)
        offset += len(image)
    for image in images:
        out += image
    return bytes(out)


# Menu icons: desktop menus look icons up by name in an icon theme of PNG images,
# so the sizes they use are taken out of the program icon, pixel for pixel.

MENU_ICON_SIZES = (16, 32, 48)


def ico_image_pixels(icon, size):
    """RGBA rows of the deepest image of that size in an icon file."""
    count = struct.unpack_from("<H", icon, 4)[0]
    entries = [struct.unpack_from("<BBBBHHII", icon, 6 + 16 * i) for i in range(count)]
    entry = max((e for e in entries if e[0] == size), key=lambda e: e[5])
    offset = entry[7]
    header_size, width, _, _, bit_count = struct.unpack_from("<IiiHH", icon, offset)
    table = offset + header_size
    palette = [tuple(icon[table + 4 * i + 2 - c] for c in range(3)) for i in range(1 << bit_count)]
    colours = table + 4 * len(palette)
    colour_stride = (width * bit_count + 31) // 32 * 4
    mask = colours + colour_stride * width
    mask_stride = (width + 31) // 32 * 4
    rows = []
    for y in range(width):
        bottom_up = width - 1 - y
        row = []
        for x in range(width):
            bit = x * bit_count
            byte = icon[colours + bottom_up * colour_stride + bit // 8]
            index = byte >> (8 - bit_count - bit % 8) & ((1 << bit_count) - 1)
            clear = icon[mask + bottom_up * mask_stride + x // 8] >> (7 - x % 8) & 1
            row.append(palette[index] + ((0,) if clear else (255,)))
        rows.append(row)
    return rows


def png_bytes(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in rows)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


# The folder list's pictures: a closed folder for the subfolders, an open one for the path.
FOLDER_EDGE = (128, 96, 0)
FOLDER_BACK = (230, 184, 64)
FOLDER_FRONT = (255, 224, 112)


def folder_picture(opened):
    back = polygon([(1, 3), (6, 3), (7.5, 4.5), (15, 4.5), (15, 14), (1, 14)])
    inner_back = polygon([(2, 4), (5.6, 4), (7.1, 5.5), (14, 5.5), (14, 13), (2, 13)])
    if opened:
        front = polygon([(3, 7), (16, 7), (14, 14), (1, 14)])
        inner_front = polygon([(3.7, 8), (14.7, 8), (13.2, 13), (2.3, 13)])
    else:
        front = polygon([(1, 6.5), (15, 6.5), (15, 14), (1, 14)])
        inner_front = polygon([(2, 7.5), (14, 7.5), (14, 13), (2, 13)])
    rows = paint(16, 16, [
        (back, FOLDER_EDGE), (inner_back, FOLDER_BACK),
        (front, FOLDER_EDGE), (inner_front, FOLDER_FRONT),
    ])
    return png_bytes([[tuple(round(c) for c in colour) + (round(255 * share),)
                       for colour, share in row] for row in rows])


# Stand-in pictures and texts of the application on the installation medium.


def question_mark(cx, cy, scale):
    hook = arc(cx, cy - 3.2 * scale, 3.2 * scale, 190, 400, 16)
    return [hook + [(cx, cy + 1.8 * scale)]], disc(cx, cy + 4.9 * scale, 1.0 * scale)


def medium_pictures():
    pictures = {}
    heights = (2, 3.5, 5, 6.5, 8, 9.5)
    steam = [[(x + 1.2 * math.sin(y / 1.6), y) for y in heights] for x in (12, 16, 20)]
    pictures["javalogo.gif"] = websafe_gif(32, 32, [
        (stroke(steam, 0.8), (204, 0, 0)),
        (stroke([arc(23, 19, 3.5, -80, 80)], 1.1), (51, 102, 153)),
        (polygon([(6, 13), (26, 13), (23, 26), (9, 26)]), (51, 102, 153)),
        (rounded_rect(4, 27, 28, 29.5, 1.2), (51, 102, 153)),
    ])
    button = rounded_rect(1, 1, 23, 23, 4)
    face = rounded_rect(2.5, 2.5, 21.5, 21.5, 3)
    pictures["buttona.gif"] = websafe_gif(24, 24, [
        (button, (102, 102, 102)), (face, (204, 204, 204)),
        (stroke([[(7, 18), (12, 6), (17, 18)], [(9, 14), (15, 14)]], 1.1), BLACK),
    ])
    pictures["buttonx.gif"] = websafe_gif(24, 24, [
        (button, (102, 102, 102)), (face, (204, 204, 204)),
        (stroke([[(7.5, 7.5), (16.5, 16.5)], [(16.5, 7.5), (7.5, 16.5)]], 1.3), (204, 0, 0)),
    ])
    pictures["execute.gif"] = websafe_gif(24, 24, [
        (disc(12, 12, 11), (0, 102, 0)), (disc(12, 12, 9.5), (51, 204, 51)),
        (polygon([(9, 6.5), (18, 12), (9, 17.5)]), WHITE),
    ])
    hook, dot = question_mark(12, 11, 1.0)
    pictures["help5.gif"] = websafe_gif(24, 24, [
        (disc(12, 12, 11), (0, 51, 153)), (stroke(hook, 1.3), WHITE), (dot, WHITE),
    ])
    handle = [[(6, 20), (15, 11)]]
    head = polygon([(11, 5), (16, 0.5), (23, 7.5), (18.5, 12)])
    pictures["make.gif"] = websafe_gif(24, 24, [
        (stroke(handle, 1.6), (153, 102, 51)), (head, (102, 102, 102)),
    ])
    hook, dot = question_mark(8, 10, 1.15)
    pictures["question.gif"] = websafe_gif(16, 20, [
        (stroke(hook, 1.5), (0, 51, 204)), (dot, (0, 51, 204)),
    ])
    hook, dot = question_mark(12, 11, 1.0)
    pictures["questionmark.gif"] = websafe_gif(24, 24, [
        (disc(12, 12, 11), (153, 102, 0)), (disc(12, 12, 10), (255, 204, 0)),
        (stroke(hook, 1.3), BLACK), (dot, BLACK),
    ])
    return pictures


HELP_HTML = """<!DOCTYPE html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>Velmora_KZ 2.0.1 Help</title>
</head>
<body>
<h1><img src="help5.gif" alt="" width="24" height="24"> Velmora_KZ 2.0.1 Help</h1>
<p><img src="javalogo.gif" alt="Java" width="32" height="32">
Velmora_KZ 2.0.1 is a Java program. It needs a Java runtime whose
<code>java</code> program is on the search path.</p>
<h2>Starting</h2>
<p><img src="execute.gif" alt="" width="24" height="24">
Start it from the icon Setup placed on your desktop or from the Start menu.
The starter reads the installation folder that Setup recorded and runs the
program there.</p>
<h2>Buttons</h2>
<ul>
<li><img src="buttona.gif" alt="" width="24" height="24"> accepts the current entry.</li>
<li><img src="buttonx.gif" alt="" width="24" height="24"> closes the window.</li>
<li><img src="question.gif" alt="" width="16" height="20"> opens this page.</li>
</ul>
<h2>Reinstalling</h2>
<p><img src="make.gif" alt="" width="24" height="24">
Run Setup again from the installation medium. It replaces the installed files
and records the folder you choose.</p>
<p><img src="questionmark.gif" alt="" width="24" height="24">
See readme.txt for the list of files.</p>
</body>
</html>
"""

README_TXT = """Velmora_KZ 2.0.1
================

Installation
------------
Run Setup.exe from this folder. Choose the options and the destination
folder, then press "Begin Install". Setup needs a Java runtime: the
"java" program must be on the search path.

Setup writes Install.log in this folder.

Starting
--------
Use the Velmora_KZ.2.0.1 icon on the desktop or in the Start menu. It finds
the installed folder and starts Velmora_KZ.exe there.

Files
-----
Velmora_KZ.jar        the program
Velmora_KZ.exe        starts the program with the Java runtime
Velmora_KZ.2.0.1.exe  the starter Setup places on the desktop and menus
Setup.exe             the installer
help.html             help, with its pictures (*.gif)
Velmora_KZ.ico        the program's icon
readme.txt            this file
"""


def all_files():
    icon = icon_bytes()
    files = {}
    for digit in (1, 2, 3):
        indices = step_picture(digit)
        files[f"step{digit}.gif"] = step_gif(indices)
        files[f"step{digit}.png"] = step_png(indices)
    files["program.ico"] = icon
    files["folder-closed.png"] = folder_picture(opened=False)
    files["folder-open.png"] = folder_picture(opened=True)
    for size in MENU_ICON_SIZES:
        files[f"program{size}.png"] = png_bytes(ico_image_pixels(icon, size))
    files.update({f"../medium/{name}": data for name, data in medium_pictures().items()})
    files["../medium/help.html"] = HELP_HTML.encode("ascii")
    files["../medium/readme.txt"] = README_TXT.encode("ascii")
    files["../medium/Velmora_KZ.ico"] = icon
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument(
        "--check", action="store_true", help="compare with the files in place, write nothing"
    )
    arguments = parser.parse_args()
    stale = []
    for name, data in all_files().items():
        path = HERE / name
        if arguments.check:
            if not path.is_file() or path.read_bytes() != data:
                stale.append(name)
        else:
            path.parent.mkdir(exist_ok=True)
            path.write_bytes(data)
    if stale:
        print("out of date: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
