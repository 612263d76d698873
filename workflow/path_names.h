// Taking paths and typed names apart. Paths use "/" between folders; every
// search for "/" and "." compares characters exactly.
#pragma once

#include <QString>

namespace workflow {

// The text after the last "/"; the whole text when there is none.
QString GetFileName(const QString &path);

// The file name up to its first ".". Empty when the path is empty or holds no
// "." anywhere; a dot only in a folder name leaves a dotless file name whole.
QString GetBaseName(const QString &path);

// The text after the last ".", case as typed. Empty when the path is empty or
// holds no "."; a dot only in a folder name yields the tail from that dot on.
QString GetExtension(const QString &path);

// True when the path names an existing folder.
bool IsFolder(const QString &path);

// The text without any ordinary space (U+0020); tabs and ideographic spaces stay.
QString RemoveSpaces(const QString &text);

// The text up to its first NUL character, as system dialogs return names.
QString TrimAtNull(const QString &text);

} // namespace workflow
