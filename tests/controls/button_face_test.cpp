#include "controls/button_face.h"
#include "controls/hand_cursor.h"
#include "platform/system_colours.h"

#include "platform/ascii_surface.h"
#include "platform/colour_blend.h"

#include <gtest/gtest.h>

using namespace controls;
using platform::ColourValue;
using platform::rgbValue;
using platform::Surface;

namespace {

constexpr ColourValue kFore = rgbValue(200, 100, 0);
constexpr ColourValue kDark = rgbValue(100, 50, 0);
constexpr ColourValue kBack = rgbValue(10, 20, 30);
constexpr ColourValue kWhite = 0xFFFFFF;

const std::map<ColourValue, char> kLegend{{kWhite, 'L'}, {kDark, 'd'}, {kBack, '.'}};

ButtonLook plainLook()
{
    ButtonLook look;
    look.ForeColor = kFore;
    look.BackColor = kBack;
    return look;
}

// Every pixel a different colour: red = x, green = y.
QImage coordinatePicture(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, qRgb(x, y, 7));
    return image;
}

ColourValue pictureAt(int x, int y) { return rgbValue(x, y, 7); }

} // namespace

TEST(ButtonFace, BevelIsLightTopLeftAndDarkBottomRight)
{
    Surface s(6, 4);
    paintButtonFace(s, ButtonFace::Normal, plainLook());
    EXPECT_EQ(asciiMap(s, kLegend), R"(
LLLLLd
L....d
L....d
Lddddd
)");
    Surface hover(6, 4);
    paintButtonFace(hover, ButtonFace::Hover, plainLook());
    EXPECT_EQ(hover.image(), s.image());
}

TEST(ButtonFace, PressedBevelIsTheOtherWayRound)
{
    Surface s(6, 4);
    paintButtonFace(s, ButtonFace::Pressed, plainLook());
    EXPECT_EQ(asciiMap(s, kLegend), R"(
dddddL
d....L
d....L
dLLLLL
)");
}

TEST(ButtonFace, DefaultColoursComeFromTheSystem)
{
    Surface s(5, 5);
    paintButtonFace(s, ButtonFace::Normal, ButtonLook{});
    const ColourValue face = *platform::resolveColour(platform::kSysButtonFace);
    EXPECT_EQ(s.pixel(2, 2), face);
    EXPECT_EQ(s.pixel(4, 4), platform::Mix(platform::kSysButtonText, 0, 128));
}

TEST(ButtonFace, NineSliceKeepsSixPixelEndsAndStretchesTheMiddle)
{
    // A 71 × 25 face on a 425 × 25 button: 59 middle columns become 413.
    ButtonLook look = plainLook();
    look.Picture = coordinatePicture(71, 25);
    Surface s(425, 25);
    paintButtonFace(s, ButtonFace::Normal, look);
    for (int y = 0; y < 25; ++y) {
        for (int x = 0; x < 6; ++x) {
            ASSERT_EQ(s.pixel(x, y), pictureAt(x, y)) << x << "," << y;
            ASSERT_EQ(s.pixel(419 + x, y), pictureAt(65 + x, y)) << x << "," << y;
        }
        ASSERT_EQ(s.pixel(6, y), pictureAt(6, y));
        ASSERT_EQ(s.pixel(418, y), pictureAt(64, y));
    }
    // Every middle column comes from the middle of the picture, in order.
    int previous = 6;
    for (int x = 6; x < 419; ++x) {
        const int source = platform::redOf(s.pixel(x, 12));
        ASSERT_GE(source, previous) << x;
        ASSERT_LE(source, 64) << x;
        previous = source;
    }
    EXPECT_EQ(s.pixel(212, 12), pictureAt(35, 12)); // the centre stays central
}

TEST(ButtonFace, NineSliceStretchesTheMiddleRowsToo)
{
    ButtonLook look = plainLook();
    look.PictureMouseOn = coordinatePicture(20, 14);
    Surface s(30, 40);
    paintButtonFace(s, ButtonFace::Hover, look);
    EXPECT_EQ(s.pixel(0, 0), pictureAt(0, 0));
    EXPECT_EQ(s.pixel(29, 39), pictureAt(19, 13));
    EXPECT_EQ(s.pixel(3, 34), pictureAt(3, 8)); // bottom-left corner
    EXPECT_EQ(s.pixel(3, 6), pictureAt(3, 6));  // first stretched row
    EXPECT_EQ(s.pixel(3, 33), pictureAt(3, 7)); // last stretched row
}

