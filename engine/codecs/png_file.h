// PNG read and written by the program, with libdeflate: zlib's inflate and
// deflate were most of the time spent on PNG pictures.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <glib.h>

#include <memory>
#include <optional>

namespace imaging {

// A decoded PNG: 1 (grey), 2 (grey and alpha), 3 (RGB) or 4 (RGBA) bands of
// 8 bits, or of 16 bits in the machine's order; palettes, grey of fewer bits
// and the transparent colour of tRNS expanded as libpng expands them for
// libvips. The embedded profile, if any, comes with it.
struct DecodedPng {
    int width = 0;
    int height = 0;
    int bands = 0;
    bool wide = false; // 16 bits per value
    QByteArray profile;
    std::unique_ptr<unsigned char, void (*)(gpointer)> pixels{nullptr, g_free}; // g_malloc'd
};

// The pictures the program decodes itself: not interlaced, whole (every
// critical chunk's checksum right, the image data complete), and at most
// `maxBytes` decoded. Nothing for any other file, which libvips' own loader
// then reads (and judges).
std::optional<DecodedPng> decodePng(QByteArrayView file, size_t maxBytes);

// An 8-bit grey (1 band) or RGB (3 bands) picture, rows packed, as a PNG:
// each row filtered by whichever of the five filters leaves the smallest sum
// of absolute values (libpng's adaptive choice), deflated at `level` (1 to
// 12, libdeflate's levels), no metadata.
QByteArray encodePng(const unsigned char *pixels, int width, int height, int bands, int level);

} // namespace imaging
