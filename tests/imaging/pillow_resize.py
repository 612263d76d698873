#!/usr/bin/python3
"""pillow_resize.py SOURCE TARGET WIDTH HEIGHT RED GREEN BLUE
pillow_resize.py --serve   the same for each line of standard input (the seven
                           values separated by tabs), answering "done" or
                           "failed: why" on a line of its own, so that a test
                           that resizes many pictures starts Python once

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


def resized(plane, size, method):
    return numpy.asarray(Image.fromarray(plane, "F").resize(size, method), dtype=numpy.float32)


def resize(source, target, width, height, background):
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


def resize_arguments(arguments):
    resize(arguments[0], arguments[1], int(arguments[2]), int(arguments[3]), [float(v) for v in arguments[4:7]])


if sys.argv[1:] == ["--serve"]:
    for line in sys.stdin:
        try:
            resize_arguments(line.rstrip("\n").split("\t"))
            print("done", flush=True)
        except Exception as problem:  # the test reports it and goes on
            print(f"failed: {problem!r}", flush=True)
else:
    resize_arguments(sys.argv[1:])
