"""A small software rasteriser for gauge images: anti-aliased shapes by supersampling, two
pixel fonts, and 24-bit BMP (and PNG, for looking at them) output. Coordinates are continuous:
pixel (i, j) covers [i, i + 1) x [j, j + 1), so its centre is (i + 0.5, j + 0.5); y runs down.
"""

import math
import struct
import zlib

BLACK = (0, 0, 0)
# The background's see-through colour: a background used as a mask lets an element's image show
# wherever it holds exactly this colour, and the background itself is not drawn there.
SEE_THROUGH = (1, 1, 1)
WHITE = (255, 255, 255)

SUPERSAMPLES = 4  # per axis


class Canvas:
    def __init__(self, width, height, colour=BLACK):
        self.width = width
        self.height = height
        self.rows = [[colour] * width for _ in range(height)]

    def get(self, x, y):
        return self.rows[y][x]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def blend(self, x, y, colour, coverage):
        if coverage <= 0.0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        if coverage >= 1.0:
            self.rows[y][x] = colour
            return
        old = self.rows[y][x]
        self.rows[y][x] = tuple(round(o + (c - o) * coverage) for o, c in zip(old, colour))

    def fill(self, inside, bounds, colour):
        """Paints `colour` over every pixel in proportion to the share of its subsamples for
        which inside(x, y) holds; bounds = (x0, y0, x1, y1) limits the pixels visited."""
        x0, y0, x1, y1 = bounds
        x0, y0 = max(0, math.floor(x0)), max(0, math.floor(y0))
        x1, y1 = min(self.width, math.ceil(x1) + 1), min(self.height, math.ceil(y1) + 1)
        n = SUPERSAMPLES
        offsets = [(k + 0.5) / n for k in range(n)]
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = sum(1 for oy in offsets for ox in offsets if inside(px + ox, py + oy))
                self.blend(px, py, colour, hits / (n * n))

    def fill_hard(self, inside, bounds, colour):
        """Like fill, but without anti-aliasing: a pixel takes the colour when its centre is
        inside. For colours that must stay exact, such as the see-through colour."""
        x0, y0, x1, y1 = bounds
        for py in range(max(0, math.floor(y0)), min(self.height, math.ceil(y1) + 1)):
            for px in range(max(0, math.floor(x0)), min(self.width, math.ceil(x1) + 1)):
                if inside(px + 0.5, py + 0.5):
                    self.rows[py][px] = colour

    def replace(self, old, new):
        for row in self.rows:
            for i, colour in enumerate(row):
                if colour == old:
                    row[i] = new

    def paste(self, other, left, top):
        for y in range(other.height):
            for x in range(other.width):
                self.put(left + x, top + y, other.rows[y][x])

    # Shapes --------------------------------------------------------------------------------

    def disc(self, cx, cy, r, colour):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 < r * r,
                  (cx - r, cy - r, cx + r, cy + r), colour)

    def ring(self, cx, cy, r0, r1, colour, bearings=None, hard=False):
        """The annulus r0 <= r < r1 about (cx, cy); with bearings = (b0, b1) only the part from
        bearing b0 clockwise to b1 (degrees, 0 straight up)."""
        def inside(x, y):
            d2 = (x - cx) ** 2 + (y - cy) ** 2
            if not r0 * r0 <= d2 < r1 * r1:
                return False
            return bearings is None or within(bearing_of(cx, cy, x, y), *bearings)
        bounds = (cx - r1, cy - r1, cx + r1, cy + r1)
        (self.fill_hard if hard else self.fill)(inside, bounds, colour)

    def polygon(self, points, colour):
        xs = [p[0] for p in points]
        ys = [p[1] for p in points]
        self.fill(lambda x, y: point_in_polygon(points, x, y),
                  (min(xs), min(ys), max(xs), max(ys)), colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], colour)

    def line(self, xa, ya, xb, yb, width, colour):
        """A straight stroke of the given width with square ends."""
        dx, dy = xb - xa, yb - ya
        length = math.hypot(dx, dy)
        if length == 0:
            return
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(xa + nx, ya + ny), (xb + nx, yb + ny), (xb - nx, yb - ny),
                      (xa - nx, ya - ny)], colour)

    def radial(self, cx, cy, bearing, r0, r1, width, colour):
        """A stroke along a bearing (degrees clockwise from up) from radius r0 to r1."""
        sx, sy = along(cx, cy, bearing, r0)
        ex, ey = along(cx, cy, bearing, r1)
        self.line(sx, sy, ex, ey, width, colour)

    # Text ----------------------------------------------------------------------------------

    def text(self, cx, cy, text, colour, font=None):
        """Pixel text centred on (cx, cy), drawn without anti-aliasing."""
        font = font or FONT_5X7
        width = text_width(text, font)
        left = round(cx - width / 2)
        top = round(cy - font.height / 2)
        for ch in text:
            glyph = font.glyphs[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == '#':
                        self.put(left + gx, top + gy, colour)
            left += len(glyph[0]) + 1

    def text_rotated(self, cx, cy, text, colour, angle, font=None):
        """Pixel text centred on (cx, cy) and turned clockwise by `angle` degrees, each font
        pixel drawn as an anti-aliased square."""
        font = font or FONT_5X7
        width = text_width(text, font)
        a = math.radians(angle)
        cos_a, sin_a = math.cos(a), math.sin(a)
        corners = [(-0.5, -0.5), (0.5, -0.5), (0.5, 0.5), (-0.5, 0.5)]
        left = 0
        for ch in text:
            glyph = font.glyphs[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit != '#':
                        continue
                    ox = left + gx + 0.5 - width / 2
                    oy = gy + 0.5 - font.height / 2
                    self.polygon([(cx + (ox + dx) * cos_a - (oy + dy) * sin_a,
                                   cy + (ox + dx) * sin_a + (oy + dy) * cos_a)
                                  for dx, dy in corners], colour)
            left += len(glyph[0]) + 1

    # Output --------------------------------------------------------------------------------

    def bmp_bytes(self):
        """A 24-bit bottom-up Windows bitmap file."""
        stride = (self.width * 3 + 3) & ~3
        pixels = bytearray()
        for row in reversed(self.rows):
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
            line += bytes(stride - len(line))
            pixels += line
        header = struct.pack('<IiiHHIIiiII', 40, self.width, self.height, 1, 24, 0, len(pixels),
                             3780, 3780, 0, 0)
        offset = 14 + len(header)
        return b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + header + pixels

    def png_bytes(self, scale=1):
        def chunk(kind, data):
            return (struct.pack('>I', len(data)) + kind + data +
                    struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))
        raw = bytearray()
        for row in self.rows:
            line = bytearray()
            for colour in row:
                line += bytes(colour) * scale
            for _ in range(scale):
                raw += b'\0' + line
        ihdr = struct.pack('>IIBBBBB', self.width * scale, self.height * scale, 8, 2, 0, 0, 0)
        return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr) +
                chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


