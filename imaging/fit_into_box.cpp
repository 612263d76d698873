#include "imaging/fit_into_box.h"

#include "platform/numeric.h"

#include <algorithm>
#include <limits>

namespace imaging {

namespace {

// round(a * b / c) for positive sides. The product of a limit and a side is
// exact in double precision; the quotient of two positive sides, one of them
// at most a limit, always fits 32 bits.
std::int32_t scaled(std::int32_t a, std::int32_t b, std::int32_t c)
{
    return platform::roundToInt32(double(a) * double(b) / double(c)).value_or(0);
}

// round(side * scale / kWholeScale), exact halves to the even neighbour,
// from the exact product: a side below 2^31 times a scale below 2^32 fits.
std::int64_t scaledSide(std::int32_t side, std::int64_t scale)
{
    const std::int64_t product = std::int64_t(side) * scale;
    std::int64_t quotient = product / kWholeScale;
    const std::int64_t twice = 2 * (product % kWholeScale);
    if (twice > kWholeScale || (twice == kWholeScale && quotient % 2 == 1))
        ++quotient;
    return std::max<std::int64_t>(quotient, 1);
}

PictureSize fitIntoLimits(PictureSize size, const FitBox &box);

// A picture scaled by box.scale, capped by the limits.
PictureSize scaleWithin(PictureSize size, const FitBox &box)
{
    const std::int64_t scale = box.enlarge ? box.scale : std::min(box.scale, kWholeScale);
    const std::int64_t width = scaledSide(size.Width, scale);
    const std::int64_t height = scaledSide(size.Height, scale);
    if (width > box.width || height > box.height)
        return fitIntoLimits(size, {box.width, box.height, true, 0});
    return {std::int32_t(width), std::int32_t(height)};
}

} // namespace

PictureSize fitIntoBox(PictureSize size, const FitBox &box)
{
    if (size.Width < 1 || size.Height < 1 || box.width < 1 || box.height < 1)
        return {};
    if (box.isExact())
        return exactGeometryIn(size, box).canvas;
    if (box.scale > 0 && box.scale <= std::int64_t(std::numeric_limits<std::uint32_t>::max()))
        return scaleWithin(size, box);
    if (box.scale != 0)
        return {};
    return fitIntoLimits(size, box);
}

ExactBox exactBoxOf(const FitBox &box)
{
    const ExactFit fit = box.fit == BoxFit::Pad       ? ExactFit::Pad
                         : box.fit == BoxFit::Stretch ? ExactFit::Stretch
                                                      : ExactFit::Fill;
    return {box.width, box.height, fit, box.anchor, box.enlarge};
}

ExactGeometry exactGeometryIn(PictureSize size, const FitBox &box)
{
    return exactGeometry(size, exactBoxOf(box));
}

namespace {

PictureSize fitIntoLimits(PictureSize size, const FitBox &box)
{
    const std::int32_t width = size.Width;
    const std::int32_t height = size.Height;
    if (width <= box.width && height <= box.height && !box.enlarge)
        return {width, height};

    std::int32_t tw, th;
    if (height < width) {
        tw = box.width;
        th = scaled(box.width, height, width);
        // The correction starts from the rounded height, as the fitting always has.
        if (th > box.height) {
            tw = scaled(box.height, tw, th);
            th = box.height;
        }
    } else {
        th = box.height;
        tw = scaled(box.height, width, height);
        if (tw > box.width) {
            th = scaled(box.width, th, tw);
            tw = box.width;
        }
    }
    // A very thin picture would round its narrow side to 0 and convert to
    // nothing; one pixel is the nearest size that exists.
    return {std::max(tw, 1), std::max(th, 1)};
}

} // namespace

} // namespace imaging
