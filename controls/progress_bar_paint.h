// The gradient progress bar's picture, computed without a widget: layout of the
// filled part, the bar body in its three modes and two orientations, the block
// separators, the text, the three-line frame and the cut-corner shape.
#pragma once

#include "platform/colour.h"
#include "platform/region.h"
#include "platform/surface.h"

#include <QFont>
#include <QString>

namespace controls {

// Bar modes (`Scrolling`); any other value draws like Continuous.
inline constexpr int kScrollingBlocks = 0;
inline constexpr int kScrollingContinuous = 1;
inline constexpr int kScrollingSearching = 2;

// Everything the picture depends on. `Color` is a resolved RGB value.
struct ProgressBarState {
    int Scrolling = kScrollingBlocks;
    int Orientation = 0; // 0 horizontal, anything else vertical
    platform::ColourValue Color = 0;
    int Max = 100;
    int Min = 0;
    int Value = 0;
    bool ShowText = false;
    QFont Font;
};

struct ProgressBarLayout {
    // The clamped progress; in vertical orientation 1 - progress - 0.02.
    double fraction = 0;
    // The unsnapped fill edge.
    int edge = 0;
    // Horizontal: right edge F of the filled part, on a 10-pixel pitch from the
    // left. Vertical: top edge G, on a 10-pixel pitch from the bottom.
    int fillEdge = 0;
    // The part of the client rectangle the bar covers.
    platform::Rect fill;
};

inline constexpr int kBlockSize = 8;
inline constexpr int kBlockGap = 2;

ProgressBarLayout layoutProgressBar(const ProgressBarState &state, const platform::Rect &client);

// The text shown when `ShowText` is set: "正在查找.." while searching, else the
// progress through the range in percent followed by " %".
QString progressText(const ProgressBarState &state);

// Draws the whole control into `surface` for a client rectangle of `client`
// (origin 0, 0). Nothing is drawn outside the surface.
void paintProgressBar(platform::Surface &surface, const ProgressBarState &state, const platform::Rect &client);

// The control's shape: its width × height rectangle without the three
// outermost pixels at each corner.
platform::Region progressBarRegion(int width, int height);

} // namespace controls
