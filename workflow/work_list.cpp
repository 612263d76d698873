#include "workflow/work_list.h"

#include "imaging/picture_formats.h"
#include "probe/read_picture_size.h"
#include "platform/folder_listing.h"

namespace workflow {

QStringList listConvertibleFiles(const QString &folder)
{
    QStringList names = platform::listOrdinaryFiles(folder);
    names.removeIf([](const QString &name) { return !imaging::hasConvertibleExtension(name); });
    return names;
}

QString pathInFolder(const QString &folder, const QString &name) { return folder + u'/' + name; }

WorkItem readWorkItem(const QString &folder, const QString &name)
{
    return {name, imaging::ReadPictureSize(pathInFolder(folder, name))};
}

WorkList scanBatchFolder(const QString &folder, const std::function<void(int, int)> &sizeRead,
                         const std::atomic<bool> *stop)
{
    const QStringList names = listConvertibleFiles(folder);
    WorkList items;
    items.reserve(std::size_t(names.size()));
    for (const QString &name : names) {
        if (stop && *stop)
            break;
        items.push_back(readWorkItem(folder, name));
        if (sizeRead)
            sizeRead(int(items.size()), int(names.size()));
    }
    return items;
}

} // namespace workflow
