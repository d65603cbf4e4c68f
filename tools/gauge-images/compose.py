"""Puts a gauge together from its images the way the program's renderer composes an element, so
that a person can look at the result while drawing the images: background with the see-through
colour skipped, then each element on a black layer (image with black transparent, mask with the
see-through colour transparent), laid over the output with black transparent. Nearest-neighbour
sampling at pixel centres; the copied rectangle is the image's, cut to the mask's size."""

import math

from raster import BLACK, SEE_THROUGH, Canvas


class Element:
    def __init__(self, image, x=0, y=0, axis=(0.0, 0.0), mask=None, mask_axis=(0.0, 0.0),
                 angle=None, shift=(0.0, 0.0)):
        self.image, self.x, self.y, self.axis = image, x, y, axis
        self.mask, self.mask_axis = mask, mask_axis
        self.angle, self.shift = angle, shift  # angle in degrees, counter-clockwise on screen


def compose(background, elements, size=None):
    width, height = size or (background.width, background.height)
    out = Canvas(width, height)
    copy_keyed(background, out, lambda x, y: (x, y), SEE_THROUGH)
    for e in elements:
        layer = Canvas(width, height)
        ax, ay = e.axis
        mx, my = e.mask_axis if e.mask else (0.0, 0.0)
        sx, sy = e.shift
        # Only a rectangle of the image is copied: the image's size, cut to the mask's.
        iw = min(e.image.width, e.mask.width) if e.mask else e.image.width
        ih = min(e.image.height, e.mask.height) if e.mask else e.image.height
        if e.angle is not None:
            t = math.radians(e.angle)
            c, s = math.cos(t), math.sin(t)
            ox, oy = e.x + mx, e.y + my

            def source(dx, dy):
                qx, qy = dx + 0.5 - ox, dy + 0.5 - oy
                u = math.floor(qx * c - qy * s + ax + sx)
                v = math.floor(qx * s + qy * c + ay + sy)
                return (u, v) if 0 <= u < iw and 0 <= v < ih else (-1, -1)
        else:
            if e.mask:
                # The shift moves the image under the mask's window.
                dest = (e.x - int(ax), e.y - int(ay))
                origin = (int(sx) - int(mx), int(sy) - int(my))
            else:
                dest = (int(sx) + e.x, int(sy) + e.y)
                origin = (0, 0)

            def source(dx, dy):
                u, v = dx - dest[0], dy - dest[1]
                if not (0 <= u < iw and 0 <= v < ih):
                    return -1, -1
                return origin[0] + u, origin[1] + v
        copy_keyed(e.image, layer, source, BLACK)
        if e.mask:
            copy_keyed(e.mask, layer, lambda x, y: (x - e.x, y - e.y), SEE_THROUGH)
        copy_keyed(layer, out, lambda x, y: (x, y), BLACK)
    return out


def copy_keyed(src, dst, source_of, key):
    for y in range(dst.height):
        for x in range(dst.width):
            u, v = source_of(x, y)
            if 0 <= u < src.width and 0 <= v < src.height:
                colour = src.rows[v][u]
                if colour != key:
                    dst.rows[y][x] = colour
