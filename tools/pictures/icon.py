# SPDX-License-Identifier: GPL-3.0-or-later
"""The application icon: a slate-blue calculator with a light display and
keys, and an orange badge carrying a speaker with sound waves.  Drawn in a
256-unit square and rendered at any size on a transparent background."""

import math

from draw import (Canvas, clamp, hexcolour, mix, ramp, sd_arc, sd_box,
                  sd_circle, sd_polygon, smoothstep)

BODY = [(0.0, hexcolour('#4a6a8e')), (1.0, hexcolour('#22354b'))]
EDGE = hexcolour('#16212e')
LCD = [(0.0, hexcolour('#e6f3f4')), (1.0, hexcolour('#bcd8dc'))]
LCD_INK = hexcolour('#2b4a55')
KEY = [(0.0, hexcolour('#fbfdff')), (1.0, hexcolour('#cfd8e2'))]
OP = [(0.0, hexcolour('#f6a04d')), (1.0, hexcolour('#d9711c'))]
BADGE = [(0.0, hexcolour('#f7a24e')), (1.0, hexcolour('#d5661a'))]
WHITE = (255, 255, 255)
SHADOW = (0, 0, 0)


def render(path, size):
    s = size / 256.0
    cv = Canvas(size, size)

    def S(v):
        return v * s

    def box(x0, y0, x1, y1, r):
        return (S(x0), S(y0), S(x1), S(y1), S(r))

    def rbox(b):
        return lambda x, y: sd_box(x, y, *b)

    def vgrad(stops, y0, y1):
        return lambda x, y, d: ramp(stops, clamp((y - S(y0)) / (S(y1) - S(y0))))

    # Soft drop shadow, offset down and right.
    sh = box(32, 16, 204, 244, 28)
    blur = max(1.5, S(9))

    def shadow(x, y, d):
        t = clamp(1.0 - (d + blur) / blur) if d > -blur else 1.0
        return (SHADOW, 0.30 * t * t)

    cv.shade((0, 0, size, size), lambda x, y: sd_box(x, y, *sh) - blur, shadow, grow=0)

    # Body with a dark edge and a lit rim.
    body = box(28, 10, 200, 238, 28)
    cv.shade(body[:4], rbox(body), lambda x, y, d: EDGE)
    inner = box(28 + 5, 10 + 5, 200 - 5, 238 - 5, 23)
    cv.shade(inner[:4], rbox(inner), lambda x, y, d:
             mix(ramp(BODY, clamp((y - S(15)) / S(218))), WHITE,
                 0.22 * smoothstep(-S(5), 0, d) * clamp(1.0 - (y - S(15)) / S(60))))

    # Display.
    lcd = box(48, 30, 180, 88, 10)
    cv.shade(lcd[:4], rbox(lcd), lambda x, y, d: mix(ramp(LCD, clamp((y - S(30)) / S(58))),
                                                   EDGE, 0.45 * smoothstep(-S(4), 0, d)))
    # Digits suggested by three bars, right aligned.
    for x0 in (120, 142, 162):
        bar = box(x0, 64, x0 + 12, 76, 2)
        cv.fill(bar[:4], rbox(bar), LCD_INK)

    # Keys: four columns, three rows; the right column is orange.
    cols, rows = 4, 3
    kx0, ky0, kw, kh, gap = 48, 104, 27, 26, 8
    for r in range(rows):
        for c in range(cols):
            x0 = kx0 + c * (kw + gap)
            y0 = ky0 + r * (kh + gap)
            k = box(x0, y0, x0 + kw, y0 + kh, 6)
            stops = OP if c == cols - 1 else KEY
            cv.shade(k[:4], rbox(k), vgrad(stops, y0, y0 + kh))
    wide = box(48, ky0 + rows * (kh + gap), 48 + 2 * kw + gap, ky0 + rows * (kh + gap) + kh, 6)
    cv.shade(wide[:4], rbox(wide), vgrad(KEY, wide[1] / s, wide[3] / s))

    # Speaker badge, bottom right, with a white ring that parts it from
    # the body.
    cx, cy, rad = S(194), S(194), S(50)
    cv.fill((cx - rad - S(9), cy - rad - S(9), cx + rad + S(9), cy + rad + S(9)),
            lambda x, y: sd_circle(x, y, cx, cy, rad + S(8)), WHITE)
    cv.shade((cx - rad, cy - rad, cx + rad, cy + rad),
             lambda x, y: sd_circle(x, y, cx, cy, rad),
             lambda x, y, d: ramp(BADGE, clamp((y - cy + rad) / (2 * rad))))
    # The speaker: box and cone, then two waves; u is the badge's unit.
    def U(v):
        return S(v * 50.0 / 56.0)

    ox, oy = cx - U(30), cy
    cv.fill((ox, oy - U(12), ox + U(16), oy + U(12)),
            lambda x, y: sd_box(x, y, ox, oy - U(11), ox + U(15), oy + U(11), U(2)), WHITE)
    cone = [(ox + U(12), oy - U(11)), (ox + U(32), oy - U(28)),
            (ox + U(32), oy + U(28)), (ox + U(12), oy + U(11))]
    cv.fill((ox + U(11), oy - U(29), ox + U(33), oy + U(29)),
            lambda x, y: sd_polygon(x, y, cone) - U(1.5), WHITE)
    a = math.radians(45)
    wx = ox + U(32)
    for r in (14, 28):
        cv.fill((wx, cy - U(r + 8), wx + U(r + 8), cy + U(r + 8)),
                lambda x, y, r=r: sd_arc(x, y, wx, cy, U(r), -a, a, max(U(8), 1.6)), WHITE)

    cv.write_pam(path)


if __name__ == '__main__':
    import sys
    render(sys.argv[1], int(sys.argv[2]))
