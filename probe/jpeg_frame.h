// The pixel size a JPEG states in its frame header, and the orientation its
// EXIF block states.
#pragma once

#include "probe/byte_source.h"
#include "imaging/picture_size.h"

namespace imaging {

// Walks the marker segments from just after the start-of-image marker to the
// first frame header, skipping each segment by its stated length without
// reading it, except the first APP1 segment that holds EXIF data: its first
// directory gives the orientation. A size of (0, 0) when the picture data or
// the end of the image comes first, or when a segment length is impossible.
PictureHeader jpegFrameHeader(ByteSource &bytes);

} // namespace imaging
