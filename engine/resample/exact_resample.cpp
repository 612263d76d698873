#include "engine/resample/exact_resample.h"

#include "engine/resample/exact_reduce.h"

#include <cmath>
#include <vector>

using vips::VImage;

namespace imaging {

namespace {

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
    // Reductions first, so that an enlargement has fewer pixels to make.
    const bool widthShrinks = !keepWidth && width < span.width;
    const bool heightShrinks = !keepHeight && height < span.height;
    VImage out = image;
    if (widthShrinks || heightShrinks) {
        out = reduceExactly(
            image, {widthShrinks ? width : image.width(), widthShrinks ? span.width : image.width(), span.averaged},
            {heightShrinks ? height : image.height(), heightShrinks ? span.height : image.height(), span.averaged});
        if (widthShrinks)
            span.width = width;
        if (heightShrinks)
            span.height = height;
    }
    const bool widthGrows = !keepWidth && !widthShrinks;
    const bool heightGrows = !keepHeight && !heightShrinks;
    if (!widthGrows && !heightGrows)
        return out;
    // Premultiplied, a transparent pixel weighs nothing whatever its colour.
    const bool alpha = out.has_alpha();
    const VipsBandFormat format = out.format();
    if (alpha)
        out = out.premultiply();
    if (widthGrows)
        out = enlargeWidth(out, width, span.width);
    if (heightGrows)
        out = enlargeHeight(out, height, span.height);
    if (alpha) {
        out = out.unpremultiply();
        if (vips_band_format_isint(format))
            out = out.round(VIPS_OPERATION_ROUND_RINT);
        out = out.cast(format);
    }
    return out;
}

} // namespace imaging
