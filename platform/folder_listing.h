// Listing a folder the way the batch scan sees it.
#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Names of the folder's files, without recursion, in the order the file system
// returns them (no sorting). Hidden files (names starting with ".") and
// sub-folders are left out; links to files count as files. A folder that
// cannot be read gives an empty list. Names keep every byte (native_path.h).
QStringList listOrdinaryFiles(const QString &folder);

} // namespace platform
