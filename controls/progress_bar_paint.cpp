#include "controls/progress_bar_paint.h"

#include <QCoreApplication>

#include "platform/colour_blend.h"
#include "platform/numeric.h"

#include <algorithm>
#include <utility>

namespace controls {

using platform::ColourValue;
using platform::GradientDirection;
using platform::gradientVertex;
using platform::Rect;
using platform::Surface;

namespace {

constexpr ColourValue kWhite = 0xFFFFFF;
constexpr ColourValue kBlack = 0x000000;
constexpr ColourValue kFrameOuter = 0x686868;
constexpr ColourValue kFrameShadow = 0xBEBEBE;
constexpr ColourValue kFrameInner = 0xEFEFEF;
constexpr int kPitch = kBlockSize + kBlockGap;
// Searching blocks: length and step along the bar.
constexpr int kSearchBlock = 10;
constexpr int kSearchStep = kSearchBlock + kBlockGap;

// Progress through the range, limited to 0..1. An empty range (Max = Min) and
// values far outside the range are computed in double precision, so they give
// 0, 1 or NaN (taken as 0) instead of overflowing.
double clampedFraction(const ProgressBarState &state)
{
    const double fraction = (double(state.Value) - state.Min) / (double(state.Max) - state.Min);
    if (fraction > 1)
        return 1;
    if (!(fraction >= 0))
        return 0;
    return fraction;
}

int roundedEdge(double fraction, int from, int extent)
{
    return platform::roundToInt32(fraction * extent + from).value_or(from);
}

bool searching(const ProgressBarState &state) { return state.Scrolling == kScrollingSearching; }

void drawSteadyHorizontal(Surface &s, int fillRight, int height, ColourValue c, ColourValue pale)
{
    s.GradientFill(gradientVertex(2, 3, pale), gradientVertex(fillRight, 9, c), GradientDirection::Vertical);
    s.FillRect({2, 8, fillRight, height - 6}, c);
    s.GradientFill(gradientVertex(2, height - 8, c), gradientVertex(fillRight, height - 2, pale),
                   GradientDirection::Vertical);
}

void drawSteadyVertical(Surface &s, int fillTop, int width, int height, ColourValue c, ColourValue pale)
{
    // The side bands run from the fill edge past the bottom and are clipped.
    s.GradientFill(gradientVertex(2, fillTop, pale), gradientVertex(8, fillTop + height, c),
                   GradientDirection::Horizontal);
    s.FillRect({7, fillTop, width - 8, height}, c);
    s.GradientFill(gradientVertex(width - 8, fillTop, c), gradientVertex(width - 2, fillTop + height, pale),
                   GradientDirection::Horizontal);
}

// Three blocks from the fill edge onwards, fading from light to dark.
void drawSearching(Surface &s, const ProgressBarState &state, int fillEdge, int width, int height)
{
    for (int i = 0; i < 3; ++i) {
        const ColourValue light = platform::Lighten(state.Color, 220 - 40 * i);
        const ColourValue dark = platform::Lighten(state.Color, 200 - 40 * i);
        const int start = fillEdge + kSearchStep * i;
        const int end = start + kSearchBlock;
        if (state.Orientation == 0) {
            s.GradientFill(gradientVertex(start, 3, light), gradientVertex(end, 9, dark), GradientDirection::Vertical);
            s.FillRect({start, 8, end, height - 6}, dark);
            s.GradientFill(gradientVertex(start, height - 8, dark), gradientVertex(end, height - 2, light),
                           GradientDirection::Vertical);
        } else {
            s.GradientFill(gradientVertex(2, start, light), gradientVertex(8, end, dark), GradientDirection::Vertical);
            s.FillRect({8, start, width - 8, end}, dark);
            s.GradientFill(gradientVertex(width - 8, start, dark), gradientVertex(width - 2, end, light),
                           GradientDirection::Vertical);
        }
    }
}

void drawSeparators(Surface &s, const ProgressBarState &state, const ProgressBarLayout &layout, const Rect &client)
{
    if (state.Orientation == 0) {
        for (int x = client.left + kBlockSize; x <= layout.fillEdge; x += kPitch)
            s.FillRect({x + kBlockGap, client.top, x + 2 * kBlockGap, client.bottom}, kWhite);
    } else {
        for (int y = client.bottom; y >= layout.fillEdge + kBlockSize; y -= kPitch)
            s.FillRect({client.left, y - kBlockGap, client.right, y}, kWhite);
    }
}

void drawFrame(Surface &s, int w, int h)
{
    s.FrameRect({1, 1, w, h}, kFrameShadow);
    s.FrameRect({1, 2, w - 1, h - 1}, kFrameInner);
    s.FrameRect({0, 0, w, h}, kFrameOuter);
    s.SetPixelV(1, 1, kFrameOuter);
    s.SetPixelV(w - 2, 1, kFrameOuter);
    s.SetPixelV(1, h - 2, kFrameOuter);
    s.SetPixelV(w - 2, h - 2, kFrameOuter);
}

QString generalNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0"); // no "-0"
    return QString::number(value, 'g', 15).replace(u'e', u'E');
}

} // namespace

