// File-system services: existence tests and writing a file whole or not at all.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace platform {

// True when the path names an existing regular file (a symbolic link to one
// counts) that this process may read.
bool isRegularFile(const QString &path);

// True when the path is not empty and names an existing folder.
bool isFolder(const QString &path);

// Writes the bytes to a temporary file beside the path and renames it over the
// path, so readers see the old file or the new one, never a part. On failure
// nothing is left behind and an existing file keeps its content.
bool writeFileAtomically(const QString &path, QByteArrayView bytes);

} // namespace platform
