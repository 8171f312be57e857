# SPDX-License-Identifier: GPL-3.0-or-later
"""A very small deterministic rasteriser for Numbelle's pictures.

Shapes are signed distance functions in pixel units (negative inside); a
shape's coverage of a pixel is clamp(0.5 - d), which gives one pixel of
anti-aliasing.  Colours are (r, g, b) in 0..255 plus an alpha in 0..1.  The
canvas keeps premultiplied floats; writing quantises with round(), so the
same input always gives the same bytes.

Only the Python standard library is used.
"""

import math


# ---------------------------------------------------------------- helpers

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    """Linear mix of two colours (tuples) at t in 0..1."""
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hexcolour(s):
    s = s.lstrip('#')
    return (int(s[0:2], 16), int(s[2:4], 16), int(s[4:6], 16))


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def ramp(stops, t):
    """Colour at t in a list of (position, colour) stops."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0) if p1 > p0 else 1.0)
    return stops[-1][1]


def hash01(*ints):
    """A fixed integer hash mapped to 0..1; the pictures' only noise source."""
    h = 2166136261
    for v in ints:
        v &= 0xFFFFFFFF
        for _ in range(4):
            h ^= v & 0xFF
            h = (h * 16777619) & 0xFFFFFFFF
            v >>= 8
    h ^= h >> 15
    h = (h * 0x2C1B3C6D) & 0xFFFFFFFF
    h ^= h >> 12
    return h / 4294967295.0


# ------------------------------------------------------ signed distances

def sd_box(x, y, x0, y0, x1, y1, r=0.0):
    """Rounded rectangle with corners (x0,y0)-(x1,y1) and corner radius r."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - r


def sd_circle(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def sd_segment(x, y, ax, ay, bx, by, w):
    """A stroke of width w with round caps from (ax,ay) to (bx,by)."""
    px, py = x - ax, y - ay
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = clamp((px * dx + py * dy) / ll) if ll else 0.0
    return math.hypot(px - dx * t, py - dy * t) - w / 2


def sd_arc(x, y, cx, cy, r, a0, a1, w):
    """A stroke of width w with round caps along the circle (cx,cy,r) from
    angle a0 to a1 (radians, a0 < a1; with y pointing down, growing angles
    turn clockwise on screen)."""
    px, py = x - cx, y - cy
    a = math.atan2(py, px)
    mid = (a0 + a1) / 2
    rel = (a - mid + math.pi) % (2 * math.pi) - math.pi
    if abs(rel) <= (a1 - a0) / 2:
        return abs(math.hypot(px, py) - r) - w / 2
    e0 = (cx + r * math.cos(a0), cy + r * math.sin(a0))
    e1 = (cx + r * math.cos(a1), cy + r * math.sin(a1))
    d = min(math.hypot(x - e0[0], y - e0[1]), math.hypot(x - e1[0], y - e1[1]))
    return d - w / 2


def sd_polygon(x, y, pts):
    """A closed polygon (any shape; even-odd inside test)."""
    d = float('inf')
    inside = False
    n = len(pts)
    for i in range(n):
        ax, ay = pts[i]
        bx, by = pts[(i + 1) % n]
        dx, dy = bx - ax, by - ay
        px, py = x - ax, y - ay
        ll = dx * dx + dy * dy
        t = clamp((px * dx + py * dy) / ll) if ll else 0.0
        d = min(d, math.hypot(px - dx * t, py - dy * t))
        if (ay > y) != (by > y) and x < ax + (y - ay) * dx / dy:
            inside = not inside
    return -d if inside else d


# ----------------------------------------------------------------- canvas

class Canvas:
    """A picture of width x height units, stored at `scale` pixels per unit.

    Shapes, boxes and shaders always work in units, so the same drawing code
    renders the same picture at twice the size (scale 2) for screens with
    more device pixels: every edge is still one device pixel soft.  At scale
    1 a unit is a pixel."""

    def __init__(self, width, height, background=None, scale=1):
        self.s = scale
        width, height = int(round(width * scale)), int(round(height * scale))
        self.w, self.h = width, height
        n = width * height
        if background is None:
            self.r = [0.0] * n
            self.g = [0.0] * n
            self.b = [0.0] * n
            self.a = [0.0] * n
        else:
            r, g, b = background
            self.r = [r / 255.0] * n
            self.g = [g / 255.0] * n
            self.b = [b / 255.0] * n
            self.a = [1.0] * n

    def blend(self, i, col, alpha):
        """Paint colour col (0..255) with alpha over pixel i."""
        if alpha <= 0.0:
            return
        if alpha > 1.0:
            alpha = 1.0
        k = 1.0 - alpha
        self.r[i] = col[0] / 255.0 * alpha + self.r[i] * k
        self.g[i] = col[1] / 255.0 * alpha + self.g[i] * k
        self.b[i] = col[2] / 255.0 * alpha + self.b[i] * k
        self.a[i] = alpha + self.a[i] * k

    def shade(self, box, sdf, shader, grow=1):
        """Fill a shape.

        box     (x0, y0, x1, y1): the region to visit, in units
        sdf     f(x, y) -> signed distance (units) at the pixel centre
        shader  f(x, y, d) -> (colour, alpha) or a plain colour
        """
        k = self.s
        x0, y0, x1, y1 = (v * k for v in box)
        x0 = max(0, int(math.floor(x0)) - grow)
        y0 = max(0, int(math.floor(y0)) - grow)
        x1 = min(self.w, int(math.ceil(x1)) + grow)
        y1 = min(self.h, int(math.ceil(y1)) + grow)
        for py in range(y0, y1):
            y = (py + 0.5) / k
            row = py * self.w
            for px in range(x0, x1):
                x = (px + 0.5) / k
                d = sdf(x, y)
                cover = 0.5 - d * k
                if cover <= 0.0:
                    continue
                if cover > 1.0:
                    cover = 1.0
                s = shader(x, y, d) if callable(shader) else shader
                if s is None:
                    continue
                if len(s) == 2 and isinstance(s[0], tuple):
                    col, alpha = s
                else:
                    col, alpha = s, 1.0
                self.blend(row + px, col, alpha * cover)

    def fill(self, box, sdf, colour, alpha=1.0):
        self.shade(box, sdf, (tuple(colour), alpha))

    # -------------------------------------------------------------- output

    def _bytes(self, with_alpha, background=None):
        out = bytearray()
        for i in range(self.w * self.h):
            a = self.a[i]
            r, g, b = self.r[i], self.g[i], self.b[i]
            if with_alpha:
                if a > 0.0:
                    r, g, b = r / a, g / a, b / a
                else:
                    r = g = b = 0.0
                out += bytes((q(r), q(g), q(b), q(a)))
            else:
                if background is not None and a < 1.0:
                    k = 1.0 - a
                    r += background[0] / 255.0 * k
                    g += background[1] / 255.0 * k
                    b += background[2] / 255.0 * k
                out += bytes((q(r), q(g), q(b)))
        return bytes(out)

    def write_ppm(self, path, background=(0, 0, 0)):
        with open(path, 'wb') as f:
            f.write(b'P6\n%d %d\n255\n' % (self.w, self.h))
            f.write(self._bytes(False, background))

    def write_pam(self, path):
        with open(path, 'wb') as f:
            f.write(b'P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\n'
                    b'TUPLTYPE RGB_ALPHA\nENDHDR\n' % (self.w, self.h))
            f.write(self._bytes(True))


def q(v):
    v = int(round(v * 255.0))
    return 0 if v < 0 else 255 if v > 255 else v
