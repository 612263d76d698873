#include "workflow/size_text.h"

#include "platform/numeric.h"

namespace workflow {

namespace {

std::int32_t sizeNumber(const QString &piece)
{
    // Decimal, with the C locale's notation whatever the user's locale is.
    bool ok = false;
    const double value = piece.toDouble(&ok);
    if (!ok)
        return 0;
    return platform::roundToInt32(value).value_or(0);
}

} // namespace

QString sizeText(const imaging::PictureSize &size)
{
    return QString::number(size.Width) + u'-' + QString::number(size.Height);
}

std::int32_t GetSizeWidth(const QString &sizeText) { return sizeNumber(sizeText.section(u'-', 0, 0)); }

std::int32_t GetSizeHeight(const QString &sizeText) { return sizeNumber(sizeText.section(u'-', -1)); }

} // namespace workflow
