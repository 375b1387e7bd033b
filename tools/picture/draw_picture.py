#!/usr/bin/env python3
"""Draws the installer window's picture: a globe above a green arrow that points
down into a disk drive, 184 x 250 pixels, 8-bit RGBA with a transparent
background, written as a PNG with nothing but the standard library (zlib).

Every shape is a coverage test on a 4 x 4 grid of samples per pixel; layers are
composited back to front with premultiplied alpha and averaged down. The output
is deterministic, so running the script again reproduces the committed file
byte for byte:

    tools/picture/draw_picture.py src/installer/resources/picture.png
"""

import math
import struct
import sys
import zlib

WIDTH, HEIGHT = 184, 250
SS = 4  # samples per pixel along each axis


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hexcolour(h):
    return tuple(int(h[i:i + 2], 16) / 255.0 for i in (0, 2, 4))


class Canvas:
    """A premultiplied RGBA sample buffer of WIDTH*SS x HEIGHT*SS samples."""

    def __init__(self):
        self.w, self.h = WIDTH * SS, HEIGHT * SS
        self.r = [0.0] * (self.w * self.h)
        self.g = [0.0] * (self.w * self.h)
        self.b = [0.0] * (self.w * self.h)
        self.a = [0.0] * (self.w * self.h)

    def layer(self, box, shade):
        """Composites shade(x, y) -> (r, g, b, a) or None over the samples of box
        (x0, y0, x1, y1 in pixels); x and y are sample centres in pixels."""
        x0, y0, x1, y1 = box
        sx0, sy0 = max(0, int(x0 * SS)), max(0, int(y0 * SS))
        sx1, sy1 = min(self.w, int(math.ceil(x1 * SS))), min(self.h, int(math.ceil(y1 * SS)))
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / SS
            row = sy * self.w
            for sx in range(sx0, sx1):
                c = shade((sx + 0.5) / SS, y)
                if c is None:
                    continue
                r, g, b, a = c
                if a <= 0.0:
                    continue
                i = row + sx
                k = 1.0 - a
                self.r[i] = r * a + self.r[i] * k
                self.g[i] = g * a + self.g[i] * k
                self.b[i] = b * a + self.b[i] * k
                self.a[i] = a + self.a[i] * k

    def pixels(self):
        """Averages the samples down to straight-alpha 8-bit RGBA rows."""
        rows = []
        n = SS * SS
        for py in range(HEIGHT):
            row = bytearray()
            for px in range(WIDTH):
                r = g = b = a = 0.0
                for dy in range(SS):
                    base = (py * SS + dy) * self.w + px * SS
                    for dx in range(SS):
                        i = base + dx
                        r += self.r[i]
                        g += self.g[i]
                        b += self.b[i]
                        a += self.a[i]
                a /= n
                if a > 0.0:
                    r, g, b = r / n / a, g / n / a, b / n / a
                row += bytes(int(round(clamp(v) * 255)) for v in (r, g, b, a))
            rows.append(bytes(row))
        return rows