# Geometry ----------------------------------------------------------------------------------

def bearing_of(cx, cy, x, y):
    """Bearing of (x, y) seen from (cx, cy): degrees clockwise from straight up, in [0, 360)."""
    return math.degrees(math.atan2(x - cx, cy - y)) % 360.0


def along(cx, cy, bearing, r):
    a = math.radians(bearing)
    return cx + r * math.sin(a), cy - r * math.cos(a)


def within(b, b0, b1):
    """True when bearing b lies on the clockwise arc from b0 to b1."""
    return (b - b0) % 360.0 <= (b1 - b0) % 360.0


def point_in_polygon(points, x, y):
    inside = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


# Fonts -------------------------------------------------------------------------------------

class Font:
    def __init__(self, height, glyphs):
        self.height = height
        self.glyphs = glyphs


def text_width(text, font):
    return sum(len(font.glyphs[ch][0]) for ch in text) + max(0, len(text) - 1)


FONT_5X7 = Font(7, {
    '0': [' ### ', '#   #', '#  ##', '# # #', '##  #', '#   #', ' ### '],
    '1': [' # ', '## ', ' # ', ' # ', ' # ', ' # ', '###'],
    '2': [' ### ', '#   #', '    #', '   # ', '  #  ', ' #   ', '#####'],
    '3': ['#####', '   # ', '  #  ', '   # ', '    #', '#   #', ' ### '],
    '4': ['   # ', '  ## ', ' # # ', '#  # ', '#####', '   # ', '   # '],
    '5': ['#####', '#    ', '#### ', '    #', '    #', '#   #', ' ### '],
    '6': ['  ## ', ' #   ', '#    ', '#### ', '#   #', '#   #', ' ### '],
    '7': ['#####', '    #', '   # ', '  #  ', ' #   ', ' #   ', ' #   '],
    '8': [' ### ', '#   #', '#   #', ' ### ', '#   #', '#   #', ' ### '],
    '9': [' ### ', '#   #', '#   #', ' ####', '    #', '   # ', ' ##  '],
    '.': [' ', ' ', ' ', ' ', ' ', ' ', '#'],
    '-': ['   ', '   ', '   ', '###', '   ', '   ', '   '],
    ' ': ['  ', '  ', '  ', '  ', '  ', '  ', '  '],
    'A': [' ### ', '#   #', '#   #', '#####', '#   #', '#   #', '#   #'],
    'B': ['#### ', '#   #', '#   #', '#### ', '#   #', '#   #', '#### '],
    'C': [' ### ', '#   #', '#    ', '#    ', '#    ', '#   #', ' ### '],
    'D': ['#### ', '#   #', '#   #', '#   #', '#   #', '#   #', '#### '],
    'E': ['#####', '#    ', '#    ', '#### ', '#    ', '#    ', '#####'],
    'F': ['#####', '#    ', '#    ', '#### ', '#    ', '#    ', '#    '],
    'G': [' ### ', '#   #', '#    ', '# ###', '#   #', '#   #', ' ####'],
    'H': ['#   #', '#   #', '#   #', '#####', '#   #', '#   #', '#   #'],
    'I': ['###', ' # ', ' # ', ' # ', ' # ', ' # ', '###'],
    'K': ['#   #', '#  # ', '# #  ', '##   ', '# #  ', '#  # ', '#   #'],
    'L': ['#    ', '#    ', '#    ', '#    ', '#    ', '#    ', '#####'],
    'M': ['#   #', '## ##', '# # #', '# # #', '#   #', '#   #', '#   #'],
    'N': ['#   #', '#   #', '##  #', '# # #', '#  ##', '#   #', '#   #'],
    'O': [' ### ', '#   #', '#   #', '#   #', '#   #', '#   #', ' ### '],
    'P': ['#### ', '#   #', '#   #', '#### ', '#    ', '#    ', '#    '],
    'R': ['#### ', '#   #', '#   #', '#### ', '# #  ', '#  # ', '#   #'],
    'S': [' ####', '#    ', '#    ', ' ### ', '    #', '    #', '#### '],
    'T': ['#####', '  #  ', '  #  ', '  #  ', '  #  ', '  #  ', '  #  '],
    'U': ['#   #', '#   #', '#   #', '#   #', '#   #', '#   #', ' ### '],
    'V': ['#   #', '#   #', '#   #', '#   #', '#   #', ' # # ', '  #  '],
    'W': ['#   #', '#   #', '#   #', '# # #', '# # #', '## ##', '#   #'],
    'X': ['#   #', '#   #', ' # # ', '  #  ', ' # # ', '#   #', '#   #'],
    'Y': ['#   #', '#   #', ' # # ', '  #  ', '  #  ', '  #  ', '  #  '],
})

