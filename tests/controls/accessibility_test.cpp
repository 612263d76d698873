// The drawn controls as a screen reader sees them through Qt's accessibility.
#include "controls/accessibility.h"
#include "controls/ph_button.h"
#include "controls/xp_combo.h"
#include "controls/xp_progress_bar.h"

#include <QAccessible>
#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace controls;

TEST(Accessibility, DrawnControlsHaveTheirRolesNamesValuesAndActions)
{
    QWidget window;
    auto *button = new PhButton(&window);
    button->setAccessibleName(QStringLiteral(u"开始转换"));
    auto *bar = new XP_ProgressBar(&window);
    bar->setAccessibleName(QStringLiteral(u"转换进度"));
    bar->setMax(8);
    bar->setValue(3);
    auto *combo = new XPCombo(&window);
    combo->setReaderName(QStringLiteral(u"格式"));
    combo->AddItem(QStringLiteral(".png"));
    combo->AddItem(QStringLiteral(".gif"));
    combo->SetListIndex(0);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QAccessibleInterface *pressable = QAccessible::queryAccessibleInterface(button);
    ASSERT_TRUE(pressable);
    EXPECT_EQ(pressable->role(), QAccessible::Button);
    EXPECT_EQ(pressable->text(QAccessible::Name), QStringLiteral(u"开始转换"));
    EXPECT_TRUE(pressable->state().focusable);
    QSignalSpy clicks(button, &PhButton::Click);
    ASSERT_TRUE(pressable->actionInterface());
    pressable->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks.count() == 1; }, 2000));

    QAccessibleInterface *progress = QAccessible::queryAccessibleInterface(bar);
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->role(), QAccessible::ProgressBar);
    EXPECT_EQ(progress->text(QAccessible::Name), QStringLiteral(u"转换进度"));
    EXPECT_EQ(progress->text(QAccessible::Value), "3/8");
    // Its value as a number too, which readers cannot change.
    ASSERT_TRUE(progress->valueInterface());
    EXPECT_EQ(progress->valueInterface()->currentValue().toInt(), 3);
    EXPECT_EQ(progress->valueInterface()->minimumValue().toInt(), 0);
    EXPECT_EQ(progress->valueInterface()->maximumValue().toInt(), 8);
    progress->valueInterface()->setCurrentValue(7);
    EXPECT_EQ(bar->Value(), 3);
    EXPECT_TRUE(progress->state().readOnly);

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(combo);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::ComboBox);
    EXPECT_EQ(list->text(QAccessible::Value), QStringLiteral(".png"));
    // Its parts: the text field, which holds the focus and reads the value,
    // and the list, whose items show which one is chosen.
    ASSERT_EQ(list->childCount(), 2);
    QAccessibleInterface *field = list->child(0);
    QAccessibleInterface *items = list->child(1);
    ASSERT_TRUE(field && items);
    EXPECT_EQ(list->indexOfChild(field), 0);
    EXPECT_EQ(list->indexOfChild(items), 1);
    EXPECT_EQ(field->role(), QAccessible::EditableText);
    EXPECT_EQ(field->text(QAccessible::Name), QStringLiteral(u"格式"));
    ASSERT_TRUE(field->textInterface());
    EXPECT_EQ(field->textInterface()->text(0, field->textInterface()->characterCount()), ".png");
    EXPECT_EQ(items->role(), QAccessible::List);
    ASSERT_EQ(items->childCount(), 2);
    EXPECT_EQ(items->child(0)->text(QAccessible::Name), ".png");
    EXPECT_TRUE(items->child(0)->state().selected);
    EXPECT_FALSE(items->child(1)->state().selected);
    // Closed, no item of the list claims the focus.
    EXPECT_FALSE(items->child(0)->state().focused || items->child(1)->state().focused);
    // The box's own value: the chosen item's place, which a reader may set.
    ASSERT_TRUE(list->valueInterface());
    EXPECT_EQ(list->valueInterface()->currentValue().toInt(), 0);
    EXPECT_EQ(list->valueInterface()->maximumValue().toInt(), 1);
    list->valueInterface()->setCurrentValue(1);
    EXPECT_EQ(list->text(QAccessible::Value), combo->GetItem(1));
    list->valueInterface()->setCurrentValue(0);
    combo->setFocus();
    EXPECT_EQ(QAccessible::queryAccessibleInterface(QApplication::focusWidget()), field);

    EXPECT_TRUE(list->state().collapsed);
    ASSERT_TRUE(list->actionInterface());
    list->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return combo->listShown(); }, 2000));
    EXPECT_TRUE(list->state().expanded);
    // Open, the list has the focus on its current item.
    EXPECT_TRUE(QTest::qWaitFor([&] { return items->child(0)->state().focused; }, 2000));
}

TEST(Accessibility, PlainWidgetsTakeTheRolesGivenThem)
{
    QWidget window;
    window.setAccessibleName(QStringLiteral("Tarvel"));
    controls::setAccessibleRole(&window, QAccessible::Window);
    auto *panel = new QWidget(&window);
    panel->setAccessibleName(QStringLiteral(u"单张转换"));
    controls::setAccessibleRole(panel, QAccessible::Grouping);
    QAccessibleInterface *outer = QAccessible::queryAccessibleInterface(&window);
    EXPECT_EQ(outer->role(), QAccessible::Window);
    EXPECT_EQ(outer->text(QAccessible::Name), "Tarvel");
    QAccessibleInterface *inner = QAccessible::queryAccessibleInterface(panel);
    EXPECT_EQ(inner->role(), QAccessible::Grouping);
    EXPECT_EQ(inner->parent(), outer);
}
