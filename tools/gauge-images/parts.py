"""Drawing parts shared by the sample gauges: dial faces, needles, lamps and window masks."""

import math

from raster import (BLACK, FONT_3X5, FONT_5X7, SEE_THROUGH, WHITE, Canvas, along)

FACE = (14, 14, 16)
BEZEL = (60, 60, 64)
CASE = (28, 28, 30)
MARKING = (236, 236, 236)
GREEN = (40, 176, 64)
YELLOW = (232, 200, 40)
RED = (220, 40, 32)


def linear_bearing(v0, v1, b0, b1):
    """The bearing of a value on a linear scale that runs clockwise from bearing b0 (value v0)
    to b1 (value v1), through north if need be."""
    span = (b1 - b0) % 360.0 or 360.0
    return lambda v: (b0 + (v - v0) * span / (v1 - v0)) % 360.0


def round_dial(c, cx, cy, r, bearing, ticks, labels, title='', arcs=(), label_radius=None,
               font=FONT_3X5):
    """A black dial of radius r with a bezel: coloured arcs [(v0, v1, colour)], ticks
    [(value, major)], labels [value] and a title under the centre."""
    c.disc(cx, cy, r + 2.5, BEZEL)
    c.disc(cx, cy, r, FACE)
    for v0, v1, colour in arcs:
        c.ring(cx, cy, r - 5.0, r - 1.5, colour, bearings=(bearing(v0), bearing(v1)))
    for value, major in ticks:
        c.radial(cx, cy, bearing(value), r - (7.0 if major else 4.5), r - 1.0,
                 1.4 if major else 0.9, MARKING)
    lr = label_radius if label_radius is not None else r - 12.0
    for value in labels:
        x, y = along(cx, cy, bearing(value), lr)
        c.text(x, y, str(value), MARKING, font)
    if title:
        c.text(cx, cy + r * 0.5, title, MARKING, FONT_3X5)


def needle(length, tail, width, colour=(246, 246, 246), hub=None):
    """A pointer lying towards 3 o'clock; returns the image and its pivot (the axis)."""
    height = int(math.ceil(max(width, hub or 0) * 2 + 3)) | 1
    image = Canvas(int(math.ceil(tail + length + 2)), height)
    px, py = tail + 1.0, height / 2
    image.polygon([(px - tail, py - width / 2), (px + length * 0.85, py - width / 3),
                   (px + length, py), (px + length * 0.85, py + width / 3),
                   (px - tail, py + width / 2)], colour)
    if hub:
        image.disc(px, py, hub, (80, 80, 84))
    return image, (px, py)


def lamp(width, height, colour, text):
    """A lit annunciator lamp with its legend."""
    image = Canvas(width, height)
    image.rect(0.5, 0.5, width - 0.5, height - 0.5, tuple(v // 3 for v in colour))
    image.rect(1.5, 1.5, width - 1.5, height - 1.5, colour)
    image.text(width / 2, height / 2, text, (20, 20, 20), FONT_3X5)
    return image


def window_mask(width, height, window):
    """A mask image: black (hiding) everywhere but the window, where it holds the see-through
    colour. `window(x, y)` tells whether a pixel centre lies in the window."""
    mask = Canvas(width, height, BLACK)
    mask.fill_hard(window, (0, 0, width, height), SEE_THROUGH)
    return mask


def clear_see_through(canvas):
    """A background must hold the see-through colour only where it means to."""
    canvas.replace(SEE_THROUGH, BLACK)


__all__ = ['FACE', 'BEZEL', 'CASE', 'MARKING', 'GREEN', 'YELLOW', 'RED', 'WHITE', 'FONT_5X7',
           'linear_bearing', 'round_dial', 'needle', 'lamp', 'window_mask', 'clear_see_through']
