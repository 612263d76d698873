#include "platform/folder_listing.h"

#include "platform/native_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <memory>

namespace platform {

namespace {

// Regular files, and links that lead to one.
bool isFileEntry(int folder, const dirent &entry)
{
    if (entry.d_type == DT_REG)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat info {};
    return ::fstatat(folder, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

} // namespace

QStringList listOrdinaryFiles(const QString &folder)
{
    QStringList names;
    const QByteArray native = nativePath(folder);
    if (native.isEmpty() || native.contains('\0'))
        return names;
    // readdir hands entries over as the file system keeps them, by their
    // bytes; Qt's listing would lose names that are not valid UTF-8.
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(native.constData()), &::closedir);
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.' || !isFileEntry(::dirfd(dir.get()), *entry))
            continue;
        names << pathFromNative(entry->d_name);
    }
    return names;
}

} // namespace platform
