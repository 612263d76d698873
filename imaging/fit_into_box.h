// Fitting a picture into the size limits, keeping its proportions. The rule
// is the same where the window lists the sizes it will make and where each
// picture is converted, which fits the picture as it is when it is opened.
#pragma once

#include "imaging/exact_size.h"
#include "imaging/picture_size.h"

#include <cstdint>

namespace imaging {

// 100 %, in the millionths a FitBox's scale is given in.
inline constexpr std::int64_t kWholeScale = 1'000'000;

// The limits a picture is fitted into, and whether a smaller picture is
// enlarged up to them. With a `scale` (in millionths: kWholeScale is 100 %),
// both sides are scaled by it instead, and the limits only cap the result.
// An exact fit makes every picture exactly width x height instead
// (exactGeometry): fill crops at the anchor, pad borders in padColour there.
enum class BoxFit { Inside, Fill, Pad, Stretch };

struct FitBox {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool enlarge = false;
    std::int64_t scale = 0;
    BoxFit fit = BoxFit::Inside;
    Anchor anchor = Anchor::Centre;
    std::uint32_t padColour = 0xFFFFFF; // 0xRRGGBB, the borders of a pad

    bool isExact() const { return fit != BoxFit::Inside; }

    friend bool operator==(const FitBox &, const FitBox &) = default;
};

// A picture of `size` fitted into `box`. It keeps its size unless it exceeds
// a limit or `box.enlarge` is set; then it is scaled until it touches one
// limit without exceeding the other. Every side is rounded to the nearest
// pixel, exact halves to the even neighbour, and a picture with a size never
// gets a side below 1. A picture without a size (a side of 0) and limits
// below 1 give 0 x 0, which converts to nothing.
//
// With a scale, each side becomes side x scale, rounded the same way (from
// the exact product, never below 1); a scale above 100 % enlarges only with
// `box.enlarge`, and a result beyond a limit is fitted into the limits
// instead, as a picture of the source's size would be.
//
// An exact fit gives the canvas: width x height for any picture with a size.
PictureSize fitIntoBox(PictureSize size, const FitBox &box);

// The exact box of an exact fit (an Inside box gives a Fill of its size; ask
// isExact first).
ExactBox exactBoxOf(const FitBox &box);
// The geometry of `size` in an exact `box` (exactGeometry).
ExactGeometry exactGeometryIn(PictureSize size, const FitBox &box);

} // namespace imaging
