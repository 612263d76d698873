// The steps of a batch run that the window and the command-line tool share, so
// both convert the same files, in the same order, to the same sizes.
#pragma once

#include "app/parallel_conversion.h"
#include "app/target_sizes.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace app {

// The names of a folder's pictures that a batch converts: every visible file
// with one of the sixteen extension spellings, in the order the file system
// lists them.
QStringList listConvertibleFiles(const QString &folder);

// The size text of a picture as its header states it ("1600-1200", "0-0").
QString readSizeText(const QString &path);

// A path inside a folder as the batch builds it: folder, "/", name.
QString pathInFolder(const QString &folder, const QString &name);

// One job per name: the source in `sourceFolder`, the target of the same name
// in `outputFolder`, at the target size of the same row.
std::vector<ConversionJob> batchJobs(const QString &sourceFolder, const QString &outputFolder, const QStringList &names,
                                     const TargetSizeTable &targets);

// How many pictures to convert at once: one per processor.
int defaultJobCount();

} // namespace app
