#include "platform/surface.h"
#include "platform/system_colours.h"

#include "platform/ascii_surface.h"

#include <QFont>
#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

using namespace platform;

namespace {

constexpr ColourValue kBlack = 0x000000;
constexpr ColourValue kWhite = 0xFFFFFF;
constexpr ColourValue kRed = 0x0000FF;
constexpr ColourValue kGreen = 0x00FF00;
constexpr ColourValue kBlue = 0xFF0000;

const std::map<ColourValue, char> kLegend{{kBlack, '.'}, {kWhite, '#'}, {kRed, 'r'}, {kGreen, 'g'}, {kBlue, 'b'}};
const std::map<char, ColourValue> kColours{{'.', kBlack}, {'#', kWhite}, {'r', kRed}, {'g', kGreen}, {'b', kBlue}};

std::string map(const Surface &s) { return asciiMap(s, kLegend); }

} // namespace

TEST(Surface, StartsBlackAndRefusesEmptySizes)
{
    const Surface s(3, 2);
    EXPECT_EQ(map(s), "\n...\n...\n");
    EXPECT_EQ(s.image().format(), QImage::Format_RGB32);
    EXPECT_TRUE(Surface(0, 5).isNull());
    EXPECT_TRUE(Surface(5, -1).isNull());
}

TEST(Surface, FillRectCoversLeftTopButNotRightBottom)
{
    Surface s(8, 5);
    s.FillRect({1, 1, 5, 3}, kWhite);
    EXPECT_EQ(map(s), R"(
........
.####...
.####...
........
........
)");
}

TEST(Surface, FillRectClipsAtEveryEdgeAndIgnoresEmptyOrInvertedRectangles)
{
    Surface s(6, 4);
    s.FillRect({-3, -3, 2, 1}, kWhite);
    s.FillRect({4, 2, 100, 100}, kRed);
    s.FillRect({3, 1, 3, 4}, kGreen);     // zero width
    s.FillRect({5, 3, 2, 0}, kGreen);     // inverted
    s.FillRect({-9, -9, -1, -1}, kGreen); // entirely outside
    EXPECT_EQ(map(s), R"(
##....
......
....rr
....rr
)");
}

TEST(Surface, FrameRectOutlinesTheInsideOfTheRectangle)
{
    Surface s(8, 5);
    s.FrameRect({1, 1, 5, 4}, kWhite);
    s.FrameRect({6, 0, 7, 5}, kRed);   // one pixel wide: a single column
    s.FrameRect({0, 0, 0, 5}, kGreen); // empty: nothing
    EXPECT_EQ(map(s), R"(
......r.
.####.r.
.#..#.r.
.####.r.
......r.
)");
}

TEST(Surface, FrameRectPartlyOutsideDrawsOnlyTheVisibleSides)
{
    Surface s(5, 4);
    s.FrameRect({-1, 1, 3, 9}, kWhite);
    EXPECT_EQ(map(s), R"(
.....
###..
..#..
..#..
)");
}

TEST(Surface, SetPixelVOutsideTheSurfaceIsIgnored)
{
    Surface s(3, 2);
    s.SetPixelV(2, 1, kWhite);
    s.SetPixelV(3, 0, kRed);
    s.SetPixelV(-1, 0, kRed);
    s.SetPixelV(0, 2, kRed);
    EXPECT_EQ(map(s), "\n...\n..#\n");
    EXPECT_EQ(s.pixel(3, 0), 0u);
}

TEST(Surface, LineToLeavesOutTheEndPointAndMovesTheCurrentPosition)
{
    Surface s(8, 5);
    s.MoveToEx(1, 1);
    s.LineTo(5, 1, kWhite); // 4 pixels, not 5
    EXPECT_EQ(s.currentPosition(), QPoint(5, 1));
    s.LineTo(5, 4, kRed); // starts at the previous end point
    s.MoveToEx(0, 4);
    s.LineTo(0, 1, kGreen); // upwards
    EXPECT_EQ(map(s), R"(
........
.####r..
g....r..
g....r..
g.......
)");
}

