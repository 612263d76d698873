#include "window/mnemonic_hints.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>

namespace window {

QString withMnemonic(const QString &caption, QChar letter)
{
    const qsizetype at = caption.indexOf(letter, 0, Qt::CaseInsensitive);
    if (at >= 0)
        return caption.left(at) + u'&' + caption.mid(at);
    return caption + QStringLiteral("(&") + letter.toUpper() + u')';
}

int altKey(QChar letter) { return Qt::ALT | (Qt::Key_A + (letter.toUpper().unicode() - u'A')); }

MnemonicHints::MnemonicHints(QWidget *window) : QObject(window), m_window(window)
{
    // Alt goes to whichever control has the focus: the whole program is watched.
    qApp->installEventFilter(this);
}

void MnemonicHints::add(QAbstractButton *button, QChar letter)
{
    // A button takes the letter of its text as its shortcut, and none from a
    // plain text: the shortcut is given back after every change of text.
    const QKeySequence shortcut(altKey(letter));
    add(button->text(), letter, [button, shortcut](const QString &text) {
        button->setText(text);
        button->setShortcut(shortcut);
    });
    button->setShortcut(shortcut);
}

void MnemonicHints::add(const QString &caption, QChar letter, std::function<void(const QString &)> show)
{
    m_entries.push_back({caption, letter, std::move(show)});
}

bool MnemonicHints::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *widget = qobject_cast<QWidget *>(watched);
        if (key->key() == Qt::Key_Alt && event->type() == QEvent::KeyPress) {
            if (widget && widget->window() == m_window)
                setShown(true);
        } else if (key->key() == Qt::Key_Alt || !key->modifiers().testFlag(Qt::AltModifier)) {
            // Alt let go, or a key pressed without it: wherever the key went
            // (an open list, a notice), the letters go.
            setShown(false);
        }
        break;
    }
    case QEvent::WindowDeactivate:
        // Alt let go in another window, or never seen to be let go.
        if (watched == m_window)
            setShown(false);
        break;
    default: break;
    }
    return false;
}

void MnemonicHints::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    for (const Entry &entry : m_entries)
        entry.show(shown ? withMnemonic(entry.caption, entry.letter) : entry.caption);
}

} // namespace window
