// The surface on HiDPI screens: logical pixels in, device pixels out.
#include "platform/surface.h"

#include <QFont>

#include <gtest/gtest.h>

using namespace platform;

TEST(SurfaceRatio, EveryLogicalPixelCoversItsDevicePixelsWithoutGapOrOverlap)
{
    // Shapes touching each other, and one clipped.
    auto draw = [](Surface &s) {
        s.FillRect({1, 1, 4, 3}, 0x0000FF);
        s.FillRect({4, 1, 6, 3}, 0x00FF00);
        s.FrameRect({0, 0, 9, 7}, 0xFFFFFF);
        s.SetPixelV(7, 1, 0xFF0000);
        s.MoveToEx(1, 5);
        s.LineTo(5, 3, 0x00FF00);
        s.setClipRect({8, 2, 9, 4});
        s.FillRect(s.bounds(), 0xFF0000);
    };
    Surface one(9, 7);
    draw(one);
    for (const qreal ratio : {1.25, 1.5, 2.0}) {
        Surface s(9, 7, ratio);
        draw(s);
        ASSERT_EQ(s.image().size(), QSize(toDevicePixels(9, ratio), toDevicePixels(7, ratio))) << ratio;
        EXPECT_EQ(s.image().devicePixelRatio(), ratio);
        auto owner = [&s](int device) {
            int logical = 0;
            while (s.toDevice(logical + 1) <= device)
                ++logical;
            return logical;
        };
        for (int y = 0; y < s.image().height(); ++y)
            for (int x = 0; x < s.image().width(); ++x)
                ASSERT_EQ(s.image().pixel(x, y), one.image().pixel(owner(x), owner(y)))
                    << ratio << ":" << x << "," << y;
    }
}

TEST(SurfaceRatio, GradientsAndTextUseEveryDevicePixel)
{
    Surface one(8, 1);
    Surface two(8, 1, 2);
    for (Surface *s : {&one, &two})
        s->GradientFill(gradientVertex(0, 0, 0), gradientVertex(8, 1, 0xFFFFFF), GradientDirection::Horizontal);
    for (int x = 1; x < 16; ++x) // a step at every device column, through the 1x colours
        EXPECT_LT(qRed(two.image().pixel(x - 1, 0)), qRed(two.image().pixel(x, 0))) << x;
    EXPECT_EQ(two.image().pixel(6, 0), one.image().pixel(3, 0));

    // Text as large on the screen as at 1x, with twice the pixels each way:
    // not stretched, which would make whole 2 x 2 blocks.
    Surface text(120, 20, 2);
    QFont font;
    font.setPixelSize(12);
    const QRect laidOut = text.DrawText(QStringLiteral(u"Tarvel 图片 62 %"), text.bounds(), font, 0xFFFFFF);
    QRect ink;
    int mixedBlocks = 0;
    for (int y = 0; y < 40; y += 2)
        for (int x = 0; x < 240; x += 2) {
            const QRgb c = text.image().pixel(x, y);
            ink |= c != qRgb(0, 0, 0) ? QRect(x, y, 2, 2) : QRect();
            mixedBlocks += c != text.image().pixel(x + 1, y + 1);
        }
    EXPECT_NEAR(ink.width(), 2 * laidOut.width(), 6);
    EXPECT_GT(mixedBlocks, 50);
}
