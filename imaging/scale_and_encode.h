// One picture converted in memory, from the bytes of its file to the bytes of
// the output file: what a conversion worker does for each request.
#pragma once

#include "imaging/conversion_status.h"
#include "imaging/draw_scaled_picture.h"
#include "imaging/picture_formats.h"
#include "platform/colour.h"

#include <QByteArray>

namespace imaging {

// The source drawn at exactly width x height (DrawScaledPicture) and encoded
// in `format` (encodePicture, JPEG at `quality`). The source is decoded
// while it is encoded, so a damaged file fails here at the latest.
Result<QByteArray> scaleAndEncode(SourceFile source, int width, int height, OutputFormat format,
                                  platform::ColourValue background, int quality = kOwnQuality);

} // namespace imaging
