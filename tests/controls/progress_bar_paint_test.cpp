#include "controls/progress_bar_paint.h"

#include "platform/ascii_surface.h"

#include <gtest/gtest.h>

#include <climits>

using namespace controls;
using platform::ColourValue;
using platform::Rect;
using platform::rgbValue;
using platform::Surface;

namespace {

// The bar's look, colour by colour: the blue the window gives it, the white
// behind it, the frame's three grey rings, and the pale blue its gradient
// bands fade to at the edges.
constexpr ColourValue kBar = rgbValue(49, 106, 197);
constexpr ColourValue kWhite = rgbValue(255, 255, 255);
constexpr ColourValue kOuter = rgbValue(104, 104, 104);
constexpr ColourValue kShadow = rgbValue(190, 190, 190);
constexpr ColourValue kInner = rgbValue(239, 239, 239);
constexpr ColourValue kPale = rgbValue(170, 193, 231);
// The three searching blocks, lightest first, and the lighter blue of their
// edge bands (the first block's and the third's).
constexpr ColourValue kSearch[3] = {rgbValue(210, 222, 242), rgbValue(178, 199, 233), rgbValue(145, 176, 224)};
constexpr ColourValue kFirstSearchEdge = rgbValue(226, 234, 247);
constexpr ColourValue kThirdSearchEdge = rgbValue(162, 187, 228);

ProgressBarState bar(int value, int scrolling = kScrollingContinuous, int orientation = 0)
{
    ProgressBarState state;
    state.Color = kBar;
    state.Value = value;
    state.Scrolling = scrolling;
    state.Orientation = orientation;
    return state;
}

Surface render(const ProgressBarState &state, int w, int h)
{
    Surface s(w, h);
    paintProgressBar(s, state, {0, 0, w, h});
    return s;
}

ProgressBarLayout layout(const ProgressBarState &state, int w, int h) { return layoutProgressBar(state, {0, 0, w, h}); }

} // namespace

TEST(ProgressBarLayout, HorizontalFillSnapsDownToTheTenPixelPitch)
{
    const ProgressBarLayout third = layout(bar(33), 300, 20);
    EXPECT_EQ(third.edge, 99);
    EXPECT_EQ(third.fillEdge, 90);
    EXPECT_EQ(third.fill, (Rect{0, 0, 90, 20}));

    const ProgressBarLayout full = layout(bar(100), 205, 20);
    EXPECT_EQ(full.edge, 205);
    EXPECT_EQ(full.fillEdge, 200);
}

TEST(ProgressBarLayout, VerticalFillStopsShortOfTheTopAndSnapsFromTheBottom)
{
    const ProgressBarLayout half = layout(bar(50, 1, 1), 20, 100);
    EXPECT_DOUBLE_EQ(half.fraction, 0.48);
    EXPECT_EQ(half.edge, 48);
    EXPECT_EQ(half.fillEdge, 50);
    EXPECT_EQ(half.fill, (Rect{0, 50, 20, 100}));

    const ProgressBarLayout full = layout(bar(100, 1, 1), 20, 200);
    EXPECT_DOUBLE_EQ(full.fraction, -0.02);
    EXPECT_EQ(full.edge, -4);
    EXPECT_EQ(full.fillEdge, 0);
    EXPECT_EQ(layout(bar(100, 1, 1), 20, 205).fillEdge, 5);

    const ProgressBarLayout empty = layout(bar(0, 1, 1), 20, 200);
    EXPECT_DOUBLE_EQ(empty.fraction, 0.98);
    EXPECT_EQ(empty.edge, 196);
    EXPECT_EQ(empty.fillEdge, 200);
}

TEST(ProgressBarLayout, ValuesOutsideTheRangeGiveAnEmptyOrFullBar)
{
    ProgressBarState below = bar(-5);
    below.Min = 10;
    EXPECT_EQ(layout(below, 300, 20).fillEdge, 0);
    EXPECT_EQ(layout(bar(250), 300, 20).fillEdge, 300);
    EXPECT_EQ(layout(bar(250, 1, 1), 20, 300).fillEdge, 0);
}

