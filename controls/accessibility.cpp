#include "controls/accessibility.h"

#include "controls/ph_button.h"
#include "controls/progress_bar_paint.h"
#include "controls/xp_combo.h"
#include "controls/xp_progress_bar.h"

#include <QAccessibleWidget>
#include <QLineEdit>

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
    explicit AccessibleProgressBar(XP_ProgressBar *bar) : QAccessibleWidget(bar, QAccessible::ProgressBar) { }
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
    void setCurrentValue(const QVariant &) override { } // the program moves it, not the reader
    QVariant maximumValue() const override { return bar()->Max(); }
    QVariant minimumValue() const override { return bar()->Min(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    XP_ProgressBar *bar() const { return static_cast<XP_ProgressBar *>(widget()); }
};

// The combo's face hides a list box and the text field that holds the
// keyboard focus: a reader sees one combo box, with no parts of its own, and
// the focused text field reads as that combo box too.
class AccessibleCombo final : public QAccessibleWidget {
public:
    AccessibleCombo(QWidget *widget, XPCombo *combo) : QAccessibleWidget(widget, QAccessible::ComboBox), m_combo(combo)
    { }
    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Value: return m_combo->Text();
        case QAccessible::Name: return m_combo->accessibleName();
        case QAccessible::Description: return m_combo->accessibleDescription();
        default: return QAccessibleWidget::text(t);
        }
    }
    int childCount() const override { return 0; }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QStringList actionNames() const override { return {showMenuAction()}; }
    void doAction(const QString &action) override
    {
        if (action == showMenuAction())
            m_combo->showList();
    }

private:
    XPCombo *m_combo;
};

QAccessibleInterface *drawnControl(const QString &, QObject *object)
{
    if (auto *button = qobject_cast<PhButton *>(object))
        return new AccessiblePictureButton(button);
    if (auto *bar = qobject_cast<XP_ProgressBar *>(object))
        return new AccessibleProgressBar(bar);
    if (auto *combo = qobject_cast<XPCombo *>(object))
        return new AccessibleCombo(combo, combo);
    if (auto *field = qobject_cast<QLineEdit *>(object))
        if (auto *combo = qobject_cast<XPCombo *>(field->parentWidget()))
            return new AccessibleCombo(field, combo);
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
