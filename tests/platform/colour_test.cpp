#include "platform/system_colours.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

#include <memory>

#include <gtest/gtest.h>

using namespace platform;

TEST(Colour, PlainValuesAreTheirOwnRgb)
{
    EXPECT_EQ(resolveColour(rgbValue(127, 157, 185)), 0xB99D7Fu);
    EXPECT_EQ(redOf(0xB99D7F), 127);
    EXPECT_EQ(greenOf(0xB99D7F), 157);
    EXPECT_EQ(blueOf(0xB99D7F), 185);
}

TEST(Colour, SystemColoursComeFromTheApplicationPalette)
{
    const QPalette palette = QGuiApplication::palette();
    EXPECT_EQ(resolveColour(kSysButtonFace), fromQColor(palette.color(QPalette::Button)));
    EXPECT_EQ(resolveColour(kSysHighlight), fromQColor(palette.color(QPalette::Highlight)));
    EXPECT_EQ(resolveColour(kSysButtonText), fromQColor(palette.color(QPalette::ButtonText)));
}

TEST(Colour, UnknownSystemColourHasNoValue) { EXPECT_EQ(resolveColour(0x80000063u), std::nullopt); }

TEST(Colour, QColorRoundTripKeepsChannelOrder)
{
    const QColor c = toQColor(rgbValue(1, 2, 3));
    EXPECT_EQ(c, QColor(1, 2, 3));
    EXPECT_EQ(fromQColor(c), rgbValue(1, 2, 3));
}

TEST(Colour, WithoutAGuiSystemColoursAreFusionsStandardOnes)
{
    // The window runs with Fusion's standard palette and tarvel-batch with this
    // table; transparent pictures must come out the same from both.
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    ASSERT_TRUE(fusion);
    const QPalette standard = fusion->standardPalette();
    EXPECT_EQ(standardSystemColour(5), fromQColor(standard.color(QPalette::Base)));
    EXPECT_EQ(standardSystemColour(8), fromQColor(standard.color(QPalette::Text)));
    EXPECT_EQ(standardSystemColour(13), fromQColor(standard.color(QPalette::Highlight)));
    EXPECT_EQ(standardSystemColour(15), fromQColor(standard.color(QPalette::Button)));
    EXPECT_EQ(standardSystemColour(18), fromQColor(standard.color(QPalette::ButtonText)));
    EXPECT_EQ(standardSystemColour(99), std::nullopt);
}