TEST(ProgressBarLayout, EmptyRangeAndExtremeValuesStayInsideTheControl)
{
    ProgressBarState state = bar(7);
    state.Min = state.Max = 7;
    EXPECT_EQ(layout(state, 300, 20).fillEdge, 0); // 0 / 0
    state.Value = 8;
    EXPECT_EQ(layout(state, 300, 20).fillEdge, 300); // beyond an empty range: full
    state.Value = 6;
    EXPECT_EQ(layout(state, 300, 20).fillEdge, 0);

    state.Min = INT_MIN;
    state.Max = INT_MAX;
    state.Value = INT_MAX;
    EXPECT_EQ(layout(state, 300, 20).fillEdge, 300);
    state.Orientation = 1;
    state.Value = INT_MIN;
    EXPECT_EQ(layout(state, 20, 300).fillEdge, 300);
}

TEST(ProgressBarPaint, FrameRingsCornerPixelsAndWhiteBackground)
{
    const Surface s = render(bar(0), 10, 8);
    EXPECT_EQ(asciiMap(s, {{kOuter, 'D'}, {kShadow, 'g'}, {kInner, 'w'}, {kWhite, '.'}}), R"(
DDDDDDDDDD
DDggggggDD
DwwwwwwwwD
Dw......wD
Dw......wD
Dw......wD
DDwwwwwwDD
DDDDDDDDDD
)");
}

TEST(ProgressBarPaint, HorizontalBodyEndsAtTheFillEdgeWithGradientBands)
{
    const Surface s = render(bar(33), 300, 20);
    EXPECT_EQ(s.pixel(2, 10), kBar);
    EXPECT_EQ(s.pixel(89, 10), kBar);
    EXPECT_EQ(s.pixel(90, 10), kWhite);
    EXPECT_EQ(s.pixel(150, 10), kWhite);
    // Top band: pale at y 3 towards the bar colour; solid from y 8 to 13;
    // bottom band back to pale, which it reaches just below y 18.
    EXPECT_EQ(s.pixel(40, 3), kPale);
    EXPECT_EQ(s.pixel(40, 8), kBar);
    EXPECT_EQ(s.pixel(40, 12), kBar);
    const ColourValue lower = s.pixel(40, 17);
    EXPECT_GT(platform::redOf(lower), platform::redOf(kBar));
    EXPECT_LT(platform::redOf(lower), platform::redOf(kPale));
    for (int y = 3; y < 8; ++y)
        EXPECT_GE(platform::redOf(s.pixel(40, y)), platform::redOf(s.pixel(40, y + 1))) << "y " << y;
    // The frame stays on top of the body.
    EXPECT_EQ(s.pixel(2, 2), kInner);
    EXPECT_EQ(s.pixel(2, 18), kInner);
}

TEST(ProgressBarPaint, FullHorizontalBarLeavesWhiteColumnsBeforeTheFrame)
{
    const Surface s = render(bar(100), 205, 20);
    EXPECT_EQ(s.pixel(199, 10), kBar);
    for (int x = 200; x <= 202; ++x)
        EXPECT_EQ(s.pixel(x, 10), kWhite) << "x " << x;
    EXPECT_EQ(s.pixel(203, 10), kInner);
    EXPECT_EQ(s.pixel(204, 10), kOuter);
}

TEST(ProgressBarPaint, EmptyBarShowsNoBody)
{
    for (int orientation : {0, 1}) {
        const Surface s = orientation ? render(bar(0, 1, 1), 20, 200) : render(bar(0), 200, 20);
        for (int y = 3; y < s.height() - 3; ++y)
            for (int x = 2; x < s.width() - 2; ++x)
                ASSERT_EQ(s.pixel(x, y), kWhite) << orientation << ": " << x << "," << y;
    }
}

TEST(ProgressBarPaint, BlocksAreSplitByTwoPixelWhiteSeparators)
{
    const Surface s = render(bar(33, kScrollingBlocks), 300, 20);
    std::string row;
    for (int x = 0; x < 96; ++x)
        row += s.pixel(x, 10) == kBar ? '#' : s.pixel(x, 10) == kWhite ? '.' : '?';
    std::string expected = "??";
    for (int block = 0; block < 8; ++block)
        expected += "########..";
    expected += "########......";
    EXPECT_EQ(row, expected);
    // Separators run across the full height under the frame.
    EXPECT_EQ(s.pixel(10, 4), kWhite);
    EXPECT_EQ(s.pixel(11, 16), kWhite);
}

