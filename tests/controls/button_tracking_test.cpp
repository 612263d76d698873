#include "controls/button_tracking.h"

#include <gtest/gtest.h>

using namespace controls;
using Faces = std::vector<ButtonFace>;
using T = ButtonTracking;

namespace {

constexpr bool kOver = true;
constexpr bool kOutside = false;

// A button with the pointer resting on it.
ButtonTracking hovered()
{
    ButtonTracking t;
    t.mouseMove(0);
    return t;
}

} // namespace

TEST(ButtonTracking, HoverStartsOnAMoveAndEndsWhenThePointerLeaves)
{
    ButtonTracking t;
    EXPECT_EQ(t.face(), ButtonFace::Normal);
    EXPECT_FALSE(t.isTracking());

    EXPECT_EQ(t.mouseMove(0).faces, Faces{ButtonFace::Hover});
    EXPECT_EQ(t.mouseState(), T::MouseHover);
    EXPECT_TRUE(t.isTracking());
    EXPECT_TRUE(t.mouseMove(0).faces.empty()); // already hovering: no repaint
    EXPECT_TRUE(t.tick(kOver).faces.empty());

    EXPECT_EQ(t.tick(kOutside).faces, Faces{ButtonFace::Normal});
    EXPECT_EQ(t.mouseState(), T::MouseNormal);
    EXPECT_FALSE(t.isTracking());
}

TEST(ButtonTracking, ChecksOnlyWhileTrackingAndStopsOnceIdle)
{
    ButtonTracking t;
    EXPECT_TRUE(t.tick(kOutside).faces.empty()); // never moved over: nothing runs
    EXPECT_FALSE(t.isTracking());

    t = hovered();
    t.mouseDown(kLeftButton);
    t.mouseUp(kLeftButton, kOver);
    EXPECT_TRUE(t.isTracking());
    EXPECT_TRUE(t.tick(kOver).faces.empty()); // normal and idle: tracking stops
    EXPECT_FALSE(t.isTracking());
}

TEST(ButtonTracking, RightButtonChangesNoFaceAndNeverClicks)
{
    ButtonTracking t;
    EXPECT_TRUE(t.mouseMove(kRightButton).faces.empty());
    EXPECT_EQ(t.mouseState(), T::MouseNormal);
    EXPECT_TRUE(t.isTracking()); // the move still starts the pointer checks

    EXPECT_TRUE(t.mouseDown(kRightButton).faces.empty());
    EXPECT_EQ(t.mouseState(), T::MouseNormal);
    const T::Effects up = t.mouseUp(kRightButton, kOver);
    EXPECT_TRUE(up.faces.empty());
    EXPECT_FALSE(up.click);
    EXPECT_TRUE(up.mouseUp);

    // Pressed on a hovered button it keeps the hover face.
    t = hovered();
    t.mouseDown(kRightButton);
    EXPECT_EQ(t.face(), ButtonFace::Hover);
    EXPECT_FALSE(t.mouseUp(kRightButton, kOutside).mouseUp);
}

TEST(ButtonTracking, MovingWithBothButtonsHeldIsHovering)
{
    ButtonTracking t;
    EXPECT_EQ(t.mouseMove(kLeftButton | kRightButton).faces, Faces{ButtonFace::Hover});
}

TEST(ButtonTracking, LeftPressShowsNothingNewUntilTheFirstCheck)
{
    ButtonTracking t = hovered();
    EXPECT_TRUE(t.mouseDown(kLeftButton).faces.empty());
    EXPECT_EQ(t.mouseState(), T::MousePressed);
    EXPECT_EQ(t.trackingState(), T::TrackingNone);
    EXPECT_EQ(t.face(), std::nullopt);

    EXPECT_EQ(t.tick(kOver).faces, Faces{ButtonFace::Pressed});
    EXPECT_EQ(t.trackingState(), T::TrackingOver);
    EXPECT_TRUE(t.tick(kOver).faces.empty());            // only on change
    EXPECT_TRUE(t.mouseDown(kLeftButton).faces.empty()); // pressed already
}

