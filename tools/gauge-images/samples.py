"""The project's sample gauges: their images and definition files, in both schemas.

- Altimeter (older schema, positions in a 128 x 128 design frame scaled to 160 x 160): three
  hands read through nonlinearity tables (one by positions, running on through north, two by
  degrees), a pressure setting strip sliding behind a masked window, a knob mouse area with events.
- Attitude (newer schema): a horizon card shifted by pitch and turned by bank behind a round
  mask, a bank pointer, a fixed aircraft symbol and an OFF flag with a visibility expression.
- Heading (newer schema): a compass card turning with the heading, a heading bug, and a mouse
  area whose knob transmits the bug's events.
- LandingGear (older schema): gear lamps shown by visibility expressions, a flap pointer, and
  two mouse areas: gear events, and scripts that set a lamp-test variable.
- EngineCluster (older schema, 21 elements): eight dials, two of them masked, a reference bug,
  fuel tapes and an hour drum sliding behind masks, trim and flap pointers and six warning
  lamps. Big enough to measure drawing with.

Each sample is a folder: the older schema's images lie in its "1024" subfolder, the newer
schema's beside the file. Coordinates below are gauge pixels; the older files write positions,
axes and scales in their design frame.
"""

import math

from compose import Element, compose
from parts import (BEZEL, CASE, FACE, GREEN, MARKING, RED, YELLOW, clear_see_through, lamp,
                   linear_bearing, needle, round_dial, window_mask)
from raster import BLACK, FONT_3X5, FONT_5X7, SEE_THROUGH, WHITE, Canvas, along, bearing_of

ORANGE = (250, 150, 30)


def fmt(value):
    """A number as a gauge file writes it: integers without a fraction."""
    text = f'{value:.6f}'.rstrip('0').rstrip('.')
    return text if text != '-0' else '0'


# Altimeter -------------------------------------------------------------------------------------

ALT_SCALE = 160 / 128  # gauge pixels per design unit
ALT_PIVOT = (80, 80)
ALT_NUMERAL_RADIUS = 52.0
ALT_WINDOW = (115, 75, 24, 12)  # left, top, width, height
ALT_WINDOW_INDEX = 10  # window column under the index mark
ALT_STRIP_PIXELS_PER_INHG = 200.0
ALT_STRIP_FIRST = 28.0


def design(value):
    return fmt(value / ALT_SCALE)


def altimeter_dial():
    c = Canvas(160, 160, CASE)
    cx, cy = ALT_PIVOT
    c.disc(cx, cy, 76.0, BEZEL)
    c.ring(cx, cy, 74.0, 76.0, (92, 92, 96), bearings=(290, 70))
    c.disc(cx, cy, 73.0, FACE)
    for feet in range(0, 1000, 20):
        major = feet % 100 == 0
        c.radial(cx, cy, feet * 0.36, 60.0 if major else 65.0, 71.0, 1.6 if major else 0.9,
                 MARKING)
    for digit in range(10):
        x, y = along(cx, cy, digit * 36.0, ALT_NUMERAL_RADIUS)
        c.text(x, y, str(digit), MARKING)
    c.text(cx, 50.5, 'ALT', MARKING, FONT_3X5)
    c.text(cx, 111.5, '100 FEET', MARKING, FONT_3X5)
    left, top, width, height = ALT_WINDOW
    c.rect(left - 1, top - 1, left + width + 1, top + height + 1, (120, 120, 120))
    c.rect(left, top, left + width, top + height, BLACK)
    ix = left + ALT_WINDOW_INDEX + 0.5
    c.polygon([(ix - 2.5, top - 4.5), (ix + 2.5, top - 4.5), (ix, top - 1.0)], MARKING)
    return c


def pressure_strip():
    """Settings from 28.0 to 31.0 inHg, 200 pixels each, column 0 at 28.0."""
    strip = Canvas(620, ALT_WINDOW[3], (30, 30, 32))
    for step in range(0, 61):
        value = ALT_STRIP_FIRST + step * 0.05
        x = (value - ALT_STRIP_FIRST) * ALT_STRIP_PIXELS_PER_INHG + 0.5
        major = step % 2 == 0
        strip.line(x, 8.0 if major else 9.5, x, 12.0, 1.0, WHITE)
        if major:
            strip.text(x, 3.5, f'{value:.1f}', WHITE, FONT_3X5)
    return strip


def altimeter_hands():
    hundreds, hundreds_axis = needle(60.0, 14.0, 4.5, hub=4.0)
    thousands, thousands_axis = needle(40.0, 9.0, 7.5, hub=5.0)
    tens = Canvas(66, 11)
    ten_axis = (3.0, 5.5)
    tens.line(ten_axis[0], ten_axis[1], 52.0, ten_axis[1], 1.4, (230, 230, 230))
    tens.polygon([(51.0, 1.0), (64.0, 5.5), (51.0, 10.0)], (230, 230, 230))
    return (tens, ten_axis), (thousands, thousands_axis), (hundreds, hundreds_axis)


