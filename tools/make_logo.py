#!/usr/bin/env python3
"""Draws the wordmark "kestrin Trivista" and writes it as XPM source data.

    python3 tools/make_logo.py [OUTPUT]   (default: src/display/kestrin.xpm)

The picture is 301 x 44 pixels with exactly 490 colours at 2 characters per
pixel, one of them "None". Only the left 300 columns are ever shown, so the
transparent colour lives in the hidden rightmost column: libXpm gives it pixel
0, which would otherwise show as black specks in the info window.

Everything is drawn here from first principles (a 5 x 7 bitmap font, polygons
for the bird mark, supersampled coverage, colour ramps), then median-cut down
to the palette. Pure standard library and fully deterministic: running it again
reproduces the committed file byte for byte.
"""

import os
import sys

WIDTH = 301
HEIGHT = 44
SHOWN_WIDTH = 300
COLOURS = 490                 # including "None"
SUBSAMPLES = 4                # per axis, for antialiasing
CODE_CHARS = (".,:;-+=*%#@$&!?0123456789"
              "abcdefghijklmnopqrstuvwxyz"
              "ABCDEFGHIJKLMNOPQRSTUVWXYZ")

WINDOW_GRAY = (0xDB, 0xDB, 0xDB)
BACKGROUND_TOP = (0xEC, 0xEC, 0xEA)
RUST_LIGHT = (0xD8, 0x6A, 0x2A)
RUST_DARK = (0x7A, 0x2E, 0x10)
SLATE_TOP = (0x16, 0x2C, 0x52)
SLATE_BOTTOM = (0x3A, 0x7C, 0xA8)
SHADOW = (0x40, 0x40, 0x48)

