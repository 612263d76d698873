#include "imaging/modify_image_size.h"

#include "imaging/read_picture_size.h"
#include "imaging/picture_formats.h"
#include "platform/file_system.h"
#include "platform/read_only_file.h"

namespace imaging {

bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                       platform::ColourValue background)
{
    return ConvertPicture(sourcePath, targetPath, width, height, background) == ConversionStatus::Converted;
}

ConversionStatus ConvertPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                                platform::ColourValue background)
{
    ConversionWorker worker;
    return ConvertPicture(worker, sourcePath, targetPath, width, height, background);
}

ConversionStatus ConvertPicture(ConversionWorker &worker, const QString &sourcePath, const QString &targetPath,
                                int width, int height, platform::ColourValue background, QString *detail)
{
    // Opened here, once: the worker gets this descriptor and never the name.
    const platform::ReadOnlyFile source(sourcePath);
    if (!source.isOpen() || !platform::isRegularFile(sourcePath))
        return ConversionStatus::SourceUnreadable;
    const auto format = outputFormatForPath(targetPath);
    if (!format)
        return ConversionStatus::UnsupportedTarget;
    if (width < 1 || height < 1)
        return ConversionStatus::NoSize;

    const bool tgaName = hasTgaName(sourcePath);
    // The worker turns the picture as this header says, so that the output
    // has the size fitted to what viewers show.
    const PictureHeader header = ReadPictureHeader(source, tgaName);
    const WorkerOutcome outcome = worker.convert(
        source.descriptor(), {width, height, *format, background, tgaName, header.orientation,
                              std::int64_t(header.stored.Width) * header.stored.Height});
    if (detail)
        *detail = outcome.detail;
    if (outcome.status != ConversionStatus::Converted)
        return outcome.status;
    return platform::writeFileAtomically(targetPath, outcome.bytes) ? ConversionStatus::Converted
                                                                    : ConversionStatus::WriteFailed;
}

} // namespace imaging
