#!/usr/bin/python3
"""pillow_dpi.py FILE...

The resolution Pillow reads from each FILE, rounded to whole dots per inch,
one line each: "300 300", or "none" when the file carries none.
"""
import sys

from PIL import Image

for path in sys.argv[1:]:
    dpi = Image.open(path).info.get("dpi")
    print("none" if dpi is None else "%d %d" % (round(float(dpi[0])), round(float(dpi[1]))))