TEST(Surface, LineToDrawsDiagonalsAndClipsWithoutError)
{
    Surface s(5, 5);
    s.MoveToEx(0, 0);
    s.LineTo(4, 4, kWhite);
    s.MoveToEx(-2, 2);
    s.LineTo(7, 2, kRed);
    s.MoveToEx(3, 3);
    s.LineTo(3, 3, kBlue); // zero length: nothing
    s.MoveToEx(-2000000000, 4);
    s.LineTo(-1, 4, kBlue); // entirely left of the surface
    EXPECT_EQ(s.currentPosition(), QPoint(-1, 4));
    EXPECT_EQ(map(s), R"(
#....
.#...
rrrrr
...#.
.....
)");
}

TEST(Surface, GradientFillRunsPerChannelFromFirstVertexAndStopsShortOfTheSecond)
{
    Surface s(4, 2);
    // Red 0 -> 255 and blue 255 -> 0 over four columns.
    s.GradientFill(gradientVertex(0, 0, rgbValue(0, 10, 255)), gradientVertex(4, 2, rgbValue(255, 10, 0)),
                   GradientDirection::Horizontal);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(s.pixel(0, y), rgbValue(0, 10, 255));
        // (0 * (4 - pos) + 65280 * pos) / 4 >> 8: 63, 127, 191.
        EXPECT_EQ(s.pixel(1, y), rgbValue(63, 10, 191));
        EXPECT_EQ(s.pixel(2, y), rgbValue(127, 10, 127));
        EXPECT_EQ(s.pixel(3, y), rgbValue(191, 10, 63));
    }
}

TEST(Surface, VerticalGradientVariesAlongYOnly)
{
    Surface s(3, 6);
    s.GradientFill(gradientVertex(1, 1, rgbValue(200, 200, 200)), gradientVertex(2, 4, rgbValue(50, 80, 110)),
                   GradientDirection::Vertical);
    EXPECT_EQ(s.pixel(1, 0), kBlack);
    EXPECT_EQ(s.pixel(1, 1), rgbValue(200, 200, 200));
    EXPECT_EQ(s.pixel(1, 2), rgbValue(150, 160, 170));
    EXPECT_EQ(s.pixel(1, 3), rgbValue(100, 120, 140));
    EXPECT_EQ(s.pixel(1, 4), kBlack);
    EXPECT_EQ(s.pixel(0, 2), kBlack);
    EXPECT_EQ(s.pixel(2, 2), kBlack);
}

TEST(Surface, ClippedGradientKeepsTheColoursOfTheWholeRectangle)
{
    Surface whole(10, 1);
    whole.GradientFill(gradientVertex(0, 0, kBlack), gradientVertex(10, 1, kWhite), GradientDirection::Horizontal);
    Surface clipped(4, 1);
    clipped.GradientFill(gradientVertex(-6, 0, kBlack), gradientVertex(4, 5, kWhite), GradientDirection::Horizontal);
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(clipped.pixel(x, 0), whole.pixel(x + 6, 0)) << "x " << x;
}

TEST(Surface, GradientWithTheSecondVertexBeforeTheFirstDrawsNothing)
{
    Surface s(6, 4);
    s.GradientFill(gradientVertex(2, 0, kWhite), gradientVertex(0, 4, kWhite), GradientDirection::Vertical);
    s.GradientFill(gradientVertex(0, 3, kWhite), gradientVertex(6, 3, kWhite), GradientDirection::Horizontal);
    EXPECT_EQ(map(s), "\n......\n......\n......\n......\n");
}