FONT_3X5 = Font(5, {
    '0': ['###', '# #', '# #', '# #', '###'],
    '1': [' # ', '## ', ' # ', ' # ', '###'],
    '2': ['###', '  #', '###', '#  ', '###'],
    '3': ['###', '  #', ' ##', '  #', '###'],
    '4': ['# #', '# #', '###', '  #', '  #'],
    '5': ['###', '#  ', '###', '  #', '###'],
    '6': ['###', '#  ', '###', '# #', '###'],
    '7': ['###', '  #', ' # ', ' # ', ' # '],
    '8': ['###', '# #', '###', '# #', '###'],
    '9': ['###', '# #', '###', '  #', '###'],
    '.': [' ', ' ', ' ', ' ', '#'],
    '-': ['   ', '   ', '###', '   ', '   '],
    ' ': [' ', ' ', ' ', ' ', ' '],
    '%': ['# #', '  #', ' # ', '#  ', '# #'],
    'A': [' # ', '# #', '###', '# #', '# #'],
    'B': ['## ', '# #', '## ', '# #', '## '],
    'C': [' ##', '#  ', '#  ', '#  ', ' ##'],
    'D': ['## ', '# #', '# #', '# #', '## '],
    'E': ['###', '#  ', '## ', '#  ', '###'],
    'F': ['###', '#  ', '## ', '#  ', '#  '],
    'G': [' ##', '#  ', '# #', '# #', ' ##'],
    'H': ['# #', '# #', '###', '# #', '# #'],
    'I': ['###', ' # ', ' # ', ' # ', '###'],
    'K': ['# #', '## ', '#  ', '## ', '# #'],
    'L': ['#  ', '#  ', '#  ', '#  ', '###'],
    'M': ['# #', '###', '###', '# #', '# #'],
    'N': ['# #', '###', '###', '###', '# #'],
    'O': [' # ', '# #', '# #', '# #', ' # '],
    'P': ['## ', '# #', '## ', '#  ', '#  '],
    'Q': [' # ', '# #', '# #', '###', ' ##'],
    'R': ['## ', '# #', '## ', '# #', '# #'],
    'S': [' ##', '#  ', ' # ', '  #', '## '],
    'T': ['###', ' # ', ' # ', ' # ', ' # '],
    'U': ['# #', '# #', '# #', '# #', '###'],
    'V': ['# #', '# #', '# #', '# #', ' # '],
    'W': ['# #', '# #', '###', '###', '# #'],
    'X': ['# #', '# #', ' # ', '# #', '# #'],
    'Y': ['# #', '# #', ' # ', ' # ', ' # '],
})
