// Encoding a drawn picture into the bytes of an output file.
#pragma once

#include "imaging/engine_failure.h"
#include "imaging/picture_formats.h"

#include <QByteArray>

#include <vips/vips8>

#include <optional>

namespace imaging {

// The file bytes of an opaque 8-bit sRGB picture in the given format: JPEG at
// quality 100, PNG, GIF (palette chosen by the encoder), TIFF uncompressed at
// 24 bits per pixel, BMP uncompressed at 24 bits per pixel, TGA uncompressed
// true colour, with no metadata. Nothing when the encoder fails (or the source,
// decoded now, turns out damaged); `failure` then says why.
std::optional<QByteArray> encodePicture(const vips::VImage &picture, OutputFormat format,
                                        EngineFailure *failure = nullptr);

} // namespace imaging
