#include "platform/folder_listing.h"

#include <QDirIterator>

namespace platform {

QStringList listOrdinaryFiles(const QString &folder)
{
    QStringList names;
    if (folder.isEmpty())
        return names;
    // QDirIterator hands entries over as the directory stream gives them;
    // QDir::entryList would sort them.
    QDirIterator it(folder, QDir::Files);
    while (it.hasNext()) {
        it.next();
        names << it.fileName();
    }
    return names;
}

} // namespace platform
