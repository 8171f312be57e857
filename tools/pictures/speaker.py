# SPDX-License-Identifier: GPL-3.0-or-later
"""The voice button's pictures, 28 x 26 pixels on the light button face:
a speaker with sound waves (speech on) and a speaker crossed out (off)."""

import math

from draw import Canvas, hexcolour, sd_arc, sd_box, sd_polygon, sd_segment

WIDTH, HEIGHT = 28, 26
FACE = hexcolour('#eef2f6')
INK = hexcolour('#1d2630')
WAVE = hexcolour('#1f6fb8')
MUTE = hexcolour('#d0342c')

CY = 13.0


def speaker(cv, right=0.0):
    """The speaker: a box and a cone, its mouth at x = 13 + right."""
    cv.fill((2, 9, 8, 17), lambda x, y: sd_box(x, y, 2.5, 9.5, 7.5, 16.5, 1.0), INK)
    mouth = 13.5 + right
    cone = [(6.5, 9.5), (mouth, 4.0), (mouth, 22.0), (6.5, 16.5)]
    cv.fill((6, 3, mouth + 1, 23), lambda x, y: sd_polygon(x, y, cone) - 0.3, INK)
    # A small highlight on the box so it does not read as a flat blot.
    cv.fill((3, 10, 5, 16), lambda x, y: sd_box(x, y, 3.5, 10.5, 4.5, 15.5), (92, 108, 126))


def render_on(path, scale=1):
    cv = Canvas(WIDTH, HEIGHT, FACE, scale)
    speaker(cv)
    a = math.radians(42)
    for r, w in ((4.6, 1.8), (8.2, 1.8), (11.8, 1.8)):
        cv.fill((13, 0, 28, 26), lambda x, y, r=r, w=w: sd_arc(x, y, 13.0, CY, r, -a, a, w), WAVE)
    cv.write_ppm(path)


def render_off(path, scale=1):
    cv = Canvas(WIDTH, HEIGHT, FACE, scale)
    speaker(cv)
    x0, y0, x1, y1 = 17.0, 8.5, 25.0, 17.5
    cv.fill((16, 7, 27, 19), lambda x, y: min(sd_segment(x, y, x0, y0, x1, y1, 2.4),
                                              sd_segment(x, y, x0, y1, x1, y0, 2.4)), MUTE)
    cv.write_ppm(path)


if __name__ == '__main__':
    import sys
    scale = int(sys.argv[3]) if len(sys.argv) > 3 else 1
    render_on(sys.argv[1], scale)
    render_off(sys.argv[2], scale)