ProgressBarLayout layoutProgressBar(const ProgressBarState &state, const Rect &client)
{
    ProgressBarLayout layout;
    layout.fill = client;
    layout.fraction = clampedFraction(state);
    if (state.Orientation == 0) {
        layout.edge = roundedEdge(layout.fraction, client.left, client.width());
        layout.fillEdge = std::max(client.left, layout.edge - (layout.edge - client.left) % kPitch);
        layout.fill.right = layout.fillEdge;
    } else {
        // The vertical bar stops 2 % short of the top.
        layout.fraction = 1 - layout.fraction - 0.02;
        layout.edge = roundedEdge(layout.fraction, client.top, client.height());
        layout.fillEdge = std::min(client.bottom, layout.edge - (layout.edge - client.bottom) % kPitch);
        layout.fill.top = layout.fillEdge;
    }
    return layout;
}

QString progressText(const ProgressBarState &state)
{
    if (searching(state))
        return QCoreApplication::translate("controls", "正在查找..", "the progress bar while it searches");
    const double span = double(state.Max) - state.Min;
    const double percent = span != 0 ? (double(state.Value) - state.Min) * 100 / span : clampedFraction(state) * 100;
    return generalNumber(percent) + QStringLiteral(" %");
}

void paintProgressBar(Surface &surface, const ProgressBarState &state, const Rect &client)
{
    const int w = client.right;
    const int h = client.bottom;
    // The vertical bar's side bands and the searching blocks run past the
    // client; a surface larger than the control must not keep those parts.
    surface.setClipRect(client);
    surface.FillRect(client, kWhite);
    const ProgressBarLayout layout = layoutProgressBar(state, client);
    if (searching(state))
        drawSearching(surface, state, layout.fillEdge, w, h);
    else if (state.Orientation == 0)
        drawSteadyHorizontal(surface, layout.fillEdge, h, state.Color, platform::Lighten(state.Color, 150));
    else
        drawSteadyVertical(surface, layout.fillEdge, w, h, state.Color, platform::Lighten(state.Color, 150));
    if (state.Scrolling == kScrollingBlocks)
        drawSeparators(surface, state, layout, client);
    if (state.ShowText)
        surface.DrawText(progressText(state), client, state.Font, kBlack);
    drawFrame(surface, w, h);
    surface.clearClip();
}

platform::Region progressBarRegion(int width, int height)
{
    platform::Region region({0, 0, width, height});
    const int r = width - 1;
    const int b = height - 1;
    for (const auto &[x, y] : {std::pair{0, 0},
                               {1, 0},
                               {0, 1},
                               {r - 1, 0},
                               {r, 0},
                               {r, 1},
                               {0, b},
                               {1, b},
                               {0, b - 1},
                               {r - 1, b},
                               {r, b},
                               {r, b - 1}})
        region.subtractPixel(x, y);
    return region;
}

} // namespace controls
