#include "controls/accessibility.h"

#include "controls/ph_button.h"
#include "controls/progress_bar_paint.h"
#include "controls/xp_combo.h"
#include "controls/xp_progress_bar.h"

#include <QAccessibleWidget>

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

class AccessibleProgressBar final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit AccessibleProgressBar(XP_ProgressBar *bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) {}
    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ValueInterface ? static_cast<QAccessibleValueInterface *>(this)
                                                   : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return QString::number(bar()->Value());
        return QAccessibleWidget::text(t);
    }
    QVariant currentValue() const override { return bar()->Value(); }
    void setCurrentValue(const QVariant &) override {} // the program moves it, not the reader
    QVariant maximumValue() const override { return bar()->Max(); }
    QVariant minimumValue() const override { return bar()->Min(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    XP_ProgressBar *bar() const { return static_cast<XP_ProgressBar *>(widget()); }
};

class AccessibleCombo final : public QAccessibleWidget {
public:
    explicit AccessibleCombo(XPCombo *combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<XPCombo *>(widget())->Text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {showMenuAction()}; }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction())
            static_cast<XPCombo *>(widget())->showList();
    }
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

void installAccessibleInterfaces()
{
    static const bool installed = [] {
        QAccessible::installFactory(drawnControl);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace controls
