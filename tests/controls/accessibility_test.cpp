// The drawn controls as a screen reader sees them through Qt's accessibility.
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
    combo->setAccessibleName(QStringLiteral(u"格式"));
    combo->AddItem(QStringLiteral(".png"));
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
    ASSERT_TRUE(progress->valueInterface());
    EXPECT_EQ(progress->valueInterface()->currentValue().toInt(), 3);
    EXPECT_EQ(progress->valueInterface()->maximumValue().toInt(), 8);

    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(combo);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::ComboBox);
    EXPECT_EQ(list->text(QAccessible::Value), QStringLiteral(".png"));
    // One combo box, whatever part of it holds the keyboard focus.
    EXPECT_EQ(list->childCount(), 0);
    combo->setFocus();
    QAccessibleInterface *focused = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
    ASSERT_TRUE(focused);
    EXPECT_EQ(focused->role(), QAccessible::ComboBox);
    EXPECT_EQ(focused->text(QAccessible::Name), QStringLiteral(u"格式"));
    EXPECT_EQ(focused->text(QAccessible::Value), QStringLiteral(".png"));
    ASSERT_TRUE(list->actionInterface());
    list->actionInterface()->doAction(QAccessibleActionInterface::showMenuAction());
    EXPECT_TRUE(QTest::qWaitFor([&] { return combo->findChild<QWidget *>("JCombo") != nullptr; }, 2000));
}
