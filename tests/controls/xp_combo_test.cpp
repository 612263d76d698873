// The combo box as the main window uses it: methods, Change events, stored
// properties and the list file, on a widget that is never shown.
#include "controls/xp_combo.h"

#include "platform/property_bag.h"
#include "support/qt_printers.h"
#include "support/temp_dir.h"

#include <QLineEdit>
#include <QSignalSpy>

#include <gtest/gtest.h>

using controls::XPCombo;

namespace {

const QStringList kFormats = {".bmp", ".gif", ".jpg", ".jpeg", ".png", ".tif", ".tiff", ".tga"};

QLineEdit *textField(XPCombo &combo) { return combo.findChild<QLineEdit *>(QStringLiteral("JTexto")); }

} // namespace

TEST(XPCombo, MainWindowFormatList)
{
    XPCombo combo;
    for (const QString &format : kFormats)
        combo.AddItem(format);
    EXPECT_EQ(combo.ListCount(), 8);
    EXPECT_EQ(combo.ListIndex(), 7) << "AddItem selects the added item";
    EXPECT_EQ(combo.Text(), ".tga");
    combo.SetListIndex(0);
    EXPECT_EQ(combo.Text(), ".bmp");
    EXPECT_EQ(combo.GetItem(3), ".jpeg");

    // Typed text is the combo's text, whatever the list holds.
    textField(combo)->setText(".webp");
    EXPECT_EQ(combo.Text(), ".webp");
    EXPECT_EQ(combo.ListIndex(), 0);
}

TEST(XPCombo, MethodsRaiseChangeOnlyWhenTheyChangeSomething)
{
    XPCombo combo;
    QSignalSpy change(&combo, &XPCombo::Change);

    combo.AddItem("a");
    EXPECT_EQ(change.count(), 2) << "once for the new text, once for the list";
    combo.AddItem("a", 0);
    EXPECT_EQ(change.count(), 3) << "the text stayed the same";
    EXPECT_EQ(combo.ListIndex(), 0);

    change.clear();
    combo.AddItem("");
    combo.UpdateItem("x", 5);
    combo.UpdateItem("x", -1);
    combo.RemoveItem(2);
    combo.Clear();
    EXPECT_EQ(change.count(), 0);
    EXPECT_EQ(combo.Text(), "a") << "Clear keeps the text";
    EXPECT_EQ(combo.ListIndex(), -1);
}

TEST(XPCombo, UpdateAndRemoveFollowTheSelection)
{
    XPCombo combo;
    combo.AddItem("a");
    combo.AddItem("b");
    combo.SetListIndex(1);
    combo.UpdateItem("B", 1);
    EXPECT_EQ(combo.Text(), "B");
    combo.UpdateItem("A", 0);
    EXPECT_EQ(combo.Text(), "B") << "the selected item's text is shown";

    QSignalSpy change(&combo, &XPCombo::Change);
    combo.RemoveItem(1);
    EXPECT_EQ(change.count(), 1);
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.Text(), "B");
    EXPECT_EQ(combo.ListCount(), 1);
}

TEST(XPCombo, TagsSelectItems)
{
    XPCombo combo;
    combo.SetTagCode(true);
    combo.AddItem("jp=JPEG picture");
    combo.AddItem("pn=PNG picture");
    EXPECT_EQ(combo.GetTagCode(), "pn");
    EXPECT_EQ(combo.GetItem(0), "jp=JPEG picture");

    QSignalSpy change(&combo, &XPCombo::Change);
    int start = 0;
    EXPECT_TRUE(combo.SetTagCode("JP", start));
    EXPECT_EQ(combo.Text(), "JPEG picture");
    EXPECT_EQ(combo.ListIndex(), 0);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(change.count(), 2);

    EXPECT_FALSE(combo.SetTagCode("gif", start));
    EXPECT_EQ(combo.Text(), "");
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(start, 1);
}

TEST(XPCombo, ListIndexRefusesPositionsOutsideTheList)
{
    XPCombo combo;
    combo.AddItem("a");
    combo.AddItem("b");
    combo.SetListIndex(5);
    EXPECT_EQ(combo.ListIndex(), 1);
    combo.SetListIndex(-1);
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_EQ(combo.Text(), "b") << "clearing the selection leaves the text";
}

