// HEIF and AVIF pictures through libheif itself: decoded so that the size and
// the pixels always agree, and encoded at the program's settings.
#pragma once

#include "imaging/conversion_status.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vips/vips8>

namespace imaging {

// The primary image of a HEIF or AVIF file as libheif decodes it: its
// rotation and mirror (`irot`, `imir`) applied once, by libheif, and the EXIF
// orientation a HEIF may also carry ignored, as viewers do; a grid put
// together; 8-bit sources as 8-bit sRGB, deeper ones as 16-bit RGB; alpha
// kept (unpremultiplied); an ICC profile attached, and an `nclx` colour of
// Display P3 given libvips' P3 profile (other `nclx` colours are taken as
// sRGB). An animated AVIF gives the still image libavif writes beside the
// sequence, its first frame. A picture of more than `maxPixels` is TooLarge
// before anything is decoded; a damaged file is Damaged with libheif's words.
Result<vips::VImage> decodeHeif(QByteArrayView file, long long maxPixels);

enum class HeifCodec { Hevc, Av1 };

// The encoders' speed, chosen in bench/README.md: about a second for a
// 1024 x 768 picture on one core. x265's preset; libaom's speed, 0 to 9.
inline constexpr const char *kHevcPreset = "ultrafast";
inline constexpr int kAv1Speed = 6;

// An opaque 8-bit sRGB picture as a HEIC (HEVC) or AVIF (AV1) file of one
// image, 4:2:0, at `quality` (1 to 100), with no metadata and no thumbnail.
Result<QByteArray> encodeHeif(const vips::VImage &picture, HeifCodec codec, int quality);

} // namespace imaging