def altimeter():
    cx, cy = ALT_PIVOT
    (tens, tens_axis), (thousands, thousands_axis), (hundreds, hundreds_axis) = altimeter_hands()
    left, top, width, height = ALT_WINDOW
    images = {
        'Altimeter_Dial.bmp': altimeter_dial(),
        'Altimeter_Hand10000.bmp': tens,
        'Altimeter_Hand1000.bmp': thousands,
        'Altimeter_Hand100.bmp': hundreds,
        'Altimeter_Pressure.bmp': pressure_strip(),
        'Altimeter_Window.bmp': window_mask(width, height, lambda x, y: True),
    }
    numerals = []
    for digit in range(11):
        x, y = along(cx, cy, (digit % 10) * 36.0, ALT_NUMERAL_RADIUS)
        numerals.append(f'        <Item Value="{digit * 100}" X="{design(x)}" Y="{design(y)}"/>')

    def hand(name, axis, expression, table, extra=''):
        return f'''  <Element>
    <Position X="{design(cx)}" Y="{design(cy)}"/>
    <Image Name="{name}">
      <Axis X="{design(axis[0])}" Y="{design(axis[1])}"/>
    </Image>
    <Rotate>
      <Value{extra}>{expression}</Value>
      <Nonlinearity>
{table}
      </Nonlinearity>
    </Rotate>
  </Element>
'''

    ten_thousands_hand = hand(
        'Altimeter_Hand10000.bmp', tens_axis, '(A:Indicated altitude,feet)',
        '        <Item Value="0" Degrees="0"/>\n        <Item Value="100000" Degrees="360"/>',
        ' Minimum="0" Maximum="100000"')
    thousands_hand = hand(
        'Altimeter_Hand1000.bmp', thousands_axis,
        '(A:Indicated altitude,feet) d 10000 / flr 10000 * -',
        '        <Item Value="0" Degrees="0"/>\n        <Item Value="10000" Degrees="360"/>')
    hundreds_hand = hand('Altimeter_Hand100.bmp', hundreds_axis,
                         '(A:Indicated altitude,feet) d 1000 / flr 1000 * -', '\n'.join(numerals))
    xml = f'''<?xml version="1.0" encoding="UTF-8"?>
<!-- A three-hand altimeter. Positions, axes and scales are written in a 128 x 128 design
     frame; ImageSizes scales them to the 160 x 160 images of the 1024 folder. -->
<Gauge Name="Altimeter" Version="1.0">
  <Image Name="Altimeter_Dial.bmp" ImageSizes="128,128,160,160"/>
  <!-- The pressure setting strip slides behind its window: the setting's column of the strip lies
       under the window's index. -->
  <Element>
    <Position X="{design(left)}" Y="{design(top)}"/>
    <MaskImage Name="Altimeter_Window.bmp">
      <Axis X="{design(ALT_WINDOW_INDEX)}" Y="0"/>
    </MaskImage>
    <Image Name="Altimeter_Pressure.bmp"/>
    <Shift>
      <Value Minimum="0.1" Maximum="2.9">(A:Altimeter setting,inHg) {fmt(ALT_STRIP_FIRST)} -</Value>
      <Scale X="{design(ALT_STRIP_PIXELS_PER_INHG)}" Y="0"/>
    </Shift>
  </Element>
{ten_thousands_hand}{thousands_hand}\
  <!-- The long hand points at the numerals themselves: the last pair runs on through north. -->
{hundreds_hand}\
  <Mouse>
    <Area>
      <Area><Cursor Type="UpArrow"/><Click Event="ALTIMETER_SETTING_INC"/></Area>
      <Area><Cursor Type="DownArrow"/><Click Event="ALTIMETER_SETTING_DEC"/></Area>
    </Area>
  </Mouse>
</Gauge>
'''

    def frame(feet, inhg):
        hundred_bearing = (feet % 1000) * 0.36
        sx = (min(max(inhg - ALT_STRIP_FIRST, 0.1), 2.9)) * ALT_STRIP_PIXELS_PER_INHG
        return compose(images['Altimeter_Dial.bmp'], [
            Element(images['Altimeter_Pressure.bmp'], x=left, y=top,
                    mask=images['Altimeter_Window.bmp'], mask_axis=(ALT_WINDOW_INDEX, 0),
                    shift=(sx, 0.0)),
            Element(tens, x=cx, y=cy, axis=tens_axis, angle=90.0 - feet / 100000 * 360.0),
            Element(thousands, x=cx, y=cy, axis=thousands_axis,
                    angle=90.0 - (feet % 10000) / 10000 * 360.0),
            Element(hundreds, x=cx, y=cy, axis=hundreds_axis, angle=90.0 - hundred_bearing),
        ])

    frames = {'altimeter-4250ft': lambda: frame(4250, 29.92),
              'altimeter-12780ft': lambda: frame(12780, 30.15)}
    return 'Altimeter', images, xml, frames


# Attitude --------------------------------------------------------------------------------------

ATT_CENTRE = (80, 80)
ATT_WINDOW_RADIUS = 58.0
ATT_PIXELS_PER_DEGREE = 2.0


