#include "workflow/target_sizes.h"

#include "platform/numeric.h"

#include <algorithm>

namespace workflow {

namespace {

// round(a * b / c) for positive sides. The product of a limit and a side is
// exact in double precision; the quotient of two positive sides, one of them
// at most a limit, always fits 32 bits.
std::int32_t scaled(std::int32_t a, std::int32_t b, std::int32_t c)
{
    return platform::roundToInt32(double(a) * double(b) / double(c)).value_or(0);
}

} // namespace

TargetSize fitTargetSize(std::int32_t width, std::int32_t height, std::int32_t limitWidth, std::int32_t limitHeight,
                         bool enlarge)
{
    if (width < 1 || height < 1 || limitWidth < 1 || limitHeight < 1)
        return {};
    if (width <= limitWidth && height <= limitHeight && !enlarge)
        return {width, height};

    std::int32_t tw, th;
    if (height < width) {
        tw = limitWidth;
        th = scaled(limitWidth, height, width);
        // The correction starts from the rounded height, as the fitting always has.
        if (th > limitHeight) {
            tw = scaled(limitHeight, tw, th);
            th = limitHeight;
        }
    } else {
        th = limitHeight;
        tw = scaled(limitHeight, width, height);
        if (tw > limitWidth) {
            th = scaled(limitWidth, th, tw);
            tw = limitWidth;
        }
    }
    // A very thin picture would round its narrow side to 0 and convert to
    // nothing; one pixel is the nearest size that exists.
    return {std::max(tw, 1), std::max(th, 1)};
}

TargetSizeTable ComputeTargetSizes(const WorkList &items, std::int32_t limitWidth, std::int32_t limitHeight,
                                   bool enlarge)
{
    TargetSizeTable table;
    table.reserve(items.size());
    for (const WorkItem &item : items)
        table.push_back(fitTargetSize(item.size.Width, item.size.Height, limitWidth, limitHeight, enlarge));
    return table;
}

} // namespace workflow
