#!/usr/bin/env python3
"""Reads pixels of a screenshot (binary PPM, as `import -window root ppm:FILE`
writes it) for scripts/test-windows.

usage: screen_pixels.py coloured FILE X Y W H
         prints how many pixels of the rectangle are clearly coloured (not grey)
       screen_pixels.py exact FILE X Y W H RRGGBB...
         prints, for each colour, how many pixels of the rectangle have
         exactly that colour, all on one line
       screen_pixels.py bands FILE X Y W H
         prints one line "FIRST_ROW LAST_ROW DARKEST" per band of rows that
         hold drawn text (at least LEAST_TEXT_ROWS rows with a pixel darker
         than TEXT_LEVEL);
         DARKEST is the darkest grey level in the band, 0..255
"""
import sys

# A pixel whose channels spread this far apart is coloured; greys, and the
# anti-aliased edges of grey pictures, stay well below it.
COLOURED_SPREAD = 48
# Menu text, black or greyed, is darker than this; the menu's own face is not.
TEXT_LEVEL = 160
# Fewer rows than this are a frame's edge, not a line of text.
LEAST_TEXT_ROWS = 5


def read_ppm(path):
    data = open(path, "rb").read()
    fields = []
    position = 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        sys.exit(f"{path}: not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position + 1:]


def pixels(path, x, y, w, h):
    width, height, raster = read_ppm(path)
    for row in range(max(y, 0), min(y + h, height)):
        line = []
        for column in range(max(x, 0), min(x + w, width)):
            offset = 3 * (row * width + column)
            line.append(raster[offset:offset + 3])
        yield row, line


def coloured(path, x, y, w, h):
    count = 0
    for _, line in pixels(path, x, y, w, h):
        count += sum(1 for pixel in line if max(pixel) - min(pixel) >= COLOURED_SPREAD)
    print(count)


def exact(path, x, y, w, h, colours):
    lines = [line for _, line in pixels(path, x, y, w, h)]
    print(*(sum(line.count(bytes.fromhex(colour)) for line in lines) for colour in colours))


def bands(path, x, y, w, h):
    band = None
    for row, line in pixels(path, x, y, w, h):
        darkest = min((sum(pixel) // 3 for pixel in line), default=255)
        if darkest < TEXT_LEVEL:
            band = [band[0], row, min(band[2], darkest)] if band else [row, row, darkest]
        elif band:
            if band[1] - band[0] + 1 >= LEAST_TEXT_ROWS:
                print(*band)
            band = None
    if band and band[1] - band[0] + 1 >= LEAST_TEXT_ROWS:
        print(*band)


def main():
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    arguments = {"coloured": 7, "bands": 7, "exact": 8}
    if command not in arguments or len(sys.argv) < arguments[command] or \
            (command != "exact" and len(sys.argv) != arguments[command]):
        sys.exit(__doc__)
    path = sys.argv[2]
    x, y, w, h = (int(value) for value in sys.argv[3:7])
    if command == "exact":
        exact(path, x, y, w, h, sys.argv[7:])
    else:
        (coloured if command == "coloured" else bands)(path, x, y, w, h)


if __name__ == "__main__":
    main()