TEST(XPCombo, StoredPropertiesLeaveOutDefaultsAndKeepTheirOrder)
{
    XPCombo combo;
    platform::PropertyBag empty;
    combo.ReadProperties(empty);
    EXPECT_EQ(combo.Text(), "0");
    EXPECT_EQ(combo.BackColor(), platform::kSysWindow);
    EXPECT_EQ(combo.ForeColor(), platform::kSysWindowText);
    EXPECT_EQ(combo.ListIndex(), -1);
    EXPECT_FALSE(combo.Enabled());
    EXPECT_FALSE(combo.TagCode());
    EXPECT_EQ(combo.MaxLength(), 0);

    textField(combo)->setCursorPosition(0);
    platform::PropertyBag defaults;
    combo.WriteProperties(defaults);
    EXPECT_TRUE(defaults.isEmpty()) << defaults.names().join(u',').toStdString();

    combo.SetText("abc");
    combo.SetBackColor(platform::rgbValue(1, 2, 3));
    combo.SetMaxLength(4);
    combo.SetToolTipText("tip");
    combo.SetEnabled(true);
    combo.SetTagCode(true);
    combo.SetFileName("/tmp/list.txt");
    textField(combo)->setSelection(1, 2);
    platform::PropertyBag bag;
    combo.WriteProperties(bag);
    EXPECT_EQ(bag.names(), QStringList({"Text", "BackColor", "MaxLength", "ToolTipText", "Enabled", "TagCode",
                                        "SelStart", "SelLength", "SelText", "FileName"}));
    EXPECT_EQ(bag.read("SelText"), "bc");
    EXPECT_EQ(bag.read("BackColor").toUInt(), platform::rgbValue(1, 2, 3));

    XPCombo restored;
    restored.ReadProperties(bag);
    EXPECT_EQ(restored.Text(), "abc");
    EXPECT_EQ(restored.BackColor(), platform::rgbValue(1, 2, 3));
    EXPECT_EQ(restored.MaxLength(), 4);
    EXPECT_EQ(restored.ToolTipText(), "tip");
    EXPECT_TRUE(restored.Enabled());
    EXPECT_TRUE(restored.TagCode());
    EXPECT_EQ(restored.FileName(), "/tmp/list.txt");
}

TEST(XPCombo, ReadingEnabledFalseKeepsTheEnabledLook)
{
    XPCombo combo;
    combo.SetEnabled(true);
    platform::PropertyBag bag; // Enabled false is the default and not stored
    combo.ReadProperties(bag);
    EXPECT_FALSE(combo.Enabled());
    EXPECT_TRUE(textField(combo)->isEnabled());
    combo.resize(100, 21);
    const QImage drawn = combo.grab().toImage();
    EXPECT_EQ(drawn.copy(combo.arrowRect()).convertToFormat(QImage::Format_RGB32),
              controls::xpComboArrowImage(controls::XPComboPic::Normal));
    EXPECT_EQ(drawn.pixelColor(0, 0), QColor(127, 157, 185)); // the enabled border
}

TEST(XPCombo, ReadingAFontRunsTheLayout)
{
    XPCombo combo;
    combo.resize(150, 21);
    QFont big = combo.font();
    big.setPointSize(12);
    platform::PropertyBag bag;
    bag.write("Font", QVariant::fromValue(big));
    combo.ReadProperties(bag);
    EXPECT_EQ(combo.Font().pointSize(), 12);
    EXPECT_EQ(textField(combo)->y(), 0);

    QFont small = big;
    small.setPointSize(8);
    combo.SetFont(small);
    EXPECT_EQ(textField(combo)->y(), 4);
}

TEST(XPCombo, AssignmentsReportTheChangedProperty)
{
    XPCombo combo;
    QSignalSpy changed(&combo, &XPCombo::PropertyChanged);
    combo.SetLocked(true);
    combo.SetFieldName("ext");
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[0][0].toString(), "Locked");
    EXPECT_EQ(changed[1][0].toString(), "FieldName");
    EXPECT_TRUE(textField(combo)->isReadOnly());
}

TEST(XPCombo, MaxLengthZeroMeansNoLimit)
{
    XPCombo combo;
    combo.SetMaxLength(3);
    combo.SetText("abcdef");
    EXPECT_EQ(combo.Text(), "abc");
    combo.SetMaxLength(0);
    combo.SetText("abcdef");
    EXPECT_EQ(combo.Text(), "abcdef");
}

TEST(XPCombo, ListFileRoundTripRaisesNoEvent)
{
    TempDir dir;
    XPCombo combo;
    combo.SetFileName(" " + dir.file("formats.txt") + " ");
    combo.SetTagCode(true);
    combo.AddItem("jp=JPEG");
    combo.AddItem("pn=PNG");
    ASSERT_TRUE(combo.SaveToFile());

    XPCombo other;
    other.SetFileName(dir.file("formats.txt"));
    other.SetText("typed");
    QSignalSpy change(&other, &XPCombo::Change);
    ASSERT_TRUE(other.LoadedFromFile());
    EXPECT_EQ(change.count(), 0);
    EXPECT_EQ(other.Text(), "typed");
    EXPECT_TRUE(other.TagCode());
    EXPECT_EQ(other.ListCount(), 2);
    EXPECT_EQ(other.ListIndex(), -1);
    EXPECT_EQ(other.GetItem(1), "pn=PNG");

    other.SetFileName(dir.file("missing.txt"));
    EXPECT_FALSE(other.LoadedFromFile());
    EXPECT_EQ(other.ListCount(), 2);
}