TEST(Surface, BitBltCopiesABlockAndClipsAgainstBothPictures)
{
    const Surface source = surfaceFromMap(R"(
rg
b#
)",
                                          kColours);
    Surface s(5, 4);
    s.BitBlt(0, 0, 2, 2, source, 0, 0);
    s.BitBlt(4, 3, 2, 2, source, 0, 0);  // bottom-right: only 'r' lands
    s.BitBlt(-1, 2, 2, 2, source, 0, 0); // left edge: right column only
    s.BitBlt(2, 0, 5, 5, source, 1, 1);  // source runs out after one pixel
    s.BitBlt(3, 2, 0, 2, source, 0, 0);  // empty block
    EXPECT_EQ(map(s), R"(
rg#..
b#...
g....
#...r
)");
}

TEST(Surface, StretchBltRepeatsOnePixelAndPicksNearestWhenShrinking)
{
    const Surface one = surfaceFromMap("\nr\n", kColours);
    Surface grown(4, 3);
    grown.StretchBlt({1, 1, 4, 3}, one.image(), {0, 0, 1, 1});
    EXPECT_EQ(map(grown), "\n....\n.rrr\n.rrr\n");

    const Surface stripes = surfaceFromMap("\nrrgg##bb\n", kColours);
    Surface shrunk(4, 1);
    shrunk.StretchBlt({0, 0, 4, 1}, stripes.image(), {0, 0, 8, 1});
    EXPECT_EQ(map(shrunk), "\nrg#b\n");
}

TEST(Surface, StretchBltOfA3x3SourceKeepsCornersAndStretchesEdges)
{
    const Surface source = surfaceFromMap(R"(
rgb
g#g
bgr
)",
                                          kColours);
    Surface s(7, 5);
    const QImage &src = source.image();
    // The same nine pieces the picture button uses, with 1-pixel borders.
    s.StretchBlt({0, 0, 1, 1}, src, {0, 0, 1, 1});
    s.StretchBlt({1, 0, 6, 1}, src, {1, 0, 2, 1});
    s.StretchBlt({6, 0, 7, 1}, src, {2, 0, 3, 1});
    s.StretchBlt({0, 1, 1, 4}, src, {0, 1, 1, 2});
    s.StretchBlt({1, 1, 6, 4}, src, {1, 1, 2, 2});
    s.StretchBlt({6, 1, 7, 4}, src, {2, 1, 3, 2});
    s.StretchBlt({0, 4, 1, 5}, src, {0, 2, 1, 3});
    s.StretchBlt({1, 4, 6, 5}, src, {1, 2, 2, 3});
    s.StretchBlt({6, 4, 7, 5}, src, {2, 2, 3, 3});
    EXPECT_EQ(map(s), R"(
rgggggb
g#####g
g#####g
g#####g
bgggggr
)");
}

TEST(Surface, StretchBltWithANegativeOrEmptySizeDrawsNothing)
{
    const Surface source = surfaceFromMap("\n##\n##\n", kColours);
    Surface s(4, 2);
    s.StretchBlt({3, 0, 1, 2}, source.image(), {0, 0, 2, 2});
    s.StretchBlt({0, 0, 2, 2}, source.image(), {0, 0, -2, 2});
    s.StretchBlt({0, 0, 2, 2}, source.image(), {1, 0, 1, 2});
    s.StretchBlt({0, 0, 2, 2}, QImage(), {0, 0, 2, 2});
    EXPECT_EQ(map(s), "\n....\n....\n");
}

TEST(Surface, StretchBltLeavesPixelsThatSampleOutsideTheSourceAlone)
{
    const Surface source = surfaceFromMap("\nrg\n", kColours);
    Surface s(4, 1);
    s.StretchBlt({0, 0, 4, 1}, source.image(), {1, 0, 3, 1});
    EXPECT_EQ(map(s), "\ngg..\n");
}

