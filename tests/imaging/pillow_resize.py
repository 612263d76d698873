#!/usr/bin/python3
"""pillow_resize.py SOURCE TARGET WIDTH HEIGHT RED GREEN BLUE

Pillow's resize, one direction at a time in the program's order, each
channel on its own as 32-bit floats (mode "F"), so that nothing is rounded
or clipped between the passes: LANCZOS where a size shrinks, BICUBIC where it
grows. Transparent pictures are resized premultiplied (the colour channels
weighted by alpha, divided by the resized alpha afterwards) and laid over RED
GREEN BLUE; the result is rounded to 8 bits once, at the end.
"""
import sys

import numpy
from PIL import Image

source, target = sys.argv[1], sys.argv[2]
width, height = int(sys.argv[3]), int(sys.argv[4])
background = [float(v) for v in sys.argv[5:8]]
picture = Image.open(source)
clear = picture.mode in ("RGBA", "LA", "PA") or "transparency" in picture.info
if picture.mode in ("I;16", "I;16B", "I"):
    # 16-bit grey: as 8-bit values with fractions.
    planes = [numpy.asarray(picture, dtype=numpy.float32) / 257.0] * 3
    alpha = None
else:
    rgba = numpy.asarray(picture.convert("RGBA" if clear else "RGB"), dtype=numpy.float32)
    planes = [rgba[:, :, c] for c in range(3)]
    alpha = rgba[:, :, 3] / 255.0 if clear else None
if alpha is not None:
    planes = [p * alpha for p in planes] + [alpha]


def resized(plane, size, method):
    return numpy.asarray(Image.fromarray(plane, "F").resize(size, method), dtype=numpy.float32)


w, h = planes[0].shape[1], planes[0].shape[0]
for condition, size, method in ((height < h, (w, height), Image.LANCZOS), (width < w, (width, None), Image.LANCZOS),
                                (width > w, (width, None), Image.BICUBIC), (height > h, (None, height), Image.BICUBIC)):
    if condition:
        size = (size[0] or planes[0].shape[1], size[1] or planes[0].shape[0])
        planes = [resized(p, size, method) for p in planes]
if alpha is not None:
    alpha = numpy.clip(planes.pop(), 0.0, 1.0)
    safe = numpy.where(alpha > 0, alpha, 1.0)
    planes = [numpy.where(alpha > 0, p / safe, 0.0) for p in planes]
    planes = [numpy.clip(p, 0, 255) * alpha + b * (1 - alpha) for p, b in zip(planes, background)]
out = numpy.clip(numpy.rint(numpy.stack(planes, axis=2)), 0, 255).astype(numpy.uint8)
Image.fromarray(out, "RGB").save(target)