TEST(ButtonTracking, DraggingOffAndReleasingOutsideEndsNormalWithoutEvents)
{
    ButtonTracking t = hovered();
    t.mouseDown(kLeftButton);
    EXPECT_EQ(t.tick(kOver).faces, Faces{ButtonFace::Pressed});
    EXPECT_EQ(t.tick(kOutside).faces, Faces{ButtonFace::Hover});
    EXPECT_EQ(t.trackingState(), T::TrackingOutside);
    EXPECT_TRUE(t.tick(kOutside).faces.empty());

    const T::Effects up = t.mouseUp(kLeftButton, kOutside);
    EXPECT_EQ(up.faces, (Faces{ButtonFace::Hover, ButtonFace::Normal}));
    EXPECT_FALSE(up.click);
    EXPECT_FALSE(up.mouseUp);
    EXPECT_EQ(t.mouseState(), T::MouseNormal);
    EXPECT_EQ(t.trackingState(), T::TrackingNone);
}

TEST(ButtonTracking, DraggingBackOnShowsPressedAgainAndReleaseClicks)
{
    ButtonTracking t = hovered();
    t.mouseDown(kLeftButton);
    t.tick(kOutside);
    EXPECT_EQ(t.tick(kOver).faces, Faces{ButtonFace::Pressed});

    const T::Effects up = t.mouseUp(kLeftButton, kOver);
    EXPECT_EQ(up.faces, (Faces{ButtonFace::Pressed, ButtonFace::Normal}));
    EXPECT_TRUE(up.click);
    EXPECT_TRUE(up.mouseUp);
    // Normal, not hover, until the pointer moves again.
    EXPECT_EQ(t.face(), ButtonFace::Normal);
    EXPECT_EQ(t.mouseMove(0).faces, Faces{ButtonFace::Hover});
}

TEST(ButtonTracking, ReleaseBeforeAnyCheckRepaintsOnce)
{
    ButtonTracking t = hovered();
    t.mouseDown(kLeftButton);
    const T::Effects up = t.mouseUp(kLeftButton, kOver);
    EXPECT_EQ(up.faces, Faces{ButtonFace::Normal});
    EXPECT_TRUE(up.click);
}

TEST(ButtonTracking, MiddleButtonRaisesMouseUpButNoClick)
{
    ButtonTracking t = hovered();
    EXPECT_TRUE(t.mouseDown(kMiddleButton).faces.empty());
    const T::Effects up = t.mouseUp(kMiddleButton, kOver);
    EXPECT_FALSE(up.click);
    EXPECT_TRUE(up.mouseUp);
    EXPECT_EQ(t.face(), ButtonFace::Hover);
}

TEST(PushSequence, PushFalseClicksAtOnceAndShowsPressedForTwoTicks)
{
    PushSequence push;
    const PushSequence::Step first = push.start(false);
    EXPECT_EQ(first.face, ButtonFace::Pressed);
    EXPECT_TRUE(first.click);
    EXPECT_TRUE(push.isRunning());

    const PushSequence::Step tick1 = push.tick();
    EXPECT_EQ(tick1.face, std::nullopt);
    EXPECT_FALSE(tick1.click);
    const PushSequence::Step tick2 = push.tick();
    EXPECT_EQ(tick2.face, ButtonFace::Normal);
    EXPECT_FALSE(tick2.click);
    EXPECT_FALSE(push.isRunning());
    EXPECT_EQ(push.tick().face, std::nullopt); // a stray tick does nothing
}

TEST(PushSequence, PushTrueClicksWhenTheFaceReturnsToNormal)
{
    PushSequence push;
    EXPECT_FALSE(push.start(true).click);
    EXPECT_FALSE(push.tick().click);
    const PushSequence::Step last = push.tick();
    EXPECT_TRUE(last.click);
    EXPECT_EQ(last.face, ButtonFace::Normal);

    // The next push starts clean: no leftover click.
    push.start(false);
    push.tick();
    EXPECT_FALSE(push.tick().click);
}

TEST(PushSequence, PushingAgainRestartsTheCount)
{
    PushSequence push;
    push.start(true);
    push.tick();
    push.start(true);
    EXPECT_EQ(push.tick().face, std::nullopt);
    EXPECT_TRUE(push.tick().click);
}