TEST(ProgressBarPaint, VerticalBarFillsFromTheBottomWithSideBands)
{
    const Surface s = render(bar(50, kScrollingContinuous, 1), 20, 100);
    EXPECT_EQ(s.pixel(10, 49), kWhite);
    EXPECT_EQ(s.pixel(10, 50), kBar);
    EXPECT_EQ(s.pixel(10, 96), kBar);
    EXPECT_EQ(s.pixel(2, 60), kPale); // left band starts pale
    EXPECT_EQ(s.pixel(7, 60), kBar);  // the solid part covers the band's end
    EXPECT_EQ(s.pixel(12, 60), kBar); // right band starts at the bar colour
    EXPECT_GT(platform::redOf(s.pixel(17, 60)), platform::redOf(kBar));

    const Surface full = render(bar(100, kScrollingContinuous, 1), 20, 205);
    EXPECT_EQ(full.pixel(10, 4), kWhite);
    EXPECT_EQ(full.pixel(10, 5), kBar);
}

TEST(ProgressBarPaint, VerticalSeparatorsCountFromTheBottom)
{
    const Surface s = render(bar(50, kScrollingBlocks, 1), 20, 100);
    std::string column;
    for (int y = 46; y < 100; ++y)
        column += s.pixel(10, y) == kBar ? '#' : s.pixel(10, y) == kWhite ? '.' : '?';
    EXPECT_EQ(column, "....########..########..########..########..########??");
}

TEST(ProgressBarPaint, SearchingDrawsThreeFadingBlocksFromTheFillEdge)
{
    const Surface s = render(bar(0, kScrollingSearching), 300, 20);
    const ColourValue b0 = kSearch[0], b1 = kSearch[1], b2 = kSearch[2];
    for (int x = 2; x <= 9; ++x)
        EXPECT_EQ(s.pixel(x, 10), b0) << x;
    EXPECT_EQ(s.pixel(10, 10), kWhite);
    EXPECT_EQ(s.pixel(12, 10), b1);
    EXPECT_EQ(s.pixel(21, 10), b1);
    EXPECT_EQ(s.pixel(22, 10), kWhite);
    EXPECT_EQ(s.pixel(24, 10), b2);
    EXPECT_EQ(s.pixel(33, 10), b2);
    EXPECT_EQ(s.pixel(34, 10), kWhite);
    // The edge bands are lighter still.
    EXPECT_EQ(s.pixel(5, 3), kFirstSearchEdge);
    EXPECT_EQ(s.pixel(30, 3), kThirdSearchEdge);
    EXPECT_EQ(s.pixel(150, 10), kWhite);

    const Surface later = render(bar(33, kScrollingSearching), 300, 20);
    EXPECT_EQ(later.pixel(89, 10), kWhite); // no bar behind the blocks
    EXPECT_EQ(later.pixel(90, 10), b0);
    EXPECT_EQ(later.pixel(114, 10), b2);
}

TEST(ProgressBarPaint, VerticalSearchingBlocksGoDownFromTheFillEdge)
{
    const Surface s = render(bar(50, kScrollingSearching, 1), 20, 100);
    EXPECT_EQ(s.pixel(10, 49), kWhite);
    EXPECT_EQ(s.pixel(10, 50), kSearch[0]);
    EXPECT_EQ(s.pixel(10, 59), kSearch[0]);
    EXPECT_EQ(s.pixel(10, 60), kWhite);
    EXPECT_EQ(s.pixel(10, 62), kSearch[1]);
    EXPECT_EQ(s.pixel(10, 83), kSearch[2]);
    EXPECT_EQ(s.pixel(10, 84), kWhite);
    EXPECT_EQ(s.pixel(3, 50), kFirstSearchEdge); // side band, light at the top
}

