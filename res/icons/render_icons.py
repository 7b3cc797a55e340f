#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files beside this script.

Every icon is built from a few geometric shapes on a 16-unit design grid and
rasterised with 4 x 4 supersampling, so edges are anti-aliased at any size.
The .ico files are committed; the build never runs this script.

    python3 res/icons/render_icons.py [output-folder]
"""
import math
import os
import struct
import sys

SUPERSAMPLE = 4
DESIGN = 16.0  # every shape is given in 0..16 design units

# Palette (RGB); shared with the popup's own colours where they meet.
GREY = (87, 87, 87)
LIGHT_GREY = (150, 150, 150)
BLUE = (0, 102, 204)
DARK_BLUE = (22, 74, 140)
HOVER_DISC = (218, 235, 255)
HOVER_RING = (132, 172, 221)
GREEN = (46, 160, 67)
DARK_GREEN = (27, 110, 43)
RED = (214, 48, 49)
DARK_RED = (150, 25, 25)
AMBER = (240, 170, 20)
DARK_AMBER = (170, 110, 0)
GOLD = (255, 200, 40)
DARK_GOLD = (196, 130, 0)
WHITE = (255, 255, 255)


# ---- Shapes: predicates over design coordinates ---------------------------

def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in, start_deg=None, end_deg=None):
    """Annulus, optionally only the arc from start to end (degrees, clockwise
    on screen, 0 = pointing right)."""
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not (r_in * r_in <= d2 <= r_out * r_out):
            return False
        if start_deg is None:
            return True
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360.0
        s, e = start_deg % 360.0, end_deg % 360.0
        return s <= a <= e if s <= e else (a >= s or a <= e)
    return inside


def polygon(points):
    """Even-odd fill of a closed polygon."""
    def inside(x, y):
        result = False
        n = len(points)
        for i in range(n):
            x0, y0 = points[i]
            x1, y1 = points[(i + 1) % n]
            if (y0 > y) != (y1 > y):
                cross = x0 + (y - y0) * (x1 - x0) / (y1 - y0)
                if x < cross:
                    result = not result
        return result
    return inside


def segment(x0, y0, x1, y1, width):
    """A stroke with round caps."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    half = width / 2.0

    def inside(x, y):
        t = 0.0 if length2 == 0 else ((x - x0) * dx + (y - y0) * dy) / length2
        t = max(0.0, min(1.0, t))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return inside


def polyline(points, width, closed=False):
    pairs = list(zip(points, points[1:]))
    if closed:
        pairs.append((points[-1], points[0]))
    parts = [segment(a[0], a[1], b[0], b[1], width) for a, b in pairs]
    return union(*parts)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def difference(shape, *holes):
    return lambda x, y: shape(x, y) and not any(h(x, y) for h in holes)


def star_points(cx, cy, r_out, r_in):
    points = []
    for i in range(10):
        r = r_out if i % 2 == 0 else r_in
        a = math.radians(-90 + i * 36)
        points.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return points


# ---- Raster ----------------------------------------------------------------

class Canvas:
    """Straight-alpha RGBA pixels; shapes are composited source-over."""

    def __init__(self, size):
        self.size = size
        self.pixels = [[(0.0, 0.0, 0.0, 0.0)] * size for _ in range(size)]

    def fill(self, shape, rgb, opacity=1.0):
        n = SUPERSAMPLE
        scale = DESIGN / self.size
        for py in range(self.size):
            row = self.pixels[py]
            for px in range(self.size):
                hits = 0
                for sy in range(n):
                    y = (py + (sy + 0.5) / n) * scale
                    for sx in range(n):
                        if shape((px + (sx + 0.5) / n) * scale, y):
                            hits += 1
                if hits:
                    row[px] = over(row[px], rgb, opacity * hits / (n * n))


def over(dst, rgb, alpha):
    dr, dg, db, da = dst
    out_a = alpha + da * (1.0 - alpha)
    if out_a <= 0.0:
        return (0.0, 0.0, 0.0, 0.0)
    mix = [(c * alpha + d * da * (1.0 - alpha)) / out_a
           for c, d in zip(rgb, (dr, dg, db))]
    return (mix[0], mix[1], mix[2], out_a)


def ico_bytes(canvases):
    """An .ico file holding one 32-bit BGRA image (with AND mask) per canvas."""
    images = []
    for canvas in canvases:
        size = canvas.size
        header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        color = bytearray()
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(canvas.pixels):  # bottom-up
            bits = bytearray(mask_stride)
            for x, (r, g, b, a) in enumerate(row):
                a8 = int(round(a * 255))
                color += bytes((clamp8(b), clamp8(g), clamp8(r), a8))
                if a8 == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        images.append((size, header + bytes(color) + bytes(mask)))

    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def clamp8(value):
    return max(0, min(255, int(round(value))))


# ---- The icons -------------------------------------------------------------

def draw_app(c):
    # A server cabinet holding two machines, each with a green status light.
    c.fill(rounded_rect(1.0, 1.0, 15.0, 15.0, 3.0), DARK_BLUE)
    c.fill(rounded_rect(1.8, 1.8, 14.2, 14.2, 2.3), BLUE)
    for top in (4.0, 9.0):
        c.fill(rounded_rect(3.5, top, 12.5, top + 3.0, 0.8), WHITE)
        c.fill(circle(10.6, top + 1.5, 0.9), GREEN)
        c.fill(segment(5.0, top + 1.5, 8.0, top + 1.5, 1.0), LIGHT_GREY)


