#include "platform/region.h"

#include <gtest/gtest.h>

using platform::Region;

TEST(Region, IsTheRectangleWithoutTheSubtractedPixels)
{
    Region region({0, 0, 4, 3});
    region.subtractPixel(0, 0);
    region.subtractPixel(3, 2);
    region.subtractPixel(3, 2); // twice is once
    region.subtractPixel(9, 9); // outside: no effect
    EXPECT_FALSE(region.contains(0, 0));
    EXPECT_FALSE(region.contains(3, 2));
    EXPECT_TRUE(region.contains(1, 0));
    EXPECT_TRUE(region.contains(3, 1));
    EXPECT_FALSE(region.contains(4, 0)); // right edge is outside

    const QRegion q = region.toQRegion();
    EXPECT_EQ(q.boundingRect(), QRect(0, 0, 4, 3));
    int pixels = 0;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            if (q.contains(QPoint(x, y))) {
                ++pixels;
                EXPECT_TRUE(region.contains(x, y));
            }
    EXPECT_EQ(pixels, 10);
}

TEST(Region, EmptyRectangleGivesAnEmptyRegion)
{
    Region region({2, 2, 2, 5});
    region.subtractPixel(2, 2);
    EXPECT_TRUE(region.toQRegion().isEmpty());
    EXPECT_FALSE(region.contains(2, 2));
}
