#include "controls/read_only_field.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QLineEdit>

namespace controls {

namespace {

class AccessibleReadOnlyField final : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleReadOnlyField(QLineEdit *field) : QAccessibleWidget(field, QAccessible::EditableText) { }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface *>(this)
                                                  : QAccessibleWidget::interface_cast(type);
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return field()->text();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.editable = false;
        state.selectableText = true;
        return state;
    }

    void selection(int index, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = 0;
        if (index == 0 && field()->hasSelectedText()) {
            *startOffset = field()->selectionStart();
            *endOffset = *startOffset + int(field()->selectedText().size());
        }
    }
    int selectionCount() const override { return field()->hasSelectedText() ? 1 : 0; }
    void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
    void removeSelection(int) override { field()->deselect(); }
    void setSelection(int, int startOffset, int endOffset) override
    {
        field()->setSelection(startOffset, endOffset - startOffset);
    }
    int cursorPosition() const override { return field()->cursorPosition(); }
    void setCursorPosition(int position) override { field()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override
    {
        return field()->text().mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(field()->text().size()); }
    QRect characterRect(int offset) const override
    {
        // Measured from where the field's text starts, without its scrolling.
        const QFontMetrics metrics(field()->font());
        const QString text = field()->text();
        const QRect inside = field()->contentsRect();
        const int x = inside.x() + 2 + metrics.horizontalAdvance(text.left(offset));
        const int width = offset < text.size() ? metrics.horizontalAdvance(text.at(offset)) : 0;
        return QRect(field()->mapToGlobal(QPoint(x, inside.y())), QSize(width, inside.height()));
    }
    int offsetAtPoint(const QPoint &point) const override
    {
        return field()->cursorPositionAt(field()->mapFromGlobal(point));
    }
    void scrollToSubstring(int startIndex, int) override { field()->setCursorPosition(startIndex); }
    QString attributes(int offset, int *startOffset, int *endOffset) const override
    {
        *startOffset = *endOffset = offset;
        return {};
    }

private:
    QLineEdit *field() const { return static_cast<QLineEdit *>(widget()); }
};

} // namespace

void readOnlyForReaders(QLineEdit *field)
{
    // Qt's factory answers for line edits first; a registered interface wins.
    QAccessible::registerAccessibleInterface(new AccessibleReadOnlyField(field));
}

} // namespace controls
