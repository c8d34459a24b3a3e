#!/usr/bin/env python3
"""Draws the main window's button pictures and the window icon.

Writes button_images.cpp, window_icon.cpp and velt-loader.ico beside this
script, and the desktop icon in icons/ at the sizes desktops ask for. The
output depends on nothing but this file, so running it again reproduces the
committed files (the PNGs pixel for pixel, whatever zlib compresses them);
`--check` only compares.

Shapes are drawn in picture units on a 4x4 supersampled grid. A pixel that is
less than half covered becomes transparent; the rest is blended with the
toolkit's button grey so edges look smooth on the button.
"""

import os
import struct
import sys
import zlib

SUPERSAMPLE = 4
BUTTON_GREY = (192, 192, 192)
OPAQUE_COVERAGE = 0.5
XPM_CODE_ALPHABET = ("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                     "0123456789#$%&*+-=@")
TRANSPARENT_CODE = "  "
HERE = os.path.dirname(os.path.abspath(__file__))


# ---------------------------------------------------------------- geometry

def inside_polygon(x, y, points):
    inside = False
    count = len(points)
    for i in range(count):
        x1, y1 = points[i]
        x2, y2 = points[(i + 1) % count]
        if (y1 > y) != (y2 > y):
            cross = x1 + (y - y1) * (x2 - x1) / (y2 - y1)
            if x < cross:
                inside = not inside
    return inside


def distance_to_segment(x, y, a, b):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    px, py = ax + t * dx, ay + t * dy
    return ((x - px) ** 2 + (y - py) ** 2) ** 0.5


def bezier(p0, p1, p2, steps=24):
    points = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        points.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                       u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return points


class Canvas:
    """A picture as a grid of subsamples, each None or an (r, g, b) colour."""

    def __init__(self, size, background=None):
        self.size = size
        self.grid_size = size * SUPERSAMPLE
        self.samples = [[background] * self.grid_size for _ in range(self.grid_size)]

    def _paint(self, covers, colour, box):
        left, top, right, bottom = box
        lo_x = max(0, int(left * SUPERSAMPLE) - 1)
        hi_x = min(self.grid_size, int(right * SUPERSAMPLE) + 2)
        lo_y = max(0, int(top * SUPERSAMPLE) - 1)
        hi_y = min(self.grid_size, int(bottom * SUPERSAMPLE) + 2)
        for sy in range(lo_y, hi_y):
            y = (sy + 0.5) / SUPERSAMPLE
            for sx in range(lo_x, hi_x):
                x = (sx + 0.5) / SUPERSAMPLE
                if covers(x, y):
                    self.samples[sy][sx] = colour(x, y) if callable(colour) else colour

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self._paint(lambda x, y: inside_polygon(x, y, points), colour,
                    (min(xs), min(ys), max(xs), max(ys)))

    def rectangle(self, left, top, right, bottom, colour):
        self.polygon([(left, top), (right, top), (right, bottom), (left, bottom)], colour)

    def ellipse(self, cx, cy, rx, ry, colour):
        self._paint(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0, colour,
                    (cx - rx, cy - ry, cx + rx, cy + ry))

    def line(self, a, b, width, colour):
        half = width / 2
        self._paint(lambda x, y: distance_to_segment(x, y, a, b) <= half, colour,
                    (min(a[0], b[0]) - half, min(a[1], b[1]) - half,
                     max(a[0], b[0]) + half, max(a[1], b[1]) + half))

    def polyline(self, points, width, colour):
        for a, b in zip(points, points[1:]):
            self.line(a, b, width, colour)

    def outline(self, points, width, colour):
        self.polyline(points + [points[0]], width, colour)

    def pixels(self):
        """Rows of None or (r, g, b), edges blended with the button grey."""
        rows = []
        area = SUPERSAMPLE * SUPERSAMPLE
        for py in range(self.size):
            row = []
            for px in range(self.size):
                covered = []
                for sy in range(py * SUPERSAMPLE, (py + 1) * SUPERSAMPLE):
                    for sx in range(px * SUPERSAMPLE, (px + 1) * SUPERSAMPLE):
                        if self.samples[sy][sx] is not None:
                            covered.append(self.samples[sy][sx])
                coverage = len(covered) / area
                if coverage < OPAQUE_COVERAGE:
                    row.append(None)
                    continue
                mean = [sum(c[i] for c in covered) / len(covered) for i in range(3)]
                row.append(tuple(int(round(m * coverage + g * (1 - coverage)))
                                 for m, g in zip(mean, BUTTON_GREY)))
            rows.append(row)
        return rows


def vertical_gradient(top_colour, bottom_colour, top, bottom):
    def colour(_x, y):
        t = max(0.0, min(1.0, (y - top) / (bottom - top)))
        return tuple(int(round(a + (b - a) * t)) for a, b in zip(top_colour, bottom_colour))
    return colour


def greyed(rows):
    """The busy version: the same picture in greys, transparency untouched."""
    def grey(pixel):
        if pixel is None:
            return None
        level = int(round(0.299 * pixel[0] + 0.587 * pixel[1] + 0.114 * pixel[2]))
        return (level, level, level)
    return [[grey(p) for p in row] for row in rows]


# ---------------------------------------------------------------- pictures

PAPER = (252, 252, 248)
PAPER_EDGE = (110, 110, 118)
BLACK = (20, 20, 20)


def sheet(canvas, left, top, right, bottom):
    fold = 3
    shape = [(left, top), (right - fold, top), (right, top + fold), (right, bottom),
             (left, bottom)]
    canvas.polygon(shape, vertical_gradient(PAPER, (222, 226, 234), top, bottom))
    canvas.outline(shape, 0.9, PAPER_EDGE)
    canvas.polygon([(right - fold, top), (right - fold, top + fold), (right, top + fold)],
                   (200, 204, 214))
    canvas.polyline([(right - fold, top), (right - fold, top + fold), (right, top + fold)],
                    0.7, PAPER_EDGE)


def load_firmware_picture():
    canvas = Canvas(24)
    sheet(canvas, 1.5, 1.0, 12.5, 14.0)
    canvas.polygon([(4.0, 10.5), (7.0, 4.5), (10.0, 10.5)], (40, 80, 220))
    canvas.outline([(4.0, 10.5), (7.0, 4.5), (10.0, 10.5)], 0.6, (20, 40, 130))
    sheet(canvas, 11.0, 10.0, 22.5, 23.0)
    canvas.ellipse(16.5, 17.5, 2.8, 2.8, (225, 30, 30))
    canvas.ellipse(15.8, 16.8, 0.9, 0.9, (250, 150, 150))
    arc = bezier((11.0, 3.5), (21.5, 1.0), (19.5, 8.6))
    canvas.polyline(arc, 3.2, (20, 90, 20))
    canvas.polyline(arc, 1.8, (60, 190, 60))
    head = [(16.2, 8.0), (22.8, 8.0), (19.5, 12.4)]
    canvas.polygon(head, (60, 190, 60))
    canvas.outline(head, 0.7, (20, 90, 20))
    return canvas.pixels()


def write_coefficients_picture():
    canvas = Canvas(24)
    sheet(canvas, 2.0, 1.5, 17.0, 22.5)
    for y in (6.0, 9.0, 12.0, 15.0):
        canvas.line((4.5, y), (14.0, y), 0.8, (150, 170, 215))
    canvas.polyline([(4.5, 18.5), (6.0, 17.5), (7.0, 19.0), (8.5, 17.8), (9.5, 18.6)],
                    0.8, (30, 30, 90))
    # The pencil lies from its eraser (upper right) to its point (lower left).
    ux, uy = (-0.6, 0.8)       # along the pencil, towards the point
    nx, ny = (0.8, 0.6)        # across it
    half = 1.9

    def at(along, across, origin=(21.6, 2.2)):
        return (origin[0] + ux * along + nx * across, origin[1] + uy * along + ny * across)

    canvas.polygon([at(0, -half), at(2.5, -half), at(2.5, half), at(0, half)], (235, 120, 150))
    canvas.polygon([at(2.5, -half), at(3.6, -half), at(3.6, half), at(2.5, half)],
                   (170, 170, 180))
    canvas.polygon([at(3.6, -half), at(14.0, -half), at(14.0, 0), at(3.6, 0)], (250, 200, 40))
    canvas.polygon([at(3.6, 0), at(14.0, 0), at(14.0, half), at(3.6, half)], (225, 150, 20))
    canvas.polygon([at(14.0, -half), at(18.2, 0), at(14.0, half)], (235, 200, 150))
    canvas.polygon([at(16.6, -0.55), at(18.4, 0), at(16.6, 0.55)], (50, 50, 50))
    canvas.outline([at(0, -half), at(14.0, -half), at(18.4, 0), at(14.0, half), at(0, half)],
                   0.7, (90, 60, 20))
    return canvas.pixels()


def reset_coefficients_picture():
    canvas = Canvas(24)
    dark_green = (20, 90, 30)
    canvas.line((21.5, 1.5), (11.5, 12.5), 3.0, dark_green)
    canvas.line((21.5, 1.5), (11.5, 12.5), 1.6, (60, 180, 70))
    bristles = [(9.5, 10.5), (14.0, 14.5), (8.5, 23.0), (1.0, 22.5), (0.8, 17.0)]
    canvas.polygon(bristles, vertical_gradient((255, 170, 40), (235, 110, 10), 10.5, 23.0))
    for start, end in (((10.5, 12.5), (2.0, 19.5)), ((11.5, 13.5), (4.0, 22.0)),
                       ((12.5, 14.0), (6.8, 22.5))):
        canvas.line(start, end, 0.7, (190, 90, 10))
    canvas.outline(bristles, 0.8, (140, 70, 10))
    band = [(9.3, 10.0), (11.0, 8.3), (15.4, 12.7), (13.7, 14.4)]
    canvas.polygon(band, (150, 150, 160))
    canvas.outline(band, 0.7, (60, 60, 70))
    return canvas.pixels()


def exit_picture():
    canvas = Canvas(24)
    frame = (95, 55, 25)
    canvas.rectangle(6.0, 0.8, 22.5, 23.5, frame)
    # What the open doorway shows: sky, sun, hills.
    canvas.rectangle(8.0, 2.8, 20.5, 23.5, vertical_gradient((120, 180, 250), (200, 230, 255),
                                                             2.8, 14.0))
    canvas.ellipse(17.0, 6.5, 1.9, 1.9, (255, 215, 40))
    canvas.polygon([(8.0, 15.0), (11.0, 12.5), (14.5, 14.0), (17.5, 11.5), (20.5, 13.5),
                    (20.5, 23.5), (8.0, 23.5)], (70, 170, 60))
    canvas.polygon([(8.0, 19.0), (13.0, 16.5), (20.5, 18.5), (20.5, 23.5), (8.0, 23.5)],
                   (40, 130, 40))
    # The door leaf, swung towards the viewer on its left hinge.
    leaf = [(8.0, 2.8), (1.5, 0.6), (1.5, 23.6), (8.0, 23.5)]
    canvas.polygon(leaf, vertical_gradient((175, 110, 55), (140, 80, 35), 0.6, 23.6))
    canvas.outline(leaf, 0.8, (70, 40, 15))
    canvas.polygon([(6.8, 5.0), (3.0, 3.6), (3.0, 10.8), (6.8, 11.2)], (155, 95, 45))
    canvas.polygon([(6.8, 14.0), (3.0, 14.0), (3.0, 21.6), (6.8, 21.4)], (155, 95, 45))
    canvas.ellipse(2.8, 12.6, 0.9, 0.9, (250, 210, 60))
    return canvas.pixels()


WINDOW_ICON_SIZE = 32
DESKTOP_ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
# Below this the arrow's outline would fade into the blue.
THINNEST_OUTLINE = 1.2


def window_icon_picture(size=WINDOW_ICON_SIZE):
    """The arrow on its blue field, drawn for 32 pixels and scaled to `size`."""
    scale = size / WINDOW_ICON_SIZE
    canvas = Canvas(size, background=(0, 0, 0))
    canvas.rectangle(0, 0, size, size, vertical_gradient((40, 110, 230), (10, 40, 150), 0, size))
    arrow = [(16.0, 3.0), (28.0, 16.0), (21.0, 16.0), (21.0, 29.0), (11.0, 29.0), (11.0, 16.0),
             (4.0, 16.0)]
    arrow = [(x * scale, y * scale) for x, y in arrow]
    canvas.polygon(arrow, (255, 255, 255))
    canvas.outline(arrow, max(1.8 * scale, THINNEST_OUTLINE), BLACK)
    return canvas.pixels()


# ---------------------------------------------------------------- output

def xpm_lines(rows):
    colours = sorted({p for row in rows for p in row if p is not None})
    alphabet = XPM_CODE_ALPHABET
    codes = {}
    for index, colour in enumerate(colours):
        codes[colour] = alphabet[index // len(alphabet)] + alphabet[index % len(alphabet)]
    has_transparent = any(p is None for row in rows for p in row)
    count = len(colours) + (1 if has_transparent else 0)
    lines = ['%d %d %d 2' % (len(rows[0]), len(rows), count)]
    if has_transparent:
        lines.append('%s c None' % TRANSPARENT_CODE)
    for colour in colours:
        lines.append('%s c #%02X%02X%02X' % ((codes[colour],) + colour))
    for row in rows:
        lines.append(''.join(TRANSPARENT_CODE if p is None else codes[p] for p in row))
    return lines


def c_array(name, lines):
    body = ''.join('    "%s",\n' % line for line in lines)
    return 'extern const char* const %s[] = {\n%s};\n' % (name, body)


GENERATED = "// Generated by resources/make_pictures.py; edit the script, not this file.\n"


def button_images_source():
    idle = [("loadFirmware", load_firmware_picture()),
            ("writeCoefficients", write_coefficients_picture()),
            ("resetCoefficients", reset_coefficients_picture())]
    parts = [GENERATED, '#include "resources/button_images.h"\n\n']
    for name, rows in idle:
        parts.append(c_array(name + "Xpm", xpm_lines(rows)) + "\n")
        parts.append(c_array(name + "BusyXpm", xpm_lines(greyed(rows))) + "\n")
    parts.append(c_array("exitXpm", xpm_lines(exit_picture())) + "\n")
    parts.append("// Constructed in this order: each operation's idle and busy picture, then exit.\n")
    for name, _rows in idle:
        parts.append("Fl_Pixmap %sImage(%sXpm);\n" % (name, name))
        parts.append("Fl_Pixmap %sBusyImage(%sBusyXpm);\n" % (name, name))
    parts.append("Fl_Pixmap exitImage(exitXpm);\n")
    return ''.join(parts)


def window_icon_source():
    return (GENERATED + '#include "resources/window_icon.h"\n\n'
            + c_array("windowIconXpm", xpm_lines(window_icon_picture())))


def ico_bytes():
    """A Windows icon: one 32 x 32 image of 256 colours, nothing transparent."""
    rows = window_icon_picture()
    size = len(rows)
    palette = sorted({p for row in rows for p in row})
    if len(palette) > 256:
        raise SystemExit("window icon has more than 256 colours")
    index = {colour: i for i, colour in enumerate(palette)}
    palette_bytes = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in palette)
    palette_bytes += b'\0' * (4 * (256 - len(palette)))
    pixels = b''.join(bytes(index[p] for p in row) for row in reversed(rows))
    mask_row_bytes = 4  # 32 one-bit pixels, already a multiple of 4 bytes
    mask = b'\0' * (mask_row_bytes * size)
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 8, 0,
                         len(pixels) + len(mask), 0, 0, 256, 0)
    image = header + palette_bytes + pixels + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', size, size, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


