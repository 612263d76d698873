#include "imaging/vips_errors.h"

#include <vips/vips8>

namespace imaging {

ConversionResult failureOf(const vips::VError &error)
{
    const QString detail = QString::fromUtf8(error.what()).trimmed();
    // libvips, libjpeg, libpng and ImageMagick all say "memory" when an
    // allocation fails, which under the worker's budget is what a bomb does.
    const bool memory = detail.contains(QLatin1String("memory"), Qt::CaseInsensitive);
    return {memory ? ConversionStatus::OutOfMemory : ConversionStatus::Damaged, detail};
}

} // namespace imaging
