#include "controls/ph_button.h"

#include "controls/stored_colour.h"
#include "support/qt_printers.h"

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace controls;
using platform::PropertyBag;

namespace {

// Mouse input as the window system delivers it, straight to the button.
void send(PhButton &b, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(pos), QPointF(b.mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&b, &event);
}

void moveTo(PhButton &b, QPoint pos, Qt::MouseButtons held = Qt::NoButton)
{
    send(b, QEvent::MouseMove, pos, Qt::NoButton, held);
}

void press(PhButton &b, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    send(b, QEvent::MouseButtonPress, pos, button, button);
}

void release(PhButton &b, QPoint pos, Qt::MouseButton button = Qt::LeftButton)
{
    send(b, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

QImage faceImage(const PhButton &b, ButtonFace face)
{
    ButtonLook look;
    look.Picture = b.Picture();
    look.PictureMouseOn = b.PictureMouseOn();
    look.PictureDown = b.PictureDown();
    look.Caption = b.Caption();
    look.Font = b.font();
    look.ForeColor = b.ForeColor();
    look.BackColor = b.BackColor();
    platform::Surface s(b.width(), b.height());
    paintButtonFace(s, face, look);
    return s.image();
}

QImage filled(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// Records the button's events in the order they are raised.
struct EventLog {
    explicit EventLog(PhButton &b)
    {
        QObject::connect(&b, &PhButton::Click, [this] { events.push_back("Click"); });
        QObject::connect(&b, &PhButton::MouseDown, [this](short button, short, float, float) {
            events.push_back("MouseDown " + std::to_string(button));
        });
        QObject::connect(&b, &PhButton::MouseUp, [this](short button, short, float, float) {
            events.push_back("MouseUp " + std::to_string(button));
        });
    }
    std::vector<std::string> events;
};

} // namespace

TEST(PhButton, NewButtonHasDefaultsAndTheHandPointer)
{
    QWidget host;
    host.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 9));
    PhButton b(&host);
    EXPECT_TRUE(b.Picture().isNull());
    EXPECT_TRUE(b.PictureMouseOn().isNull());
    EXPECT_TRUE(b.PictureDown().isNull());
    EXPECT_TRUE(b.Caption().isEmpty());
    EXPECT_EQ(b.font(), host.font());
    EXPECT_EQ(b.ForeColor(), platform::kSysButtonText);
    EXPECT_EQ(b.BackColor(), platform::kSysButtonFace);
    EXPECT_EQ(b.focusPolicy(), Qt::TabFocus) << "Tab reaches it; a click does not move the focus";
    EXPECT_EQ(b.cursor().shape(), Qt::BitmapCursor);
    EXPECT_TRUE(b.hasMouseTracking());
}

TEST(PhButton, RendersThePainterFaceAndRepaintsOnEverySetter)
{
    PhButton b;
    b.resize(71, 25);
    QSignalSpy changes(&b, &PhButton::propertyChanged);
    b.setBackColor(platform::rgbValue(200, 220, 240));
    b.setCaption(QStringLiteral("浏览"));
    b.setPictureDown(filled({71, 25}, qRgb(9, 9, 9)));
    b.setFont(QFont(QStringLiteral("Noto Sans CJK SC"), 11));
    ASSERT_EQ(changes.count(), 4);
    EXPECT_EQ(changes.at(0).at(0).toString(), QStringLiteral("BackColor"));
    EXPECT_EQ(changes.at(1).at(0).toString(), QStringLiteral("Caption"));
    EXPECT_EQ(changes.at(2).at(0).toString(), QStringLiteral("PictureDown"));
    EXPECT_EQ(changes.at(3).at(0).toString(), QStringLiteral("Font"));

    EXPECT_EQ(b.surface().image(), faceImage(b, ButtonFace::Normal));
    QImage shown(71, 25, QImage::Format_RGB32);
    b.render(&shown);
    EXPECT_EQ(shown, faceImage(b, ButtonFace::Normal));
}

TEST(PhButton, ReleaseOverTheButtonClicksBeforeMouseUpAndEndsNormal)
{
    PhButton b;
    b.resize(71, 25);
    b.setPicture(filled({71, 25}, qRgb(1, 1, 1)));
    b.setPictureMouseOn(filled({71, 25}, qRgb(2, 2, 2)));
    b.setPictureDown(filled({71, 25}, qRgb(3, 3, 3)));
    EventLog log(b);
    QSignalSpy moves(&b, &PhButton::MouseMove);

    moveTo(b, {10, 10});
    EXPECT_EQ(b.shownFace(), ButtonFace::Hover);
    ASSERT_EQ(moves.count(), 1);
    EXPECT_EQ(moves.at(0).at(2).toFloat(), 10.0f);
    press(b, {10, 10});
    EXPECT_EQ(b.shownFace(), ButtonFace::Pressed);
    EXPECT_EQ(b.surface().pixel(30, 12), platform::rgbValue(3, 3, 3));
    release(b, {12, 11});
    EXPECT_EQ(log.events, (std::vector<std::string>{"MouseDown 1", "Click", "MouseUp 1"}));
    EXPECT_EQ(b.shownFace(), ButtonFace::Normal);
    EXPECT_EQ(b.surface().pixel(30, 12), platform::rgbValue(1, 1, 1));
}

TEST(PhButton, DraggingOffShowsHoverThenNormalAndRaisesNeitherClickNorMouseUp)
{
    PhButton b;
    b.resize(71, 25);
    EventLog log(b);
    QSignalSpy moves(&b, &PhButton::MouseMove);
    moveTo(b, {5, 5});
    press(b, {5, 5});
    moveTo(b, {20, 5}, Qt::LeftButton);
    EXPECT_EQ(b.shownFace(), ButtonFace::Pressed);
    moveTo(b, {-30, 5}, Qt::LeftButton);
    EXPECT_EQ(b.shownFace(), ButtonFace::Hover);
    EXPECT_EQ(b.surface().image(), faceImage(b, ButtonFace::Hover));
    EXPECT_EQ(moves.count(), 2); // the move outside is not the button's
    release(b, {-30, 5});
    EXPECT_EQ(b.shownFace(), ButtonFace::Normal);
    EXPECT_EQ(log.events, std::vector<std::string>{"MouseDown 1"});
}

TEST(PhButton, RightButtonKeepsTheFaceAndDoesNotClick)
{
    PhButton b;
    b.resize(71, 25);
    EventLog log(b);
    moveTo(b, {5, 5});
    press(b, {5, 5}, Qt::RightButton);
    EXPECT_EQ(b.shownFace(), ButtonFace::Hover);
    release(b, {5, 5}, Qt::RightButton);
    EXPECT_EQ(b.shownFace(), ButtonFace::Hover);
    EXPECT_EQ(log.events, (std::vector<std::string>{"MouseDown 2", "MouseUp 2"}));
}

TEST(PhButton, LeavingAHoveredButtonShowsTheNormalFace)
{
    PhButton b;
    b.resize(71, 25);
    b.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&b));
    QTest::mouseMove(&b, QPoint(10, 10));
    ASSERT_TRUE(QTest::qWaitFor([&] { return b.shownFace() == ButtonFace::Hover; }, 2000));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&b, &leave);
    EXPECT_EQ(b.shownFace(), ButtonFace::Normal);
    EXPECT_FALSE(b.tracking().isTracking());
}

