#include "controls/xp_combo_layout.h"

#include <gtest/gtest.h>

using controls::xpComboLayout;

TEST(XPComboLayout, NarrowControlsWidenToTheMinimumAndHeightIsFixed)
{
    const auto narrow = xpComboLayout(200, 9);
    EXPECT_EQ(narrow.width, 400);
    EXPECT_EQ(narrow.height, 315);
    EXPECT_EQ(narrow.textWidth, 25);
    EXPECT_EQ(narrow.arrowLeft, 115);
    EXPECT_EQ(narrow.listWidth, 400);

    const auto wide = xpComboLayout(1500, 8);
    EXPECT_EQ(wide.width, 1500);
    EXPECT_EQ(wide.textLeft, 75);
    EXPECT_EQ(wide.textWidth, 1125);
    EXPECT_EQ(wide.arrowLeft, 1215);
    EXPECT_EQ(wide.listTop, 30);
}

TEST(XPComboLayout, LargerFontsRaiseTheText)
{
    EXPECT_EQ(xpComboLayout(1500, 8).textTop, 60);
    EXPECT_EQ(xpComboLayout(1500, 7).textTop, 60);
    EXPECT_EQ(xpComboLayout(1500, 9).textTop, 45);
    EXPECT_EQ(xpComboLayout(1500, 12).textTop, 0);
    // The excess is rounded with halves to the even neighbour.
    EXPECT_EQ(xpComboLayout(1500, 8.5).textTop, 60);
    EXPECT_EQ(xpComboLayout(1500, 9.5).textTop, 30);
}