TEST(ProgressBarPaint, UnknownModesDrawContinuousAndAnyOrientationButZeroIsVertical)
{
    EXPECT_EQ(render(bar(45, 7), 120, 20).image(), render(bar(45, kScrollingContinuous), 120, 20).image());
    EXPECT_EQ(render(bar(45, -1, 5), 20, 120).image(), render(bar(45, kScrollingContinuous, 1), 20, 120).image());
    EXPECT_EQ(layout(bar(45, 1, -3), 20, 120).fill, layout(bar(45, 1, 1), 20, 120).fill);
}

TEST(ProgressBarPaint, TinyControlsAndEmptyRangesDrawOnlyInsideTheClient)
{
    for (const auto &[w, h] : {std::pair{1, 20}, {20, 1}, {1, 1}, {2, 2}}) {
        for (int mode : {0, 1, 2}) {
            for (int orientation : {0, 1}) {
                const Surface s = render(bar(60, mode, orientation), w, h);
                EXPECT_EQ(s.pixel(0, 0), kOuter) << w << "x" << h;
            }
        }
    }
    // A client smaller than the surface: nothing lands outside it.
    ProgressBarState state = bar(9, kScrollingBlocks);
    state.Min = state.Max = 3;
    state.ShowText = true;
    for (int orientation : {0, 1}) {
        state.Orientation = orientation;
        Surface s(40, 30);
        s.FillRect(s.bounds(), 0x00FF00);
        paintProgressBar(s, state, {0, 0, 25, 30});
        for (int y = 0; y < 30; ++y)
            for (int x = 25; x < 40; ++x)
                ASSERT_EQ(s.pixel(x, y), 0x00FF00u) << x << "," << y;
    }
}

TEST(ProgressBarText, SearchingTextOrPercentOfTheRange)
{
    ProgressBarState state = bar(50);
    EXPECT_EQ(progressText(state), QStringLiteral("50 %"));
    state.Value = 150;
    EXPECT_EQ(progressText(state), QStringLiteral("150 %"));
    state.Scrolling = kScrollingSearching;
    EXPECT_EQ(progressText(state), QStringLiteral(u"正在查找.."));

    state = bar(1);
    state.Max = 3;
    EXPECT_EQ(progressText(state), QStringLiteral("33.3333333333333 %"));
    state = bar(15);
    state.Min = 10;
    state.Max = 20;
    EXPECT_EQ(progressText(state), QStringLiteral("50 %"));
    state.Value = 9;
    EXPECT_EQ(progressText(state), QStringLiteral("-10 %"));
}

TEST(ProgressBarText, EmptyRangeAndHugeValuesGiveAFiniteText)
{
    ProgressBarState state = bar(5);
    state.Min = state.Max = 5;
    EXPECT_EQ(progressText(state), QStringLiteral("0 %"));
    state.Value = 6;
    EXPECT_EQ(progressText(state), QStringLiteral("100 %"));
    // Value × Max would leave 32 bits; the percentage does not.
    state = bar(INT_MAX);
    state.Max = INT_MAX;
    EXPECT_EQ(progressText(state), QStringLiteral("100 %"));
}

TEST(ProgressBarText, IsDrawnCentredInTheClient)
{
    ProgressBarState state = bar(50);
    state.Font.setPixelSize(11);
    const Surface plain = render(state, 300, 20);
    state.ShowText = true;
    const Surface text = render(state, 300, 20);
    const QRect where = platform::centredTextRect(progressText(state), {0, 0, 300, 20}, state.Font);
    EXPECT_NEAR(where.center().x(), 150, 2);
    int changed = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 300; ++x)
            if (plain.pixel(x, y) != text.pixel(x, y)) {
                ++changed;
                ASSERT_TRUE(where.adjusted(-2, -2, 2, 2).contains(x, y)) << x << "," << y;
            }
    EXPECT_GT(changed, 0);
}

TEST(ProgressBarRegion, CutsThreePixelsAtEachCorner)
{
    const platform::Region region = progressBarRegion(6, 5);
    std::string map;
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 6; ++x)
            map += region.contains(x, y) ? '#' : '.';
        map += '\n';
    }
    EXPECT_EQ(map, "..##..\n.####.\n######\n.####.\n..##..\n");
}
