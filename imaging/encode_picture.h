// Encoding a drawn picture into the bytes of an output file.
#pragma once

#include "imaging/conversion_status.h"
#include "imaging/picture_formats.h"

#include <QByteArray>

#include <vips/vips8>

namespace imaging {

// The file bytes of an opaque 8-bit sRGB or grey picture in the given format
// (a grey one as one channel in JPEG and PNG, in colour in the others): JPEG at
// `jpegQuality` (1 to 100; the window's 100 unless told), PNG, GIF (palette
// chosen by the encoder, one frame without a transparent index or a loop
// block), TIFF uncompressed at 24 bits per pixel, BMP uncompressed at 24 bits
// per pixel, TGA uncompressed true colour, with no metadata; or why the
// encoder failed (or the source, decoded now, turned out damaged).
Result<QByteArray> encodePicture(const vips::VImage &picture, OutputFormat format, int jpegQuality = kBestJpegQuality);

} // namespace imaging
