// The combo box on an offscreen screen: its pixels, the arrow button, the
// drop-down list and the events of its text field.
#include "controls/xp_combo.h"

#include "controls/xp_combo_images.h"
#include "support/qt_printers.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

using controls::XPCombo;
using controls::XPComboPic;

namespace {

QLineEdit *textField(XPCombo &combo) { return combo.findChild<QLineEdit *>(QStringLiteral("JTexto")); }

QComboBox *listBox(XPCombo &combo) { return combo.findChild<QComboBox *>(QStringLiteral("JCombo")); }

bool popupShown(XPCombo &combo) { return listBox(combo)->view()->isVisible(); }

// Whether the arrow's pixels in a rendering of the control are the picture.
bool showsPicture(const QImage &rendering, QRect arrow, XPComboPic pic)
{
    return rendering.copy(arrow).convertToFormat(QImage::Format_RGB32) == controls::xpComboArrowImage(pic);
}

// Whether the control, drawn now, shows the picture on its arrow.
bool showsPicture(XPCombo &combo, XPComboPic pic)
{
    return showsPicture(combo.grab().toImage(), combo.arrowRect(), pic);
}

class XPComboShown : public ::testing::Test {
protected:
    void SetUp() override
    {
        window.resize(300, 200);
        combo = new XPCombo(&window);
        combo->setGeometry(10, 10, 100, 21);
        for (const char *item : {".bmp", ".gif", ".jpg"})
            combo->AddItem(item);
        combo->SetListIndex(0);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }
    void TearDown() override { listBox(*combo)->hidePopup(); }

    QWidget window;
    XPCombo *combo = nullptr;
};

} // namespace

TEST(XPComboLook, AtLeast400TwipsWideAnd315High)
{
    XPCombo combo;
    combo.resize(13, 40);
    EXPECT_EQ(combo.size(), QSize(27, 21));
}

TEST(XPComboLook, TheTextFieldRisesForALargerFont)
{
    // The combo lays its parts out for the font it is given, as the window's
    // font reaches it.
    QWidget window;
    QFont big = window.font();
    big.setPointSize(12);
    window.setFont(big);
    XPCombo combo(&window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    combo.resize(150, 21);
    EXPECT_EQ(textField(combo)->y(), 0);

    QFont small = big;
    small.setPointSize(8);
    window.setFont(small);
    combo.resize(160, 21);
    EXPECT_EQ(textField(combo)->y(), 4);
}

TEST(XPComboLook, BorderAndArrowFollowTheEnabledLook)
{
    XPCombo combo;
    combo.resize(100, 21);
    const QColor blue(127, 157, 185);
    const QColor grey(192, 192, 192);

    auto expectBorder = [&](const QImage &image, const QColor &colour) {
        for (const QPoint p :
             {QPoint(0, 0), QPoint(50, 0), QPoint(99, 10), QPoint(40, 20), QPoint(0, 12), QPoint(99, 20)})
            EXPECT_EQ(image.pixelColor(p), colour) << p.x() << "," << p.y();
        EXPECT_NE(image.pixelColor(1, 1), colour);
    };

    QImage image = combo.grab().toImage();
    expectBorder(image, blue);
    EXPECT_TRUE(showsPicture(image, combo.arrowRect(), XPComboPic::Normal));

    combo.SetEnabled(false);
    image = combo.grab().toImage();
    expectBorder(image, grey);
    EXPECT_TRUE(showsPicture(image, combo.arrowRect(), XPComboPic::Disabled));
    EXPECT_FALSE(textField(combo)->isEnabled());

    combo.SetEnabled(true);
    image = combo.grab().toImage();
    expectBorder(image, blue);
    EXPECT_TRUE(showsPicture(image, combo.arrowRect(), XPComboPic::Normal));
    EXPECT_TRUE(textField(combo)->isEnabled());
}

TEST(XPComboLook, FaceAndFieldTakeTheColourOfATextArea)
{
    // A palette whose text areas stand out from everything else.
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Base, QColor(255, 255, 204));
    const QPalette saved = QApplication::palette();
    QApplication::setPalette(palette);
    {
        XPCombo combo;
        combo.resize(100, 21);
        const QImage image = combo.grab().toImage();
        EXPECT_EQ(image.pixelColor(2, 10), QColor(255, 255, 204));
        EXPECT_EQ(image.pixelColor(70, 10), QColor(255, 255, 204)) << "inside the empty text field";
    }
    QApplication::setPalette(saved);
}