def attitude():
    cx, cy = ATT_CENTRE
    background = Canvas(160, 160, CASE)
    background.disc(cx, cy, 77.0, BEZEL)
    background.disc(cx, cy, 71.0, (40, 90, 150))
    background.disc(cx, cy, ATT_WINDOW_RADIUS + 1.0, FACE)
    for bank in (-60, -45, -30, -20, -10, 10, 20, 30, 45, 60):
        long = bank % 30 == 0
        background.radial(cx, cy, bank % 360, 61.0, 70.0 if long else 66.0, 2.0 if long else 1.3,
                          MARKING)
    background.polygon([(cx - 4.0, 2.0), (cx + 4.0, 2.0), (cx, 10.0)], MARKING)

    card = Canvas(124, 244)
    ax, ay = 62.0, 122.0
    card.rect(0, 0, 124, ay, (64, 128, 208))
    card.rect(0, ay, 124, 244, (138, 88, 42))
    card.line(0, ay, 124, ay, 2.0, WHITE)
    for pitch in range(-30, 31, 5):
        if pitch == 0:
            continue
        y = ay - pitch * ATT_PIXELS_PER_DEGREE
        half = 14.0 if pitch % 10 == 0 else 7.0
        card.line(ax - half, y, ax + half, y, 1.2, WHITE)
        if pitch % 10 == 0:
            card.text(ax - half - 7.5, y, str(abs(pitch)), WHITE, FONT_3X5)
            card.text(ax + half + 7.5, y, str(abs(pitch)), WHITE, FONT_3X5)

    mask = window_mask(160, 244, lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 < ATT_WINDOW_RADIUS ** 2)

    pointer = Canvas(13, 60)
    pointer_axis = (6.5, 58.0)
    pointer.polygon([(6.5, 0.0), (12.0, 9.0), (1.0, 9.0)], ORANGE)

    symbol = Canvas(76, 12)
    symbol.rect(0, 4, 26, 7, ORANGE)
    symbol.rect(50, 4, 76, 7, ORANGE)
    symbol.polygon([(26.0, 4.0), (38.0, 11.0), (50.0, 4.0), (50.0, 7.0), (38.0, 12.0),
                    (26.0, 7.0)], ORANGE)
    symbol.disc(38.0, 5.5, 2.5, ORANGE)

    flag = Canvas(24, 12)
    flag.rect(0, 0, 24, 12, RED)
    flag.text(12.0, 6.0, 'OFF', WHITE, FONT_3X5)

    images = {'Attitude_Background.bmp': background, 'Attitude_Card.bmp': card,
              'Attitude_Mask.bmp': mask, 'Attitude_BankPointer.bmp': pointer,
              'Attitude_Symbol.bmp': symbol, 'Attitude_Flag.bmp': flag}
    symbol_at = (cx - 38, cy - 5)
    flag_at = (22, 102)
    bank = '(A:Attitude indicator bank degrees,radians) /-/'
    xml = f'''<?xml version="1.0" encoding="UTF-8"?>
<!-- An attitude indicator: the horizon card moves {fmt(ATT_PIXELS_PER_DEGREE)} pixels per degree of pitch
     and turns with the bank behind a round window. -->
<SimBase.Document Type="Gauge" version="1,0">
  <Descr>Gauge definition</Descr>
  <SimGauge.Gauge id="Attitude">
    <FloatPosition>0.000,0.000</FloatPosition>
    <Image id="Attitude_Background.bmp" Name="Attitude_Background.bmp"/>
    <Element id="Card">
      <FloatPosition>0.000,0.000</FloatPosition>
      <MaskImage id="Attitude_Mask.bmp" Name="Attitude_Mask.bmp">
        <Axis>{fmt(cx)},{fmt(cy)}</Axis>
      </MaskImage>
      <Image id="Attitude_Card.bmp" Name="Attitude_Card.bmp">
        <Axis>{fmt(ax)},{fmt(ay)}</Axis>
      </Image>
      <Shift id="Pitch">
        <Scale>0.000,{fmt(-ATT_PIXELS_PER_DEGREE)}</Scale>
        <Expression id="Expression">
          <Minimum>-30.000</Minimum>
          <Maximum>30.000</Maximum>
          <Script>(A:Attitude indicator pitch degrees,degrees)</Script>
        </Expression>
      </Shift>
      <Rotation id="Bank">
        <Expression id="Expression">
          <Script>{bank}</Script>
        </Expression>
      </Rotation>
    </Element>
    <Element id="BankPointer">
      <FloatPosition>{fmt(cx)},{fmt(cy)}</FloatPosition>
      <Image id="Attitude_BankPointer.bmp" Name="Attitude_BankPointer.bmp">
        <Axis>{fmt(pointer_axis[0])},{fmt(pointer_axis[1])}</Axis>
      </Image>
      <Rotation id="Bank">
        <Expression id="Expression">
          <Script>{bank}</Script>
        </Expression>
      </Rotation>
    </Element>
    <Element id="Symbol">
      <FloatPosition>{fmt(symbol_at[0])},{fmt(symbol_at[1])}</FloatPosition>
      <Image id="Attitude_Symbol.bmp" Name="Attitude_Symbol.bmp"/>
    </Element>
    <!-- A visibility expression does not ask the simulator for its variables: the still shift
         (scale 0) reads the battery switch so that the page receives it. -->
    <Element id="Flag">
      <FloatPosition>{fmt(flag_at[0])},{fmt(flag_at[1])}</FloatPosition>
      <Visibility>1 (A:Electrical master battery,bool) -</Visibility>
      <Image id="Attitude_Flag.bmp" Name="Attitude_Flag.bmp"/>
      <Shift id="Register">
        <Scale>0,0</Scale>
        <Expression id="Expression">
          <Script>(A:Electrical master battery,bool)</Script>
        </Expression>
      </Shift>
    </Element>
  </SimGauge.Gauge>
</SimBase.Document>
'''

    def frame(pitch, bank_degrees, battery):
        elements = [
            Element(card, axis=(ax, ay), mask=mask, mask_axis=(cx, cy), angle=bank_degrees,
                    shift=(0.0, -ATT_PIXELS_PER_DEGREE * max(-30, min(30, pitch)))),
            Element(pointer, x=cx, y=cy, axis=pointer_axis, angle=bank_degrees),
            Element(symbol, x=symbol_at[0], y=symbol_at[1]),
        ]
        if not battery:
            elements.append(Element(flag, x=flag_at[0], y=flag_at[1]))
        return compose(background, elements)

    frames = {'attitude-level': lambda: frame(0, 0, True),
              'attitude-climbing-right': lambda: frame(10, 20, True),
              'attitude-off': lambda: frame(-5, -30, False)}
    return 'Attitude', images, xml, frames


# Heading ---------------------------------------------------------------------------------------

HDG_CENTRE = (80, 80)


