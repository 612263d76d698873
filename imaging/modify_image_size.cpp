#include "imaging/modify_image_size.h"

#include "imaging/draw_scaled_picture.h"
#include "imaging/encode_picture.h"
#include "imaging/output_format.h"
#include "platform/file_system.h"

namespace imaging {

bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height)
{
    return SaveScaledPicture(sourcePath, targetPath, width, height, platform::buttonFaceColour());
}

bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                       platform::ColourValue background)
{
    return ConvertPicture(sourcePath, targetPath, width, height, background) == ConversionStatus::Converted;
}

ConversionStatus ConvertPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                                platform::ColourValue background)
{
    if (!platform::isRegularFile(sourcePath))
        return ConversionStatus::SourceUnreadable;
    const auto format = outputFormatForPath(targetPath);
    if (!format)
        return ConversionStatus::UnsupportedTarget;
    if (width < 1 || height < 1)
        return ConversionStatus::NoSize;

    ConversionStatus failure = ConversionStatus::Damaged;
    const auto picture = DrawScaledPicture(sourcePath, width, height, background, &failure);
    if (!picture)
        return failure;
    // The source is decoded while it is encoded: a damaged file fails here.
    const auto bytes = encodePicture(*picture, *format);
    if (!bytes)
        return ConversionStatus::Damaged;
    return platform::writeFileAtomically(targetPath, *bytes) ? ConversionStatus::Converted
                                                             : ConversionStatus::WriteFailed;
}

} // namespace imaging
