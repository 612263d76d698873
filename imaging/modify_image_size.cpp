#include "imaging/modify_image_size.h"

#include "imaging/draw_scaled_picture.h"
#include "imaging/encode_picture.h"
#include "imaging/output_format.h"
#include "platform/file_system.h"

namespace imaging {

bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height)
{
    const auto buttonFace = platform::resolveColour(platform::kSysButtonFace);
    return SaveScaledPicture(sourcePath, targetPath, width, height,
                             buttonFace.value_or(platform::rgbValue(255, 255, 255)));
}

bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                       platform::ColourValue background)
{
    if (targetPath.isEmpty() || !platform::isRegularFile(sourcePath))
        return false;
    const auto format = outputFormatForPath(targetPath);
    if (!format || width < 1 || height < 1)
        return false;

    const auto picture = DrawScaledPicture(sourcePath, width, height, background);
    if (!picture)
        return false;
    const auto bytes = encodePicture(*picture, *format);
    return bytes && platform::writeFileAtomically(targetPath, *bytes);
}

} // namespace imaging
