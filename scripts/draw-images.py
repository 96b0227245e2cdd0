#!/usr/bin/env python3
"""Draws the program's own images into resources/Images/.

Only the standard library is used: shapes are rendered into an RGBA canvas
with 4 x 4 supersampling for smooth edges, and the PNG files are written with
zlib and struct. The output is the same on every run (no time stamps), so a
regenerated image differs from the committed one only when the drawing did.

    python3 scripts/draw-images.py [output folder]
"""

import math
import os
import struct
import sys
import zlib

SUB = 4  # samples per pixel and axis

# --- PNG ---------------------------------------------------------------------


def png_bytes(width, height, rgba_rows):
    """An 8-bit RGBA PNG; rgba_rows holds one bytes object per row."""

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rgba_rows)  # filter type 0 on every row
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


# --- Canvas ------------------------------------------------------------------


class Canvas:
    """Premultiplied-free RGBA floats (0..1), painted with source-over."""

    def __init__(self, width, height, background=(0, 0, 0, 0)):
        self.w, self.h = width, height
        self.px = [list(background) for _ in range(width * height)]

    def blend(self, x, y, colour, alpha):
        if alpha <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        r, g, b = colour[:3]
        a = alpha * (colour[3] if len(colour) > 3 else 1.0)
        d = self.px[y * self.w + x]
        out_a = a + d[3] * (1 - a)
        if out_a <= 0:
            return
        for i, c in enumerate((r, g, b)):
            d[i] = (c * a + d[i] * d[3] * (1 - a)) / out_a
        d[3] = out_a

    def fill(self, inside, colour, box=None):
        """Paints where inside(x, y) is true; colour may be a function of
        (x, y) giving an RGB(A) tuple. box limits the pixels visited."""
        x0, y0, x1, y1 = box if box else (0, 0, self.w, self.h)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        step = 1.0 / SUB
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for sy in range(SUB):
                    for sx in range(SUB):
                        if inside(px + (sx + 0.5) * step, py + (sy + 0.5) * step):
                            hits += 1
                if hits:
                    c = colour(px + 0.5, py + 0.5) if callable(colour) else colour
                    self.blend(px, py, c, hits / (SUB * SUB))

    def rows(self):
        out = []
        for y in range(self.h):
            row = bytearray()
            for x in range(self.w):
                row.extend(max(0, min(255, int(round(v * 255)))) for v in self.px[y * self.w + x])
            out.append(bytes(row))
        return out

    def save(self, path):
        with open(path, "wb") as f:
            f.write(png_bytes(self.w, self.h, self.rows()))


def rgb(hex_text, alpha=1.0):
    v = int(hex_text.lstrip("#"), 16)
    return ((v >> 16) / 255.0, ((v >> 8) & 255) / 255.0, (v & 255) / 255.0, alpha)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(x + (y - x) * t for x, y in zip(a, b))


# --- Shapes ------------------------------------------------------------------


def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_in, r_out):
    return lambda x, y: r_in * r_in <= (x - cx) ** 2 + (y - cy) ** 2 <= r_out * r_out


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def thick_line(xa, ya, xb, yb, half_width):
    dx, dy = xb - xa, yb - ya
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - xa) * dx + (y - ya) * dy) / length2))
        qx, qy = xa + t * dx, ya + t * dy
        return (x - qx) ** 2 + (y - qy) ** 2 <= half_width * half_width
    return inside


def box_of_circle(cx, cy, r):
    return (cx - r - 1, cy - r - 1, cx + r + 1, cy + r + 1)


# --- Block letters -----------------------------------------------------------

