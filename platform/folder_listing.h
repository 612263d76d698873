// Listing a folder the way the batch scan sees it.
#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace platform {

// Names of the folder's files, without recursion, in the order the file system
// returns them (no sorting). Hidden files (names starting with ".") and
// sub-folders are left out; links to files count as files. A folder that
// cannot be read gives an empty list. Names keep every byte (native_path.h).
QStringList listOrdinaryFiles(const QString &folder);

struct FolderEntry {
    enum Kind {
        File,         // a regular file, or a link that leads to one
        Folder,       // a folder itself, not a link
        LinkToFolder, // a symbolic link that leads to a folder
        Other,        // a device, pipe, socket, or a link that leads nowhere
    };
    QString name;
    Kind kind = Other;

    bool isHidden() const { return name.startsWith(u'.'); }
};

// Every entry of the folder but "." and "..", hidden ones included, in the
// order the file system returns them. Empty when the folder cannot be read.
std::vector<FolderEntry> listFolder(const QString &folder);

} // namespace platform
