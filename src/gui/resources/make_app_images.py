#!/usr/bin/env python3
"""Draws the application icon (16, 32 and 48 pixels) and the maker's logo as PNG files.

Everything is drawn from simple shapes (rounded rectangles, thick strokes, rings) with 4 x 4
supersampling, so the artwork can be changed and regenerated without an image editor: run this
script in src/gui/resources/.
"""
import math
import struct
import zlib

BLUE_TOP = (40, 118, 214)
BLUE_BOTTOM = (18, 70, 150)
WHITE = (255, 255, 255)
AMBER = (255, 196, 40)
SAMPLES = 4


def write_png(name, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = b''.join(b'\x00' + b''.join(struct.pack('4B', *p) for p in row) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    png = b'\x89PNG\r\n\x1a\n'
    png += chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0))
    png += chunk(b'IDAT', zlib.compress(raw, 9))
    png += chunk(b'IEND', b'')
    with open(name, 'wb') as f:
        f.write(png)


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if not (left <= x <= right and top <= y <= bottom):
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def near_segment(x, y, a, b, half_width):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= half_width ** 2


def near_polyline(x, y, points, half_width):
    return any(near_segment(x, y, points[i], points[i + 1], half_width)
               for i in range(len(points) - 1))


def on_arc(x, y, cx, cy, radius, half_width, start_deg, end_deg):
    r = math.hypot(x - cx, y - cy)
    if abs(r - radius) > half_width:
        return False
    angle = math.degrees(math.atan2(cy - y, x - cx))  # y grows downwards
    return start_deg <= angle <= end_deg


def render(width, height, shade):
    """shade(x, y) returns (r, g, b, a) or None for a point in pixel units."""
    rows = []
    for py in range(height):
        row = []
        for px in range(width):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shade(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    if c is None:
                        continue
                    r, g, b, a = c
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] / n
            if acc[3] == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]),
                            round(acc[2] / acc[3]), round(alpha)))
        rows.append(row)
    return rows


def gradient(y, top, bottom):
    t = max(0.0, min(1.0, (y - top) / max(bottom - top, 1)))
    return tuple(round(a + (b - a) * t) for a, b in zip(BLUE_TOP, BLUE_BOTTOM))


def icon_shader(size):
    s = size / 48.0  # drawn on a 48-unit grid
    stroke = max(1.6, 3.2 * s) / 2

    def shade(x, y):
        u, v = x / s, y / s
        if not in_rounded_rect(u, v, 1, 1, 47, 47, 9):
            return None
        # the mast and its feet
        if near_polyline(u, v, [(24, 20), (24, 40)], stroke / s) or \
                near_polyline(u, v, [(16, 41), (24, 30), (32, 41)], stroke / s):
            return WHITE + (255,)
        # the radio waves around the mast's top
        for radius, colour in ((7, WHITE), (13, AMBER)):
            if size < 24 and radius == 13:
                continue
            for start, end in ((-50, 50), (130, 230)):
                if on_arc(u, v, 24, 17, radius, stroke / s, start, end) or \
                        on_arc(u, v, 24, 17, radius, stroke / s, start - 360, end - 360):
                    return colour + (255,)
        if (u - 24) ** 2 + (v - 17) ** 2 <= (3.2 * max(s, 0.6) / s) ** 2:
            return AMBER + (255,)
        return gradient(v, 1, 47) + (255,)

    return shade


# Upper-case stroke letters on a 4 x 6 grid (x right, y down).
LETTERS = {
    'D': [[(0, 0), (0, 6), (2.4, 6), (3.6, 5), (4, 3), (3.6, 1), (2.4, 0), (0, 0)]],
    'T': [[(0, 0), (4, 0)], [(2, 0), (2, 6)]],
    'U': [[(0, 0), (0, 4.6), (0.6, 5.6), (2, 6), (3.4, 5.6), (4, 4.6), (4, 0)]],
    'C': [[(4, 0.8), (3, 0), (1, 0), (0, 1.2), (0, 4.8), (1, 6), (3, 6), (4, 5.2)]],
    'O': [[(1, 0), (3, 0), (4, 1.2), (4, 4.8), (3, 6), (1, 6), (0, 4.8), (0, 1.2), (1, 0)]],
    'N': [[(0, 6), (0, 0), (4, 6), (4, 0)]],
    'F': [[(4, 0), (0, 0), (0, 6)], [(0, 3), (3, 3)]],
    'I': [[(2, 0), (2, 6)], [(1, 0), (3, 0)], [(1, 6), (3, 6)]],
    'G': [[(4, 0.8), (3, 0), (1, 0), (0, 1.2), (0, 4.8), (1, 6), (3, 6), (4, 5), (4, 3.4),
           (2.4, 3.4)]],
}


def text_strokes(text, left, top, cell, gap):
    strokes = []
    x = left
    for ch in text:
        if ch == ' ':
            x += cell * 2.5
            continue
        for line in LETTERS[ch]:
            strokes.append([(x + px * cell, top + py * cell) for px, py in line])
        x += 4 * cell + gap
    return strokes


def logo_shader(width, height):
    big = text_strokes('DTU', 50, 8, 3.9, 7)
    small = text_strokes('CONFIG', 51, 35, 1.25, 3.2)

    def shade(x, y):
        if not in_rounded_rect(x, y, 0.5, 0.5, width - 0.5, height - 0.5, 7):
            return None
        if any(near_polyline(x, y, line, 1.9) for line in big):
            return WHITE + (255,)
        if any(near_polyline(x, y, line, 0.75) for line in small):
            return AMBER + (255,)
        # the mark: a mast with two pairs of waves
        if near_polyline(x, y, [(24, 19), (24, 40)], 1.6) or \
                near_polyline(x, y, [(17, 41), (24, 30), (31, 41)], 1.4):
            return WHITE + (255,)
        for radius, colour in ((7, WHITE), (13, AMBER)):
            for start, end in ((-50, 50), (130, 230)):
                if on_arc(x, y, 24, 17, radius, 1.5, start, end) or \
                        on_arc(x, y, 24, 17, radius, 1.5, start - 360, end - 360):
                    return colour + (255,)
        if (x - 24) ** 2 + (y - 17) ** 2 <= 3.2 ** 2:
            return AMBER + (255,)
        return gradient(y, 0, height) + (255,)

    return shade


def main():
    for size in (16, 32, 48):
        write_png('app_icon_%d.png' % size, size, size, render(size, size, icon_shader(size)))
    width, height = 128, 48
    write_png('maker_logo.png', width, height, render(width, height, logo_shader(width, height)))


if __name__ == '__main__':
    main()
