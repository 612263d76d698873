// The read-only path fields of the window show a path with replacement
// characters where its bytes are not UTF-8 (native_path.h), while the
// commands read the path itself.
#pragma once

#include <QString>
#include <QStringList>

class QLineEdit;
class QMimeData;

namespace window {

// Shows `path` in the field and keeps it for pathText().
void setPathText(QLineEdit *field, const QString &path);

// The path the field shows: the one given to setPathText(), unless the text
// has been changed since by other means (cleared, set directly).
QString pathText(const QLineEdit *field);

// The local paths of dropped items, in order, each with every byte of its
// name; empty when the drop carries none (dragged text, say).
QStringList droppedPaths(const QMimeData *mime);

} // namespace window
