#!/usr/bin/python3
"""pillow_resize.py SOURCE TARGET WIDTH HEIGHT RED GREEN BLUE

Pillow's resize, one direction at a time in the program's order (each pass
rounds and clips to 8 bits, which shows on hard edges): LANCZOS where a size
shrinks, BICUBIC where it grows. Transparent pictures are resized
premultiplied, as Pillow does RGBA, and laid over RED GREEN BLUE.
"""
import sys

from PIL import Image

source, target = sys.argv[1], sys.argv[2]
width, height = int(sys.argv[3]), int(sys.argv[4])
picture = Image.open(source)
clear = picture.mode in ("RGBA", "LA", "PA") or "transparency" in picture.info
picture = picture.convert("RGBA" if clear else "RGB")
if height < picture.height:
    picture = picture.resize((picture.width, height), Image.LANCZOS)
if width < picture.width:
    picture = picture.resize((width, picture.height), Image.LANCZOS)
if width > picture.width:
    picture = picture.resize((width, picture.height), Image.BICUBIC)
if height > picture.height:
    picture = picture.resize((width, height), Image.BICUBIC)
if clear:
    under = Image.new("RGBA", picture.size, tuple(int(v) for v in sys.argv[5:8]) + (255,))
    picture = Image.alpha_composite(under, picture)
picture.convert("RGB").save(target)
