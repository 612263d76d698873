#include "platform/colour_blend.h"

#include <QGuiApplication>
#include <QPalette>

#include <gtest/gtest.h>

using namespace platform;

TEST(Lighten, MovesEachComponentTowardsWhiteWithIntegerDivision)
{
    const ColourValue c = rgbValue(49, 106, 197);
    EXPECT_EQ(Lighten(c, 0), c);
    EXPECT_EQ(Lighten(c, 255), rgbValue(255, 255, 255));
    // 150 + 105 * c / 255, truncated: 49 -> 170, 106 -> 193, 197 -> 231.
    EXPECT_EQ(Lighten(c, 150), rgbValue(170, 193, 231));
    // The searching blocks' amounts on black are the amounts themselves.
    EXPECT_EQ(Lighten(0, 220), rgbValue(220, 220, 220));
    EXPECT_EQ(Lighten(0, 120), rgbValue(120, 120, 120));
}

TEST(Lighten, KeepsEveryComponentInsideItsByte)
{
    // An amount above 255 would push components past 255 and into the next
    // channel; they stop at 255 instead.
    EXPECT_EQ(Lighten(rgbValue(0, 0, 0), 300), rgbValue(255, 255, 255));
    EXPECT_EQ(Lighten(rgbValue(0, 0, 0), -20), rgbValue(0, 0, 0));
}

TEST(Mix, KeepsTheWeightedShareOfEachColour)
{
    const ColourValue f = rgbValue(200, 100, 0);
    EXPECT_EQ(Mix(f, 0x000000, 128), rgbValue(100, 50, 0));
    EXPECT_EQ(Mix(rgbValue(255, 255, 255), 0x000000, 128), rgbValue(128, 128, 128));
    EXPECT_EQ(Mix(f, 0xFFFFFF, 0), rgbValue(255, 255, 255));
    EXPECT_EQ(Mix(f, 0x000000, 255), f);
}

TEST(Mix, ResolvesSystemColoursAndTakesUnknownOnesAsWhite)
{
    const QColor text = QGuiApplication::palette().color(QPalette::ButtonText);
    const ColourValue half = rgbValue(qRound(text.red() * 128 / 255.0), qRound(text.green() * 128 / 255.0),
                                      qRound(text.blue() * 128 / 255.0));
    EXPECT_EQ(Mix(kSysButtonText, 0x000000, 128), half);
    EXPECT_EQ(Mix(0x80000063u, 0x000000, 128), rgbValue(128, 128, 128));
    EXPECT_EQ(Mix(0x000000, 0x80000063u, 0), rgbValue(255, 255, 255));
}
