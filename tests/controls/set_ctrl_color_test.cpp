#include "controls/set_ctrl_color.h"
#include "platform/system_colours.h"

#include <QLineEdit>

#include <gtest/gtest.h>

#include <memory>

using namespace controls;
using platform::ColourValue;

namespace {

constexpr ColourValue kFieldBorder = platform::rgbValue(127, 157, 185);
constexpr ColourValue kOther = platform::rgbValue(200, 30, 40);

QImage rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    widget.render(&image);
    return image;
}

bool isEdge(const QImage &image, int x, int y)
{
    return x == 0 || y == 0 || x == image.width() - 1 || y == image.height() - 1;
}

// Every pixel of the outermost ring has the colour.
::testing::AssertionResult ringIs(const QImage &image, ColourValue colour)
{
    const QRgb expected = platform::toQColor(colour).rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (isEdge(image, x, y) && image.pixel(x, y) != expected)
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << " is " << std::hex << image.pixel(x, y);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult sameInside(const QImage &a, const QImage &b)
{
    for (int y = 1; y < a.height() - 1; ++y)
        for (int x = 1; x < a.width() - 1; ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
    return ::testing::AssertionSuccess();
}

std::unique_ptr<QLineEdit> emptyField()
{
    auto field = std::make_unique<QLineEdit>();
    field->resize(120, 24);
    return field;
}

} // namespace

TEST(SetCtrlColor, FramesTheOutermostRingOverTheFieldsOwnDrawing)
{
    auto field = emptyField();
    const QImage plain = rendered(*field);
    ASSERT_FALSE(ringIs(plain, kFieldBorder)); // the field has a border of its own

    HookBorderColor(field.get(), kFieldBorder);
    EXPECT_TRUE(isBorderHooked(field.get()));
    const QImage hooked = rendered(*field);
    EXPECT_TRUE(ringIs(hooked, kFieldBorder));
    EXPECT_TRUE(sameInside(hooked, plain));
}

TEST(SetCtrlColor, LatestColourServesEveryHookedWidget)
{
    auto a = emptyField();
    auto b = emptyField();
    HookBorderColor(a.get(), kFieldBorder);
    HookBorderColor(b.get(), kOther);
    EXPECT_EQ(borderColour(), kOther);
    EXPECT_TRUE(ringIs(rendered(*a), kOther));
    EXPECT_TRUE(ringIs(rendered(*b), kOther));
}

TEST(SetCtrlColor, HookingTwiceHooksOnceAndOneUnhookUndoesIt)
{
    auto field = emptyField();
    const QImage plain = rendered(*field);
    HookBorderColor(field.get(), kOther);
    HookBorderColor(field.get(), kFieldBorder);
    EXPECT_TRUE(ringIs(rendered(*field), kFieldBorder));

    UnhookBorderColor(field.get());
    EXPECT_FALSE(isBorderHooked(field.get()));
    EXPECT_FALSE(field->property(kBorderHookProperty).isValid());
    EXPECT_EQ(rendered(*field), plain);

    UnhookBorderColor(field.get()); // not hooked: nothing happens
    EXPECT_EQ(rendered(*field), plain);
}

TEST(SetCtrlColor, DestroyedWidgetLeavesNothingBehind)
{
    auto field = emptyField();
    HookBorderColor(field.get(), kFieldBorder);
    field.reset();

    // Whatever is made next, possibly at the same address, starts unhooked.
    auto next = emptyField();
    EXPECT_FALSE(isBorderHooked(next.get()));
    const QImage plain = rendered(*next);
    EXPECT_FALSE(ringIs(plain, kFieldBorder));
    HookBorderColor(next.get(), kFieldBorder);
    EXPECT_TRUE(ringIs(rendered(*next), kFieldBorder));
}

TEST(SetCtrlColor, WorksOnAnyWidgetAndIgnoresUnknownSystemColours)
{
    QWidget panel;
    panel.resize(7, 5);
    panel.setAutoFillBackground(true);
    HookBorderColor(&panel, kOther);
    const QImage framed = rendered(panel);
    EXPECT_TRUE(ringIs(framed, kOther));
    EXPECT_NE(framed.pixel(3, 2), platform::toQColor(kOther).rgb());

    HookBorderColor(nullptr, 0x80000063u); // only sets the colour
    EXPECT_FALSE(ringIs(rendered(panel), kOther));
    UnhookBorderColor(nullptr);
}
