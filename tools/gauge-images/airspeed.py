"""The five images of the built-in airspeed gauge. Their geometry follows the gauge the program
builds in code: the needle turns about (73, 76) and reads its scale through ten value/position
points, the TAS ring turns about the background point (76.5, 78.09375), the inHg strip slides
under the background point (71.71875, 22.3125) and the knob sits at (122, 127).

The background is also the mask of the TAS ring and of the inHg strip: where it holds the
see-through colour (1, 1, 1) those images show, everywhere else it covers them. The other four
images are drawn with black as their transparent colour.
"""

import math

from raster import (BLACK, FONT_3X5, FONT_5X7, SEE_THROUGH, WHITE, Canvas, along, bearing_of,
                    text_width)

SIZE = 153
PIVOT = (73.0, 76.0)
TAS_CENTRE = (76.5, 78.09375)
TAS_AXIS = (66.9375, 58.96875)
INHG_ANCHOR = (71.71875, 22.3125)
INHG_AXIS = (204.703125, 1.6363)
NEEDLE_AXIS = (24.117647, 6.5)
KNOB_CENTRE = (122.0, 127.0)
KNOB_AXIS = (13.546875, 14.34375)

# Value and position of the needle's scale points, as the gauge's needle reads them.
SCALE_POINTS = [(0, 73.3125, 15.9375), (40, 95.625, 17.53125), (50, 111.5625, 27.09375),
                (60, 117.9375, 31.875), (80, 135.46875, 62.15625), (130, 98.8125, 133.875),
                (160, 51.0, 122.71875), (190, 27.09375, 94.03125), (200, 17.53125, 82.875),
                (260, 44.625, 23.90625)]

# The inHg strip: pixels per inch of mercury and the setting under the index at rest.
INHG_PIXELS_PER_UNIT = 200.0
INHG_AT_REST = 29.92

# The two windows of the dial, in background pixels.
INHG_WINDOW = (60, 21, 82, 30)  # left, top, right, bottom pixel (inclusive)
TAS_WINDOW_RADII = (23.5, 32.5)
TAS_WINDOW_BEARINGS = (105.0, 255.0)

FACE = (0, 0, 0)
CASE = (24, 24, 24)
BEZEL = (62, 62, 62)
MARKING = (236, 236, 236)
WHITE_ARC = (230, 230, 230)
GREEN_ARC = (40, 176, 64)
YELLOW_ARC = (232, 200, 40)
RED_LINE = (220, 40, 32)
DRUM = (34, 34, 34)


def scale_bearing(value):
    """The bearing the needle takes for a value, interpolated between the scale points exactly
    as the gauge's drawing does (a pair running through north counts on past 360)."""
    points = [(v, bearing_of(*PIVOT, x, y)) for v, x, y in SCALE_POINTS]
    lo, hi = points[0], points[-1]
    for a, b in zip(points, points[1:]):
        if a[0] <= value <= b[0]:
            lo, hi = a, b
            break
    b0, b1 = lo[1], hi[1]
    if b0 > b1:
        b1 += 360.0
    return ((value - lo[0]) * (b1 - b0) / (hi[0] - lo[0]) + b0) % 360.0


