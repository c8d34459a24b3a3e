#!/usr/bin/env python3
"""Draws the file dialog's two 20 x 20 button pictures and writes them as XPM
data into chooser_images.cpp. Run from this folder after changing a shape:
    python3 make_chooser_images.py > chooser_images.cpp
Each pixel is sampled 4 x 4 times; a pixel less than half covered stays
transparent."""
import math

SIZE = 20
SAMPLES = 4


def in_triangle(px, py, a, b, c):
    def side(p1, p2):
        return (px - p2[0]) * (p1[1] - p2[1]) - (p1[0] - p2[0]) * (py - p2[1])
    d1, d2, d3 = side(a, b), side(b, c), side(c, a)
    negative = d1 < 0 or d2 < 0 or d3 < 0
    positive = d1 > 0 or d2 > 0 or d3 > 0
    return not (negative and positive)


def mix(c1, c2, t):
    return tuple(c1[i] + (c2[i] - c1[i]) * t for i in range(3))


# --- folder with an arrow up -------------------------------------------------
OUTLINE = (0x80, 0x80, 0x80)
FOLDER_TOP = (0xFF, 0xF8, 0xB0)
FOLDER_MID = (0xFF, 0xF3, 0x73)
FOLDER_BOTTOM = (0xE8, 0xC8, 0x30)
BLACK = (0, 0, 0)


def folder_up(x, y):
    arrow_head = in_triangle(x, y, (10.0, 3.0), (5.0, 9.0), (15.0, 9.0))
    arrow_shaft = 8.6 <= x <= 11.4 and 8.5 <= y <= 15.5
    if arrow_head or arrow_shaft:
        return BLACK
    tab = 1.5 <= x <= 8.5 and 3.5 <= y <= 6.5
    body = 1.0 <= x <= 19.0 and 5.5 <= y <= 18.0
    if not (tab or body):
        return None
    inner_tab = 2.5 <= x <= 7.5 and 4.5 <= y <= 6.5
    inner_body = 2.0 <= x <= 18.0 and 6.5 <= y <= 17.0
    if not (inner_tab or inner_body):
        return OUTLINE
    t = (y - 4.5) / 12.5
    if t < 0.5:
        return mix(FOLDER_TOP, FOLDER_MID, t * 2)
    return mix(FOLDER_MID, FOLDER_BOTTOM, (t - 0.5) * 2)


# --- two curved arrows forming a circle ---------------------------------------
BLUE = (0x34, 0x39, 0xAC)
BLUE_LIGHT = (0x6A, 0x70, 0xE0)
GREY = (0x77, 0x77, 0x77)
GREY_LIGHT = (0xA8, 0xA8, 0xA8)
CENTRE = (10.0, 10.0)
RING_MID = 6.0
RING_HALF = 1.4
HEAD_HALF = 3.4
HEAD_LENGTH = 4.5


def ring_point(angle, radius):
    return (CENTRE[0] + radius * math.cos(angle), CENTRE[1] - radius * math.sin(angle))


def arrow(x, y, start_deg, end_deg, dark, light):
    """An arc from start to end (counter-clockwise) with a head at its end."""
    dx, dy = x - CENTRE[0], CENTRE[1] - y
    radius = math.hypot(dx, dy)
    angle = math.degrees(math.atan2(dy, dx)) % 360
    if (angle - start_deg) % 360 <= (end_deg - start_deg) % 360 and \
            abs(radius - RING_MID) <= RING_HALF:
        # lighter on the inner edge gives the band some roundness
        return mix(dark, light, max(0.0, (RING_MID - radius) / RING_HALF) * 0.6)
    end = math.radians(end_deg)
    tangent = (-math.sin(end), -math.cos(end))
    base_in = ring_point(end, RING_MID - HEAD_HALF)
    base_out = ring_point(end, RING_MID + HEAD_HALF)
    middle = ring_point(end, RING_MID)
    apex = (middle[0] + HEAD_LENGTH * tangent[0], middle[1] + HEAD_LENGTH * tangent[1])
    if in_triangle(x, y, base_in, base_out, apex):
        return dark
    return None


def reread(x, y):
    return arrow(x, y, 35, 185, BLUE, BLUE_LIGHT) or arrow(x, y, 215, 5, GREY, GREY_LIGHT)


# --- rasterising and writing ---------------------------------------------------
def rasterise(shape):
    pixels = []
    for row in range(SIZE):
        line = []
        for col in range(SIZE):
            hits = []
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = shape(col + (sx + 0.5) / SAMPLES, row + (sy + 0.5) / SAMPLES)
                    if colour is not None:
                        hits.append(colour)
            if len(hits) * 2 < SAMPLES * SAMPLES:
                line.append(None)
            else:
                line.append("#%02X%02X%02X" % tuple(
                    int(round(sum(h[i] for h in hits) / len(hits))) for i in range(3)))
        pixels.append(line)
    return pixels


# One character per pixel; ' ' is the transparent one.
KEYS = ".+@#$%&*=-;>,')!~{]^/(_:<[}|1234567890abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"


def xpm_lines(pixels):
    colours = sorted({c for line in pixels for c in line if c is not None})
    if len(colours) > len(KEYS):
        raise SystemExit("too many colours")
    key = {c: KEYS[i] for i, c in enumerate(colours)}
    lines = ['"%d %d %d 1"' % (SIZE, SIZE, len(colours) + 1), '"  c None"']
    lines += ['"%s c %s"' % (key[c], c) for c in colours]
    lines += ['"%s"' % "".join(" " if c is None else key[c] for c in line) for line in pixels]
    return lines


def emit(name, pixels):
    print("static const char* const %sData[] = {" % name)
    for line in xpm_lines(pixels):
        print("    %s," % line.replace("\\", "\\\\"))
    print("};")
    print()


print("// Written by make_chooser_images.py; change the script, not this file.")
print('#include "resources/chooser_images.h"')
print()
emit("folderUp", rasterise(folder_up))
emit("reread", rasterise(reread))
print("Fl_Pixmap folderUpImage(folderUpData);")
print("Fl_Pixmap rereadImage(rereadData);")