def write_png(path, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + row for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# --- shapes -------------------------------------------------------------------

def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = clamp(x, left + radius, right - radius)
    cy = clamp(y, top + radius, bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def in_polygon(x, y, points):
    inside = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


# --- the globe ----------------------------------------------------------------

GLOBE_X, GLOBE_Y, GLOBE_R = 92.0, 60.0, 54.0
OCEAN_LIGHT, OCEAN_DARK = hexcolour("6fc3ff"), hexcolour("0b3f8f")
LAND_LIGHT, LAND_DARK = hexcolour("9ee06a"), hexcolour("2f7a22")
GRID = hexcolour("e8f4ff")
TILT = math.radians(-18.0)  # the axis leans a little to the left

# Continents as blobs on the sphere: (longitude, latitude, radius) in degrees.
CONTINENTS = [
    (-20, 48, 20), (-5, 40, 14), (10, 52, 16), (25, 45, 18), (40, 55, 15),
    (15, 10, 17), (22, -8, 16), (28, -25, 11), (5, 25, 12),
    (-75, 45, 18), (-95, 30, 13), (-60, 60, 14), (-62, -10, 15), (-58, -30, 10),
    (70, 30, 14), (95, 45, 18), (120, 35, 12),
]


def sphere_point(x, y):
    """Unit-sphere coordinates of the visible point under (x, y), or None."""
    u = (x - GLOBE_X) / GLOBE_R
    v = (y - GLOBE_Y) / GLOBE_R
    d = u * u + v * v
    if d > 1.0:
        return None
    w = math.sqrt(1.0 - d)
    # Undo the tilt of the axis (a rotation in the picture plane).
    c, s = math.cos(TILT), math.sin(TILT)
    return u * c - v * s, u * s + v * c, w


def globe(x, y):
    p = sphere_point(x, y)
    if p is None:
        return None
    px, py, pz = p
    lat = math.degrees(math.asin(clamp(-py, -1.0, 1.0)))
    lon = math.degrees(math.atan2(px, pz)) + 10.0
    # Light from the upper left.
    light = clamp(0.25 + 0.75 * (-0.45 * px - 0.55 * py + 0.70 * pz))
    colour = mix(OCEAN_DARK, OCEAN_LIGHT, light)
    land = 0.0
    for clon, clat, rad in CONTINENTS:
        dlon = (lon - clon + 180.0) % 360.0 - 180.0
        dist = math.hypot(dlon * math.cos(math.radians(lat)), lat - clat)
        # A wavy edge so the blobs do not look like circles.
        edge = rad * (1.0 + 0.18 * math.sin(3.0 * math.radians(lon) + clat)
                      + 0.12 * math.cos(5.0 * math.radians(lat) + clon))
        land = max(land, clamp((edge - dist) / 2.0))
    if land > 0.0:
        colour = mix(colour, mix(LAND_DARK, LAND_LIGHT, light), land)
    # Meridians every 30 degrees and parallels every 30 degrees, faint.
    lon_line = abs(((lon + 15.0) % 30.0) - 15.0)
    lat_line = abs(((lat + 15.0) % 30.0) - 15.0)
    grid = max(clamp(1.0 - lon_line / 0.9) * pz, clamp(1.0 - lat_line / 0.9))
    colour = mix(colour, GRID, 0.35 * grid)
    # Highlight and a dark rim for depth.
    hx, hy = x - (GLOBE_X - 20), y - (GLOBE_Y - 22)
    highlight = clamp(1.0 - math.hypot(hx, hy) / 26.0) ** 2
    colour = mix(colour, (1.0, 1.0, 1.0), 0.55 * highlight)
    rim = clamp((math.hypot(x - GLOBE_X, y - GLOBE_Y) - (GLOBE_R - 1.6)) / 1.6)
    colour = mix(colour, hexcolour("06224f"), rim)
    return colour + (1.0,)


def globe_shadow(x, y):
    # A soft halo below the globe.
    d = math.hypot((x - GLOBE_X) / 1.0, (y - GLOBE_Y - 3) / 1.0) - GLOBE_R
    if d > 6.0 or d < 0:
        return None
    return (0.0, 0.1, 0.25, 0.25 * (1.0 - d / 6.0))


# --- the drive ----------------------------------------------------------------

DRIVE_LEFT, DRIVE_RIGHT = 14.0, 170.0
TOP_FACE = [(34.0, 178.0), (150.0, 178.0), (170.0, 200.0), (14.0, 200.0)]
FRONT_TOP, FRONT_BOTTOM = 200.0, 236.0
METAL_LIGHT, METAL_DARK = hexcolour("eef1f4"), hexcolour("8d96a0")


def drive_shadow(x, y):
    dx = (x - 92.0) / 86.0
    dy = (y - 240.0) / 8.0
    d = dx * dx + dy * dy
    if d > 1.0:
        return None
    return (0.0, 0.0, 0.0, 0.30 * (1.0 - d))


def drive_top(x, y):
    if not in_polygon(x, y, TOP_FACE):
        return None
    t = (y - 178.0) / 22.0
    colour = mix(METAL_LIGHT, hexcolour("c9d0d7"), t)
    # The slot in the top face that the arrow points into.
    if in_polygon(x, y, [(62.0, 186.0), (122.0, 186.0), (126.0, 192.0), (58.0, 192.0)]):
        colour = mix(hexcolour("1b1f24"), hexcolour("3a4048"), (y - 186.0) / 6.0)
    return colour + (1.0,)


def drive_front(x, y):
    if not in_rounded_rect(x, y, DRIVE_LEFT, FRONT_TOP - 2.0, DRIVE_RIGHT, FRONT_BOTTOM, 4.0):
        return None
    if y < FRONT_TOP:
        return None
    t = (y - FRONT_TOP) / (FRONT_BOTTOM - FRONT_TOP)
    colour = mix(hexcolour("b7c0c9"), METAL_DARK, t)
    # An edge of light along the top of the front face.
    if y < FRONT_TOP + 1.2:
        colour = mix(colour, (1.0, 1.0, 1.0), 0.6)
    # A dark bezel with a drive bay in it.
    if in_rounded_rect(x, y, 26.0, 208.0, 130.0, 226.0, 3.0):
        colour = mix(hexcolour("4a525c"), hexcolour("2a3038"), (y - 208.0) / 18.0)
        if 30.0 <= x <= 126.0 and 216.0 <= y <= 218.5:
            colour = hexcolour("101316")
    # The activity light, glowing green, and a button.
    led = math.hypot(x - 146.0, y - 212.0)
    if led < 3.2:
        colour = mix(hexcolour("3cff5a"), hexcolour("0f9d2a"), led / 3.2)
    elif led < 6.0:
        colour = mix(colour, hexcolour("3cff5a"), 0.35 * (1.0 - (led - 3.2) / 2.8))
    if in_rounded_rect(x, y, 138.0, 220.0, 158.0, 226.0, 2.0):
        colour = mix(hexcolour("d5dbe1"), hexcolour("7d8690"), (y - 220.0) / 6.0)
    # Outline.
    edge = min(x - DRIVE_LEFT, DRIVE_RIGHT - x, FRONT_BOTTOM - y)
    if edge < 1.0:
        colour = mix(colour, hexcolour("59616b"), 1.0 - edge)
    return colour + (1.0,)


def drive_outline(x, y):
    # A thin dark line around the top face.
    if not in_polygon(x, y, TOP_FACE):
        return None
    inner = [(35.2, 179.0), (149.0, 179.0), (167.8, 199.4), (16.2, 199.4)]
    if in_polygon(x, y, inner):
        return None
    return hexcolour("6b737d") + (1.0,)


# --- the arrow ----------------------------------------------------------------

ARROW = [
    (78.0, 112.0), (106.0, 112.0), (106.0, 148.0), (128.0, 148.0),
    (92.0, 188.0), (56.0, 148.0), (78.0, 148.0),
]
ARROW_INNER = [
    (80.5, 114.5), (103.5, 114.5), (103.5, 150.5), (122.5, 150.5),
    (92.0, 184.3), (61.5, 150.5), (80.5, 150.5),
]
GREEN_LIGHT, GREEN_DARK = hexcolour("8af06a"), hexcolour("1c8a2c")


def arrow(x, y):
    if not in_polygon(x, y, ARROW):
        return None
    if not in_polygon(x, y, ARROW_INNER):
        return hexcolour("0f5a1c") + (1.0,)
    # Lit from the left, darker towards the tip.
    t = clamp((x - 56.0) / 72.0)
    colour = mix(GREEN_LIGHT, GREEN_DARK, 0.25 + 0.6 * t)
    colour = mix(colour, GREEN_DARK, clamp((y - 112.0) / 76.0) * 0.35)
    if 82.0 <= x <= 88.0 and 116.0 <= y <= 150.0:
        colour = mix(colour, (1.0, 1.0, 1.0), 0.30)
    return colour + (1.0,)


def arrow_shadow(x, y):
    if not in_polygon(x - 3.0, y - 3.0, ARROW):
        return None
    return (0.0, 0.15, 0.0, 0.28)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_picture.py OUTPUT.png")
    canvas = Canvas()
    canvas.layer((0, 228, WIDTH, HEIGHT), drive_shadow)
    canvas.layer((10, 176, 174, 240), drive_front)
    canvas.layer((10, 176, 174, 202), drive_top)
    canvas.layer((10, 176, 174, 202), drive_outline)
    canvas.layer((GLOBE_X - GLOBE_R - 8, GLOBE_Y - GLOBE_R - 8,
                  GLOBE_X + GLOBE_R + 8, GLOBE_Y + GLOBE_R + 10), globe_shadow)
    canvas.layer((GLOBE_X - GLOBE_R - 1, GLOBE_Y - GLOBE_R - 1,
                  GLOBE_X + GLOBE_R + 1, GLOBE_Y + GLOBE_R + 1), globe)
    canvas.layer((54, 110, 134, 194), arrow_shadow)
    canvas.layer((54, 110, 134, 190), arrow)
    write_png(sys.argv[1], canvas.pixels())


if __name__ == "__main__":
    main()
