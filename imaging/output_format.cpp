#include "imaging/output_format.h"

#include <array>
#include <utility>

namespace imaging {

std::optional<OutputFormat> outputFormatForPath(const QString &targetPath)
{
    static constexpr std::array<std::pair<QStringView, OutputFormat>, 8> kEncoderTable{{
        {u"jpg", OutputFormat::Jpeg},
        {u"jpeg", OutputFormat::Jpeg},
        {u"png", OutputFormat::Png},
        {u"gif", OutputFormat::Gif},
        {u"tif", OutputFormat::Tiff},
        {u"tiff", OutputFormat::Tiff},
        {u"bmp", OutputFormat::Bmp},
        {u"tga", OutputFormat::Tga},
    }};
    const qsizetype dot = targetPath.lastIndexOf(u'.');
    if (dot < 0)
        return std::nullopt;
    const QString extension = targetPath.mid(dot + 1).toLower();
    for (const auto &[key, format] : kEncoderTable) {
        if (extension == key)
            return format;
    }
    return std::nullopt;
}

} // namespace imaging
