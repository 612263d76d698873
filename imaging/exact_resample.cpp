#include "imaging/exact_resample.h"

#include <cmath>
#include <vector>

using vips::VImage;

namespace imaging {

namespace {

// libvips' reduce maps centres the usual way, (x + 0.5) * factor - 0.5, and
// repeats the edge pixels under the kernel. Its "gap" shrinks by a whole
// factor with a box filter first and leaves Lanczos3 at least this much:
// from 3 on that is as good as Lanczos3 over the whole factor (Pillow's
// finding for its own reducing gap), and far reductions stay fast. Without
// it, libvips refuses to reduce more than 333 times.
constexpr double kReducingGap = 3.0;

VImage reduceWidth(VImage image, int width, double span)
{
    // A shrunk JPEG lacks the last partial block of columns; the repeated
    // edge column stands in for it, as it would under the kernel anyway.
    const int columns = int(std::ceil(span));
    if (columns > image.width())
        image = image.embed(0, 0, columns, image.height(), VImage::option()->set("extend", VIPS_EXTEND_COPY));
    const VImage reduced = image.reduceh(span / width, VImage::option()->set("gap", kReducingGap));
    return reduced.width() == width ? reduced : reduced.crop(0, 0, width, reduced.height());
}

VImage reduceHeight(VImage image, int height, double span)
{
    const int rows = int(std::ceil(span));
    if (rows > image.height())
        image = image.embed(0, 0, image.width(), rows, VImage::option()->set("extend", VIPS_EXTEND_COPY));
    const VImage reduced = image.reducev(span / height, VImage::option()->set("gap", kReducingGap));
    return reduced.height() == height ? reduced : reduced.crop(0, 0, reduced.width(), height);
}

// LBB works on a 4 x 4 stencil and bounds each slope by a 3 x 3
// neighbourhood, so the rows above and below would shape a row enlarged only
// in width. With every row repeated four times and each read between its
// second and third copy, the stencil holds that one row only: the other
// direction is copied, and enlarging both ways is two such passes.
VImage enlargeWidth(const VImage &image, int width, double span)
{
    const double scale = width / span;
    return image.zoom(1, 4).affine({scale, 0, 0, 0.25},
                                   VImage::option()
                                       ->set("interpolate", vips::VInterpolate::new_from_name("lbb"))
                                       ->set("idx", 0.5)
                                       ->set("odx", -0.5)
                                       ->set("idy", -1.5)
                                       ->set("ody", 0.0)
                                       ->set("oarea", std::vector<int>{0, 0, width, image.height()})
                                       ->set("extend", VIPS_EXTEND_COPY));
}

VImage enlargeHeight(const VImage &image, int height, double span)
{
    const double scale = height / span;
    return image.zoom(4, 1).affine({0.25, 0, 0, scale},
                                   VImage::option()
                                       ->set("interpolate", vips::VInterpolate::new_from_name("lbb"))
                                       ->set("idx", -1.5)
                                       ->set("odx", 0.0)
                                       ->set("idy", 0.5)
                                       ->set("ody", -0.5)
                                       ->set("oarea", std::vector<int>{0, 0, image.width(), height})
                                       ->set("extend", VIPS_EXTEND_COPY));
}

} // namespace

VImage resampleExactly(const VImage &image, int width, int height, PictureSpan span)
{
    const bool keepWidth = width == image.width() && span.width == width;
    const bool keepHeight = height == image.height() && span.height == height;
    if (keepWidth && keepHeight)
        return image;
    // Premultiplied, a transparent pixel weighs nothing whatever its colour.
    const bool alpha = image.has_alpha();
    VImage out = alpha ? image.premultiply() : image;
    // Reductions first, so that an enlargement has fewer pixels to make;
    // the height first, which libvips reduces fastest.
    if (!keepHeight && height < span.height)
        out = reduceHeight(out, height, span.height);
    if (!keepWidth && width < span.width)
        out = reduceWidth(out, width, span.width);
    if (!keepWidth && width >= span.width)
        out = enlargeWidth(out, width, span.width);
    if (!keepHeight && height >= span.height)
        out = enlargeHeight(out, height, span.height);
    if (alpha) {
        out = out.unpremultiply();
        if (vips_band_format_isint(image.format()))
            out = out.round(VIPS_OPERATION_ROUND_RINT);
        out = out.cast(image.format());
    }
    return out;
}

} // namespace imaging