TEST(PhButton, PushFalseClicksAtOnceThenReturnsToNormal)
{
    PhButton b;
    b.resize(71, 25);
    QSignalSpy clicks(&b, &PhButton::Click);
    b.Push(false);
    EXPECT_EQ(clicks.count(), 1);
    EXPECT_EQ(b.shownFace(), ButtonFace::Pressed);
    EXPECT_EQ(b.surface().image(), faceImage(b, ButtonFace::Pressed));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !b.isPushRunning(); }, 2000));
    EXPECT_EQ(b.shownFace(), ButtonFace::Normal);
    EXPECT_EQ(clicks.count(), 1);
}

TEST(PhButton, PushTrueClicksOnceTheFaceIsNormalAgain)
{
    PhButton b;
    b.resize(71, 25);
    std::optional<ButtonFace> faceAtClick;
    QObject::connect(&b, &PhButton::Click, [&] { faceAtClick = b.shownFace(); });
    b.Push(true);
    EXPECT_FALSE(faceAtClick);
    EXPECT_EQ(b.shownFace(), ButtonFace::Pressed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return faceAtClick.has_value(); }, 2000));
    EXPECT_EQ(*faceAtClick, ButtonFace::Normal);
    EXPECT_FALSE(b.isPushRunning());
}

TEST(PhButton, TheKeyboardPushesItAsTheMouseDoes)
{
    QWidget window;
    auto *b = new PhButton(&window);
    b->resize(71, 25);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QSignalSpy clicks(b, &PhButton::Click);

    // Space: pressed while held, a click on release.
    QTest::keyPress(b, Qt::Key_Space);
    EXPECT_EQ(b->shownFace(), ButtonFace::Pressed);
    EXPECT_EQ(clicks.count(), 0);
    QTest::keyRelease(b, Qt::Key_Space);
    EXPECT_EQ(b->shownFace(), ButtonFace::Normal);
    EXPECT_EQ(clicks.count(), 1);
    // Enter, and the mnemonic given to it, push it.
    QTest::keyClick(b, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return clicks.count() == 2; }, 2000));
    b->grabShortcut(QKeySequence::mnemonic(QStringLiteral("源文件夹(&F)")));
    QTest::keyClick(&window, Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return clicks.count() == 3; }, 2000));

    // The focus shows as a dotted frame inside the face, and only then.
    b->clearFocus();
    const QImage unfocused = b->grab().toImage();
    b->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return b->hasFocus(); }, 2000));
    const QImage focused = b->grab().toImage();
    EXPECT_NE(focused.pixel(3, 3), unfocused.pixel(3, 3));
    EXPECT_EQ(focused.pixel(4, 3), unfocused.pixel(4, 3)) << "every other pixel";
    EXPECT_EQ(focused.pixel(1, 1), unfocused.pixel(1, 1)) << "inside the face";
}

