// What the program takes from a conversion worker as an output file. The
// worker decodes untrusted files and may have been taken over by one, so its
// bytes are believed only when the program's own reading of them finds the
// file its encoders write: the format asked for, exactly the size asked for,
// no metadata, nothing after the end, and no more bytes than such a file can
// have. Each format is read as far as its structure goes without decoding
// pixels: a JPEG's scans to EOI, a PNG's CRCs and its zlib stream (inflated
// a piece at a time, to exactly its rows), a JPEG XL's boxes and its
// codestream's headers and table of contents to the end of its frame.
#pragma once

#include "imaging/picture_formats.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace imaging {

// The most bytes an output of width x height in `format` can take: exact for
// the uncompressed BMP and TGA, nearly so for TIFF (its directory grows with
// the strips), for PNG and GIF the worst case of their coding of the 24-bit
// pixels plus their headers; for JPEG eight bytes a pixel, for JPEG XL three
// and for WebP, HEIC and AVIF four, more than their encoders ever make of
// 24-bit pixels (noise at the best quality). 0 for a size below 1.
std::uint64_t largestOutputBytes(OutputFormat format, int width, int height);

// Empty when `bytes` are such a file; else what is wrong with them, for logs.
QString outputDefect(QByteArrayView bytes, OutputFormat format, int width, int height);

} // namespace imaging