TEST_F(XPComboShown, GeometryInPixels)
{
    EXPECT_EQ(combo->arrowRect(), QRect(81, 2, 17, 17));
    EXPECT_EQ(textField(*combo)->x(), 5);
    EXPECT_EQ(textField(*combo)->width(), 75);
    EXPECT_EQ(listBox(*combo)->geometry(), QRect(0, 2, 100, 19)) << "the list drops from the bottom edge";
    EXPECT_FALSE(listBox(*combo)->isVisibleTo(combo));

    combo->resize(200, 21);
    EXPECT_EQ(combo->arrowRect(), QRect(181, 2, 17, 17));
    EXPECT_EQ(textField(*combo)->width(), 175);
}

TEST_F(XPComboShown, ArrowOpensTheListAndAPickShowsTheItem)
{
    const QPoint arrow = combo->arrowRect().center();
    QTest::mousePress(combo, Qt::LeftButton, {}, arrow);
    ASSERT_TRUE(QTest::qWaitFor([&] { return popupShown(*combo); }, 2000));
    EXPECT_TRUE(showsPicture(*combo, XPComboPic::Normal)) << "pressed only while the list opens";
    QTest::mouseRelease(combo, Qt::LeftButton, {}, arrow);

    QAbstractItemView *view = listBox(*combo)->view();
    QSignalSpy change(combo, &XPCombo::Change);
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !popupShown(*combo); }, 2000));
    EXPECT_EQ(combo->Text(), ".gif");
    EXPECT_EQ(listBox(*combo)->currentIndex(), 1);
    EXPECT_EQ(change.count(), 1);
}

TEST_F(XPComboShown, TheKeyboardOpensTheListAndChoosesItems)
{
    QLineEdit *field = textField(*combo);
    // Up and Down choose the item before or after, within the list.
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(listBox(*combo)->currentIndex(), 2);
    EXPECT_EQ(combo->Text(), ".jpg");
    QTest::keyClick(field, Qt::Key_Up);
    EXPECT_EQ(combo->Text(), ".gif");
    // Alt+Down and F4 open it; Escape closes it and changes nothing; Enter picks.
    QTest::keyClick(field, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return popupShown(*combo); }, 2000));
    QAbstractItemView *view = listBox(*combo)->view();
    QTest::keyClick(view, Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupShown(*combo); }, 2000));
    EXPECT_EQ(combo->Text(), ".gif");
    QTest::keyClick(field, Qt::Key_F4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return popupShown(*combo); }, 2000));
    QTest::keyClick(view, Qt::Key_Up);
    QTest::keyClick(view, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popupShown(*combo); }, 2000));
    EXPECT_EQ(combo->Text(), ".bmp");

    // One key code for one key in KeyDown and KeyUp, whatever Shift makes
    // it type ("!" is the key 1).
    QSignalSpy down(combo, &XPCombo::KeyDown);
    QSignalSpy up(combo, &XPCombo::KeyUp);
    QTest::keyPress(field, Qt::Key_Exclam, Qt::ShiftModifier);
    QTest::keyRelease(field, Qt::Key_1, Qt::ShiftModifier);
    auto codes = [](const QSignalSpy &spy) {
        QList<int> seen;
        for (const QList<QVariant> &event : spy)
            seen << event[0].toInt();
        seen.removeAll(16); // Shift itself
        return seen;
    };
    EXPECT_EQ(codes(down), QList<int>{49});
    EXPECT_EQ(codes(up), QList<int>{49});
}

TEST_F(XPComboShown, SecondPressOnTheArrowClosesTheList)
{
    // Through the window system, where an open list takes every press.
    const QPoint arrow = combo->mapTo(&window, combo->arrowRect().center());
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, arrow);
    ASSERT_TRUE(QTest::qWaitFor([&] { return popupShown(*combo); }, 2000));
    QWindow *popup = listBox(*combo)->view()->window()->windowHandle();
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->mapFromGlobal(window.windowHandle()->mapToGlobal(arrow)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !popupShown(*combo); }, 2000));
    QTest::qWait(50);
    EXPECT_FALSE(popupShown(*combo)) << "the press that closed the list must not open it again";
    EXPECT_EQ(combo->Text(), ".bmp");
}

