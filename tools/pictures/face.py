# SPDX-License-Identifier: GPL-3.0-or-later
"""The default skin, countface107.jpg: 442 x 479 pixels (6630 x 7185 twips).

The window draws its own buttons, labels and lines over this picture; the
picture supplies the body, the bezel around the display panel, a recessed
strip behind the small top buttons and an inset plate behind the keypad.
All places below are twips from countform's layout, turned into pixels.
"""

import math

from draw import Canvas, clamp, hash01, hexcolour, mix, ramp, sd_box, smoothstep

TWIPS = 15.0


def px(twips):
    return twips / TWIPS


WIDTH, HEIGHT = 442, 479

# Frame line drawn by the window, (90,90)-(6540,7095).
FRAME = (px(90), px(90), px(6540), px(7095))
# The top bar ends at the separator line (y 870).
SEPARATOR_Y = px(870)
# Display panel (480,1290) 5700x960 with its edge strip at x 360.
PANEL = (px(360), px(1290), px(480 + 5700), px(1290 + 960))
# Small buttons at y 180..600, x 2400..6330 (the clock sits among them).
SMALL_ROW = (px(2400), px(180), px(5880 + 450), px(180 + 420))
# Keypad: six columns of 950 from x 480, six rows of 710 from y 2760,
# keys 870 x 630.  It starts below the simple size mode's bottom edge (2645),
# so that mode ends on plain body under the display, not on a row of keys.
PAD = (px(480), px(2760), px(480 + 5 * 950 + 870), px(2760 + 5 * 710 + 630))

# Colours.
TOP_BAR = [(0.0, hexcolour('#1b2633')), (1.0, hexcolour('#253447'))]
BODY = [(0.0, hexcolour('#34485f')), (0.35, hexcolour('#2e4157')),
        (1.0, hexcolour('#223143'))]
LIGHT = (255, 255, 255)
DARK = (6, 10, 16)
RECESS = hexcolour('#0c131b')


def brushed(x, y):
    """Horizontal brushed-metal streaks: a slowly varying value per row
    plus a little grain, in -1..1."""
    row = int(y)
    period = 23 + int(hash01(row, 7) * 29)
    offset = hash01(row, 11) * period
    u = (x + offset) / period
    k = int(math.floor(u))
    f = u - k
    f = f * f * (3 - 2 * f)
    a = hash01(row, k)
    b = hash01(row, k + 1)
    streak = (a + (b - a) * f) * 2 - 1
    line = hash01(row, 3) * 2 - 1
    grain = hash01(int(x), row, 5) * 2 - 1
    return 0.45 * streak + 0.35 * line + 0.2 * grain


def body_colour(x, y):
    if y < SEPARATOR_Y:
        base = ramp(TOP_BAR, y / SEPARATOR_Y)
        amount = 2.2
    else:
        base = ramp(BODY, (y - SEPARATOR_Y) / (HEIGHT - SEPARATOR_Y))
        amount = 4.0
    # A broad soft light from the upper left.
    glow = math.exp(-(((x - 120) / 260.0) ** 2 + ((y - 40) / 300.0) ** 2))
    base = mix(base, (120, 150, 185), 0.10 * glow)
    n = brushed(x, y) * amount
    return tuple(c + n for c in base)


def rim(c, x, y):
    """The outer 6 pixels outside the frame line: a rounded metal edge,
    lit from the top left."""
    x0, y0, x1, y1 = FRAME
    dl, dt, dr, db = x, y, WIDTH - x, HEIGHT - y
    edge = min(dl, dt, dr, db)
    if edge >= x0:
        return c
    t = edge / x0                      # 0 at the outer edge, 1 at the frame
    bulge = math.sin(t * math.pi)      # rounded profile
    lit = dl == edge or dt == edge
    if lit:
        c = mix(c, LIGHT, 0.05 + 0.16 * bulge)
    else:
        c = mix(c, DARK, 0.25 + 0.25 * (1 - bulge))
    if edge < 1.0:
        c = mix(c, DARK, 0.65)
    return c


