#include "imaging/save_scaled_picture.h"

#include "imaging/picture_formats.h"
#include "imaging/read_picture_size.h"
#include "platform/file_system.h"
#include "platform/read_only_file.h"

#include <cerrno>
#include <cstring>
#include <variant>

namespace imaging {

namespace {

// An exact size, or limits to fit the picture into once its header is read.
using SizeRule = std::variant<PictureSize, FitBox>;

ConversionResult convertWithRule(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                 const SizeRule &rule, platform::ColourValue background, int quality)
{
    // Opened here, once: the worker gets this descriptor and never the name,
    // and the size is fitted to the header of this very file.
    const platform::ReadOnlyFile source(sourcePath);
    if (!source.isOpen() || !platform::isRegularFile(sourcePath))
        return {ConversionStatus::SourceUnreadable, {}};
    const auto format = outputFormatForPath(targetPath);
    if (!format)
        return {ConversionStatus::UnsupportedTarget, {}};
    const PictureSize *exact = std::get_if<PictureSize>(&rule);
    if (exact && (exact->Width < 1 || exact->Height < 1))
        return {ConversionStatus::NoSize, {}};
    if (source.size() > kMaxSourceBytes)
        return {ConversionStatus::TooLarge, QStringLiteral("%1 bytes, more than 4 GiB").arg(source.size())};

    const bool tgaName = hasTgaName(sourcePath);
    // The worker turns the picture as this header says, so that the output
    // has the size fitted to what viewers show.
    const PictureHeader header = readPictureHeader(source, tgaName);
    ConversionResult result;
    result.source = header.shown();
    result.target = exact ? *exact : fitIntoBox(result.source, std::get<FitBox>(rule));
    auto failed = [&](ConversionStatus status, QString detail) {
        result.status = status;
        result.detail = std::move(detail);
        return result;
    };
    if (result.target.Width < 1 || result.target.Height < 1)
        return failed(ConversionStatus::NoSize, {});
    const std::int64_t declaredPixels = std::int64_t(header.stored.Width) * header.stored.Height;
    if (declaredPixels > kMaxSourcePixels)
        return failed(ConversionStatus::TooLarge,
                      QStringLiteral("%1 x %2 pixels declared").arg(header.stored.Width).arg(header.stored.Height));

    WorkerTask task{result.target.Width, result.target.Height, *format,       background, tgaName,
                    header.orientation,  declaredPixels,       source.size(), quality};
    const Result<QByteArray> bytes = worker.convert(source.descriptor(), task);
    if (!bytes)
        return failed(bytes.failure().status, bytes.failure().detail);
    if (!platform::writeFileAtomically(targetPath, *bytes))
        return failed(ConversionStatus::WriteFailed, QString::fromLocal8Bit(std::strerror(errno)));
    return result;
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
                                int width, int height, platform::ColourValue background, int quality)
{
    return convertWithRule(worker, sourcePath, targetPath, PictureSize{width, height}, background, quality);
}

ConversionResult convertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                const FitBox &box, platform::ColourValue background, int quality)
{
    return convertWithRule(worker, sourcePath, targetPath, box, background, quality);
}

} // namespace imaging
