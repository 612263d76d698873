// One picture converted in memory, from the bytes of its file to the bytes of
// the output file: what a conversion worker does for each request.
#pragma once

#include "imaging/conversion_status.h"
#include "engine/draw_scaled_picture.h"
#include "imaging/exact_size.h"
#include "imaging/file_size_search.h"
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

// What every output of a picture is made with besides its size.
struct OutputSettings {
    platform::ColourValue background = 0; // where transparency lands
    int quality = kOwnQuality;
    // Of each size, how an exact size is made: the picture drawn at
    // `scaled`, its kept part placed on the canvas (the size), the rest in
    // padColour. An empty canvas, or no geometry at all: drawn at the size.
    std::span<const ExactGeometry> exact = {};
    platform::ColourValue padColour = 0;
    int dpi = 0; // the resolution tag of the formats that carry one; 0: none
    // The bytes each output must come to (none: any). The picture is drawn
    // once, then encoded at lower qualities until a file is within the range
    // (searchFileSize); the dimensions never change. A size no quality brings
    // into the range fails as SizeOutOfRange, its detail "OUTCOME BYTES WIDTH
    // HEIGHT QUALITY" of the nearest file (sizeSearchDetail).
    ByteRange fileSize = {};
};

// scaleAndEncodeSizes with every setting. A geometry that does not make its
// size (a kept part outside the scaled picture or off the canvas, a canvas
// other than the size) fails that size as UnsupportedTarget.
bool scaleAndEncodeSizes(SourceFile source, std::span<const PictureSize> sizes, OutputFormat format,
                         const OutputSettings &settings, const std::function<bool(const Result<QByteArray> &)> &answer);

// Whether `geometry` makes a picture of `size` (see above).
bool makesSize(const ExactGeometry &geometry, PictureSize size);

} // namespace imaging
