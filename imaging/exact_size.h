// The geometry of an exact output size W x H: how much the picture is scaled,
// which part of the scaled picture is kept and where it lies on the W x H
// canvas, for fill (cover, then crop), pad (fit, then borders) and stretch.
// Pure arithmetic, beside fitIntoBox: the program checks the sizes it is
// given back with it, and the worker resamples and places by it.
#pragma once

#include "imaging/picture_size.h"

#include <cstdint>

namespace imaging {

enum class ExactFit { Fill, Pad, Stretch };

// Where the picture sits in the box: which part a fill keeps, where a pad puts
// the picture. Each is a horizontal and a vertical position of 0, 1 or 2
// halves (left / centre / right, top / centre / bottom).
enum class Anchor { Centre, Top, Bottom, Left, Right, TopLeft, TopRight, BottomLeft, BottomRight };

// An anchor's position along one axis, in halves: 0 start, 1 centre, 2 end.
int horizontalHalves(Anchor anchor);
int verticalHalves(Anchor anchor);

struct ExactBox {
    std::int32_t width = 0;
    std::int32_t height = 0;
    ExactFit fit = ExactFit::Fill;
    Anchor anchor = Anchor::Centre;
    bool enlarge = false;

    friend bool operator==(const ExactBox &, const ExactBox &) = default;
};

struct PixelRect {
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    friend bool operator==(const PixelRect &, const PixelRect &) = default;
};

// The picture resampled to `scaled`; of it, `kept` is drawn at `at` on a
// canvas of the box's size, filled with the background (pad's colour) where
// the kept part does not cover it.
struct ExactGeometry {
    PictureSize scaled;
    PixelRect kept;
    std::int32_t atX = 0;
    std::int32_t atY = 0;
    PictureSize canvas;

    // Whether the kept part leaves some of the canvas to the background.
    bool hasBorders() const { return kept.width < canvas.Width || kept.height < canvas.Height; }

    friend bool operator==(const ExactGeometry &, const ExactGeometry &) = default;
};

// The geometry of a picture of `size` made exactly box.width x box.height.
//  - Fill scales the picture until it covers the box (one side equal, the
//    other at least as long, rounded to the nearest pixel), and keeps the
//    box's size of it at the anchor.
//  - Pad scales it until it fits the box (one side equal, the other at most
//    as long) and places it at the anchor; the rest is border.
//  - Stretch scales each side to the box's on its own.
// Without `enlarge` no side is scaled up: a fill whose cover would enlarge
// keeps the picture's own size, crops the sides longer than the box at the
// anchor and borders the shorter ones; a pad of a picture smaller than the box
// only borders it; a stretch scales only the sides longer than the box down
// and borders the rest. The canvas is the box's size either way.
// Offsets are (length difference) x anchor / 2, rounded half to even, as
// fitIntoBox rounds. A picture or box without a size gives an empty geometry.
ExactGeometry exactGeometry(PictureSize size, const ExactBox &box);

} // namespace imaging
