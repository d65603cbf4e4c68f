#!/usr/bin/env python3
"""Draws every gauge image of the project and writes them where they belong:

- the built-in airspeed gauge's five images, installed with the display-device software, into
  standins/nuvex-service/1024/;
- the sample gauges, definitions and images, into their folders under samples/gauges/.

The images are committed; run this again after changing a drawing. With --preview DIR it also
writes enlarged PNGs of every image and of a few composed frames, for a person to look at.
"""

import argparse
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import airspeed  # noqa: E402
import samples  # noqa: E402
from compose import Element, compose  # noqa: E402

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..'))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data)


def airspeed_frames(images):
    """The built-in gauge at a few airspeeds and knob settings, composed as the program does."""
    def frame(knots, var1):
        needle_angle = 90.0 - airspeed.scale_bearing(min(max(knots, 0), 260))
        return compose(images['Airspeed_Background.bmp'], [
            Element(images['Airspeed_TAS.bmp'], axis=airspeed.TAS_AXIS,
                    mask=images['Airspeed_Background.bmp'], mask_axis=airspeed.TAS_CENTRE,
                    angle=-2.0 * var1),
            Element(images['Airspeed_INHG.bmp'], axis=airspeed.INHG_AXIS,
                    mask=images['Airspeed_Background.bmp'], mask_axis=airspeed.INHG_ANCHOR,
                    shift=(50.0 * var1 * math.pi / 90.0, 0.0)),
            Element(images['Airspeed_Needle.bmp'], x=73, y=76, axis=airspeed.NEEDLE_AXIS,
                    angle=needle_angle),
            Element(images['Airspeed_Knob.bmp'], x=122, y=127, axis=airspeed.KNOB_AXIS,
                    angle=-var1),
        ])
    return {f'airspeed-{knots}kt-var{var1}': frame(knots, var1)
            for knots, var1 in ((0, 0), (50, 0), (130, 10), (200, -30), (260, 30))}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--preview', metavar='DIR', help='also write enlarged PNGs here')
    args = parser.parse_args()

    builtin = {name: draw() for name, draw in airspeed.IMAGES.items()}
    for name, canvas in builtin.items():
        write(os.path.join(ROOT, 'standins', 'nuvex-service', '1024', name), canvas.bmp_bytes())

    sample_images, sample_texts, sample_frames = samples.build()
    for relative, canvas in sample_images.items():
        write(os.path.join(ROOT, 'samples', 'gauges', relative), canvas.bmp_bytes())
    for relative, text in sample_texts.items():
        write(os.path.join(ROOT, 'samples', 'gauges', relative), text.encode('utf-8'))

    if args.preview:
        shown = dict(builtin)
        shown.update(sample_images)
        shown.update(airspeed_frames(builtin))
        shown.update({name: draw() for name, draw in sample_frames.items()})
        for name, canvas in shown.items():
            png = name.replace('/', '-').removesuffix('.bmp') + '.png'
            write(os.path.join(args.preview, png), canvas.png_bytes(3))


if __name__ == '__main__':
    main()