TEST(ButtonFace, NineSliceOnAHiDpiSurfaceCutsInDevicePixels)
{
    // A picture made for the surface's size and ratio is copied unchanged: no
    // seam, no doubled row, whatever the rounding at 1.25 and 1.5.
    for (const qreal ratio : {1.25, 1.5, 2.0}) {
        QImage picture = coordinatePicture(platform::toDevicePixels(71, ratio), platform::toDevicePixels(25, ratio));
        picture.setDevicePixelRatio(ratio);
        Surface s(71, 25, ratio);
        drawNineSlice(s, picture);
        EXPECT_EQ(s.image(), picture) << ratio;
    }
    // A 1x picture on a 2x surface: its 6-pixel corners cover 12 device pixels.
    Surface s(40, 20, 2);
    drawNineSlice(s, coordinatePicture(20, 14));
    EXPECT_EQ(s.image().pixel(68, 28), qRgb(14, 8, 7));
}

TEST(ButtonFace, EachFaceUsesItsOwnPictureOrTheBevel)
{
    ButtonLook look = plainLook();
    look.Picture = QImage(14, 14, QImage::Format_RGB32);
    look.Picture.fill(qRgb(1, 1, 1));
    look.PictureDown = QImage(14, 14, QImage::Format_RGB32);
    look.PictureDown.fill(qRgb(2, 2, 2));
    Surface s(20, 20);
    paintButtonFace(s, ButtonFace::Normal, look);
    EXPECT_EQ(s.pixel(10, 10), rgbValue(1, 1, 1));
    paintButtonFace(s, ButtonFace::Pressed, look);
    EXPECT_EQ(s.pixel(10, 10), rgbValue(2, 2, 2));
    paintButtonFace(s, ButtonFace::Hover, look); // no hover picture: bevel
    EXPECT_EQ(s.pixel(10, 10), kBack);
    EXPECT_EQ(s.pixel(0, 0), kWhite);
}

TEST(ButtonFace, PicturesUnderTwelvePixelsDrawOnlyTheirCorners)
{
    ButtonLook look = plainLook();
    look.Picture = coordinatePicture(10, 10);
    Surface s(30, 20);
    s.FillRect(s.bounds(), 0x00FF00); // the face is not cleared first
    paintButtonFace(s, ButtonFace::Normal, look);
    EXPECT_EQ(s.pixel(0, 0), pictureAt(0, 0));
    EXPECT_EQ(s.pixel(29, 19), pictureAt(9, 9));
    EXPECT_EQ(s.pixel(15, 10), 0x00FF00u); // middle pieces have no source
    EXPECT_EQ(s.pixel(15, 2), 0x00FF00u);
}

TEST(ButtonFace, CaptionIsCentredAndOnlyDrawnWhenSet)
{
    ButtonLook look = plainLook();
    look.Font.setPixelSize(12);
    Surface bare(120, 30);
    paintButtonFace(bare, ButtonFace::Normal, look);
    look.Caption = QStringLiteral("OK");
    Surface captioned(120, 30);
    paintButtonFace(captioned, ButtonFace::Normal, look);
    const QRect where = platform::centredTextRect(look.Caption, captioned.bounds(), look.Font);
    EXPECT_NEAR(where.center().x(), 59.5, 1.5);
    EXPECT_NEAR(where.center().y(), 14.5, 1.5);
    int changed = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 120; ++x)
            if (bare.pixel(x, y) != captioned.pixel(x, y)) {
                ++changed;
                ASSERT_TRUE(where.adjusted(-2, -2, 2, 2).contains(x, y)) << x << "," << y;
            }
    EXPECT_GT(changed, 0);
}

TEST(HandCursor, IsATwoColourHandWithItsTipAtTheHotSpot)
{
    const QImage hand = handPointerImage();
    ASSERT_EQ(hand.size(), QSize(32, 32));
    int black = 0, white = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const QRgb p = hand.pixel(x, y);
            if (qAlpha(p) == 0)
                continue;
            ASSERT_EQ(qAlpha(p), 255) << x << "," << y;
            if (p == qRgb(0, 0, 0))
                ++black;
            else if (p == qRgb(255, 255, 255))
                ++white;
            else
                ADD_FAILURE() << "colour " << std::hex << p << " at " << x << "," << y;
        }
    EXPECT_GT(black, 40);
    EXPECT_GT(white, 100);
    // Outline at the finger tip, white inside below it, nothing above.
    EXPECT_EQ(hand.pixel(kHandHotSpot), qRgb(0, 0, 0));
    EXPECT_EQ(hand.pixel(kHandHotSpot + QPoint(0, 3)), qRgb(255, 255, 255));
    EXPECT_EQ(qAlpha(hand.pixel(kHandHotSpot - QPoint(0, 1))), 0);
    EXPECT_EQ(qAlpha(hand.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(hand.pixel(31, 0)), 0);
}
