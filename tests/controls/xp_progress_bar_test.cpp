#include "controls/xp_progress_bar.h"
#include "platform/system_colours.h"

#include "controls/stored_colour.h"
#include "support/qt_printers.h"

#include <QGuiApplication>
#include <QPalette>
#include <QTest>

#include <gtest/gtest.h>

#include <climits>

using namespace controls;
using platform::ColourValue;
using platform::PropertyBag;

namespace {

constexpr ColourValue kPbColour = platform::rgbValue(49, 106, 197);

ColourValue highlight() { return platform::fromQColor(QGuiApplication::palette().color(QPalette::Highlight)); }

QImage visiblePart(const platform::Surface &surface, int w, int h) { return surface.image().copy(0, 0, w, h); }

QImage expectedPicture(const ProgressBarState &state, int w, int h)
{
    platform::Surface s(w, h);
    paintProgressBar(s, state, {0, 0, w, h});
    return s.image();
}

} // namespace

TEST(XP_ProgressBar, StartsWithItsDefaults)
{
    XP_ProgressBar pb;
    EXPECT_EQ(pb.Max(), 100);
    EXPECT_EQ(pb.Min(), 0);
    EXPECT_EQ(pb.Value(), 0);
    EXPECT_EQ(pb.Orientation(), 0);
    EXPECT_EQ(pb.Scrolling(), 0);
    EXPECT_FALSE(pb.ShowText());
    EXPECT_EQ(pb.Color(), highlight());
    EXPECT_EQ(pb.font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(pb.font().pointSize(), 8);
    EXPECT_EQ(pb.hWnd(), &pb);
}

TEST(XP_ProgressBar, ColorIsHeldResolved)
{
    XP_ProgressBar pb;
    pb.setColor(kPbColour);
    EXPECT_EQ(pb.Color(), kPbColour);
    pb.setColor(platform::kSysHighlight);
    EXPECT_EQ(pb.Color(), highlight());
    pb.setColor(0x80000063u); // no such system colour: ignored
    EXPECT_EQ(pb.Color(), highlight());
}

TEST(XP_ProgressBar, OnlyValueShowTextAndDrawProgressBarRedraw)
{
    XP_ProgressBar pb;
    pb.resize(300, 20);
    pb.setValue(40);
    const QImage drawn = visiblePart(pb.HDC(), 300, 20);
    EXPECT_EQ(drawn, expectedPicture(pb.state(), 300, 20));

    pb.setMax(50);
    pb.setMin(10);
    pb.setColor(kPbColour);
    pb.setOrientation(1);
    pb.setScrolling(kScrollingSearching);
    pb.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 12));
    EXPECT_EQ(visiblePart(pb.HDC(), 300, 20), drawn);

    pb.setOrientation(0);
    pb.setScrolling(kScrollingContinuous);
    pb.setValue(30);
    EXPECT_EQ(visiblePart(pb.HDC(), 300, 20), expectedPicture(pb.state(), 300, 20));
    EXPECT_EQ(pb.HDC().pixel(140, 10), kPbColour); // 20 of 10..50: half full

    pb.setMax(100);
    pb.DrawProgressBar();
    EXPECT_EQ(pb.HDC().pixel(140, 10), 0xFFFFFFu);
    pb.setShowText(true);
    EXPECT_NE(visiblePart(pb.HDC(), 300, 20), expectedPicture(
                                                  [&] {
                                                      ProgressBarState s = pb.state();
                                                      s.ShowText = false;
                                                      return s;
                                                  }(),
                                                  300, 20));
}

TEST(XP_ProgressBar, ShownBarRedrawsWithoutWaitingForTheEventLoop)
{
    XP_ProgressBar pb;
    pb.resize(200, 20);
    pb.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pb));
    for (int value = 10; value <= 100; value += 30) {
        pb.setValue(value); // as a batch does, between two files
        EXPECT_EQ(visiblePart(pb.HDC(), 200, 20), expectedPicture(pb.state(), 200, 20)) << value;
    }
}

TEST(XP_ProgressBar, RenderedWidgetShowsThePainterPictureInsideItsShape)
{
    XP_ProgressBar pb;
    pb.resize(120, 18);
    pb.setScrolling(kScrollingBlocks);
    pb.setValue(45);
    QImage shown(120, 18, QImage::Format_RGB32);
    shown.fill(Qt::green);
    pb.render(&shown);
    const QImage expected = expectedPicture(pb.state(), 120, 18);
    const platform::Region shape = progressBarRegion(120, 18);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 120; ++x)
            if (shape.contains(x, y)) {
                ASSERT_EQ(shown.pixel(x, y), expected.pixel(x, y)) << x << "," << y;
            }
    EXPECT_EQ(pb.mask(), shape.toQRegion());
}

