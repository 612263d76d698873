#include "imaging/fit_into_box.h"

#include "platform/numeric.h"

#include <algorithm>

namespace imaging {

namespace {

// round(a * b / c) for positive sides. The product of a limit and a side is
// exact in double precision; the quotient of two positive sides, one of them
// at most a limit, always fits 32 bits.
std::int32_t scaled(std::int32_t a, std::int32_t b, std::int32_t c)
{
    return platform::roundToInt32(double(a) * double(b) / double(c)).value_or(0);
}

} // namespace

PictureSize fitIntoBox(PictureSize size, const FitBox &box)
{
    const std::int32_t width = size.Width;
    const std::int32_t height = size.Height;
    if (width < 1 || height < 1 || box.width < 1 || box.height < 1)
        return {};
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

} // namespace imaging
