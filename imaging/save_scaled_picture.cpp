#include "imaging/save_scaled_picture.h"

#include "imaging/picture_formats.h"
#include "imaging/read_picture_size.h"
#include "platform/file_system.h"
#include "platform/read_only_file.h"

#include <cerrno>
#include <cstring>

namespace imaging {

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
    // Opened here, once: the worker gets this descriptor and never the name.
    const platform::ReadOnlyFile source(sourcePath);
    if (!source.isOpen() || !platform::isRegularFile(sourcePath))
        return {ConversionStatus::SourceUnreadable, {}};
    const auto format = outputFormatForPath(targetPath);
    if (!format)
        return {ConversionStatus::UnsupportedTarget, {}};
    if (width < 1 || height < 1)
        return {ConversionStatus::NoSize, {}};

    const bool tgaName = hasTgaName(sourcePath);
    // The worker turns the picture as this header says, so that the output
    // has the size fitted to what viewers show.
    const PictureHeader header = readPictureHeader(source, tgaName);
    const Result<QByteArray> bytes
        = worker.convert(source.descriptor(), {width, height, *format, background, tgaName, header.orientation,
                                               std::int64_t(header.stored.Width) * header.stored.Height, jpegQuality});
    if (!bytes)
        return bytes.failure();
    if (!platform::writeFileAtomically(targetPath, *bytes))
        return {ConversionStatus::WriteFailed, QString::fromLocal8Bit(std::strerror(errno))};
    return {};
}

} // namespace imaging