def render(path, scale=1):
    cv = Canvas(WIDTH, HEIGHT, scale=scale)

    # Body with the rim.
    cv.shade((0, 0, WIDTH, HEIGHT), lambda x, y: -10.0,
             lambda x, y, d: rim(body_colour(x, y), x, y), grow=0)

    # A faint highlight just inside the frame line, and a dark one along
    # its bottom and right, so the program's frame line reads as a groove.
    fx0, fy0, fx1, fy1 = FRAME
    cv.fill((fx0, fy0, fx1, fy0 + 2), lambda x, y: sd_box(x, y, fx0 + 1, fy0 + 1, fx1 - 1, fy0 + 2), LIGHT, 0.10)
    cv.fill((fx0, fy0, fx0 + 2, fy1), lambda x, y: sd_box(x, y, fx0 + 1, fy0 + 1, fx0 + 2, fy1 - 1), LIGHT, 0.08)
    cv.fill((fx0, fy1 - 2, fx1, fy1), lambda x, y: sd_box(x, y, fx0 + 1, fy1 - 2, fx1 - 1, fy1 - 1), DARK, 0.25)
    cv.fill((fx1 - 2, fy0, fx1, fy1), lambda x, y: sd_box(x, y, fx1 - 2, fy0 + 1, fx1 - 1, fy1 - 1), DARK, 0.25)

    # Under the separator line (y 58) a one-pixel highlight: an engraved rule.
    sy = SEPARATOR_Y
    cv.fill((px(240), sy, px(6390), sy + 2),
            lambda x, y: sd_box(x, y, px(240), sy + 1, px(6390), sy + 2), LIGHT, 0.10)
    # A soft shadow the top bar casts on the body below the rule.
    cv.shade((fx0 + 1, sy + 1, fx1 - 1, sy + 10),
             lambda x, y: sd_box(x, y, fx0 + 1, sy + 1, fx1 - 1, sy + 10),
             lambda x, y, d: (DARK, 0.10 * (1 - (y - sy - 1) / 9.0)), grow=0)

    inset(cv, (SMALL_ROW[0] - 5, SMALL_ROW[1] - 4, SMALL_ROW[2] + 5, SMALL_ROW[3] + 4),
          radius=7, floor=hexcolour('#141d28'), floor_alpha=0.55, depth=0.55)

    # Display bezel: a raised, rounded lip around a dark recess.  The
    # window fills the panel itself with the display colour; the recess
    # shows only as a thin dark line around it and under the translucent
    # edge strip.
    bx0, by0, bx1, by1 = PANEL
    lip = (bx0 - 7, by0 - 7, bx1 + 7, by1 + 5)
    # Drop shadow of the lip.
    cv.shade((lip[0] - 3, lip[1] - 2, lip[2] + 4, lip[3] + 5),
             lambda x, y: sd_box(x, y, lip[0] - 1, lip[1], lip[2] + 2, lip[3] + 3, 9),
             lambda x, y, d: (DARK, 0.30 * smoothstep(0.5, -5.0, d)), grow=0)
    lip_ramp = [(0.0, hexcolour('#5c718a')), (0.12, hexcolour('#42566e')),
                (0.88, hexcolour('#2a3a4d')), (1.0, hexcolour('#1a2533'))]
    cv.shade(lip, lambda x, y: sd_box(x, y, *lip, 7),
             lambda x, y, d: bezel(x, y, d, lip, lip_ramp))
    recess = (bx0 - 1.0, by0 - 1.0, bx1 + 1.0, by1 + 1.0)
    cv.shade(recess, lambda x, y: sd_box(x, y, *recess, 3),
             lambda x, y, d: recess_colour(x, y, d, recess))

    # Keypad plate: a shallow inset panel behind the keys.
    kx0, ky0, kx1, ky1 = PAD
    plate = (kx0 - 5.5, ky0 - 5.0, kx1 + 6.5, ky1 + 6.5)
    inset(cv, plate, radius=10, floor=hexcolour('#1b2634'), floor_alpha=0.50, depth=0.75)

    cv.write_ppm(path)


def bezel(x, y, d, box, stops):
    """A rounded lip: lit along the top, shaded along the bottom."""
    x0, y0, x1, y1 = box
    t = (y - y0) / (y1 - y0)
    c = ramp(stops, t)
    # Brighten the outer edge a little on the top and left, darken on the
    # bottom and right, following the distance to the edge.
    edge = smoothstep(-3.0, 0.0, d)
    lx = (x - x0) / (x1 - x0)
    c = mix(c, LIGHT, 0.18 * edge * clamp(1.2 - 2 * t) * clamp(1.4 - lx))
    c = mix(c, DARK, 0.25 * edge * clamp(2 * t - 0.8))
    n = brushed(x, y) * 1.5
    return tuple(v + n for v in c)


def recess_colour(x, y, d, box):
    x0, y0, x1, y1 = box
    depth = -d
    shadow = math.exp(-depth / 2.5)
    c = mix(RECESS, (0, 0, 0), 0.6 * shadow * (1.0 if y < (y0 + y1) / 2 else 0.4))
    return c


def inset(cv, box, radius, floor, floor_alpha, depth):
    """A shallow recessed plate: darker floor, inner shadow along the top
    and left, a fine highlight along the outside of the bottom and right."""
    x0, y0, x1, y1 = box
    # Highlight below and right of the edge (the lit far wall).
    cv.shade((x0, y0, x1 + 2, y1 + 2),
             lambda x, y: sd_box(x, y, x0 + 1, y0 + 1, x1 + 1, y1 + 1, radius),
             lambda x, y, d: (LIGHT, 0.13 * depth) if sd_box(x, y, x0, y0, x1, y1, radius) > -0.5 else None)

    def floor_shader(x, y, d):
        inner = -d
        # Shadow falls from the top and left walls.
        st = math.exp(-(y - y0) / 3.0)
        sl = math.exp(-(x - x0) / 3.0)
        sh = clamp(0.55 * st + 0.35 * sl + 0.25 * math.exp(-inner / 1.2))
        c = mix(floor, DARK, sh * 0.8)
        return (c, clamp(floor_alpha + sh * depth * 0.6))

    cv.shade(box, lambda x, y: sd_box(x, y, x0, y0, x1, y1, radius), floor_shader)


if __name__ == '__main__':
    import sys
    render(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 1)