TEST(Surface, StretchBltKeepsTheSurfaceUnderTransparentPixels)
{
    QImage picture(3, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 0, 0, 255));
    picture.setPixel(1, 0, qRgba(0, 255, 0, 0));
    picture.setPixel(2, 0, qRgba(255, 255, 255, 128));
    Surface s(3, 1);
    s.FillRect(s.bounds(), kBlue);
    s.StretchBlt(s.bounds(), picture, {0, 0, 3, 1});
    EXPECT_EQ(s.pixel(0, 0), kRed);
    EXPECT_EQ(s.pixel(1, 0), kBlue);
    EXPECT_EQ(s.pixel(2, 0), rgbValue(128, 128, 255));
}

TEST(Surface, SystemColoursAreResolvedAndUnknownOnesDrawNothing)
{
    Surface s(3, 1);
    s.SetPixelV(0, 0, kSysButtonFace);
    s.FillRect({1, 0, 3, 1}, kWhite);
    s.FillRect({1, 0, 3, 1}, 0x80000063u);
    s.MoveToEx(2, 0);
    s.LineTo(3, 0, 0x80000063u);
    EXPECT_EQ(s.pixel(0, 0), fromQColor(QGuiApplication::palette().color(QPalette::Button)));
    EXPECT_EQ(s.pixel(1, 0), kWhite);
    EXPECT_EQ(s.pixel(2, 0), kWhite);
}

TEST(Surface, DrawTextCentresOneLineInsideTheRectangleOnly)
{
    Surface s(120, 40);
    QFont font;
    font.setPixelSize(12);
    const Rect box{10, 5, 110, 35};
    const QRect laidOut = s.DrawText(QStringLiteral("50 %"), box, font, kWhite);
    EXPECT_EQ(laidOut, centredTextRect(QStringLiteral("50 %"), box, font));
    ASSERT_FALSE(laidOut.isEmpty());
    EXPECT_NEAR(laidOut.center().x(), 59.5, 1.5);
    EXPECT_NEAR(laidOut.center().y(), 19.5, 1.5);
    // Something was drawn, all of it within the laid-out text.
    int lit = 0;
    for (int y = 0; y < s.height(); ++y)
        for (int x = 0; x < s.width(); ++x)
            if (s.pixel(x, y) != kBlack) {
                ++lit;
                EXPECT_TRUE(laidOut.adjusted(-2, -2, 2, 2).contains(x, y)) << x << "," << y;
            }
    EXPECT_GT(lit, 0);
}

TEST(Surface, DrawTextIsClippedToItsRectangleAndSkipsEmptyText)
{
    Surface s(40, 20);
    QFont font;
    font.setPixelSize(16);
    s.DrawText(QStringLiteral("WWWWWWWWWWWW"), {10, 0, 20, 20}, font, kWhite);
    int inside = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            if (x < 10 || x >= 20)
                ASSERT_EQ(s.pixel(x, y), kBlack) << x << "," << y;
            else if (s.pixel(x, y) != kBlack)
                ++inside;
        }
    }
    EXPECT_GT(inside, 0);
    EXPECT_TRUE(s.DrawText(QString(), {0, 0, 40, 20}, font, kWhite).isEmpty());
}

TEST(Surface, ClipRectangleLimitsEveryOperationUntilCleared)
{
    const Surface source = surfaceFromMap("\n####\n####\n####\n", kColours);
    Surface s(5, 4);
    s.setClipRect({1, 1, 3, 9});
    s.FillRect(s.bounds(), kRed);
    s.SetPixelV(0, 0, kWhite);
    s.MoveToEx(0, 3);
    s.LineTo(5, 3, kGreen);
    s.GradientFill(gradientVertex(0, 0, kBlue), gradientVertex(5, 1, kBlue), GradientDirection::Horizontal);
    s.BitBlt(2, 2, 3, 3, source, 0, 0);
    s.clearClip();
    s.SetPixelV(4, 0, kWhite);
    EXPECT_EQ(map(s), R"(
....#
.rr..
.r#..
.g#..
)");
}
