#!/usr/bin/python3
"""pillow_exact_pixels.py SOURCE OUTPUT MODE WIDTH HEIGHT X_HALVES Y_HALVES PAD

What Pillow's ImageOps makes of SOURCE (turned upright by its EXIF) for an
exact box: MODE "fill" is ImageOps.fit, "pad" ImageOps.pad in the colour PAD
(#RRGGBB), "stretch" a plain resize, all Lanczos, centred at
(X_HALVES / 2, Y_HALVES / 2). Prints "SIZE_MATCH PSNR" comparing it with
OUTPUT: 1 when both are WIDTH x HEIGHT, and the peak signal-to-noise ratio in
dB over the RGB bands (99 for equal pictures).
"""
import math
import sys

from PIL import Image, ImageChops, ImageOps, ImageStat

source, output, mode = sys.argv[1], sys.argv[2], sys.argv[3]
width, height, xh, yh = (int(v) for v in sys.argv[4:8])
pad = sys.argv[8]
centering = (xh / 2, yh / 2)

picture = ImageOps.exif_transpose(Image.open(source)).convert("RGB")
if mode == "fill":
    expected = ImageOps.fit(picture, (width, height), Image.Resampling.LANCZOS, centering=centering)
elif mode == "pad":
    expected = ImageOps.pad(picture, (width, height), Image.Resampling.LANCZOS, color=pad, centering=centering)
else:
    expected = picture.resize((width, height), Image.Resampling.LANCZOS)

made = Image.open(output).convert("RGB")
if made.size != expected.size:
    print("0 0")
    sys.exit(0)
squares = ImageStat.Stat(ImageChops.difference(made, expected)).sum2
mse = sum(squares) / (3 * width * height)
print("1 %.2f" % (99.0 if mse == 0 else 10 * math.log10(255 * 255 / mse)))
