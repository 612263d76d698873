#include "imaging/scale_and_encode.h"

#include "imaging/encode_picture.h"
#include "imaging/source_format.h"
#include "imaging/vips_errors.h"

namespace imaging {

Result<QByteArray> scaleAndEncode(SourceFile source, int width, int height, OutputFormat format,
                                  platform::ColourValue background, int quality)
{
    // libvips collects the messages of every failure in one buffer for the
    // whole process; emptied here, it holds this picture's only.
    vips_error_clear();
    Result<QByteArray> encoded = [&]() -> Result<QByteArray> {
        const Result<vips::VImage> picture = DrawScaledPicture(source, width, height, background);
        if (!picture)
            return picture.failure();
        const QByteArrayView bytes = source.bytes;
        const bool lossless = storesLosslessly(
            sniffSource(bytes.first(std::min(bytes.size(), kSniffBytes)), source.tgaName, bytes), bytes);
        return encodePicture(*picture, format, quality, lossless);
    }();
    // A decoder that fails on one of libvips' threads blacks out the strip it
    // was making for the threads waiting on it, and libvips (8.14) may end the
    // whole computation as done before that thread has told it of the failure:
    // a damaged picture then came out whole but partly black in some runs and
    // failed in others, the more often the more threads. The failure always
    // leaves its message, so any message left after a conversion that looked
    // whole fails the picture, as the other runs did.
    if (encoded && *vips_error_buffer())
        encoded = failureOf(vips::VError(), 0);
    vips_error_clear();
    return encoded;
}

} // namespace imaging
