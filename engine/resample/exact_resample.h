// Resampling a decoded picture onto an exact pixel size, each direction on
// its own.
#pragma once

#include <vips/vips8>

namespace imaging {

// How much of the source a decoded picture spans, in its own pixels. A JPEG
// decoded at 1/n scale has ceil(w / n) columns but stands for w / n of them:
// the last one covers only the part of a block that the picture fills.
struct PictureSpan {
    double width = 0;
    double height = 0;
    int averaged = 1; // each pixel the mean of averaged x averaged of the file's
};

// `image` drawn onto exactly width x height: the span maps onto the whole
// target, pixel centres aligned (source x = (target x + 0.5) * span / width -
// 0.5). A direction whose size stays is copied; a smaller one is filtered with
// Lanczos3 (reduceExactly), a larger one interpolated with libvips' locally bounded
// bicubic (as sharp as Catmull-Rom but never past its neighbours, so no
// ringing). Pictures with alpha are resampled premultiplied, so the colour of
// a transparent pixel never shows. Same bands and format out as in. Throws
// vips::VError.
vips::VImage resampleExactly(const vips::VImage &image, int width, int height, PictureSpan span);

} // namespace imaging