def background():
    c = Canvas(SIZE, SIZE, CASE)
    for sx, sy in ((8.5, 8.5), (144.5, 8.5), (8.5, 144.5)):
        c.disc(sx, sy, 4.0, (70, 70, 70))
        c.line(sx - 2.8, sy + 2.8, sx + 2.8, sy - 2.8, 1.2, (30, 30, 30))
    c.disc(*PIVOT, 72.5, BEZEL)
    c.ring(*PIVOT, 70.5, 72.5, (96, 96, 96), bearings=(280, 80))
    c.disc(*PIVOT, 69.5, FACE)

    arc = lambda v0, v1, r0, r1, colour: c.ring(*PIVOT, r0, r1, colour,
                                                bearings=(scale_bearing(v0), scale_bearing(v1)))
    arc(40, 85, 57.0, 60.0, WHITE_ARC)
    arc(50, 160, 61.0, 65.5, GREEN_ARC)
    arc(160, 200, 61.0, 65.5, YELLOW_ARC)
    c.radial(*PIVOT, scale_bearing(200), 57.0, 67.0, 2.0, RED_LINE)

    for value in [0] + list(range(40, 261, 10)):
        major = value % 20 == 0
        c.radial(*PIVOT, scale_bearing(value), 57.0 if major else 61.5, 66.5,
                 1.6 if major else 1.0, MARKING)
    for value in range(40, 261, 20):
        x, y = along(*PIVOT, scale_bearing(value), 46.0)
        c.text(x, y, str(value), MARKING)

    c.text(PIVOT[0], 56.5, 'AIRSPEED', MARKING, FONT_3X5)
    c.text(PIVOT[0], 63.5, 'KNOTS', MARKING, FONT_3X5)
    c.text(TAS_CENTRE[0], 96.5, 'TAS', MARKING, FONT_3X5)

    left, top, right, bottom = INHG_WINDOW
    c.rect(left - 1, top - 1, right + 2, bottom + 2, (110, 110, 110))
    ax = INHG_ANCHOR[0]
    c.polygon([(ax, bottom + 2.0), (ax + 2.6, bottom + 5.5), (ax - 2.6, bottom + 5.5)], MARKING)
    c.text(ax, bottom + 9.0, 'IN HG', MARKING, FONT_3X5)

    # Only the windows may hold the see-through colour; an anti-aliased edge that happened to
    # blend into it elsewhere would open a hole in the mask.
    c.replace(SEE_THROUGH, BLACK)
    c.fill_hard(lambda x, y: True, (left, top, right, bottom), SEE_THROUGH)
    c.ring(*TAS_CENTRE, *TAS_WINDOW_RADII, SEE_THROUGH, bearings=TAS_WINDOW_BEARINGS, hard=True)
    return c


def tas_ring():
    """A drum of true airspeeds turning about its axis; at rest each figure lies on the bearing
    of the same figure on the dial."""
    c = Canvas(134, 118)
    cx, cy = TAS_AXIS
    c.ring(cx, cy, 22.0, 34.0, DRUM)
    for value in range(60, 241, 20):
        x, y = along(cx, cy, scale_bearing(value), 27.5)
        c.text(x, y, str(value), WHITE, FONT_3X5)
    for value in range(50, 251, 10):
        c.radial(cx, cy, scale_bearing(value), 31.0, 33.0, 0.9, (150, 150, 150))
    return c


def inhg_strip():
    """The altimeter setting drum: figures every 0.1 inHg with ticks every 0.05, so that the
    setting at rest (29.92) lies under the strip's axis."""
    width, height = 300, 10
    c = Canvas(width, height, DRUM)
    first = INHG_AT_REST - INHG_AXIS[0] / INHG_PIXELS_PER_UNIT
    for step in range(math.floor(first * 20), math.ceil((first + width / INHG_PIXELS_PER_UNIT) * 20) + 1):
        x = INHG_AXIS[0] + (step / 20 - INHG_AT_REST) * INHG_PIXELS_PER_UNIT
        major = step % 2 == 0
        c.line(x, 6.5 if major else 7.5, x, 10.0, 1.0, WHITE)
        label = f'{step / 20:.1f}'
        half = text_width(label, FONT_3X5) / 2
        if major and 0 <= x - half and x + half < width:
            c.text(x + 0.5, 3.0, label, WHITE, FONT_3X5)
    return c


def needle():
    """A white pointer lying towards 3 o'clock from its pivot, with a counterweight tail."""
    c = Canvas(82, 13)
    px, py = NEEDLE_AXIS
    c.polygon([(px, py - 2.0), (73.0, py - 1.0), (80.5, py), (73.0, py + 1.0), (px, py + 2.0)],
              (246, 246, 246))
    c.rect(7.0, py - 1.6, px, py + 1.6, (210, 210, 210))
    c.disc(7.0, py, 2.6, (210, 210, 210))
    c.disc(px, py, 4.5, (70, 70, 70))
    c.disc(px, py, 2.0, (140, 140, 140))
    return c


def knob():
    """The setting knob seen from the front: a knurled rim and a white index."""
    c = Canvas(27, 29)
    cx, cy = KNOB_AXIS
    c.disc(cx, cy, 9.5, (78, 78, 78))
    for tooth in range(0, 360, 15):
        c.radial(cx, cy, tooth, 7.6, 9.5, 1.2, (44, 44, 44))
    c.disc(cx, cy, 7.0, (104, 104, 104))
    c.radial(cx, cy, 0.0, 1.5, 6.5, 1.6, WHITE)
    return c


IMAGES = {
    'Airspeed_Background.bmp': background,
    'Airspeed_TAS.bmp': tas_ring,
    'Airspeed_INHG.bmp': inhg_strip,
    'Airspeed_Needle.bmp': needle,
    'Airspeed_Knob.bmp': knob,
}
