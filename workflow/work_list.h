// The pictures a run converts: each by its name (a file name, or a path
// relative to the source folder) and the size its header states, as a viewer
// shows it.
#pragma once

#include "imaging/picture_size.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <vector>

namespace workflow {

struct WorkItem {
    QString name;
    imaging::PictureSize size; // (0, 0) when the header gave none

    friend bool operator==(const WorkItem &, const WorkItem &) = default;
};

using WorkList = std::vector<WorkItem>;

// The names of a folder's pictures that a batch converts: every visible file
// with one of the sixteen extension spellings, in the order the file system
// lists them.
QStringList listConvertibleFiles(const QString &folder);

// A path inside a folder as the batch builds it: folder, "/", name.
QString pathInFolder(const QString &folder, const QString &name);

// The picture `name` of `folder` with the size its header states.
WorkItem readWorkItem(const QString &folder, const QString &name);

// The folder's convertible pictures (listConvertibleFiles) with their sizes,
// in the order the file system lists them. `sizeRead(done, total)` is called
// after each size is read. Once `stop` is set no further size is read, and the
// list holds only the pictures read so far.
WorkList scanBatchFolder(const QString &folder, const std::function<void(int, int)> &sizeRead = {},
                         const std::atomic<bool> *stop = nullptr);

} // namespace workflow
