// Binds the four size-limit fields: the key filter on each, and after every
// change of a field's text (typed, pasted or set by the program) the bounds rule
// and the copy into its twin: Text1 (batch width) with Text3 (single width),
// Text2 (batch height) with Text4 (single height). What a field refuses (a
// character, a text the bounds rule empties) gets a hint below the field,
// which is also the field's description for screen readers until it takes
// input again.
#pragma once

#include "window/size_key_filter.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <optional>

class QLabel;
class QLineEdit;
class QTimer;

namespace window {

class SizeFields : public QObject {
    Q_OBJECT

public:
    // The fields stay owned by their window; they may be destroyed first.
    SizeFields(QLineEdit *Text1, QLineEdit *Text2, QLineEdit *Text3, QLineEdit *Text4, QObject *parent = nullptr);

    // The value of a field's text (see sizeFieldValue and sizeFieldWholeValue).
    static double value(const QLineEdit &field);
    static std::optional<std::int32_t> wholeValue(const QLineEdit &field);

private:
    void bind(QLineEdit *field, QLineEdit *twin);
    void showHint(QLineEdit *field, const QString &hint);
    void clearHint(QLineEdit *field);

    SizeKeyFilter m_keyFilter;
    QPointer<QLabel> m_hint;
    QTimer *m_hintTimer = nullptr;
};

} // namespace window
