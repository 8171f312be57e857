# SPDX-License-Identifier: GPL-3.0-or-later
"""The application icon as a scalable SVG: the same drawing as icon.py, in
the same 256-unit square, with its shapes written as SVG elements instead of
rasterised.  Soft edges come from the renderer; the drop shadow is a blur."""

import math

from icon import BADGE, BODY, EDGE, KEY, LCD, LCD_INK, OP


def colour(c):
    return '#%02x%02x%02x' % tuple(int(round(v)) for v in c)


def num(v):
    text = ('%.3f' % v).rstrip('0').rstrip('.')
    return '0' if text == '-0' else text


def gradient(name, stops, y0, y1):
    parts = ['<linearGradient id="%s" gradientUnits="userSpaceOnUse" x1="0" y1="%s" x2="0" y2="%s">'
             % (name, num(y0), num(y1))]
    for pos, c in stops:
        parts.append('<stop offset="%s" stop-color="%s"/>' % (num(pos), colour(c)))
    parts.append('</linearGradient>')
    return ''.join(parts)


def rect(x0, y0, x1, y1, r, fill, extra=''):
    return ('<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="%s"%s/>'
            % (num(x0), num(y0), num(x1 - x0), num(y1 - y0), num(r), fill, extra))


def render(path):
    defs = []
    body = []

    # Drop shadow, offset down and right.
    defs.append('<filter id="blur" x="-10%" y="-10%" width="120%" height="120%">'
                '<feGaussianBlur stdDeviation="4.5"/></filter>')
    body.append(rect(32, 16, 204, 244, 28, '#000000', ' fill-opacity="0.3" filter="url(#blur)"'))

    # Body: a dark edge, the slate face, a lit rim along the top.
    body.append(rect(28, 10, 200, 238, 28, colour(EDGE)))
    defs.append(gradient('body', BODY, 15, 233))
    body.append(rect(33, 15, 195, 233, 23, 'url(#body)'))
    defs.append('<linearGradient id="rim" gradientUnits="userSpaceOnUse" x1="0" y1="15" x2="0" y2="75">'
                '<stop offset="0" stop-color="#ffffff" stop-opacity="0.22"/>'
                '<stop offset="1" stop-color="#ffffff" stop-opacity="0"/></linearGradient>')
    body.append(rect(35.5, 17.5, 192.5, 230.5, 20.5, 'none', ' stroke="url(#rim)" stroke-width="5"'))

    # Display with three digit bars.
    defs.append(gradient('lcd', LCD, 30, 88))
    body.append(rect(48, 30, 180, 88, 10, 'url(#lcd)'))
    body.append(rect(49, 31, 179, 87, 9, 'none',
                     ' stroke="%s" stroke-opacity="0.35" stroke-width="2"' % colour(EDGE)))
    for x0 in (120, 142, 162):
        body.append(rect(x0, 64, x0 + 12, 76, 2, colour(LCD_INK)))

    # Keys: four columns, three rows, the right column orange; a wide key below.
    cols, rows = 4, 3
    kx0, ky0, kw, kh, gap = 48, 104, 27, 26, 8
    for r in range(rows):
        y0 = ky0 + r * (kh + gap)
        defs.append(gradient('key%d' % r, KEY, y0, y0 + kh))
        defs.append(gradient('op%d' % r, OP, y0, y0 + kh))
        for c in range(cols):
            x0 = kx0 + c * (kw + gap)
            fill = 'url(#op%d)' % r if c == cols - 1 else 'url(#key%d)' % r
            body.append(rect(x0, y0, x0 + kw, y0 + kh, 6, fill))
    wy = ky0 + rows * (kh + gap)
    defs.append(gradient('wide', KEY, wy, wy + kh))
    body.append(rect(48, wy, 48 + 2 * kw + gap, wy + kh, 6, 'url(#wide)'))

    # Speaker badge with a white ring.
    cx, cy, rad = 194, 194, 50
    body.append('<circle cx="%s" cy="%s" r="%s" fill="#ffffff"/>' % (cx, cy, rad + 8))
    defs.append(gradient('badge', BADGE, cy - rad, cy + rad))
    body.append('<circle cx="%s" cy="%s" r="%s" fill="url(#badge)"/>' % (cx, cy, rad))

    def U(v):
        return v * 50.0 / 56.0

    ox, oy = cx - U(30), cy
    body.append(rect(ox, oy - U(11), ox + U(15), oy + U(11), U(2), '#ffffff'))
    cone = [(ox + U(12), oy - U(11)), (ox + U(32), oy - U(28)),
            (ox + U(32), oy + U(28)), (ox + U(12), oy + U(11))]
    body.append('<polygon points="%s" fill="#ffffff" stroke="#ffffff" stroke-width="%s" stroke-linejoin="round"/>'
                % (' '.join('%s,%s' % (num(x), num(y)) for x, y in cone), num(U(3))))
    a = math.radians(45)
    wx = ox + U(32)
    for r in (14, 28):
        rr = U(r)
        x1, y1 = wx + rr * math.cos(-a), cy + rr * math.sin(-a)
        x2, y2 = wx + rr * math.cos(a), cy + rr * math.sin(a)
        body.append('<path d="M%s %sA%s %s 0 0 1 %s %s" fill="none" stroke="#ffffff" stroke-width="%s" '
                    'stroke-linecap="round"/>' % (num(x1), num(y1), num(rr), num(rr), num(x2), num(y2), num(U(8))))

    with open(path, 'w') as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n')
        f.write('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 256 256">\n')
        f.write('<defs>%s</defs>\n' % ''.join(defs))
        for element in body:
            f.write(element + '\n')
        f.write('</svg>\n')


if __name__ == '__main__':
    import sys
    render(sys.argv[1])
