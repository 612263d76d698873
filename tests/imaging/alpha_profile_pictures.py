#!/usr/bin/python3
"""alpha_profile_pictures.py FOLDER PROFILE RED GREEN BLUE

Writes 64 x 16 pictures with an alpha ramp (transparent at the left, opaque
at the right) over colour ramps, each with PROFILE embedded, and next to each
NAME the expected picture NAME.expected.png: the colours converted to sRGB by
lcms through Pillow's ImageCms (perceptual intent) and laid over RED GREEN
BLUE by their alpha. The writers are this script's own, so that the files are
exactly as written here:

  rgba16.png    16-bit RGBA PNG, the profile in an iCCP chunk
  grey16a.png   16-bit grey + alpha PNG (a grey profile is taken for PROFILE
                when it is a grey one; otherwise a 8-bit grey ramp is skipped)
  rgba16.tif    16-bit RGBA TIFF, unassociated alpha (ExtraSamples 2)
  rgba16-premultiplied.tif
                16-bit RGBA TIFF, associated alpha (ExtraSamples 1): colour
                stored multiplied by alpha
  rgba8.png     8-bit RGBA PNG, for comparison
"""
import io
import struct
import sys
import zlib

import numpy
from PIL import Image, ImageCms

WIDTH, HEIGHT = 64, 16


def ramps():
    x = numpy.arange(WIDTH, dtype=numpy.float64)[None, :].repeat(HEIGHT, 0)
    y = numpy.arange(HEIGHT, dtype=numpy.float64)[:, None].repeat(WIDTH, 1)
    red = 40 + 200 * x / (WIDTH - 1)
    green = 30 + 180 * y / (HEIGHT - 1)
    blue = 220 - 150 * x / (WIDTH - 1)
    alpha = x / (WIDTH - 1)
    return numpy.stack([red, green, blue], axis=2) / 255.0, alpha


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(values, bits, colour_type, profile):
    """values: rows of samples already scaled to the bit depth."""
    sample = ">u2" if bits == 16 else "u1"
    raw = b"".join(b"\0" + row.astype(sample).tobytes() for row in values.reshape(HEIGHT, -1))
    header = struct.pack(">IIBBBBB", WIDTH, HEIGHT, bits, colour_type, 0, 0, 0)
    icc = chunk(b"iCCP", b"profile\0\0" + zlib.compress(profile))
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + icc + chunk(b"IDAT", zlib.compress(raw)) + chunk(
        b"IEND", b"")


def tiff(values, associated, profile):
    """A little-endian, uncompressed, 16-bit RGBA TIFF in one strip."""
    pixels = values.astype("<u2").tobytes()
    entries = []

    def entry(tag, kind, count, value):
        entries.append((tag, kind, count, value))

    # The pixels and the long values go after the directory.
    directory_size = 2 + 12 * 12 + 4
    after = 8 + directory_size
    bits_at = after
    profile_at = bits_at + 8
    pixels_at = profile_at + len(profile) + (len(profile) & 1)
    entry(256, 3, 1, WIDTH)
    entry(257, 3, 1, HEIGHT)
    entry(258, 3, 4, bits_at)            # BitsPerSample 16,16,16,16
    entry(259, 3, 1, 1)                  # no compression
    entry(262, 3, 1, 2)                  # RGB
    entry(273, 4, 1, pixels_at)          # StripOffsets
    entry(277, 3, 1, 4)                  # SamplesPerPixel
    entry(278, 3, 1, HEIGHT)             # RowsPerStrip
    entry(279, 4, 1, len(pixels))        # StripByteCounts
    entry(284, 3, 1, 1)                  # PlanarConfiguration: chunky
    entry(338, 3, 1, 1 if associated else 2)
    entry(34675, 7, len(profile), profile_at)
    out = bytearray(b"II*\0" + struct.pack("<I", 8))
    out += struct.pack("<H", len(entries))
    for tag, kind, count, value in entries:
        if kind == 3 and count == 1:
            out += struct.pack("<HHIHH", tag, kind, count, value, 0)
        else:
            out += struct.pack("<HHII", tag, kind, count, value)
    out += struct.pack("<I", 0)
    out += struct.pack("<4H", 16, 16, 16, 16)
    out += profile + b"\0" * (len(profile) & 1)
    out += pixels
    return bytes(out)


def expected(colour, alpha, profile, background, grey=False):
    """lcms' sRGB of 8-bit colours, laid over the background by alpha."""
    source = ImageCms.ImageCmsProfile(io.BytesIO(profile))
    srgb = ImageCms.createProfile("sRGB")
    if grey:
        image = Image.fromarray(numpy.rint(colour[:, :, 0] * 255).astype(numpy.uint8), "L")
    else:
        image = Image.fromarray(numpy.rint(colour * 255).astype(numpy.uint8), "RGB")
    shown = ImageCms.profileToProfile(image, source, srgb, renderingIntent=ImageCms.Intent.PERCEPTUAL,
                                      outputMode="RGB")
    shown = numpy.asarray(shown, dtype=numpy.float64)
    a = alpha[:, :, None]
    flat = shown * a + numpy.array(background, dtype=numpy.float64) * (1 - a)
    return Image.fromarray(numpy.clip(numpy.rint(flat), 0, 255).astype(numpy.uint8), "RGB")


def main():
    folder, profile_path = sys.argv[1], sys.argv[2]
    background = [float(v) for v in sys.argv[3:6]]
    with open(profile_path, "rb") as f:
        profile = f.read()
    grey = ImageCms.ImageCmsProfile(io.BytesIO(profile)).profile.xcolor_space.strip() == "GRAY"
    colour, alpha = ramps()
    wide = numpy.rint(colour * 65535)
    wide_alpha = numpy.rint(alpha * 65535)[:, :, None]
    # What the 16-bit values stand for, as the reference sees them.
    colour16, alpha16 = wide / 65535, wide_alpha[:, :, 0] / 65535
    pictures = {}
    if grey:
        pictures["grey16a.png"] = (png(numpy.concatenate([wide[:, :, :1], wide_alpha], axis=2), 16, 4, profile),
                                   colour16[:, :, :1].repeat(3, 2), alpha16, True)
    else:
        pictures["rgba16.png"] = (png(numpy.concatenate([wide, wide_alpha], axis=2), 16, 6, profile), colour16,
                                  alpha16, False)
        pictures["rgba16.tif"] = (tiff(numpy.concatenate([wide, wide_alpha], axis=2), False, profile), colour16,
                                  alpha16, False)
        premultiplied = numpy.rint(wide * alpha16[:, :, None])
        pictures["rgba16-premultiplied.tif"] = (
            tiff(numpy.concatenate([premultiplied, wide_alpha], axis=2), True, profile),
            premultiplied / numpy.where(wide_alpha > 0, wide_alpha, 1), alpha16, False)
        narrow = numpy.rint(colour * 255)
        narrow_alpha = numpy.rint(alpha * 255)[:, :, None]
        pictures["rgba8.png"] = (png(numpy.concatenate([narrow, narrow_alpha], axis=2), 8, 6, profile), narrow / 255,
                                 narrow_alpha[:, :, 0] / 255, False)
    for name, (data, shown_colour, shown_alpha, is_grey) in pictures.items():
        with open(f"{folder}/{name}", "wb") as f:
            f.write(data)
        expected(shown_colour, shown_alpha, profile, background, is_grey).save(f"{folder}/{name}.expected.png")
        print(name)


if __name__ == "__main__":
    main()
