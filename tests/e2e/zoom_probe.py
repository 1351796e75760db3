#!/usr/bin/python3
"""Helpers of zoom_e2e.sh.

  zoom_probe.py title
      Prints the title strip's text as the viewer exposes it to assistive tools (its
      accessible name over AT-SPI): "Image: NAME  [READOUT]  [MEASURE]  Zoom: Z".
      Exit status 1 when no Ridgeview title strip is found.
  zoom_probe.py mean PGM ZOOM CX CY
      Prints the area-weighted mean of the binary PGM's pixels that content pixel (CX, CY)
      covers at ZOOM (the span [C * ZOOM, (C + 1) * ZOOM) on each axis), with two decimals.
"""
import math
import sys


def title():
    import gi
    gi.require_version("Atspi", "2.0")
    from gi.repository import Atspi

    def walk(obj, depth):
        if obj is None or depth > 12:
            return None
        try:
            name = obj.get_name() or ""
        except Exception:
            return None
        if name.startswith("Image: ") or name == "No image":
            return name
        for i in range(obj.get_child_count()):
            found = walk(obj.get_child_at_index(i), depth + 1)
            if found is not None:
                return found
        return None

    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == "Ridgeview":
            found = walk(app, 0)
            if found is not None:
                print(found)
                return 0
    return 1


def read_pgm(path):
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            while data[pos:pos + 1] not in (b"\n", b""):
                pos += 1
            continue
        start = pos
        while not data[pos:pos + 1].isspace():
            pos += 1
        fields.append(data[start:pos])
    assert fields[0] == b"P5" and int(fields[3]) == 255
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[pos + 1:pos + 1 + width * height]


def mean(path, zoom, cx, cy):
    width, height, pixels = read_pgm(path)
    x0, x1 = cx * zoom, min((cx + 1) * zoom, width)
    y0, y1 = cy * zoom, min((cy + 1) * zoom, height)
    total = area = 0.0
    for y in range(int(math.floor(y0)), int(math.ceil(y1))):
        wy = min(y1, y + 1) - max(y0, y)
        for x in range(int(math.floor(x0)), int(math.ceil(x1))):
            wx = min(x1, x + 1) - max(x0, x)
            total += wx * wy * pixels[y * width + x]
            area += wx * wy
    print("%.2f" % (total / area))
    return 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["title"]:
        sys.exit(title())
    if sys.argv[1:2] == ["mean"] and len(sys.argv) == 6:
        sys.exit(mean(sys.argv[2], float(sys.argv[3]), int(sys.argv[4]), int(sys.argv[5])))
    sys.exit(__doc__)
