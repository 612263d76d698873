#include "imaging/scale_and_encode.h"

#include "imaging/encode_picture.h"

namespace imaging {

EncodedPicture scaleAndEncode(SourceFile source, int width, int height, OutputFormat format,
                              platform::ColourValue background)
{
    EngineFailure failure;
    const auto picture = DrawScaledPicture(source, width, height, background, &failure);
    if (!picture)
        return {failure.status, {}, failure.detail};
    auto bytes = encodePicture(*picture, format, &failure);
    if (!bytes)
        return {failure.status, {}, failure.detail};
    return {ConversionStatus::Converted, std::move(*bytes), QString()};
}

} // namespace imaging