def heading():
    cx, cy = HDG_CENTRE
    background = Canvas(160, 160, CASE)
    background.disc(cx, cy, 77.0, BEZEL)
    background.disc(cx, cy, 72.0, FACE)
    for b in range(0, 360, 45):
        background.radial(cx, cy, b, 66.5, 72.0, 2.0, MARKING)
    background.polygon([(cx - 4.0, 7.0), (cx + 4.0, 7.0), (cx, 15.0)], ORANGE)

    card = Canvas(130, 130)
    ax, ay = 65.0, 65.0
    card.disc(ax, ay, 64.0, (26, 26, 28))
    for degrees in range(0, 360, 5):
        r0 = 54.0 if degrees % 10 == 0 else 58.0
        card.radial(ax, ay, degrees, r0, 63.0, 1.3 if degrees % 10 == 0 else 0.9, MARKING)
    names = {0: 'N', 90: 'E', 180: 'S', 270: 'W'}
    for degrees in range(0, 360, 30):
        text = names.get(degrees, str(degrees // 10))
        x, y = along(ax, ay, degrees, 45.0)
        card.text_rotated(x, y, text, ORANGE if degrees in names else MARKING, degrees)

    bug = Canvas(15, 66)
    bug_axis = (7.5, 64.0)
    bug.polygon([(0.5, 0.0), (14.5, 0.0), (14.5, 7.0), (10.0, 7.0), (7.5, 3.5), (5.0, 7.0),
                 (0.5, 7.0)], ORANGE)

    plane = Canvas(21, 23)
    plane.rect(9, 0, 12, 23, WHITE)
    plane.polygon([(0.0, 9.0), (21.0, 9.0), (21.0, 12.0), (0.0, 12.0)], WHITE)
    plane.rect(5, 19, 16, 21, WHITE)

    images = {'Heading_Background.bmp': background, 'Heading_Card.bmp': card,
              'Heading_Bug.bmp': bug, 'Heading_Plane.bmp': plane}
    plane_at = (cx - 10, cy - 11)
    heading_radians = '(A:Plane heading degrees gyro,radians)'
    xml = f'''<?xml version="1.0" encoding="UTF-8"?>
<!-- A heading indicator: the card turns against the heading, the bug keeps its bearing on the
     card, and the panel's Up and Down inputs move the bug. -->
<SimBase.Document Type="Gauge" version="1,0">
  <Descr>Gauge definition</Descr>
  <SimGauge.Gauge id="Heading">
    <FloatPosition>0.000,0.000</FloatPosition>
    <Image id="Heading_Background.bmp" Name="Heading_Background.bmp"/>
    <Element id="Card">
      <FloatPosition>{fmt(cx)},{fmt(cy)}</FloatPosition>
      <Image id="Heading_Card.bmp" Name="Heading_Card.bmp">
        <Axis>{fmt(ax)},{fmt(ay)}</Axis>
      </Image>
      <Rotation id="Heading">
        <Expression id="Expression">
          <Script>{heading_radians} /-/</Script>
        </Expression>
      </Rotation>
    </Element>
    <Element id="Bug">
      <FloatPosition>{fmt(cx)},{fmt(cy)}</FloatPosition>
      <Image id="Heading_Bug.bmp" Name="Heading_Bug.bmp">
        <Axis>{fmt(bug_axis[0])},{fmt(bug_axis[1])}</Axis>
      </Image>
      <Rotation id="Bug">
        <Expression id="Expression">
          <Script>(A:Autopilot heading lock dir,radians) {heading_radians} -</Script>
        </Expression>
      </Rotation>
    </Element>
    <Element id="Plane">
      <FloatPosition>{fmt(plane_at[0])},{fmt(plane_at[1])}</FloatPosition>
      <Image id="Heading_Plane.bmp" Name="Heading_Plane.bmp"/>
    </Element>
    <MouseArea id="Knobs">
      <FloatPosition>0.000,0.000</FloatPosition>
      <Size>160,160</Size>
      <MouseArea id="Bug knob">
        <MouseArea id="Bug right">
          <CursorType>UpArrow</CursorType>
          <MouseClick id="MouseClick">
            <KeyEvent>HEADING_BUG_INC</KeyEvent>
          </MouseClick>
        </MouseArea>
        <MouseArea id="Bug left">
          <CursorType>DownArrow</CursorType>
          <MouseClick id="MouseClick">
            <KeyEvent>HEADING_BUG_DEC</KeyEvent>
          </MouseClick>
        </MouseArea>
      </MouseArea>
    </MouseArea>
  </SimGauge.Gauge>
</SimBase.Document>
'''

    def frame(heading_degrees, bug_degrees):
        return compose(background, [
            Element(card, x=cx, y=cy, axis=(ax, ay), angle=heading_degrees),
            Element(bug, x=cx, y=cy, axis=bug_axis, angle=heading_degrees - bug_degrees),
            Element(plane, x=plane_at[0], y=plane_at[1]),
        ])

    frames = {'heading-north': lambda: frame(0, 30), 'heading-250': lambda: frame(250, 270)}
    return 'Heading', images, xml, frames


# Landing gear ----------------------------------------------------------------------------------

GEAR_SOCKETS = {'Nose': (80.5, 26.5), 'Left': (46.5, 54.5), 'Right': (114.5, 54.5)}
FLAP_SCALE = (30, 101)  # x of 0 %, y of the scale line


def landing_gear():
    background = Canvas(160, 120, (44, 44, 48))
    background.rect(1, 1, 159, 119, (56, 56, 60))
    background.rect(3, 3, 157, 117, (44, 44, 48))
    for name, (x, y) in GEAR_SOCKETS.items():
        background.disc(x, y, 11.0, (20, 20, 20))
        background.disc(x, y, 9.5, (34, 40, 34))
        background.text(x, y + 16.0, name.upper(), MARKING, FONT_3X5)
    background.text(80.5, 55.5, 'GEAR', MARKING, FONT_3X5)
    x0, y0 = FLAP_SCALE
    background.line(x0, y0, x0 + 100, y0, 1.0, MARKING)
    for percent, label in ((0, 'UP'), (25, '10'), (50, '20'), (75, '30'), (100, 'FULL')):
        background.line(x0 + percent + 0.5, y0 - 4.0, x0 + percent + 0.5, y0, 1.0, MARKING)
        background.text(x0 + percent + 0.5, y0 - 9.0, label, MARKING, FONT_3X5)
    background.text(80.5, 113.5, 'FLAPS', MARKING, FONT_3X5)

    def light(colour, radius):
        image = Canvas(19, 19)
        image.disc(9.5, 9.5, radius, colour)
        image.disc(7.0, 7.0, radius / 3, tuple(min(255, v + 90) for v in colour))
        return image

    pointer = Canvas(9, 8)
    pointer.polygon([(4.5, 0.0), (9.0, 8.0), (0.0, 8.0)], ORANGE)
    images = {'Gear_Down.bmp': light((40, 200, 60), 9.0),
              'Gear_Transit.bmp': light((220, 40, 30), 5.0), 'Gear_FlapPointer.bmp': pointer}

    def lamp_elements(leg):
        x, y = GEAR_SOCKETS[leg]
        at = f'<Position X="{fmt(x - 9.5)}" Y="{fmt(y - 9.5)}"/>'
        position = f'(A:Gear {leg.lower() if leg != "Nose" else "center"} position,percent)'
        return f'''  <Element>
    {at}
    <Visible>{position} 99 &amp;gt; (L:Lamp test,bool) +</Visible>
    <Image Name="Gear_Down.bmp"/>
    <Shift><Value>{position}</Value><Scale X="0" Y="0"/></Shift>
  </Element>
  <Element>
    {at}
    <Visible>{position} 1 &amp;gt; {position} 99 &amp;lt; *</Visible>
    <Image Name="Gear_Transit.bmp"/>
  </Element>
'''

    xml = f'''<?xml version="1.0" encoding="UTF-8"?>
<!-- Gear lamps and flap position. Up and Down move the gear handle; Left and Right switch the
     lamp test on and off (written "&amp;gt;" so that the script reads "&gt;": an assignment).
     A visibility expression does not ask the simulator for its variables: each green lamp's
     still shift (scale 0) reads its leg's position so that the page receives it. -->
<Gauge Name="Landing Gear" Version="1.0">
  <Image Name="Gear_Background.bmp" ImageSizes="160,120,160,120"/>
{"".join(lamp_elements(leg) for leg in GEAR_SOCKETS)}\
  <Element>
    <Position X="{fmt(FLAP_SCALE[0] - 4)}" Y="{fmt(FLAP_SCALE[1] + 2)}"/>
    <Image Name="Gear_FlapPointer.bmp"/>
    <Shift>
      <Value Minimum="0" Maximum="100">(A:Flaps handle percent,percent)</Value>
      <Scale X="1" Y="0"/>
    </Shift>
  </Element>
  <Mouse>
    <Tooltip>Gear handle</Tooltip>
    <Area>
      <Area><Cursor Type="UpArrow"/><Click Event="GEAR_UP"/></Area>
      <Area><Cursor Type="DownArrow"/><Click Event="GEAR_DOWN"/></Area>
    </Area>
    <Area>
      <Area><Cursor Type="UpArrow"/><Click>1 (&amp;gt;L:Lamp test,bool)</Click></Area>
      <Area><Cursor Type="DownArrow"/><Click>0 (&amp;gt;L:Lamp test,bool)</Click></Area>
    </Area>
  </Mouse>
</Gauge>
'''
    images['Gear_Background.bmp'] = background

    def frame(gear, flaps):
        elements = []
        for leg, (x, y) in GEAR_SOCKETS.items():
            lamp_image = (images['Gear_Down.bmp'] if gear > 99 else
                          images['Gear_Transit.bmp'] if gear > 1 else None)
            if lamp_image:
                elements.append(Element(lamp_image, x=int(x - 9.5), y=int(y - 9.5)))
        elements.append(Element(pointer, x=FLAP_SCALE[0] - 4, y=FLAP_SCALE[1] + 2,
                                shift=(flaps, 0.0)))
        return compose(background, elements)

    frames = {'gear-down-flaps-50': lambda: frame(100, 50),
              'gear-transit': lambda: frame(40, 0)}
    return 'LandingGear', images, xml, frames


# Engine cluster --------------------------------------------------------------------------------

DIAL_RADIUS = 25.0
DIAL_MASK_HALF = 40
SWEEP = (225.0, 135.0)  # scale bearings of the lowest and highest value


class Dial:
    def __init__(self, name, centre, v0, v1, labels, ticks, title, expression, arcs=(),
                 masked=False, sweep=SWEEP, label_scale=1):
        self.name, self.centre, self.v0, self.v1 = name, centre, v0, v1
        self.label_scale = label_scale
        self.labels, self.ticks, self.title, self.expression = labels, ticks, title, expression
        self.arcs, self.masked, self.sweep = arcs, masked, sweep
        self.bearing = linear_bearing(v0, v1, *sweep)


DIALS = [
    Dial('Rpm', (30, 32), 0, 3000, [0, 10, 20, 30], 250, 'RPM',
         '(A:General eng rpm:1,rpm)', [(2100, 2700, GREEN), (2700, 3000, RED)], label_scale=100),
    Dial('Map', (90, 32), 10, 35, [10, 20, 30], 2.5, 'MAP',
         '(A:Eng manifold pressure:1,inHg)', [(15, 29, GREEN)]),
    Dial('OilPressure', (150, 32), 0, 115, [0, 50, 100], 10, 'OIL P',
         '(A:General eng oil pressure:1,psi)', [(0, 20, RED), (20, 60, YELLOW), (60, 90, GREEN),
                                                 (90, 115, RED)], masked=True),
    Dial('OilTemperature', (210, 32), 75, 245, [100, 150, 200], 10, 'OIL T',
         '(A:General eng oil temperature:1,fahrenheit)', [(100, 245, GREEN)], masked=True),
    Dial('Egt', (30, 98), 1200, 1700, [12, 14, 16], 50, 'EGT',
         '(A:General eng exhaust gas temperature:1,fahrenheit)', label_scale=100),
    Dial('FuelFlow', (90, 98), 0, 20, [0, 5, 10, 15, 20], 1, 'GPH',
         '(A:Eng fuel flow gph:1,gallons per hour)', [(4, 14, GREEN)]),
    Dial('Amps', (150, 98), -60, 60, [-60, 0, 60], 10, 'AMPS',
         '(A:Electrical battery load,amperes)', sweep=(270.0, 90.0)),
    Dial('Suction', (210, 98), 3, 7, [3, 5, 7], 0.5, 'SUCTION',
         '(A:Suction pressure,inHg)', [(4.5, 5.5, GREEN)]),
]

TAPES = [('Left', 10, '(A:Fuel tank left main quantity,gallons)'),
         ('Right', 32, '(A:Fuel tank right main quantity,gallons)')]
TAPE_TOP, TAPE_WINDOW = 142, (16, 46)
TAPE_PIXELS_PER_GALLON = 2.0
TAPE_GALLONS = 50

LAMPS = [('OIL P', RED, 'OilPressure', '(A:General eng oil pressure:1,psi) 20 &amp;lt;'),
         ('VOLTS', YELLOW, 'Volts', '(A:Electrical main bus voltage,volts) 25 &amp;lt;'),
         ('VAC', YELLOW, 'Vacuum', '(A:Suction pressure,inHg) 4 &amp;lt;'),
         ('FUEL L', YELLOW, 'FuelLeft', '(A:Fuel tank left main quantity,gallons) 8 &amp;lt;'),
         ('FUEL R', YELLOW, 'FuelRight', '(A:Fuel tank right main quantity,gallons) 8 &amp;lt;'),
         ('DOOR', YELLOW, 'Door', '(A:Exit open:0,percent) 5 &amp;gt;')]
LAMP_ORIGIN, LAMP_SIZE = (58, 136), (32, 12)

TRIMS = [('ELEV', 176, '(A:Elevator trim pct,percent)'), ('RUD', 190, '(A:Rudder trim pct,percent)')]
TRIM_CENTRE_X = 106
TRIM_HALF_SPAN = 40

FLAP_PIVOT = (192, 136)
HOBBS_WINDOW = (26, 43, 9, 10)


def lamp_position(index):
    return (LAMP_ORIGIN[0] + (index % 3) * (LAMP_SIZE[0] + 4),
            LAMP_ORIGIN[1] + (index // 3) * (LAMP_SIZE[1] + 4))


def engine_cluster():
    c = Canvas(240, 200, (36, 36, 40))
    c.rect(1, 1, 239, 199, (52, 52, 56))
    c.rect(3, 3, 237, 197, (36, 36, 40))
    images = {}
    for dial in DIALS:
        labels = dial.labels
        round_dial(c, *dial.centre, DIAL_RADIUS,
                   lambda v, d=dial: d.bearing(v * d.label_scale), [], labels,
                   label_radius=14.5)
        for v0, v1, colour in dial.arcs:
            c.ring(*dial.centre, DIAL_RADIUS - 4.5, DIAL_RADIUS - 1.5, colour,
                   bearings=(dial.bearing(v0), dial.bearing(v1)))
        steps = round((dial.v1 - dial.v0) / dial.ticks)
        for i in range(steps + 1):
            value = dial.v0 + i * dial.ticks
            c.radial(*dial.centre, dial.bearing(value), DIAL_RADIUS - (6.0 if i % 2 == 0 else 4.0),
                     DIAL_RADIUS - 1.0, 1.2 if i % 2 == 0 else 0.8, MARKING)
        c.text(dial.centre[0], dial.centre[1] + 30.5, dial.title, MARKING, FONT_3X5)
        length = 30.0 if dial.masked else 21.0
        image, axis = needle(length, 5.0, 2.6, hub=2.5)
        images[f'Engine_{dial.name}Needle.bmp'] = image
        dial.axis = axis
    # The mask must reach past the needle's tip: outside the mask's rectangle nothing is hidden.
    images['Engine_DialMask.bmp'] = window_mask(
        2 * DIAL_MASK_HALF, 2 * DIAL_MASK_HALF,
        lambda x, y: (x - DIAL_MASK_HALF) ** 2 + (y - DIAL_MASK_HALF) ** 2 < (DIAL_RADIUS - 1.0) ** 2)

    bug = Canvas(28, 7)
    bug.polygon([(21.0, 3.5), (27.5, 0.0), (27.5, 7.0)], ORANGE)
    images['Engine_EgtBug.bmp'] = bug

    # Hour drum inside the RPM dial: tenths of an hour, one digit per ten rows.
    hx, hy, hw, hh = HOBBS_WINDOW
    c.rect(hx - 1, hy - 1, hx + hw + 1, hy + hh + 1, (110, 110, 110))
    drum = Canvas(hw, 110, (230, 230, 230))
    for digit in range(11):
        drum.text(hw / 2, 5.0 + 10 * digit, str(digit % 10), (20, 20, 20))
    images['Engine_HourDrum.bmp'] = drum
    images['Engine_HourWindow.bmp'] = window_mask(hw, hh, lambda x, y: True)

    # Fuel tapes: gallons from 50 at the top, the quantity under the index at the window's middle.
    tw, th = TAPE_WINDOW
    tape = Canvas(tw, th + TAPE_GALLONS * int(TAPE_PIXELS_PER_GALLON), (24, 24, 26))
    for gallons in range(0, TAPE_GALLONS + 1, 5):
        y = th / 2 + (TAPE_GALLONS - gallons) * TAPE_PIXELS_PER_GALLON
        tape.line(0, y, 4.0 if gallons % 10 else 6.0, y, 1.0, WHITE)
        if gallons % 10 == 0:
            tape.text(11.0, y, str(gallons), WHITE, FONT_3X5)
    images['Engine_FuelTape.bmp'] = tape
    images['Engine_TapeWindow.bmp'] = window_mask(tw, th, lambda x, y: True)
    c.text(28.5, TAPE_TOP - 5.5, 'FUEL', MARKING, FONT_3X5)
    for name, x, _ in TAPES:
        c.rect(x - 1, TAPE_TOP - 1, x + tw + 1, TAPE_TOP + th + 1, (110, 110, 110))
        c.polygon([(x - 4.0, TAPE_TOP + th / 2 - 2.5), (x - 0.5, TAPE_TOP + th / 2),
                   (x - 4.0, TAPE_TOP + th / 2 + 2.5)], ORANGE)
        c.text(x + tw / 2, TAPE_TOP + th + 4.5, name[0], MARKING, FONT_3X5)

    for index, (text, colour, name, _) in enumerate(LAMPS):
        x, y = lamp_position(index)
        c.rect(x - 1, y - 1, x + LAMP_SIZE[0] + 1, y + LAMP_SIZE[1] + 1, (20, 20, 20))
        c.text(x + LAMP_SIZE[0] / 2, y + LAMP_SIZE[1] / 2, text, (70, 70, 74), FONT_3X5)
        images[f'Engine_Lamp{name}.bmp'] = lamp(*LAMP_SIZE, colour, text)

    trim = Canvas(7, 6)
    trim.polygon([(3.5, 0.0), (7.0, 6.0), (0.0, 6.0)], ORANGE)
    images['Engine_TrimPointer.bmp'] = trim
    for text, y, _ in TRIMS:
        c.line(TRIM_CENTRE_X - TRIM_HALF_SPAN, y, TRIM_CENTRE_X + TRIM_HALF_SPAN + 1, y, 1.0,
               MARKING)
        for step in range(-2, 3):
            x = TRIM_CENTRE_X + 0.5 + step * TRIM_HALF_SPAN / 2
            c.line(x, y - (4.0 if step == 0 else 2.5), x, y, 1.0, MARKING)
        c.text(TRIM_CENTRE_X + TRIM_HALF_SPAN + 14.0, y, text, MARKING, FONT_3X5)

    fx, fy = FLAP_PIVOT
    c.disc(fx, fy, 3.0, (90, 90, 94))
    for percent, label in ((0, 'UP'), (50, '20'), (100, 'FULL')):
        b = 90.0 + percent * 0.9
        c.radial(fx, fy, b, 29.0, 33.0, 1.2, MARKING)
        x, y = along(fx, fy, b, 39.0)
        c.text(x, y, label, MARKING, FONT_3X5)
    c.text(fx + 26.0, fy + 50.5, 'FLAPS', MARKING, FONT_3X5)
    images['Engine_FlapNeedle.bmp'], flap_axis = needle(28.0, 3.0, 3.0, hub=3.0)
    images['Engine_Panel.bmp'] = c

    # Definition -----------------------------------------------------------------------------
    parts = []
    for dial in DIALS:
        b0, b1 = dial.sweep
        table = (f'        <Item Value="{fmt(dial.v0)}" Degrees="{fmt(b0)}"/>\n'
                 f'        <Item Value="{fmt(dial.v1)}" Degrees="{fmt(b1)}"/>')
        cx, cy = dial.centre
        if dial.masked:
            m = DIAL_MASK_HALF
            where = (f'    <Position X="{cx - m}" Y="{cy - m}"/>\n'
                     f'    <MaskImage Name="Engine_DialMask.bmp"><Axis X="{m}" Y="{m}"/></MaskImage>\n')
        else:
            where = f'    <Position X="{cx}" Y="{cy}"/>\n'
        parts.append(f'''  <Element>
{where}    <Image Name="Engine_{dial.name}Needle.bmp"><Axis X="{fmt(dial.axis[0])}" Y="{fmt(dial.axis[1])}"/></Image>
    <Rotate>
      <Value Minimum="{fmt(dial.v0)}" Maximum="{fmt(dial.v1)}">{dial.expression}</Value>
      <Nonlinearity>
{table}
      </Nonlinearity>
    </Rotate>
  </Element>
''')
        if dial.name == 'Egt':
            parts.append(f'''  <Element>
    <Position X="{cx}" Y="{cy}"/>
    <Image Name="Engine_EgtBug.bmp"><Axis X="0" Y="3.5"/></Image>
    <Rotate>
      <Value Minimum="{fmt(dial.v0)}" Maximum="{fmt(dial.v1)}">(L:Egt reference,fahrenheit)</Value>
      <Nonlinearity>
{table}
      </Nonlinearity>
    </Rotate>
  </Element>
''')
    parts.append(f'''  <Element>
    <Position X="{hx}" Y="{hy}"/>
    <MaskImage Name="Engine_HourWindow.bmp"/>
    <Image Name="Engine_HourDrum.bmp"/>
    <Shift>
      <Value>(A:General eng elapsed time:1,hours) 10 * d 10 / flr 10 * -</Value>
      <Nonlinearity>
        <Item Value="0" X="0" Y="0"/>
        <Item Value="10" X="0" Y="100"/>
      </Nonlinearity>
    </Shift>
  </Element>
''')
    for name, x, expression in TAPES:
        parts.append(f'''  <Element>
    <Position X="{x}" Y="{TAPE_TOP}"/>
    <MaskImage Name="Engine_TapeWindow.bmp"/>
    <Image Name="Engine_FuelTape.bmp"/>
    <Shift>
      <Value Minimum="0" Maximum="{TAPE_GALLONS}">{expression}</Value>
      <Nonlinearity>
        <Item Value="0" X="0" Y="{fmt(TAPE_GALLONS * TAPE_PIXELS_PER_GALLON)}"/>
        <Item Value="{TAPE_GALLONS}" X="0" Y="0"/>
      </Nonlinearity>
    </Shift>
  </Element>
''')
    for index, (_, _, name, visible) in enumerate(LAMPS):
        x, y = lamp_position(index)
        variable = visible[:visible.index(')') + 1]
        still = ('' if any(variable in part for part in parts) else
                 f'\n    <Shift><Value>{variable}</Value><Scale X="0" Y="0"/></Shift>')
        parts.append(f'''  <Element>
    <Position X="{x}" Y="{y}"/>
    <Visible>{visible}</Visible>
    <Image Name="Engine_Lamp{name}.bmp"/>{still}
  </Element>
''')
    for _, y, expression in TRIMS:
        parts.append(f'''  <Element>
    <Position X="{TRIM_CENTRE_X - 3}" Y="{y + 1}"/>
    <Image Name="Engine_TrimPointer.bmp"/>
    <Shift>
      <Value Minimum="-100" Maximum="100">{expression}</Value>
      <Scale X="{fmt(TRIM_HALF_SPAN / 100)}" Y="0"/>
    </Shift>
  </Element>
''')
    parts.append(f'''  <Element>
    <Position X="{fx}" Y="{fy}"/>
    <Image Name="Engine_FlapNeedle.bmp"><Axis X="{fmt(flap_axis[0])}" Y="{fmt(flap_axis[1])}"/></Image>
    <Rotate>
      <Value Minimum="0" Maximum="100">(A:Flaps handle percent,percent)</Value>
      <Nonlinearity>
        <Item Value="0" Degrees="90"/>
        <Item Value="100" Degrees="180"/>
      </Nonlinearity>
    </Rotate>
  </Element>
''')
    xml = f'''<?xml version="1.0" encoding="UTF-8"?>
<!-- An engine and systems cluster of {len(parts)} elements: dials (two of them masked to their face),
     an EGT reference bug set with the Up and Down inputs, an hour drum and fuel tapes behind
     masks, warning lamps, trim and flap pointers. A lamp whose variable no dial reads gets a
     still shift (scale 0) that reads it: visibility expressions do not ask the simulator for
     their variables. -->
<Gauge Name="Engine Cluster" Version="1.0">
  <Image Name="Engine_Panel.bmp" ImageSizes="240,200,240,200"/>
{"".join(parts)}\
  <Mouse>
    <Area>
      <Area><Cursor Type="UpArrow"/><Click>(L:Egt reference,fahrenheit) 25 + 1700 min (&amp;gt;L:Egt reference,fahrenheit)</Click></Area>
      <Area><Cursor Type="DownArrow"/><Click>(L:Egt reference,fahrenheit) 25 - 1200 max (&amp;gt;L:Egt reference,fahrenheit)</Click></Area>
    </Area>
  </Mouse>
</Gauge>
'''

    def frame(fraction):
        elements = []
        for dial in DIALS:
            value = dial.v0 + (dial.v1 - dial.v0) * fraction
            angle = 90.0 - dial.bearing(value)
            cx, cy = dial.centre
            if dial.masked:
                m = DIAL_MASK_HALF
                elements.append(Element(images[f'Engine_{dial.name}Needle.bmp'], x=cx - m,
                                        y=cy - m, axis=dial.axis,
                                        mask=images['Engine_DialMask.bmp'], mask_axis=(m, m),
                                        angle=angle))
            else:
                elements.append(Element(images[f'Engine_{dial.name}Needle.bmp'], x=cx, y=cy,
                                        axis=dial.axis, angle=angle))
        egt = DIALS[4]
        elements.append(Element(bug, x=egt.centre[0], y=egt.centre[1], axis=(0, 3.5),
                                angle=90.0 - egt.bearing(1550)))
        tenths = (fraction * 73.4 * 10) % 10
        elements.append(Element(drum, x=hx, y=hy, mask=images['Engine_HourWindow.bmp'],
                                shift=(0.0, 10.0 * tenths)))
        for name, x, _ in TAPES:
            gallons = TAPE_GALLONS * (fraction if name == 'Left' else 1 - fraction)
            elements.append(Element(tape, x=x, y=TAPE_TOP, mask=images['Engine_TapeWindow.bmp'],
                                    shift=(0.0, (TAPE_GALLONS - gallons) * TAPE_PIXELS_PER_GALLON)))
        for index, (_, _, name, _) in enumerate(LAMPS):
            if index % 2 == (0 if fraction < 0.5 else 1):
                x, y = lamp_position(index)
                elements.append(Element(images[f'Engine_Lamp{name}.bmp'], x=x, y=y))
        for _, y, _ in TRIMS:
            elements.append(Element(trim, x=TRIM_CENTRE_X - 3, y=y + 1,
                                    shift=(TRIM_HALF_SPAN / 100 * (fraction * 200 - 100), 0.0)))
        elements.append(Element(images['Engine_FlapNeedle.bmp'], x=fx, y=fy, axis=flap_axis,
                                angle=90.0 - (90.0 + fraction * 90.0)))
        return compose(c, elements)

    frames = {'engine-low': lambda: frame(0.2), 'engine-high': lambda: frame(0.8)}
    return 'EngineCluster', images, xml, frames


# All of them -----------------------------------------------------------------------------------

SAMPLES = [altimeter, attitude, heading, landing_gear, engine_cluster]
OLDER_SCHEMA = {'Altimeter', 'LandingGear', 'EngineCluster'}


def build():
    """{relative path: canvas}, {relative path: definition text}, {name: frame function}."""
    images, texts, frames = {}, {}, {}
    for make in SAMPLES:
        folder, sample_images, xml, sample_frames = make()
        image_folder = f'{folder}/1024' if folder in OLDER_SCHEMA else folder
        for name, canvas in sample_images.items():
            if name.endswith('Background.bmp') or name in ('Engine_Panel.bmp',
                                                             'Altimeter_Dial.bmp'):
                clear_see_through(canvas)
            images[f'{image_folder}/{name}'] = canvas
        texts[f'{folder}/{folder}.xml'] = xml
        frames.update(sample_frames)
    return images, texts, frames
