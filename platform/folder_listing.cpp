#include "platform/folder_listing.h"

#include "platform/native_path.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>

namespace platform {

namespace {

// The kind of an entry. readdir's type answers most of them without a stat;
// a link, or a file system that does not say, takes one or two.
FolderEntry::Kind kindOf(int folder, const dirent &entry)
{
    if (entry.d_type == DT_REG)
        return FolderEntry::File;
    if (entry.d_type == DT_DIR)
        return FolderEntry::Folder;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return FolderEntry::Other;
    struct stat info { };
    if (entry.d_type == DT_UNKNOWN) {
        if (::fstatat(folder, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return FolderEntry::Other;
        if (S_ISREG(info.st_mode))
            return FolderEntry::File;
        if (S_ISDIR(info.st_mode))
            return FolderEntry::Folder;
        if (!S_ISLNK(info.st_mode))
            return FolderEntry::Other;
    }
    if (::fstatat(folder, entry.d_name, &info, 0) != 0)
        return FolderEntry::Other;
    if (S_ISREG(info.st_mode))
        return FolderEntry::File;
    return S_ISDIR(info.st_mode) ? FolderEntry::LinkToFolder : FolderEntry::Other;
}

} // namespace

std::vector<FolderEntry> listFolder(const QString &folder)
{
    std::vector<FolderEntry> entries;
    const QByteArray native = nativePath(folder);
    if (native.isEmpty() || native.contains('\0'))
        return entries;
    // readdir hands entries over as the file system keeps them, by their
    // bytes; Qt's listing would lose names that are not valid UTF-8.
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(native.constData()), &::closedir);
    if (!dir)
        return entries;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
            continue;
        entries.push_back({pathFromNative(entry->d_name), kindOf(::dirfd(dir.get()), *entry)});
    }
    return entries;
}

QStringList listOrdinaryFiles(const QString &folder)
{
    QStringList names;
    for (const FolderEntry &entry : listFolder(folder)) {
        if (entry.kind == FolderEntry::File && !entry.isHidden())
            names << entry.name;
    }
    return names;
}

} // namespace platform
