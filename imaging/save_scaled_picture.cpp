#include "imaging/save_scaled_picture.h"

#include "imaging/picture_formats.h"
#include "imaging/read_picture_size.h"
#include "imaging/worker_protocol.h"
#include "platform/file_system.h"
#include "platform/read_only_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <variant>
#include <vector>

namespace imaging {

namespace {

// An exact size, or limits to fit the picture into once its header is read.
using SizeRule = std::variant<PictureSize, FitBox>;

struct Output {
    QString path;
    SizeRule rule;
};

// One result per output, in their order.
std::vector<ConversionResult> convertWithRules(ConversionWorker &worker, const QString &sourcePath,
                                               std::span<const Output> outputs, platform::ColourValue background,
                                               int jpegQuality)
{
    std::vector<ConversionResult> results(outputs.size());
    auto allFail = [&](ConversionStatus status, const QString &detail = {}) {
        for (ConversionResult &result : results) {
            if (result.converted()) {
                result.status = status;
                result.detail = detail;
            }
        }
        return results;
    };
    // Opened here, once: the worker gets this descriptor and never the name,
    // and the size is fitted to the header of this very file.
    const platform::ReadOnlyFile source(sourcePath);
    if (!source.isOpen() || !platform::isRegularFile(sourcePath))
        return allFail(ConversionStatus::SourceUnreadable);
    const auto format = outputFormatForPath(outputs.front().path);
    for (const Output &output : outputs) {
        if (!format || outputFormatForPath(output.path) != format)
            return allFail(ConversionStatus::UnsupportedTarget);
    }
    if (outputs.size() > worker::kMostSizes)
        return allFail(ConversionStatus::UnsupportedTarget, QStringLiteral("more sizes than one conversion makes"));
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const PictureSize *exact = std::get_if<PictureSize>(&outputs[i].rule);
        if (exact && (exact->Width < 1 || exact->Height < 1))
            results[i].status = ConversionStatus::NoSize;
    }
    if (source.size() > kMaxSourceBytes)
        return allFail(ConversionStatus::TooLarge, QStringLiteral("%1 bytes, more than 4 GiB").arg(source.size()));

    const bool tgaName = hasTgaName(sourcePath);
    // The worker turns the picture as this header says, so that the output
    // has the size fitted to what viewers show.
    const PictureHeader header = readPictureHeader(source, tgaName);
    std::vector<std::size_t> sent; // the outputs handed to the worker
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        ConversionResult &result = results[i];
        if (!result.converted())
            continue;
        const PictureSize *exact = std::get_if<PictureSize>(&outputs[i].rule);
        result.source = header.shown();
        result.target = exact ? *exact : fitIntoBox(result.source, std::get<FitBox>(outputs[i].rule));
        if (result.target.Width < 1 || result.target.Height < 1)
            result.status = ConversionStatus::NoSize;
        if (result.converted())
            sent.push_back(i);
    }
    if (sent.empty())
        return results;
    const std::int64_t declaredPixels = std::int64_t(header.stored.Width) * header.stored.Height;
    if (declaredPixels > kMaxSourcePixels)
        return allFail(ConversionStatus::TooLarge,
                       QStringLiteral("%1 x %2 pixels declared").arg(header.stored.Width).arg(header.stored.Height));

    const PictureSize first = results[sent.front()].target;
    WorkerTask task{first.Width,        first.Height,   *format,       background, tgaName,
                    header.orientation, declaredPixels, source.size(), jpegQuality};
    for (std::size_t k = 1; k < sent.size(); ++k)
        task.moreSizes.push_back(results[sent[k]].target);
    const std::vector<Result<QByteArray>> bytes = worker.convertAll(source.descriptor(), task);
    for (std::size_t k = 0; k < sent.size(); ++k) {
        ConversionResult &result = results[sent[k]];
        if (!bytes[k]) {
            result.status = bytes[k].failure().status;
            result.detail = bytes[k].failure().detail;
        } else if (!platform::writeFileAtomically(outputs[sent[k]].path, *bytes[k])) {
            result.status = ConversionStatus::WriteFailed;
            result.detail = QString::fromLocal8Bit(std::strerror(errno));
        }
    }
    return results;
}

ConversionResult convertWithRule(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                 const SizeRule &rule, platform::ColourValue background, int jpegQuality)
{
    const Output output{targetPath, rule};
    return convertWithRules(worker, sourcePath, std::span(&output, 1), background, jpegQuality).front();
}

} // namespace

bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                       platform::ColourValue background)
{
    return convertPicture(sourcePath, targetPath, width, height, background).converted();
}

ConversionResult convertPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                                platform::ColourValue background)
{
    ConversionWorker worker;
    return convertPicture(worker, sourcePath, targetPath, width, height, background);
}

ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                int width, int height, platform::ColourValue background, int jpegQuality)
{
    return convertWithRule(worker, sourcePath, targetPath, PictureSize{width, height}, background, jpegQuality);
}

ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                const FitBox &box, platform::ColourValue background, int jpegQuality)
{
    return convertWithRule(worker, sourcePath, targetPath, box, background, jpegQuality);
}

ConversionResult convertPictureSizes(ConversionWorker &worker, const QString &sourcePath,
                                     std::span<const SizedTarget> targets, platform::ColourValue background,
                                     int jpegQuality)
{
    if (targets.empty())
        return {ConversionStatus::UnsupportedTarget, {}};
    std::vector<Output> outputs;
    for (const SizedTarget &target : targets)
        outputs.push_back({target.path, target.box});
    ConversionResult whole;
    whole.sizes = convertWithRules(worker, sourcePath, outputs, background, jpegQuality);
    const auto failed = std::find_if(whole.sizes.begin(), whole.sizes.end(),
                                     [](const ConversionResult &result) { return !result.converted(); });
    const ConversionResult &told = failed != whole.sizes.end() ? *failed : whole.sizes.front();
    whole.status = told.status;
    whole.detail = told.detail;
    whole.source = told.source;
    whole.target = told.target;
    return whole;
}

} // namespace imaging
