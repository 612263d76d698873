#include "workflow/source_tree.h"

#include "imaging/picture_formats.h"
#include "platform/file_system.h"
#include "platform/folder_listing.h"
#include "platform/native_path.h"
#include "workflow/work_list.h"

#include <algorithm>

namespace workflow {

namespace {

using platform::FolderEntry;

struct Walk {
    QString source;
    QString output;
    bool recursive = false;
    const std::atomic<bool> *stop = nullptr;
    std::vector<SourceEntry> entries;

    // `prefix`: the folder's path relative to the source, "" or "a/b/".
    void folder(const QString &prefix)
    {
        if (stop && stop->load())
            return;
        const std::vector<FolderEntry> all
            = platform::listFolder(prefix.isEmpty() ? source : pathInFolder(source, prefix));
        std::vector<const FolderEntry *> folders;
        for (const FolderEntry &entry : all) {
            if (entry.kind == FolderEntry::Folder || entry.kind == FolderEntry::LinkToFolder)
                folders.push_back(&entry);
        }
        // By the bytes of the names: the same order in every locale.
        std::sort(folders.begin(), folders.end(), [](const FolderEntry *a, const FolderEntry *b) {
            return platform::nativePath(a->name) < platform::nativePath(b->name);
        });
        for (const FolderEntry *entry : folders) {
            const QString path = prefix + entry->name + u'/';
            if (entry->isHidden())
                entries.push_back({path, SkipReason::Hidden});
            else if (!recursive)
                entries.push_back({path, SkipReason::Subfolder});
            else if (entry->kind == FolderEntry::LinkToFolder)
                entries.push_back({path, SkipReason::LinkToFolder});
            else if (platform::isSameFile(pathInFolder(source, path), output))
                entries.push_back({path, SkipReason::OutputFolder});
            else
                folder(path);
        }
        for (const FolderEntry &entry : all) {
            if (entry.kind == FolderEntry::Folder || entry.kind == FolderEntry::LinkToFolder)
                continue;
            SkipReason skip = SkipReason::None;
            if (entry.isHidden())
                skip = SkipReason::Hidden;
            else if (entry.kind != FolderEntry::File)
                skip = SkipReason::NotRegular;
            else if (!imaging::hasConvertibleExtension(entry.name))
                skip = SkipReason::Extension;
            entries.push_back({prefix + entry.name, skip});
        }
    }
};

} // namespace

std::vector<SourceEntry> walkSourceFolder(const QString &source, const QString &output, bool recursive,
                                          const std::atomic<bool> *stop)
{
    Walk walk{source, output, recursive, stop, {}};
    walk.folder(QString());
    return walk.entries;
}

} // namespace workflow
