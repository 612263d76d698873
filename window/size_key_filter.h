// Lets only digits and Backspace be typed into a size field. Keys that type no
// character (arrows, Delete, Tab) pass, and so do the editing commands (Ctrl+A,
// Ctrl+C, Ctrl+X, Ctrl+V, Ctrl+Z and their like), which the field carries out;
// a paste, from the keys or the context menu, is judged by the size fields'
// bounds rule as any change is. A drop is taken only when it is digits.
#pragma once

#include <QObject>

namespace window {

class SizeKeyFilter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

signals:
    // A key typed a character the field does not take, which was discarded.
    void refused(QObject *field);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace window
