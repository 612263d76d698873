// The pixel size a JPEG states in its frame header.
#pragma once

#include "imaging/byte_source.h"
#include "imaging/picture_size.h"

namespace imaging {

// Walks the marker segments from just after the start-of-image marker to the
// first frame header, skipping each segment by its stated length without
// reading it. (0, 0) when the picture data or the end of the image comes first,
// or when a segment length is impossible.
PictureSize jpegFrameSize(ByteSource &bytes);

} // namespace imaging
