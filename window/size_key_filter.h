// Lets only digits and Backspace be typed into a size field. Keys that type no
// character (arrows, Delete, Tab) pass, and so does text pasted from the context
// menu; Ctrl+V types a control character and is discarded like any other.
#pragma once

#include <QObject>

namespace window {

class SizeKeyFilter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

} // namespace window