# 5 x 7 glyphs, rows top to bottom; only the letters of the wordmark.
FONT = {
    "k": ["#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "s": [".....", ".....", ".####", "#....", ".###.", "....#", "####."],
    "t": [".#...", ".#...", "####.", ".#...", ".#...", ".#..#", "..##."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "i": ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "v": [".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
}


def mix(a, b, t):
    return tuple(a[k] + (b[k] - a[k]) * t for k in range(3))


def glyph_cell_set(glyph, col, row):
    return 0 <= row < 7 and 0 <= col < 5 and glyph[row][col] == "#"


def inside_glyph(glyph, u, v):
    """Point (u, v) in cell units; cells are squares with rounded free corners."""
    col, row = int(u // 1), int(v // 1)
    if not glyph_cell_set(glyph, col, row):
        return False
    fu, fv = u - col, v - row
    dx = -1 if fu < 0.5 else 1
    dy = -1 if fv < 0.5 else 1
    if glyph_cell_set(glyph, col + dx, row) or glyph_cell_set(glyph, col, row + dy):
        return True
    # Both neighbours towards this corner are empty: round it off.
    cx, cy = abs(fu - 0.5), abs(fv - 0.5)
    if cx > 0.15 and cy > 0.15:
        return (cx - 0.15) ** 2 + (cy - 0.15) ** 2 <= 0.35 ** 2
    return True


class Word:
    """A run of glyphs at (x, baseline), cell size (cw, ch), slanted to the right."""

    def __init__(self, text, x, top, cw, ch, advance, slant):
        self.text, self.x, self.top = text, x, top
        self.cw, self.ch, self.advance, self.slant = cw, ch, advance, slant

    def width(self):
        return self.cw * (self.advance * (len(self.text) - 1) + 5)

    def covers(self, px, py):
        v = (py - self.top) / self.ch
        if v < 0 or v >= 7:
            return False
        u_all = (px - self.x + self.slant * (py - self.top - 7 * self.ch)) / self.cw
        index = int(u_all // self.advance)
        if index < 0 or index >= len(self.text):
            return False
        glyph = FONT.get(self.text[index])
        return glyph is not None and inside_glyph(glyph, u_all - index * self.advance, v)


def inside_polygon(points, x, y):
    result = False
    n = len(points)
    for k in range(n):
        x1, y1 = points[k]
        x2, y2 = points[(k + 1) % n]
        if (y1 > y) != (y2 > y):
            if x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                result = not result
    return result


# The mark: a kestrel in side view, gliding right, built from facets like a cut prism.
WING_FAR = [(3.0, 8.0), (20.0, 21.0), (13.0, 23.0)]
WING_NEAR = [(14.0, 2.0), (29.0, 21.0), (18.0, 23.0)]
BODY = [(8.0, 25.0), (20.0, 21.0), (33.0, 19.0), (37.0, 22.0), (31.0, 27.0), (18.0, 29.0)]
TAIL = [(1.0, 27.0), (10.0, 24.0), (15.0, 28.0), (3.0, 33.0)]
HEAD_CENTRE, HEAD_RADIUS = (35.0, 19.5), 3.4
BEAK = [(37.5, 18.0), (41.5, 20.5), (37.5, 21.5)]


def mark_colour(x, y):
    """Colour of the mark at (x, y), or None outside it."""
    shade = min(1.0, max(0.0, (x + y) / 70.0))
    if inside_polygon(BEAK, x, y):
        return SLATE_TOP
    if (x - HEAD_CENTRE[0]) ** 2 + (y - HEAD_CENTRE[1]) ** 2 <= HEAD_RADIUS ** 2:
        return mix(RUST_DARK, SLATE_TOP, 0.35)
    if inside_polygon(WING_NEAR, x, y):
        return mix(RUST_LIGHT, RUST_DARK, shade * 0.8)
    if inside_polygon(WING_FAR, x, y):
        return mix(RUST_DARK, RUST_LIGHT, 0.25 + shade * 0.4)
    if inside_polygon(BODY, x, y):
        return mix(RUST_LIGHT, (0xF0, 0xB0, 0x70), 0.3 + 0.5 * (y / 40.0))
    if inside_polygon(TAIL, x, y):
        return mix(SLATE_BOTTOM, SLATE_TOP, y / 44.0)
    return None


def layout():
    small = Word("kestrin", 48.0, 15.5, 2.2, 2.2, 6.0, 0.18)
    large = Word("Trivista", 0.0, 6.5, 3.0, 4.0, 5.9, 0.18)
    large.x = small.x + small.width() + 9.0
    if large.x + large.width() + 3 > SHOWN_WIDTH:
        raise SystemExit("wordmark does not fit in %d columns" % SHOWN_WIDTH)
    return small, large


def background(x, y):
    base = mix(BACKGROUND_TOP, WINDOW_GRAY, y / (HEIGHT - 1))
    if y >= HEIGHT - 3:
        accent = mix(RUST_LIGHT, SLATE_BOTTOM, x / (SHOWN_WIDTH - 1))
        return mix(base, accent, 0.85 if y == HEIGHT - 2 else 0.35)
    return base


def render():
    """Full-colour picture of the shown columns as rows of (r, g, b) floats."""
    small, large = layout()
    n = SUBSAMPLES * SUBSAMPLES
    picture = []
    for y in range(HEIGHT):
        row = []
        for x in range(SHOWN_WIDTH):
            colour = [0.0, 0.0, 0.0]
            for sy in range(SUBSAMPLES):
                for sx in range(SUBSAMPLES):
                    fx = x + (sx + 0.5) / SUBSAMPLES
                    fy = y + (sy + 0.5) / SUBSAMPLES
                    c = sample(small, large, fx, fy, x, y)
                    for k in range(3):
                        colour[k] += c[k]
            row.append(tuple(c / n for c in colour))
        picture.append(row)
    return picture


def sample(small, large, fx, fy, x, y):
    c = mark_colour(fx, fy)
    if c is not None:
        return c
    if small.covers(fx, fy):
        return mix(RUST_LIGHT, RUST_DARK, (fy - small.top) / (7 * small.ch))
    if large.covers(fx, fy):
        return mix(SLATE_TOP, SLATE_BOTTOM, (fy - large.top) / (7 * large.ch))
    base = background(x, y)
    if large.covers(fx - 1.2, fy - 1.2) or small.covers(fx - 0.9, fy - 0.9):
        return mix(base, SHADOW, 0.28)
    return base


def median_cut(counts, boxes_wanted):
    """Splits the weighted colours into boxes and returns one mean colour per box,
    together with the map from each colour to its box's mean."""
    boxes = [sorted(counts)]
    while len(boxes) < boxes_wanted:
        best, best_key = None, None
        for index, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spread = max(max(c[k] for c in box) - min(c[k] for c in box) for k in range(3))
            weight = sum(counts[c] for c in box)
            key = (spread * weight, -index)
            if best_key is None or key > best_key:
                best, best_key = index, key
        if best is None:
            raise SystemExit("too few distinct colours to fill the palette")
        box = boxes.pop(best)
        ranges = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
        axis = ranges.index(max(ranges))
        box.sort(key=lambda c: (c[axis], c))
        total = sum(counts[c] for c in box)
        running, cut = 0, 1
        for cut in range(1, len(box)):
            running += counts[box[cut - 1]]
            if running * 2 >= total:
                break
        boxes.insert(best, box[cut:])
        boxes.insert(best, box[:cut])
    mapping = {}
    means = []
    for box in boxes:
        weight = sum(counts[c] for c in box)
        centre = [sum(c[k] * counts[c] for c in box) / weight for k in range(3)]
        # The member nearest the weighted mean: boxes are disjoint, so no two
        # boxes can end up with the same representative.
        mean = min(box, key=lambda c: (sum((c[k] - centre[k]) ** 2 for k in range(3)), c))
        means.append(mean)
        for c in box:
            mapping[c] = mean
    return means, mapping


def quantise(picture):
    rounded = [[tuple(int(v + 0.5) for v in c) for c in row] for row in picture]
    counts = {}
    for row in rounded:
        for c in row:
            counts[c] = counts.get(c, 0) + 1
    means, mapping = median_cut(counts, COLOURS - 1)
    return means, [[mapping[c] for c in row] for row in rounded]


def code(index):
    base = len(CODE_CHARS)
    return CODE_CHARS[index // base] + CODE_CHARS[index % base]


def xpm_text(means, pixels):
    palette = sorted(means)
    codes = {colour: code(i + 1) for i, colour in enumerate(palette)}
    none_code = code(0)
    lines = ["/* XPM */",
             "/* The kestrin Trivista logo; generated by tools/make_logo.py, do not edit. */",
             "const char *const kestrin_xpm[] = {",
             '"%d %d %d 2",' % (WIDTH, HEIGHT, COLOURS),
             '"%s c None",' % none_code]
    for colour in palette:
        lines.append('"%s c #%02X%02X%02X",' % ((codes[colour],) + colour))
    for y, row in enumerate(pixels):
        text = "".join(codes[c] for c in row) + none_code
        lines.append('"%s"%s' % (text, "," if y < HEIGHT - 1 else ""))
    lines.append("};")
    return "\n".join(lines) + "\n"


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    output = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        here, "..", "src", "display", "kestrin.xpm")
    means, pixels = quantise(render())
    with open(output, "w", encoding="ascii", newline="\n") as f:
        f.write(xpm_text(means, pixels))


if __name__ == "__main__":
    main()
