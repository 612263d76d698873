// Truevision TGA: recognising a header and writing a 24-bit true-colour file.
// The ImageMagick loader behind libvips reads TGA; its saver cannot be told to
// keep true colour (a grey-looking picture becomes an 8-bit grey TGA), so the
// program writes its own TGA files, which are simple.
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <optional>

namespace imaging {

struct TgaHeader {
    int imageType = 0;
    int width = 0;
    int height = 0;
    int pixelDepth = 0;
};

// The header when the first 18 bytes look like a TGA picture of a kind that
// decoders read: colour-mapped, true-colour or grey, raw or run-length encoded,
// with a non-zero size and a usual pixel depth.
std::optional<TgaHeader> parseTgaHeader(QByteArrayView bytes);

// An uncompressed 24-bit true-colour TGA (image type 2, rows stored bottom to
// top) of interleaved 8-bit RGB pixels, `width * height * 3` bytes.
QByteArray encodeTga24(const unsigned char *rgb, int width, int height);

} // namespace imaging
