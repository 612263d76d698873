// Encoding a drawn picture into the bytes of an output file.
#pragma once

#include "imaging/conversion_status.h"
#include "imaging/picture_formats.h"

#include <QByteArray>

#include <vips/vips8>

namespace imaging {

// The file bytes of an 8-bit sRGB or grey picture in the given format (a
// grey one as one channel in JPEG and PNG, in colour in the others), with its
// alpha band if it has one (JPEG and BMP must be given none): JPEG at
// `quality` (1 to 100; kOwnQuality: the window's 100), PNG, GIF (palette
// chosen by the encoder, one frame without a loop block, a transparent index
// only for a picture with alpha, which must be 0 or 255), TIFF uncompressed
// at 24 or 32 bits per pixel, BMP uncompressed at 24 bits per pixel, TGA
// uncompressed true colour at 24 or 32 bits; WebP lossless when
// `losslessSource` says the source kept every pixel, else lossy; HEIC, AVIF
// and JPEG XL lossy; the lossy ones at `quality` or at their own settings
// (bench/README.md says how they were chosen); all with no metadata; or why
// the encoder failed (or the source, decoded now, turned out damaged).
Result<QByteArray> encodePicture(const vips::VImage &picture, OutputFormat format, int quality = kOwnQuality,
                                 bool losslessSource = false);

// The same with a resolution tag of `dpi` (no resampling) in the formats that
// carry one: JPEG (JFIF density), PNG (pHYs), TIFF and BMP. WebP, HEIC, AVIF,
// JPEG XL, GIF and TGA have none that libvips writes or readers honour, and
// are written as without. A dpi of 0 writes none.
Result<QByteArray> encodePicture(const vips::VImage &picture, OutputFormat format, int quality, bool losslessSource,
                                 int dpi);

// The bytes of a blob a libvips saver returned; the blob is released.
QByteArray takeBlob(VipsBlob *blob);

// The settings chosen for the newer formats when no quality is asked for.
inline constexpr int kWebpQuality = 90;
inline constexpr int kHeicQuality = 50;
inline constexpr int kAvifQuality = 70;
inline constexpr double kJpegXlDistance = 1.0; // visually lossless by libjxl's measure
inline constexpr int kJpegXlEffort = 5;

} // namespace imaging
