// Reducing a decoded picture with Lanczos3, the kernel's weights computed
// for every output pixel from the exact geometry.
#pragma once

#include <vips/vips8>

namespace imaging {

// How much of the source one direction of a decoded picture spans, in its
// own pixels: the size, or less when the last pixel stands for only part of
// one (a JPEG decoded at 1/8 whose width is not a multiple of 8).
struct AxisSpan {
    int size = 0;     // target pixels along the direction
    double span = 0;  // source pixels it stands for
    int averaged = 1; // each pixel the mean of this many of the file's
};

// `image` reduced to width.size x height.size: along a direction whose target
// is smaller than its span, each output pixel is the Lanczos3 sum (support
// three output pixels either way) of the source pixels under it, weighted at
// their centres, the last pixel's weight and centre taken from the part it
// covers, and the weights renormalised where the kernel reaches past an edge
// (nothing is repeated there). Pixel centres are aligned: output pixel j is
// centred on (j + 0.5) * span / size. A direction whose target equals the
// image's size and span is copied. Pictures with alpha are weighted by it
// (premultiplied), so a transparent pixel's colour never shows. Pixels that
// are means of several (libjpeg's reduced decode averages n x n) are
// sharpened back by the inverse of that box (to second order) within the
// kernel, so the result is as sharp as a reduction of the full decode. uchar and
// ushort pictures are summed in float and rounded to nearest; other formats
// are reduced in float and cast back. Pixels are read top to bottom, a
// window of rows at a time, and the result is held in memory. Throws
// vips::VError when the source cannot be read.
vips::VImage reduceExactly(const vips::VImage &image, AxisSpan width, AxisSpan height);

} // namespace imaging