TEST(PhButtonProperties, DefaultsStoreNothing)
{
    QWidget host;
    PhButton b(&host);
    PropertyBag bag;
    b.writeProperties(bag);
    EXPECT_TRUE(bag.isEmpty()) << bag.names().join(u',').toStdString();
}

TEST(PhButtonProperties, WritesInOrderAndReadsBack)
{
    QWidget host;
    PhButton b(&host);
    const QImage normal = filled({71, 25}, qRgb(1, 2, 3));
    const QImage hover = filled({71, 25}, qRgb(4, 5, 6));
    const QImage down = filled({71, 25}, qRgb(7, 8, 9));
    QFont song(QStringLiteral("宋体"));
    song.setPointSize(9);
    b.setBackColor(platform::rgbValue(1, 1, 1));
    b.setForeColor(platform::rgbValue(2, 2, 2));
    b.setFont(song);
    b.setCaption(QStringLiteral("开始"));
    b.setPicture(normal);
    b.setPictureDown(down);
    b.setPictureMouseOn(hover);
    PropertyBag bag;
    b.writeProperties(bag);
    EXPECT_EQ(bag.names(),
              QStringList({"PictureMouseOn", "PictureDown", "Picture", "Caption", "Font", "ForeColor", "BackColor"}));

    PhButton copy(&host);
    copy.resize(71, 25);
    copy.readProperties(bag);
    EXPECT_EQ(copy.Picture(), normal);
    EXPECT_EQ(copy.PictureMouseOn(), hover);
    EXPECT_EQ(copy.PictureDown(), down);
    EXPECT_EQ(copy.Caption(), QStringLiteral("开始"));
    EXPECT_EQ(copy.font(), song);
    EXPECT_EQ(copy.ForeColor(), platform::rgbValue(2, 2, 2));
    EXPECT_EQ(copy.BackColor(), platform::rgbValue(1, 1, 1));
    EXPECT_EQ(copy.surface().image(), faceImage(copy, ButtonFace::Normal));
}
