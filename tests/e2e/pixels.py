#!/usr/bin/env python3
"""Reads screenshots for the end-to-end tests (through ImageMagick's PPM output).

  pixels.py count FILE X Y W H CLASS   pixels of a colour class in the rectangle
  pixels.py bbox FILE X Y W H CLASS    "x0 y0 x1 y1" of those pixels, or "none"
  pixels.py diff FILE1 FILE2 [X Y W H] pixels that differ by more than 24 in a channel
  pixels.py lit FILE X Y W H           pixels brighter than 8 in any channel

The HUD is drawn additively over a grey sky (about 120 in every channel), so its lines are
brighter than the sky and keep the sky's grey in the channels they do not add to: red (1, 0, 0)
lines come out near (255, 120, 120), pink (1, 0.5, 0.5) near (255, 247, 247) and yellow
(1, 1, 0.5) near (255, 255, 247). The red models and the orange ship stay darker in green.
"""
import subprocess
import sys


def read(path):
    data = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    fields, at = [], 0
    while len(fields) < 4:  # magic, width, height, maximum
        while data[at:at + 1].isspace():
            at += 1
        if data[at:at + 1] == b"#":
            at = data.index(b"\n", at) + 1
            continue
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    width, height = int(fields[1]), int(fields[2])
    pixels = data[at + 1:at + 1 + width * height * 3]
    return width, height, pixels


def classes(r, g, b):
    return {
        "red": r >= 200 and r - max(g, b) > 60 and min(g, b) >= 80,
        "pink": r >= 200 and r - g >= 4 and abs(g - b) < 12 and g >= 140,
        "yellow": r >= 200 and abs(r - g) < 12 and r - b >= 8 and b >= 140,
        "green": g >= 200 and g - r >= 4 and abs(r - b) < 12 and r >= 140,
    }


def rect(width, height, args):
    if not args:
        return 0, 0, width, height
    x, y, w, h = (int(v) for v in args)
    return max(x, 0), max(y, 0), min(x + w, width), min(y + h, height)


def each(path, args):
    width, height, px = read(path)
    x0, y0, x1, y1 = rect(width, height, args)
    for y in range(y0, y1):
        for x in range(x0, x1):
            i = (y * width + x) * 3
            yield x, y, px[i], px[i + 1], px[i + 2]


def main(argv):
    what = argv[1]
    if what in ("count", "bbox"):
        klass = argv[7]
        hits = [(x, y) for x, y, r, g, b in each(argv[2], argv[3:7]) if classes(r, g, b)[klass]]
        if what == "count":
            print(len(hits))
        elif hits:
            xs, ys = [h[0] for h in hits], [h[1] for h in hits]
            print(min(xs), min(ys), max(xs), max(ys))
        else:
            print("none")
    elif what == "lit":
        print(sum(1 for _, _, r, g, b in each(argv[2], argv[3:7]) if max(r, g, b) > 8))
    elif what == "diff":
        a = list(each(argv[2], argv[4:8]))
        b = list(each(argv[3], argv[4:8]))
        if len(a) != len(b):
            print(10 ** 9)
            return
        print(sum(1 for p, q in zip(a, b) if max(abs(p[2] - q[2]), abs(p[3] - q[3]), abs(p[4] - q[4])) > 24))
    else:
        sys.exit("unknown command " + what)


if __name__ == "__main__":
    main(sys.argv)
