#include "window/size_key_filter.h"

#include "platform/keyboard.h"
#include "window/size_field_rule.h"

#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMimeData>

#include <algorithm>

namespace window {

namespace {

const QKeySequence::StandardKey kEditingCommands[] = {
    QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut,
    QKeySequence::Paste,     QKeySequence::Undo, QKeySequence::Redo,
};

} // namespace

bool SizeKeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        // The editing commands are no typed characters: the field carries them
        // out, and the bounds rule judges the text they leave.
        for (const QKeySequence::StandardKey command : kEditingCommands) {
            if (key->matches(command))
                return false;
        }
        const auto characters = platform::typedText(*key).toUcs4();
        if (std::all_of(characters.begin(), characters.end(), isSizeFieldCharacter))
            return false;
        emit refused(watched);
        return true;
    }
    if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove || event->type() == QEvent::Drop) {
        // A drop is typing by other means: digits only, no files.
        auto *drop = static_cast<QDropEvent *>(event);
        const QMimeData *mime = drop->mimeData();
        const auto characters = mime && mime->hasText() && !mime->hasUrls() ? mime->text().toUcs4() : QList<uint>();
        const bool digits = !characters.isEmpty() && std::all_of(characters.begin(), characters.end(), [](char32_t c) {
            return c != 8 && isSizeFieldCharacter(c);
        });
        if (digits)
            return false;
        drop->ignore();
        return true;
    }
    if (event->type() == QEvent::InputMethod) {
        // An input method commits typed characters without key presses; each of
        // them goes through the same filter.
        auto *input = static_cast<QInputMethodEvent *>(event);
        QString kept;
        for (const char32_t c : input->commitString().toUcs4()) {
            if (isSizeFieldCharacter(c) && c != 8)
                kept += QChar(char16_t(c));
        }
        if (kept != input->commitString())
            input->setCommitString(kept, input->replacementStart(), input->replacementLength());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace window