# A 5 x 7 pixel font with just the letters the marks need.
GLYPHS = {
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "-": [".....", ".....", ".....", ".###.", ".....", ".....", "....."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}


def text_width(text, scale, gap=1):
    return len(text) * (5 + gap) * scale - gap * scale


def draw_text(canvas, text, x, y, scale, colour, gap=1):
    """Block letters, each font pixel a scale x scale square."""
    for i, ch in enumerate(text):
        glyph = GLYPHS[ch]
        gx = x + i * (5 + gap) * scale
        for row, line in enumerate(glyph):
            for col, bit in enumerate(line):
                if bit == "#":
                    x0, y0 = gx + col * scale, y + row * scale
                    canvas.fill(rect(x0, y0, x0 + scale, y0 + scale), colour,
                                (x0, y0, x0 + scale, y0 + scale))


# --- The pictures ------------------------------------------------------------

INK = rgb("#1d3557")      # dark blue of the marks
ACCENT = rgb("#e63946")   # red of the needle
STEEL = rgb("#8d99ae")


def lamp(base_hex):
    """A 20 x 20 round lamp: dark rim, body shaded from the upper left, and a
    soft highlight; transparent outside."""
    c = Canvas(20, 20)
    base = rgb(base_hex)
    cx = cy = 10.0
    c.fill(disc(cx, cy, 9.2), mix(base, (0, 0, 0, 1), 0.55), box_of_circle(cx, cy, 9.2))

    def body(x, y):
        # Light falls from the upper left: brighter there, darker lower right.
        d = math.hypot(x - 7.0, y - 7.0) / 11.0
        return mix(mix(base, (1, 1, 1, 1), 0.35), mix(base, (0, 0, 0, 1), 0.35), d)

    c.fill(disc(cx, cy, 8.0), body, box_of_circle(cx, cy, 8.0))
    c.fill(disc(7.2, 6.8, 2.6), (1, 1, 1, 0.65), box_of_circle(7.2, 6.8, 2.6))
    return c


def gauge(c, cx, cy, r, value=0.68, ticks=11):
    """An abstract pressure gauge: bezel, dial, scale arc with ticks, needle."""
    c.fill(disc(cx, cy, r), STEEL, box_of_circle(cx, cy, r))
    c.fill(disc(cx, cy, r * 0.88), lambda x, y: mix((1, 1, 1, 1), rgb("#dfe6ee"), (y - cy + r) / (2 * r)),
           box_of_circle(cx, cy, r))
    # The scale runs over 270 degrees, from lower left through the top to lower right.
    start, sweep = math.radians(225), math.radians(270)

    def on_arc(x, y, r_in, r_out, upto):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not (r_in * r_in <= d2 <= r_out * r_out):
            return False
        a = math.atan2(-(y - cy), x - cx)  # screen y points down
        travelled = (start - a) % (2 * math.pi)
        return travelled <= sweep * upto

    c.fill(lambda x, y: on_arc(x, y, r * 0.62, r * 0.70, 1.0), INK, box_of_circle(cx, cy, r))
    c.fill(lambda x, y: on_arc(x, y, r * 0.62, r * 0.70, 1.0) and not on_arc(x, y, 0, r, 0.8),
           ACCENT, box_of_circle(cx, cy, r))
    for i in range(ticks):
        a = start - sweep * i / (ticks - 1)
        long_tick = i % 5 == 0
        r0 = r * (0.70 if long_tick else 0.70)
        r1 = r * (0.84 if long_tick else 0.78)
        xa, ya = cx + r0 * math.cos(a), cy - r0 * math.sin(a)
        xb, yb = cx + r1 * math.cos(a), cy - r1 * math.sin(a)
        c.fill(thick_line(xa, ya, xb, yb, max(0.5, r * (0.035 if long_tick else 0.022))), INK,
               (min(xa, xb) - 2, min(ya, yb) - 2, max(xa, xb) + 2, max(ya, yb) + 2))
    a = start - sweep * value
    tip_x, tip_y = cx + r * 0.74 * math.cos(a), cy - r * 0.74 * math.sin(a)
    c.fill(thick_line(cx, cy, tip_x, tip_y, max(0.7, r * 0.045)), ACCENT, box_of_circle(cx, cy, r))
    c.fill(disc(cx, cy, r * 0.10), INK, box_of_circle(cx, cy, r * 0.10))


def logo(width, height):
    """Gauge on the left, "ZEL" over "HART" on the right, on a light card."""
    c = Canvas(width, height)
    c.fill(rounded_rect(0, 0, width, height, 8), rgb("#f1f5f9"))
    c.fill(rect(0, height - 5, width, height - 2), INK)
    r = (height - 14) / 2.0
    gauge(c, 8 + r, 5 + r, r)
    scale = 3 if width - (2 * r + 16) >= text_width("HART", 3) + 8 else 2
    right = 2 * r + 16
    x = right + ((width - right) - text_width("HART", scale)) / 2.0
    line = 7 * scale
    top = (height - 5 - (2 * line + scale * 2)) / 2.0
    draw_text(c, "ZEL", int(x), int(top), scale, INK)
    draw_text(c, "HART", int(x), int(top + line + scale * 2), scale, ACCENT)
    return c


def seven_segment_digit(c, x, y, w, h, colour):
    """An "8." in seven segments: the module's four-character read-out."""
    t = max(2.0, w * 0.22)
    g = t * 0.3  # the small gap between neighbouring segments
    mid = y + h / 2.0
    segments = [
        (x + t + g, y, x + w - t - g, y + t), (x + t + g, mid - t / 2, x + w - t - g, mid + t / 2),
        (x + t + g, y + h - t, x + w - t - g, y + h),
        (x, y + t + g, x + t, mid - t / 2 - g), (x + w - t, y + t + g, x + w, mid - t / 2 - g),
        (x, mid + t / 2 + g, x + t, y + h - t - g), (x + w - t, mid + t / 2 + g, x + w, y + h - t - g),
    ]
    for x0, y0, x1, y1 in segments:
        c.fill(rounded_rect(x0, y0, x1, y1, t / 2.5), colour, (x0, y0, x1, y1))
    c.fill(disc(x + w + t * 0.9, y + h - t / 2, t / 2), colour, box_of_circle(x + w + t, y + h, t))


def maker_logo(width=248, height=82):
    """The display module as a mark: a dark read-out with four green digits,
    beside the block letters "ZEL-HART"."""
    c = Canvas(width, height)
    c.fill(rounded_rect(0, 0, width, height, 10), rgb("#f8fafc"))
    c.fill(rounded_rect(6, 8, 118, 74, 7), INK)
    c.fill(rounded_rect(12, 14, 112, 68, 4), rgb("#050a0f"))
    for i in range(4):
        seven_segment_digit(c, 19 + i * 23, 22, 16, 38, rgb("#22c55e"))
    text = "ZEL-HART"
    scale = 2
    x = 118 + (width - 118 - text_width(text, scale)) // 2
    draw_text(c, text, x, 26, scale, INK)
    c.fill(rect(x, 48, x + text_width(text, scale), 51), ACCENT)
    return c


def app_icon(size=32):
    c = Canvas(size, size)
    gauge(c, size / 2.0, size / 2.0, size / 2.0 - 0.5, value=0.7, ticks=6)
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "Images")
    os.makedirs(out, exist_ok=True)
    pictures = {
        "lamp_off.png": lamp("#9aa0a6"),
        "lamp_green.png": lamp("#1fbf3f"),
        "lamp_red.png": lamp("#e02424"),
        "logo.png": logo(160, 90),
        "maker_logo.png": maker_logo(),
        "logo_en.png": logo(180, 91),
        "app_icon.png": app_icon(),
    }
    for name, canvas in pictures.items():
        path = os.path.join(out, name)
        canvas.save(path)
        print("%s %dx%d %d bytes" % (name, canvas.w, canvas.h, os.path.getsize(path)))


if __name__ == "__main__":
    main()
