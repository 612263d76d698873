// Animated JPEG XL through libjxl itself: libvips' loader (8.14) gives the
// last frame of an animation, where every other format gives the first.
#pragma once

#include "imaging/conversion_status.h"

#include <QByteArrayView>

#include <vips/vips8>

namespace imaging {

// Whether a JPEG XL file (bare codestream or container) is an animation, by
// its basic info; false for a still picture and for what libjxl cannot read.
bool isJpegXlAnimation(QByteArrayView file);

// The first frame of a JPEG XL file as shown, composed on the canvas as
// libjxl coalesces it and turned by its orientation: 8-bit sources as 8-bit,
// deeper ones as 16-bit, sRGB or grey by the colour channels, alpha kept
// (unpremultiplied), the colour profile libjxl gives for the pixels
// attached. A picture of more than `maxPixels` is TooLarge before anything
// is decoded; a damaged file is Damaged.
Result<vips::VImage> decodeJpegXlFirstFrame(QByteArrayView file, long long maxPixels);

} // namespace imaging
