// The size and orientation of a JPEG XL picture, from its codestream's size
// header and image metadata.
#pragma once

#include "probe/byte_source.h"
#include "imaging/picture_size.h"

namespace imaging {

// A bare codestream (it starts with FF 0A) or the container (the `JXL `
// signature box, `ftyp` of brand "jxl ", then the codestream in one `jxlc` box
// or split over `jxlp` boxes, each after a 4-byte index). The size header
// gives the size, in its short form (multiples of 8 up to 256), its long one
// or from a fixed aspect ratio; the image metadata after it the orientation,
// 1 to 8 as in EXIF, which decoders apply. (0, 0) when either is cut short or
// the container is damaged before the codestream starts. An EXIF box in the
// container is not read: the codestream's orientation is the one decoders use.
PictureHeader jpegXlHeader(ByteSource &bytes);

} // namespace imaging
