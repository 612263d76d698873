#include "controls/accessibility.h"

#include "controls/ph_button.h"
#include "controls/progress_bar_paint.h"
#include "controls/xp_combo.h"
#include "controls/xp_progress_bar.h"

#include <QAccessibleWidget>
#include <QLineEdit>

#include <algorithm>

namespace controls {

namespace {

class AccessiblePictureButton final : public QAccessibleWidget {
public:
    explicit AccessiblePictureButton(PhButton *button) : QAccessibleWidget(button, QAccessible::Button)
    {
        addControllingSignal(QStringLiteral("Click()"));
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == pressAction() && widget()->isEnabled())
            static_cast<PhButton *>(widget())->Push(true);
    }
};

// The bar reads as a progress bar whose value is its position between its
// minimum and maximum, and as text "done/in all". Readers cannot move it: the
// Increase and Decrease that AT-SPI offers with a value change nothing.
class AccessibleProgressBar final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleProgressBar(XP_ProgressBar *bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) { }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return progressText(*bar());
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return bar()->Value(); }
    void setCurrentValue(const QVariant &) override { }
    QVariant maximumValue() const override { return std::max(bar()->Max(), bar()->Min()); }
    QVariant minimumValue() const override { return bar()->Min(); }
    QVariant minimumStepSize() const override { return 0; }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.focusable = false;
        return state;
    }

private:
    XP_ProgressBar *bar() const { return static_cast<XP_ProgressBar *>(widget()); }
};

// The combo's face hides a list box; a reader sees one combo box whose value
// is the text shown (and, as a number, the chosen item's place in the list,
// which a reader may set), with two parts: the text field that holds the
// keyboard focus, and the list, which gets the focus on its current item when
// open.
class AccessibleCombo final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleCombo(XPCombo *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) { }
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }
    QVariant currentValue() const override { return combo()->ListIndex(); }
    void setCurrentValue(const QVariant &value) override
    {
        const int index = value.toInt();
        if (combo()->isEnabled() && index >= 0 && index < combo()->ListCount())
            combo()->SetListIndex(index);
    }
    QVariant maximumValue() const override { return std::max(0, combo()->ListCount() - 1); }
    QVariant minimumValue() const override { return 0; }
    QVariant minimumStepSize() const override { return 1; }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return combo()->Text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = combo()->listShown();
        state.collapsed = !state.expanded;
        return state;
    }
    int childCount() const override { return 2; }
    QAccessibleInterface *child(int index) const override
    {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->textField());
        if (index == 1)
            return QAccessible::queryAccessibleInterface(combo()->listView());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        if (!child)
            return -1;
        if (child->object() == combo()->textField())
            return 0;
        return child->object() == combo()->listView() ? 1 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction() || action == pressAction())
            combo()->showList();
    }

private:
    XPCombo *combo() const { return static_cast<XPCombo *>(widget()); }
};

// A plain widget the program gave a role: the window, its panels.
class AccessibleWithRole final : public QAccessibleWidget {
public:
    AccessibleWithRole(QWidget *widget, QAccessible::Role role) : QAccessibleWidget(widget, role) { }
};

QAccessibleInterface *drawnControl(const QString &, QObject *object)
{
    if (auto *button = qobject_cast<PhButton *>(object))
        return new AccessiblePictureButton(button);
    if (auto *bar = qobject_cast<XP_ProgressBar *>(object))
        return new AccessibleProgressBar(bar);
    if (auto *combo = qobject_cast<XPCombo *>(object))
        return new AccessibleCombo(combo);
    return nullptr;
}

} // namespace

QString progressText(const XP_ProgressBar &bar)
{
    if (bar.Max() <= bar.Min())
        return QString::number(bar.Value());
    return QStringLiteral("%1/%2").arg(bar.Value() - bar.Min()).arg(bar.Max() - bar.Min());
}

void setAccessibleRole(QWidget *widget, QAccessible::Role role)
{
    // Qt's own factory answers for plain widgets before any other; an
    // interface registered first is the one every reader gets.
    QAccessible::registerAccessibleInterface(new AccessibleWithRole(widget, role));
}

void installAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(drawnControl);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace controls
