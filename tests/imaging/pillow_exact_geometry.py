#!/usr/bin/python3
"""pillow_exact_geometry.py CASES

For each line "WIDTH HEIGHT BOX_WIDTH BOX_HEIGHT X_HALVES Y_HALVES" of CASES,
what Pillow's ImageOps makes of a picture of that size for that box, with
centering (X_HALVES / 2, Y_HALVES / 2), printed as one line:
  fit LEFT TOP RIGHT BOTTOM  pad X Y WIDTH HEIGHT
fit's crop box (in the source's pixels, as ImageOps.fit hands it to resize)
and where ImageOps.pad puts the fitted picture, read from its output: the
source is white, the border black, resampled nearest, so the white rectangle
is the picture; "pad none" where Pillow cannot pad (a side that rounds to 0).
"""
import sys

from PIL import Image, ImageOps

boxes = []
original_resize = Image.Image.resize


def recording_resize(self, size, resample=None, box=None, reducing_gap=None):
    boxes.append(box)
    return original_resize(self, size, resample, box, reducing_gap)


with open(sys.argv[1]) as cases:
    for line in cases:
        w, h, bw, bh, xh, yh = (int(v) for v in line.split())
        centering = (xh / 2, yh / 2)
        source = Image.new("L", (w, h), 255)
        Image.Image.resize = recording_resize
        boxes.clear()
        ImageOps.fit(source, (bw, bh), Image.Resampling.NEAREST, centering=centering)
        Image.Image.resize = original_resize
        crop = boxes[0]
        try:
            padded = ImageOps.pad(source, (bw, bh), Image.Resampling.NEAREST, color=0, centering=centering)
            left, top, right, bottom = padded.getbbox()
            pad = "pad %d %d %d %d" % (left, top, right - left, bottom - top)
        except ValueError:
            # A picture so thin that its fitted side rounds to 0 pixels.
            pad = "pad none"
        print("fit %r %r %r %r %s" % (*crop, pad))
