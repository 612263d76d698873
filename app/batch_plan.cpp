#include "app/batch_plan.h"

#include "app/conversion_rules.h"
#include "app/size_text.h"
#include "imaging/picture_formats.h"
#include "imaging/read_picture_size.h"
#include "platform/folder_listing.h"

#include <QThread>

namespace app {

QStringList listConvertibleFiles(const QString &folder)
{
    QStringList names = platform::listOrdinaryFiles(folder);
    names.removeIf([](const QString &name) { return !imaging::hasConvertibleExtension(name); });
    return names;
}

QString readSizeText(const QString &path) { return sizeText(imaging::ReadPictureSize(path)); }

QString pathInFolder(const QString &folder, const QString &name) { return folder + u'/' + name; }

std::vector<ConversionJob> batchJobs(const QString &sourceFolder, const QString &outputFolder, const QStringList &names,
                                     const TargetSizeTable &targets)
{
    std::vector<ConversionJob> jobs;
    jobs.reserve(size_t(names.size()));
    for (qsizetype i = 0; i < names.size(); ++i) {
        const TargetSize size = size_t(i) < targets.size() ? targets[size_t(i)] : TargetSize{};
        jobs.push_back(
            {pathInFolder(sourceFolder, names[i]), pathInFolder(outputFolder, names[i]), size.width, size.height});
    }
    return jobs;
}

int defaultJobCount() { return std::max(1, QThread::idealThreadCount()); }

} // namespace app
