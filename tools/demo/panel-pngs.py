#!/usr/bin/env python3
"""Turns the instrument panels' images that the stand-in display-device service kept into PNG
files a person can open.

    panel-pngs.py <service output folder> <PNG folder>

For every panel "<serial>" it writes into "<PNG folder>/<serial>/":
- "frame<NNNN>-page<P>.png" for each image the panel received, in the order received
  (the service's "<serial>-frame<NNNN>-page<P>.bmp"), and
- "last-page<P>.png", the image each page held at the end ("<serial>-page<P>-0.bmp").
It prints one line per panel: how many frames, and of which pages.
"""

import os
import re
import struct
import sys
import zlib

FRAME = re.compile(r"^(?P<serial>.+)-frame(?P<number>\d{4,})-page(?P<page>\d+)\.bmp$")
LAST = re.compile(r"^(?P<serial>.+)-page(?P<page>\d+)-0\.bmp$")


def read_bmp(path):
    """Width, height and top-down RGB rows of a 24-bit bottom-up BMP."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24 or height <= 0:
        raise ValueError(f"{path}: not a 24-bit bottom-up bitmap")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray(data[offset + y * stride: offset + y * stride + width * 3])
        row[0::3], row[2::3] = row[2::3], row[0::3]  # BGR -> RGB
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = b"".join(b"\x00" + row for row in rows)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        f.write(chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: panel-pngs.py <service output folder> <PNG folder>")
    source, target = sys.argv[1], sys.argv[2]
    frames = {}
    for name in sorted(os.listdir(source)):
        frame = FRAME.match(name)
        last = LAST.match(name)
        match = frame or last
        if not match:
            continue
        serial = match.group("serial")
        folder = os.path.join(target, serial)
        os.makedirs(folder, exist_ok=True)
        if frame:
            png = f"frame{frame.group('number')}-page{frame.group('page')}.png"
            frames.setdefault(serial, []).append(int(frame.group("page")))
        else:
            png = f"last-page{last.group('page')}.png"
        write_png(os.path.join(folder, png), *read_bmp(os.path.join(source, name)))
    for serial, pages in sorted(frames.items()):
        counts = ", ".join(f"page {p}: {pages.count(p)}" for p in sorted(set(pages)))
        print(f"{serial}: {len(pages)} frames ({counts}) in {os.path.join(target, serial)}")


if __name__ == "__main__":
    main()
