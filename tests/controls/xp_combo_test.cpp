// The combo box as the main window uses it: its items, its selection and its
// Change events, seen through its text, its list box (JCombo) and the keys.
#include "controls/xp_combo.h"

#include "support/qt_printers.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using controls::XPCombo;

namespace {

const QStringList kFormats = {".bmp", ".gif", ".jpg", ".jpeg", ".png", ".tif", ".tiff", ".tga"};

QLineEdit *textField(XPCombo &combo) { return combo.findChild<QLineEdit *>(QStringLiteral("JTexto")); }

QComboBox *listBox(XPCombo &combo) { return combo.findChild<QComboBox *>(QStringLiteral("JCombo")); }

// The items its drop-down list shows.
QStringList shownItems(XPCombo &combo)
{
    QStringList items;
    for (int i = 0; i < listBox(combo)->count(); ++i)
        items << listBox(combo)->itemText(i);
    return items;
}

} // namespace

TEST(XPCombo, MainWindowFormatList)
{
    XPCombo combo;
    for (const QString &format : kFormats)
        combo.AddItem(format);
    EXPECT_EQ(shownItems(combo), kFormats);
    EXPECT_EQ(listBox(combo)->currentIndex(), 7) << "AddItem selects the added item";
    EXPECT_EQ(combo.Text(), ".tga");
    combo.SetListIndex(0);
    EXPECT_EQ(combo.Text(), ".bmp");
    EXPECT_EQ(listBox(combo)->currentIndex(), 0);

    // Typed text is the combo's text, whatever the list holds; the selection
    // stays, so Down goes on from the first item.
    textField(combo)->selectAll();
    QTest::keyClicks(textField(combo), ".webp");
    EXPECT_EQ(combo.Text(), ".webp");
    EXPECT_EQ(listBox(combo)->currentIndex(), 0);
    QTest::keyClick(textField(combo), Qt::Key_Down);
    EXPECT_EQ(combo.Text(), ".gif");
}

TEST(XPCombo, AddingRaisesChangeOnlyWhenItChangesSomething)
{
    XPCombo combo;
    QSignalSpy change(&combo, &XPCombo::Change);

    combo.AddItem("a");
    EXPECT_EQ(change.count(), 2) << "once for the new text, once for the list";
    combo.AddItem("a", 0);
    EXPECT_EQ(change.count(), 3) << "the text stayed the same";
    EXPECT_EQ(shownItems(combo), QStringList({"a", "a"}));
    EXPECT_EQ(listBox(combo)->currentIndex(), 0);

    change.clear();
    combo.AddItem("");
    EXPECT_EQ(change.count(), 0);
    EXPECT_EQ(shownItems(combo), QStringList({"a", "a"}));
    EXPECT_EQ(combo.Text(), "a");
}

TEST(XPCombo, ListIndexRefusesPositionsOutsideTheList)
{
    XPCombo combo;
    combo.AddItem("a");
    combo.AddItem("b");
    combo.SetListIndex(5);
    EXPECT_EQ(listBox(combo)->currentIndex(), 1);
    EXPECT_EQ(combo.Text(), "b");
    QTest::keyClick(textField(combo), Qt::Key_Up);
    EXPECT_EQ(combo.Text(), "a") << "Up went on from the second item";

    combo.SetListIndex(1);
    combo.SetListIndex(-1);
    EXPECT_EQ(listBox(combo)->currentIndex(), -1);
    EXPECT_EQ(combo.Text(), "b") << "clearing the selection leaves the text";
    QTest::keyClick(textField(combo), Qt::Key_Down);
    EXPECT_EQ(combo.Text(), "a") << "with nothing selected, Down goes to the first item";
}
