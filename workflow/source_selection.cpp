#include "workflow/source_selection.h"

#include "imaging/picture_formats.h"
#include "platform/file_system.h"
#include "platform/native_path.h"
#include "workflow/work_list.h"

#include <QSet>

#include <sys/stat.h>

namespace workflow {

std::optional<Shard> parseShard(const QString &text)
{
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0)
        return std::nullopt;
    bool indexOk = false, countOk = false;
    const int index = text.left(slash).toInt(&indexOk);
    const int count = text.mid(slash + 1).toInt(&countOk);
    if (!indexOk || !countOk || count < 1 || index < 0 || index >= count)
        return std::nullopt;
    return Shard{index, count};
}

std::uint64_t pathHash(const QString &relativePath)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (const char byte : platform::nativePath(relativePath)) {
        hash ^= std::uint8_t(byte);
        hash *= 0x100000001b3u;
    }
    return hash;
}

bool inShard(const QString &relativePath, const Shard &shard)
{
    return pathHash(relativePath) % std::uint64_t(shard.count) == std::uint64_t(shard.index);
}

NameList parseNameList(const QByteArray &bytes, bool nulSeparated)
{
    NameList list;
    QSet<QByteArray> seen;
    for (const QByteArray &line : bytes.split(nulSeparated ? '\0' : '\n')) {
        if (line.isEmpty())
            continue;
        if (line.startsWith('/')) {
            list.refused = platform::pathFromNative(line);
            break;
        }
        QByteArrayList parts;
        bool escapes = false;
        for (const QByteArray &part : line.split('/')) {
            if (part.isEmpty() || part == ".")
                continue;
            escapes = escapes || part == "..";
            parts << part;
        }
        if (escapes) {
            list.refused = platform::pathFromNative(line);
            break;
        }
        const QByteArray name = parts.join('/');
        if (name.isEmpty() || seen.contains(name))
            continue;
        seen.insert(name);
        list.names.push_back(platform::pathFromNative(name));
    }
    if (list.refused)
        list.names.clear();
    return list;
}

std::vector<SourceEntry> listedEntries(const QString &source, const QString &output, const std::vector<QString> &names)
{
    std::vector<SourceEntry> entries;
    entries.reserve(names.size());
    for (const QString &name : names) {
        const QStringList parts = name.split(u'/');
        SkipReason skip = SkipReason::None;
        // The folders on the way: real folders, not links, none hidden.
        QString path = source;
        for (qsizetype i = 0; i < parts.size() && skip == SkipReason::None; ++i) {
            path = pathInFolder(path, parts[i]);
            struct stat status { };
            const bool last = i + 1 == parts.size();
            if (::lstat(platform::nativePath(path).constData(), &status) != 0) {
                skip = SkipReason::Missing;
            } else if (parts[i].startsWith(u'.')) {
                skip = SkipReason::Hidden;
            } else if (!last && !S_ISDIR(status.st_mode)) {
                skip = SkipReason::Missing;
            } else if (!last && platform::isSameFile(path, output)) {
                skip = SkipReason::OutputFolder;
            } else if (last) {
                // A link to a file counts as the file, as in a folder's listing.
                struct stat target { };
                const bool followed = ::stat(platform::nativePath(path).constData(), &target) == 0;
                if (!followed || !S_ISREG(target.st_mode))
                    skip = SkipReason::NotRegular;
                else if (!imaging::hasConvertibleExtension(parts[i]))
                    skip = SkipReason::Extension;
            }
        }
        entries.push_back({name, skip});
    }
    return entries;
}

} // namespace workflow
