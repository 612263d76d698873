// Resampling a decoded picture onto an exact pixel size, each direction on
// its own.
#pragma once

#include <vips/vips8>

namespace imaging {

// How much of the source a decoded picture spans, in its own pixels. A JPEG
// decoded at 1/n scale has floor(w / n) columns but stands for w / n of them:
// libjpeg drops the last partial block.
struct PictureSpan {
    double width = 0;
    double height = 0;
};

// `image` drawn onto exactly width x height: the span maps onto the whole
// target, pixel centres aligned (source x = (target x + 0.5) * span / width -
// 0.5). A direction whose size stays is copied; a smaller one is filtered with
// Lanczos3 (a box filter takes whole factors first, leaving Lanczos3 at least
// three times), a larger one interpolated with libvips' locally bounded
// bicubic (as sharp as Catmull-Rom but never past its neighbours, so no
// ringing). Pictures with alpha are resampled premultiplied, so the colour of
// a transparent pixel never shows. Same bands and format out as in. Throws
// vips::VError.
vips::VImage resampleExactly(const vips::VImage &image, int width, int height, PictureSpan span);

} // namespace imaging