TEST_F(XPComboShown, PointerOverTheArrowShowsTheHotPictureUntilEnabledAgain)
{
    QSignalSpy moves(combo, &XPCombo::MouseMove);
    const QRect arrow = combo->arrowRect();
    QTest::mouseMove(combo, arrow.topLeft() + QPoint(2, 3));
    ASSERT_TRUE(QTest::qWaitFor([&] { return moves.count() > 0; }, 2000));
    EXPECT_TRUE(showsPicture(*combo, XPComboPic::Hot));
    const QList<QVariant> last = moves.takeLast();
    EXPECT_EQ(last[2].toFloat(), 30.f) << "twips from the arrow's corner";
    EXPECT_EQ(last[3].toFloat(), 45.f);

    QTest::mouseMove(combo, QPoint(2, 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return moves.count() > 0; }, 2000));
    EXPECT_EQ(moves.last()[2].toFloat(), 30.f);
    EXPECT_EQ(moves.last()[3].toFloat(), 15.f);
    EXPECT_TRUE(showsPicture(*combo, XPComboPic::Hot)) << "the pointer left, the hot picture stays";
    // Assigning Enabled, as the window does, puts the normal picture back.
    combo->SetEnabled(true);
    EXPECT_TRUE(showsPicture(*combo, XPComboPic::Normal));
}

TEST_F(XPComboShown, DisabledArrowNeitherOpensNorLightsUp)
{
    combo->SetEnabled(false);
    const QPoint arrow = combo->arrowRect().center();
    QTest::mouseMove(combo, arrow);
    QTest::mouseClick(combo, Qt::LeftButton, {}, arrow);
    QTest::qWait(50);
    EXPECT_FALSE(popupShown(*combo));
    EXPECT_TRUE(showsPicture(*combo, XPComboPic::Disabled));
}

TEST_F(XPComboShown, KeyPressCanReplaceOrDiscardTheCharacter)
{
    QList<int> seen;
    QObject::connect(combo, &XPCombo::KeyPress, [&](int &KeyAscii) {
        seen << KeyAscii;
        if (KeyAscii == 'x')
            KeyAscii = 0;
        else if (KeyAscii == 'a')
            KeyAscii = 'A';
    });
    QSignalSpy down(combo, &XPCombo::KeyDown);
    QSignalSpy up(combo, &XPCombo::KeyUp);
    textField(*combo)->clear();
    textField(*combo)->setFocus();
    QTest::keyClicks(textField(*combo), "axb");
    QTest::keyClick(textField(*combo), Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(combo->Text(), "Ab");
    EXPECT_EQ(seen, QList<int>({'a', 'x', 'b'})) << "no KeyPress for a key that types nothing";
    ASSERT_EQ(down.count(), 5);
    EXPECT_EQ(down[0][0].toInt(), 65);
    EXPECT_EQ(down[3][0].toInt(), 16) << "Shift itself";
    EXPECT_EQ(down[4][0].toInt(), 37);
    EXPECT_EQ(down[4][1].toInt(), 1);
    EXPECT_EQ(up.count(), 5);

    // Replacing with Backspace deletes like the Backspace key.
    QObject::disconnect(combo, &XPCombo::KeyPress, nullptr, nullptr);
    QObject::connect(combo, &XPCombo::KeyPress, [](int &KeyAscii) { KeyAscii = 8; });
    textField(*combo)->end(false);
    QTest::keyClick(textField(*combo), Qt::Key_Q);
    EXPECT_EQ(combo->Text(), "A");
}

TEST_F(XPComboShown, TextFieldRaisesClickAndMouseDown)
{
    QSignalSpy click(combo, &XPCombo::Click);
    QSignalSpy down(combo, &XPCombo::MouseDown);
    QLineEdit *field = textField(*combo);
    field->setContextMenuPolicy(Qt::NoContextMenu);
    QTest::mouseClick(field, Qt::RightButton, Qt::ShiftModifier, QPoint(4, 5));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down[0][0].toInt(), 2);
    EXPECT_EQ(down[0][1].toInt(), 1);
    EXPECT_EQ(down[0][2].toFloat(), 60.f);
    EXPECT_EQ(down[0][3].toFloat(), 75.f);
    EXPECT_EQ(click.count(), 0) << "the right button does not click";
    QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(4, 5));
    EXPECT_EQ(click.count(), 1);
    EXPECT_EQ(down.count(), 2);
}
