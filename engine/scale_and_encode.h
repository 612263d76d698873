// One picture converted in memory, from the bytes of its file to the bytes of
// the output file: what a conversion worker does for each request.
#pragma once

#include "imaging/conversion_status.h"
#include "engine/draw_scaled_picture.h"
#include "imaging/picture_formats.h"
#include "platform/colour.h"

#include <QByteArray>

#include <functional>
#include <span>

namespace imaging {

// The source drawn at exactly width x height (DrawScaledPicture) and encoded
// in `format` (encodePicture, JPEG at `quality`). The source is decoded
// while it is encoded, so a damaged file fails here at the latest.
Result<QByteArray> scaleAndEncode(SourceFile source, int width, int height, OutputFormat format,
                                  platform::ColourValue background, int quality = kOwnQuality);

// The same for every size of `sizes`, each result handed to `answer` as soon
// as it is made, in their order; false as soon as `answer` returns false.
// Sizes that decode the source alike (every size of a source decoded whole,
// a JPEG's sizes at the same reduction while decoding) share one decode,
// held in memory for them; each output is the very file scaleAndEncode
// makes at its size.
bool scaleAndEncodeSizes(SourceFile source, std::span<const PictureSize> sizes, OutputFormat format,
                         platform::ColourValue background, int quality,
                         const std::function<bool(const Result<QByteArray> &)> &answer);

} // namespace imaging
