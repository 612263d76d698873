#include "engine/codecs/vips_errors.h"

#include <vips/vips8>

#include <cerrno>

namespace imaging {

ConversionResult failureOf(const vips::VError &error, int errorNumber)
{
    const QString detail = QString::fromUtf8(error.what()).trimmed();
    // By its code where one reaches this thread: ENOMEM, left by an
    // allocation or a new thread's stack that the worker's address-space
    // limit refused. libvips' errors carry no code (VError holds the text of
    // vips_error_buffer() only; 8.14 has no error number or domain for it),
    // and most of a conversion's allocations happen on libvips' own threads,
    // whose errno this thread never sees. Those failures, and libjpeg, libpng,
    // libtiff and ImageMagick running out (they turn it into their own
    // words), can only be told from the message: libvips' allocator says "out
    // of memory", libjpeg "Insufficient memory", ImageMagick "Memory
    // allocation failed". For them the word "memory" still decides.
    const bool memory = errorNumber == ENOMEM || detail.contains(QLatin1String("memory"), Qt::CaseInsensitive);
    return {memory ? ConversionStatus::OutOfMemory : ConversionStatus::Damaged, detail};
}

} // namespace imaging
