#include "imaging/exact_size.h"

#include <algorithm>

namespace imaging {

namespace {

// round(a * b / c) for values of at least 0 (c above 0), exact halves to the
// even neighbour, from the exact product.
std::int32_t roundedProduct(std::int64_t a, std::int64_t b, std::int64_t c)
{
    const std::int64_t product = a * b;
    std::int64_t quotient = product / c;
    const std::int64_t twice = 2 * (product % c);
    if (twice > c || (twice == c && quotient % 2 == 1))
        ++quotient;
    return std::int32_t(quotient);
}

// A scaled side: a very thin picture still keeps one pixel.
std::int32_t scaledSide(std::int64_t a, std::int64_t b, std::int64_t c)
{
    return std::max(roundedProduct(a, b, c), 1);
}

// One axis: a scaled side of `scaled` pixels on a canvas side of `box` pixels.
struct AxisPlace {
    std::int32_t keptFrom = 0;
    std::int32_t kept = 0;
    std::int32_t at = 0;
};

AxisPlace place(std::int32_t scaled, std::int32_t box, int halves)
{
    if (scaled >= box)
        return {roundedProduct(scaled - box, halves, 2), box, 0};
    return {0, scaled, roundedProduct(box - scaled, halves, 2)};
}

// The size of a picture scaled to cover (or fit) the box, one side equal to the box's.
PictureSize scaledToBox(PictureSize size, std::int32_t width, std::int32_t height, bool cover)
{
    const std::int64_t across = std::int64_t(size.Width) * height; // the picture's width at the box's height
    const std::int64_t down = std::int64_t(size.Height) * width;   // its height at the box's width
    if (across == down)
        return {width, height};
    // Wider than the box: a cover takes the box's height, a fit its width.
    if ((across > down) == cover)
        return {scaledSide(size.Width, height, size.Height), height};
    return {width, scaledSide(size.Height, width, size.Width)};
}

} // namespace

int horizontalHalves(Anchor anchor)
{
    switch (anchor) {
    case Anchor::Left: case Anchor::TopLeft: case Anchor::BottomLeft: return 0;
    case Anchor::Right: case Anchor::TopRight: case Anchor::BottomRight: return 2;
    default: return 1;
    }
}

int verticalHalves(Anchor anchor)
{
    switch (anchor) {
    case Anchor::Top: case Anchor::TopLeft: case Anchor::TopRight: return 0;
    case Anchor::Bottom: case Anchor::BottomLeft: case Anchor::BottomRight: return 2;
    default: return 1;
    }
}

ExactGeometry exactGeometry(PictureSize size, const ExactBox &box)
{
    if (size.Width < 1 || size.Height < 1 || box.width < 1 || box.height < 1)
        return {};
    PictureSize scaled;
    switch (box.fit) {
    case ExactFit::Stretch:
        scaled = {box.width, box.height};
        if (!box.enlarge)
            scaled = {std::min(size.Width, box.width), std::min(size.Height, box.height)};
        break;
    case ExactFit::Fill:
        // Covering enlarges whenever one side is shorter than the box's.
        if (!box.enlarge && (size.Width < box.width || size.Height < box.height))
            scaled = size;
        else
            scaled = scaledToBox(size, box.width, box.height, true);
        break;
    case ExactFit::Pad:
        if (!box.enlarge && size.Width <= box.width && size.Height <= box.height)
            scaled = size;
        else
            scaled = scaledToBox(size, box.width, box.height, false);
        break;
    }
    const AxisPlace x = place(scaled.Width, box.width, horizontalHalves(box.anchor));
    const AxisPlace y = place(scaled.Height, box.height, verticalHalves(box.anchor));
    return {scaled, {x.keptFrom, y.keptFrom, x.kept, y.kept}, x.at, y.at, {box.width, box.height}};
}

} // namespace imaging