PNG_SIGNATURE = b'\x89PNG\r\n\x1a\n'


def png_bytes(size):
    """A desktop icon: the window icon at `size` as an 8-bit RGB PNG."""
    rows = window_icon_picture(size)

    def chunk(kind, data):
        return (struct.pack('>I', len(data)) + kind + data
                + struct.pack('>I', zlib.crc32(kind + data)))

    colour_type_rgb = 2
    header = struct.pack('>IIBBBBB', len(rows[0]), len(rows), 8, colour_type_rgb, 0, 0, 0)
    no_filter = b'\0'
    raw = b''.join(no_filter + bytes(c for p in row for c in p) for row in rows)
    return (PNG_SIGNATURE + chunk(b'IHDR', header)
            + chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def png_content(data):
    """What a PNG shows: its header and its pixel data, however compressed."""
    if not data.startswith(PNG_SIGNATURE):
        return data
    position, header, compressed = len(PNG_SIGNATURE), b'', b''
    while position < len(data):
        length, kind = struct.unpack('>I4s', data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if kind == b'IHDR':
            header = body
        elif kind == b'IDAT':
            compressed += body
        position += 12 + length
    return header, zlib.decompress(compressed)


def desktop_icon_name(size):
    return "icons/velt-loader-%d.png" % size


def main():
    outputs = {
        "button_images.cpp": button_images_source().encode(),
        "window_icon.cpp": window_icon_source().encode(),
        "velt-loader.ico": ico_bytes(),
    }
    for size in DESKTOP_ICON_SIZES:
        outputs[desktop_icon_name(size)] = png_bytes(size)
    check = "--check" in sys.argv[1:]
    stale = []
    for name, data in outputs.items():
        path = os.path.join(HERE, name)
        if check:
            try:
                with open(path, "rb") as existing:
                    if png_content(existing.read()) != png_content(data):
                        stale.append(name)
            except FileNotFoundError:
                stale.append(name)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as out:
                out.write(data)
    if stale:
        print("out of date, run resources/make_pictures.py: " + ", ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
