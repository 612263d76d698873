#include "window/size_fields.h"

#include "window/size_field_rule.h"

#include <QLineEdit>
#include <QPointer>

namespace window {

SizeFields::SizeFields(QLineEdit *Text1, QLineEdit *Text2, QLineEdit *Text3, QLineEdit *Text4, QObject *parent)
    : QObject(parent)
{
    bind(Text1, Text3);
    bind(Text3, Text1);
    bind(Text2, Text4);
    bind(Text4, Text2);
}

void SizeFields::bind(QLineEdit *field, QLineEdit *twin)
{
    field->installEventFilter(&m_keyFilter);
    const QPointer<QLineEdit> twinGuard(twin);
    connect(field, &QLineEdit::textChanged, this, [field, twinGuard] {
        const QString kept = boundedSizeText(field->text());
        // Emptying the field is a change of its own and runs this again, which
        // copies the empty text into the twin.
        if (kept != field->text())
            field->setText(kept);
        // Setting the text a field already holds is no change and runs no rule,
        // which ends the mirroring after one round. Skipping it altogether also
        // keeps QLineEdit from moving the cursor of the field being typed in.
        if (twinGuard && twinGuard->text() != field->text())
            twinGuard->setText(field->text());
    });
}

double SizeFields::value(const QLineEdit &field) { return sizeFieldValue(field.text()); }

std::optional<std::int32_t> SizeFields::wholeValue(const QLineEdit &field) { return sizeFieldWholeValue(field.text()); }

} // namespace window
