#include "imaging/scale_and_encode.h"

#include "imaging/encode_picture.h"

namespace imaging {

Result<QByteArray> scaleAndEncode(SourceFile source, int width, int height, OutputFormat format,
                                  platform::ColourValue background, int jpegQuality)
{
    const Result<vips::VImage> picture = DrawScaledPicture(source, width, height, background);
    if (!picture)
        return picture.failure();
    return encodePicture(*picture, format, jpegQuality);
}

} // namespace imaging
