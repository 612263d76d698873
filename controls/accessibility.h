// What screen readers learn of the drawn controls: the picture button is a
// push button that can be pressed, the combo a combo box with its text as
// value, its text field and its list as parts, the bar a progress bar with
// "done/in all" as its value. Each control's name is its accessibleName(),
// which the window sets.
#pragma once

#include <QAccessible>
#include <QString>

class QWidget;

namespace controls {

class XP_ProgressBar;

// The bar's value as readers get it: "37/240", or the bare value without a range.
QString progressText(const XP_ProgressBar &bar);

// Gives a plain widget (a window, a panel) the role readers announce it by.
// Called before anything asked for its interface (setAccessibleName does
// when a reader listens).
void setAccessibleRole(QWidget *widget, QAccessible::Role role);

// Registers the interfaces with Qt's accessibility, once; the controls call
// it when they are made.
void installAccessibleInterfaces();

} // namespace controls
