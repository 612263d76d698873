#include "window/size_fields.h"

#include "window/size_field_rule.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTimer>

namespace window {

namespace {

// The field's own description, kept while a hint stands in for it.
constexpr char kNote[] = "tarvelSizeNote";
// How long a hint stays when the field takes nothing new.
constexpr int kHintMs = 6000;

} // namespace

SizeFields::SizeFields(QLineEdit *Text1, QLineEdit *Text2, QLineEdit *Text3, QLineEdit *Text4, QObject *parent)
    : QObject(parent)
{
    m_hintTimer = new QTimer(this);
    m_hintTimer->setSingleShot(true);
    connect(m_hintTimer, &QTimer::timeout, this, [this] {
        if (m_hint)
            m_hint->hide();
    });
    connect(&m_keyFilter, &SizeKeyFilter::refused, this, [this](QObject *field) {
        if (auto *edit = qobject_cast<QLineEdit *>(field))
            showHint(edit, tr("这里只能输入数字。"));
    });
    bind(Text1, Text3);
    bind(Text3, Text1);
    bind(Text2, Text4);
    bind(Text4, Text2);
}

void SizeFields::bind(QLineEdit *field, QLineEdit *twin)
{
    field->installEventFilter(&m_keyFilter);
    const QPointer<QLineEdit> twinGuard(twin);
    connect(field, &QLineEdit::textChanged, this, [this, field, twinGuard] {
        const QString text = field->text();
        const QString kept = boundedSizeText(text);
        // Emptying the field is a change of its own and runs this again, which
        // copies the empty text into the twin.
        if (kept != text) {
            field->setText(kept);
            showHint(field, text.size() > kSizeFieldMaxLength
                                ? tr("“%1”太长，最多 %2 位，未被接受。").arg(text).arg(kSizeFieldMaxLength)
                                : tr("“%1”大于最大值 %2，未被接受。").arg(text).arg(kSizeFieldMax));
        } else {
            clearHint(field);
        }
        // Setting the text a field already holds is no change and runs no rule,
        // which ends the mirroring after one round. Skipping it altogether also
        // keeps QLineEdit from moving the cursor of the field being typed in.
        if (twinGuard && twinGuard->text() != field->text())
            twinGuard->setText(field->text());
    });
}

void SizeFields::showHint(QLineEdit *field, const QString &hint)
{
    if (!field->property(kNote).isValid())
        field->setProperty(kNote, field->accessibleDescription());
    // Screen readers hear of the change of the focused field's description.
    field->setAccessibleDescription(hint);
    if (!m_hint) {
        // A tooltip of its own: Qt's hides at the key's release.
        m_hint = new QLabel(field->window(), Qt::ToolTip);
        m_hint->setForegroundRole(QPalette::ToolTipText);
        m_hint->setBackgroundRole(QPalette::ToolTipBase);
        m_hint->setAutoFillBackground(true);
        m_hint->setFrameShape(QFrame::Box);
        m_hint->setMargin(2);
    }
    m_hint->setText(hint);
    m_hint->adjustSize();
    m_hint->move(field->mapToGlobal(QPoint(0, field->height() + 2)));
    if (field->isVisible())
        m_hint->show();
    m_hintTimer->start(kHintMs);
}

void SizeFields::clearHint(QLineEdit *field)
{
    const QVariant note = field->property(kNote);
    if (!note.isValid())
        return;
    field->setAccessibleDescription(note.toString());
    field->setProperty(kNote, QVariant());
    if (m_hint)
        m_hint->hide();
}

double SizeFields::value(const QLineEdit &field) { return sizeFieldValue(field.text()); }

std::optional<std::int32_t> SizeFields::wholeValue(const QLineEdit &field) { return sizeFieldWholeValue(field.text()); }

} // namespace window
