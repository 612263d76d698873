#!/usr/bin/python3
"""png_pictures.py FOLDER

Writes PNGs of the kinds Pillow's own writer (Debian's python3-pil) makes:
grey of 1, 8 and 16 bits, grey and RGB with a transparent colour (tRNS),
palettes of 1, 2, 4 and 8 bits with and without alpha for their entries,
grey with alpha, RGB and RGBA, one with an ICC profile. Prints the names.
"""
import io
import sys

import numpy
from PIL import Image, ImageCms

folder = sys.argv[1]
rng = numpy.random.default_rng(7)
w, h = 37, 23
noise = rng.integers(0, 256, (h, w, 4), dtype=numpy.uint8)
# Smooth parts as well as noise, so that every filter has something to do.
x = numpy.arange(w)[None, :].repeat(h, 0)
y = numpy.arange(h)[:, None].repeat(w, 1)
smooth = numpy.stack([x * 6, y * 10, (x + y) * 4, 255 - x * 3], axis=2).astype(numpy.uint8)
pixels = numpy.where((x // 8 % 2 == 0)[:, :, None], smooth, noise)

names = []


def save(name, image, **options):
    image.save(f"{folder}/{name}", **options)
    names.append(name)


save("rgb.png", Image.fromarray(pixels[:, :, :3], "RGB"))
save("rgba.png", Image.fromarray(pixels, "RGBA"))
save("la.png", Image.fromarray(pixels[:, :, ::3][:, :, :2].copy(), "LA"))
save("grey.png", Image.fromarray(pixels[:, :, 0], "L"))
save("grey-1bit.png", Image.fromarray(pixels[:, :, 0] > 127).convert("1"))
wide = (pixels[:, :, 0].astype(numpy.uint16) * 257 + pixels[:, :, 1]).astype(numpy.uint16)
save("grey-16bit.png", Image.fromarray(wide.astype(numpy.int32), "I").convert("I;16"))
save("grey-transparent.png", Image.fromarray(pixels[:, :, 0], "L"), transparency=int(pixels[3, 3, 0]))
save("rgb-transparent.png", Image.fromarray(pixels[:, :, :3], "RGB"), transparency=tuple(int(v) for v in pixels[5, 5, :3]))
for bits, colours in ((1, 2), (2, 4), (4, 16), (8, 200)):
    palette = Image.fromarray(pixels[:, :, :3], "RGB").quantize(colours)
    save(f"palette-{bits}bit.png", palette, bits=bits)
    clear = palette.copy()
    clear.info["transparency"] = bytes(range(0, 256, max(1, 256 // colours)))[:colours]
    save(f"palette-{bits}bit-alpha.png", clear, bits=bits, transparency=clear.info["transparency"])
srgb = ImageCms.ImageCmsProfile(ImageCms.createProfile("sRGB")).tobytes()
save("profile.png", Image.fromarray(pixels[:, :, :3], "RGB"), icc_profile=srgb)
print("\n".join(names))
