# SPDX-License-Identifier: GPL-3.0-or-later
"""A decorative recycle bin for the clearing window: 64 x 64 pixels on a
transparent background.  A light grey-blue bin with a lid and ribs, and
three green chasing arrows on its front."""

import math

from draw import (Canvas, clamp, hexcolour, mix, ramp, sd_arc, sd_box,
                  sd_polygon, sd_segment)

SIZE = 64
OUTLINE = hexcolour('#3b4a5a')
BIN = [(0.0, hexcolour('#f3f6f9')), (1.0, hexcolour('#aebccb'))]
LID = [(0.0, hexcolour('#ffffff')), (1.0, hexcolour('#c3cfdb'))]
RIB = hexcolour('#8a9aab')
ARROW = hexcolour('#2f9a4a')
SHADOW = (0, 0, 0)


def lerp_h(x, x0, x1):
    return clamp((x - x0) / (x1 - x0))


def render(path, scale=1):
    cv = Canvas(SIZE, SIZE, scale=scale)

    # Shadow on the floor.
    cv.shade((8, 54, 56, 64), lambda x, y: math.hypot((x - 32) / 22.0, (y - 59.5) / 3.2) * 3.2 - 3.2,
             lambda x, y, d: (SHADOW, 0.25 * clamp(-d / 3.2)), grow=0)

    # Body: a trapezoid, slightly rounded, outlined.
    body = [(13.5, 19.0), (50.5, 19.0), (46.5, 58.0), (17.5, 58.0)]
    cv.fill((12, 18, 52, 59), lambda x, y: sd_polygon(x, y, body) - 1.0, OUTLINE)

    def body_shader(x, y, d):
        # Lit from the left: a cylinder-like shading across the width.
        t = lerp_h(x, 14, 50)
        c = ramp([(0.0, hexcolour('#dde5ee')), (0.3, hexcolour('#f6f9fb')),
                  (1.0, hexcolour('#9fb0c2'))], t)
        return mix(c, hexcolour('#8d9eb0'), 0.25 * clamp((y - 20) / 38.0))

    cv.shade((14, 19, 50, 58), lambda x, y: sd_polygon(x, y, body) + 0.6, body_shader)

    # Ribs down the sides.
    for xt, xb in ((19.5, 21.5), (44.5, 42.5)):
        cv.fill((17, 22, 47, 55), lambda x, y, xt=xt, xb=xb: sd_segment(x, y, xt, 24, xb, 53, 1.6), RIB)

    # Three chasing arrows on the front.
    cx, cy, r = 32.0, 38.5, 8.0
    for k in range(3):
        a0 = math.radians(-90 + k * 120 + 14)
        a1 = a0 + math.radians(78)
        cv.fill((cx - 12, cy - 12, cx + 12, cy + 12),
                lambda x, y, a0=a0, a1=a1: sd_arc(x, y, cx, cy, r, a0, a1, 2.6), ARROW)
        # Arrow head at the end of the arc, pointing along it.
        ex, ey = cx + r * math.cos(a1), cy + r * math.sin(a1)
        tx, ty = -math.sin(a1), math.cos(a1)      # tangent, direction of travel
        nx, ny = math.cos(a1), math.sin(a1)       # outward normal
        tip = (ex + tx * 4.2, ey + ty * 4.2)
        head = [tip, (ex + nx * 3.6, ey + ny * 3.6), (ex - nx * 3.6, ey - ny * 3.6)]
        cv.fill((cx - 14, cy - 14, cx + 14, cy + 14), lambda x, y, h=head: sd_polygon(x, y, h), ARROW)

    # Lid and handle.
    cv.fill((23, 7, 41, 15), lambda x, y: max(sd_box(x, y, 24.0, 7.5, 40.0, 16.0, 3.0),
                                              -sd_box(x, y, 26.6, 10.1, 37.4, 17.0, 1.0)), OUTLINE)
    lid = (9.0, 13.0, 55.0, 20.5)
    cv.fill(lid, lambda x, y: sd_box(x, y, *lid, 2.5), OUTLINE)
    inner = (10.2, 14.2, 53.8, 19.3)
    cv.shade(inner, lambda x, y: sd_box(x, y, *inner, 1.6),
             lambda x, y, d: ramp(LID, clamp((y - 14.2) / 5.1)))

    cv.write_pam(path)


if __name__ == '__main__':
    import sys
    render(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1)
