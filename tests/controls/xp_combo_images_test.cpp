#include "controls/xp_combo_images.h"

#include <gtest/gtest.h>

#include <algorithm>

using controls::xpComboArrowImage;
using controls::XPComboPic;

namespace {

const XPComboPic kAll[] = {XPComboPic::Normal, XPComboPic::Hot, XPComboPic::Pressed, XPComboPic::Disabled};

int brightness(QRgb c) { return qRed(c) + qGreen(c) + qBlue(c); }

} // namespace

TEST(XPComboImages, FourDistinctOpaquePicturesOf17By17)
{
    for (const XPComboPic pic : kAll) {
        const QImage image = xpComboArrowImage(pic);
        EXPECT_EQ(image.size(), QSize(17, 17));
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        for (const XPComboPic other : kAll) {
            if (other != pic) {
                EXPECT_NE(image, xpComboArrowImage(other)) << int(pic) << " vs " << int(other);
            }
        }
    }
}

TEST(XPComboImages, ArrowIsACentredDownwardTriangleDarkerThanTheFace)
{
    for (const XPComboPic pic : kAll) {
        const QImage image = xpComboArrowImage(pic);
        for (int y = 0; y < 17; ++y) {
            for (int x = 0; x < 8; ++x)
                ASSERT_EQ(image.pixel(x, y), image.pixel(16 - x, y)) << int(pic) << " at " << x << "," << y;
        }
        const int top = pic == XPComboPic::Pressed ? 8 : 7;
        const QRgb glyph = image.pixel(8, top);
        // 7, 5, 3 and 1 pixels wide, row by row.
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(image.pixel(8 - 3 + row, top + row), glyph);
            EXPECT_NE(image.pixel(8 - 4 + row, top + row), glyph);
        }
        EXPECT_LT(brightness(glyph), brightness(image.pixel(8, 2)) - 150) << int(pic);
        EXPECT_NE(image.pixel(8, top - 1), glyph);
        EXPECT_NE(image.pixel(8, top + 4), glyph);
    }
}

TEST(XPComboImages, DisabledPictureIsGrey)
{
    const QImage image = xpComboArrowImage(XPComboPic::Disabled);
    for (int y = 0; y < 17; ++y) {
        for (int x = 0; x < 17; ++x) {
            const QRgb c = image.pixel(x, y);
            ASSERT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c)) << x << "," << y;
        }
    }
}

TEST(XPComboImages, AtTwiceTheRatioTheArrowHasFinerSides)
{
    for (const XPComboPic pic : kAll) {
        const QImage image = xpComboArrowImage(pic, 2);
        ASSERT_EQ(image.size(), QSize(34, 34));
        EXPECT_EQ(image.pixel(16, 1), xpComboArrowImage(pic).pixel(8, 0)) << "a border of two device pixels";
        // Centred, 14 device pixels wide at the top, two narrower each row.
        const int top = pic == XPComboPic::Pressed ? 16 : 14;
        const QRgb glyph = image.pixel(16, top);
        for (int row = -1; row < 8; ++row) {
            int width = 0;
            for (int x = 0; x < 34; ++x)
                width += image.pixel(x, top + row) == glyph && image.pixel(33 - x, top + row) == glyph;
            EXPECT_EQ(width, row < 0 ? 0 : std::max(14 - 2 * row, 0)) << int(pic) << " row " << row;
        }
    }
}