TEST(XP_ProgressBar, SurfaceGrowsWithTheWidgetAndNeverShrinks)
{
    QWidget host;
    XP_ProgressBar pb(&host);
    pb.resize(100, 30);
    host.show(); // resize events arrive at once only while shown
    EXPECT_EQ(pb.HDC().width(), 100);
    EXPECT_EQ(pb.HDC().height(), 30);
    pb.resize(300, 10);
    EXPECT_EQ(pb.HDC().width(), 300);
    EXPECT_EQ(pb.HDC().height(), 30);
    pb.resize(50, 50);
    EXPECT_EQ(pb.HDC().width(), 300);
    EXPECT_EQ(pb.HDC().height(), 50);
    EXPECT_EQ(pb.mask(), progressBarRegion(50, 50).toQRegion());

    // A smaller widget in a larger surface still draws at its own size.
    pb.setValue(100);
    EXPECT_EQ(visiblePart(pb.HDC(), 50, 50), expectedPicture(pb.state(), 50, 50));
}

TEST(XP_ProgressBar, EmptyRangeNeitherCrashesNorDrawsBeyondTheWidget)
{
    QWidget host;
    XP_ProgressBar pb(&host);
    host.show();
    pb.resize(300, 40);
    pb.resize(80, 20);
    ASSERT_EQ(pb.HDC().width(), 300);
    ASSERT_EQ(pb.HDC().height(), 40);
    const QImage before = pb.HDC().image().copy();
    pb.setMin(5);
    pb.setMax(5);
    pb.setShowText(true);
    for (int orientation : {0, 1}) {
        pb.setOrientation(orientation);
        for (int value : {4, 5, 6, INT_MIN, INT_MAX}) {
            pb.setValue(value);
            const QImage &now = pb.HDC().image();
            for (int y = 0; y < 40; ++y)
                for (int x = 0; x < 300; ++x)
                    if (x >= 80 || y >= 20) {
                        ASSERT_EQ(now.pixel(x, y), before.pixel(x, y)) << value << ": " << x << "," << y;
                    }
        }
    }
}

TEST(XP_ProgressBar, MeasuresTheWindowItIsGiven)
{
    XP_ProgressBar pb;
    pb.resize(200, 20);
    QWidget other;
    other.resize(100, 20);
    pb.setHWnd(&other);
    pb.setValue(100);
    EXPECT_EQ(pb.HDC().pixel(99, 0), 0x686868u); // frame of a 100-pixel control
    EXPECT_EQ(pb.HDC().pixel(150, 10), 0xFFFFFFu);
}

TEST(XP_ProgressBar, PDrawCopiesABlockOrTheWholeSurface)
{
    XP_ProgressBar pb;
    pb.resize(60, 20);
    pb.setValue(50);
    platform::Surface target(70, 30);
    pb.pDraw(target, 0, 0, 0, 0, 5, 5);
    EXPECT_EQ(target.pixel(5, 5), pb.HDC().pixel(0, 0));
    EXPECT_EQ(target.pixel(64, 24), pb.HDC().pixel(59, 19));
    EXPECT_EQ(target.pixel(4, 5), 0u);

    platform::Surface part(10, 10);
    pb.pDraw(part, 20, 8, 3, 2, 0, 0);
    EXPECT_EQ(part.pixel(0, 0), pb.HDC().pixel(20, 8));
    EXPECT_EQ(part.pixel(2, 1), pb.HDC().pixel(22, 9));
    EXPECT_EQ(part.pixel(3, 0), 0u);
}

TEST(XP_ProgressBarProperties, FreshBarStoresOnlyItsResolvedColour)
{
    XP_ProgressBar pb;
    PropertyBag bag;
    pb.writeProperties(bag);
    EXPECT_EQ(bag.names(), QStringList{"Color"});
    EXPECT_EQ(colourFromStored(bag.read("Color")), highlight());
}

TEST(XP_ProgressBarProperties, MainWindowBarReadsAndWritesBack)
{
    PropertyBag stored;
    stored.write("Color", storedColour(kPbColour), storedColour(platform::kSysHighlight));
    stored.write("Scrolling", 1, 0);

    XP_ProgressBar pb;
    pb.resize(200, 20);
    pb.readProperties(stored);
    EXPECT_EQ(pb.Color(), kPbColour);
    EXPECT_EQ(pb.Scrolling(), kScrollingContinuous);
    EXPECT_EQ(pb.Max(), 100);

    PropertyBag written;
    pb.writeProperties(written);
    EXPECT_EQ(written.names(), QStringList({"Color", "Scrolling"}));
    EXPECT_EQ(colourFromStored(written.read("Color")), kPbColour);
}

TEST(XP_ProgressBarProperties, AllSevenInTheirOrderAndReadingRedraws)
{
    PropertyBag stored;
    stored.write("Color", storedColour(0x112233), storedColour(platform::kSysHighlight));
    stored.write("Max", 10, 100);
    stored.write("Min", 2, 0);
    stored.write("Orientation", 1, 0);
    stored.write("Scrolling", 2, 0);
    stored.write("ShowText", true, false);
    stored.write("Value", 6, 0);

    XP_ProgressBar pb;
    pb.resize(20, 100);
    pb.readProperties(stored);
    EXPECT_EQ(visiblePart(pb.HDC(), 20, 100), expectedPicture(pb.state(), 20, 100));

    PropertyBag written;
    pb.writeProperties(written);
    EXPECT_EQ(written.names(), QStringList({"Color", "Max", "Min", "Orientation", "Scrolling", "ShowText", "Value"}));
    for (const QString &name : written.names())
        EXPECT_EQ(written.read(name), stored.read(name)) << name.toStdString();
}