def draw_magnifier(c):
    c.fill(ring(6.5, 6.5, 5.0, 3.4), GREY)
    c.fill(circle(6.5, 6.5, 3.4), WHITE, 0.6)
    c.fill(segment(10.2, 10.2, 14.0, 14.0, 2.6), GREY)


def chevron(c, pointing_down, hover):
    if hover:
        c.fill(circle(8.0, 8.0, 7.5), HOVER_RING)
        c.fill(circle(8.0, 8.0, 6.6), HOVER_DISC)
    colour = BLUE if hover else GREY
    if pointing_down:
        points = [(4.5, 6.5), (8.0, 10.0), (11.5, 6.5)]
    else:
        points = [(4.5, 9.5), (8.0, 6.0), (11.5, 9.5)]
    c.fill(polyline(points, 1.9), colour)


def draw_star_on(c):
    points = star_points(8.0, 8.4, 7.2, 3.0)
    c.fill(polyline(points, 1.3, closed=True), DARK_GOLD)
    c.fill(polygon(points), GOLD)


def draw_star_off(c):
    points = star_points(8.0, 8.4, 7.0, 2.9)
    c.fill(polygon(points), WHITE)
    c.fill(polyline(points, 1.1, closed=True), LIGHT_GREY)


def draw_power_on(c):
    points = [(4.0, 2.0), (14.0, 8.0), (4.0, 14.0)]
    c.fill(polyline(points, 1.6, closed=True), DARK_GREEN)
    c.fill(polygon(points), GREEN)


def draw_power_off(c):
    c.fill(rounded_rect(2.5, 2.5, 13.5, 13.5, 1.2), DARK_RED)
    c.fill(rounded_rect(3.5, 3.5, 12.5, 12.5, 0.6), RED)


def draw_suspend(c):
    for left in (3.0, 9.5):
        c.fill(rounded_rect(left, 2.5, left + 3.5, 13.5, 0.9), DARK_AMBER)
        c.fill(rounded_rect(left + 0.8, 3.3, left + 2.7, 12.7, 0.4), AMBER)


def circular_arrow(c, colour, start_deg, end_deg, head_deg, clockwise=True, radius=5.0):
    """An arc around the centre with an arrow head at head_deg."""
    c.fill(ring(8.0, 8.0, radius + 1.0, radius - 1.0, start_deg, end_deg), colour)
    a = math.radians(head_deg)
    px, py = 8.0 + radius * math.cos(a), 8.0 + radius * math.sin(a)
    # Tangent of a clockwise (on screen) motion at that angle.
    tx, ty = -math.sin(a), math.cos(a)
    if not clockwise:
        tx, ty = -tx, -ty
    nx, ny = math.cos(a), math.sin(a)
    tip = (px + tx * 2.9, py + ty * 2.9)
    outer = (px + nx * 2.7, py + ny * 2.7)
    inner = (px - nx * 2.7, py - ny * 2.7)
    c.fill(polygon([tip, outer, inner]), colour)


def draw_reset(c):
    circular_arrow(c, BLUE, 320, 250, 250, radius=4.8)


def draw_refresh(c, hover):
    colour = BLUE if hover else GREY
    circular_arrow(c, colour, 195, 335, 335, radius=4.6)
    circular_arrow(c, colour, 15, 155, 155, radius=4.6)


def draw_remove(c, hover):
    colour = RED if hover else GREY
    c.fill(segment(4.0, 4.0, 12.0, 12.0, 2.2), colour)
    c.fill(segment(12.0, 4.0, 4.0, 12.0, 2.2), colour)


ICONS = {
    # file name: (sizes, painter)
    # The program icon at each small-icon size Windows asks for (100% to 200%) and 48.
    'app.ico': ((16, 20, 24, 32, 48), draw_app),
    'search.ico': ((16,), draw_magnifier),
    'collapsed_hover.ico': ((16,), lambda c: chevron(c, True, True)),
    'collapsed.ico': ((16,), lambda c: chevron(c, True, False)),
    'expanded_hover.ico': ((16,), lambda c: chevron(c, False, True)),
    'expanded.ico': ((16,), lambda c: chevron(c, False, False)),
    'star_on.ico': ((16,), draw_star_on),
    'star_off.ico': ((16,), draw_star_off),
    'power_on.ico': ((16,), draw_power_on),
    'power_off.ico': ((16,), draw_power_off),
    'reset.ico': ((16,), draw_reset),
    'suspend.ico': ((16,), draw_suspend),
    'refresh_hover.ico': ((16,), lambda c: draw_refresh(c, True)),
    'refresh.ico': ((16,), lambda c: draw_refresh(c, False)),
    'remove_hover.ico': ((16,), lambda c: draw_remove(c, True)),
    'remove.ico': ((16,), lambda c: draw_remove(c, False)),
}


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(folder, exist_ok=True)
    for name, (sizes, paint) in ICONS.items():
        canvases = []
        for size in sizes:
            canvas = Canvas(size)
            paint(canvas)
            canvases.append(canvas)
        with open(os.path.join(folder, name), 'wb') as f:
            f.write(ico_bytes(canvases))
    print('wrote %d icons to %s' % (len(ICONS), folder))


if __name__ == '__main__':
    main()
