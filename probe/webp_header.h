// The size of a WebP picture from its first chunk, and the orientation of an
// extended one from its EXIF chunk.
#pragma once

#include "probe/byte_source.h"
#include "imaging/picture_size.h"

namespace imaging {

// "RIFF", the RIFF size, "WEBP", then chunks; a chunk claiming to reach past
// the RIFF size is damage, and what lies past it is not looked at. A file cut
// inside a chunk keeps what its first bytes say. The first chunk gives the
// size: "VP8 " (lossy) the 14-bit sides of its key frame's header (the 2
// scaling bits above them are a hint to the viewer, not part of the size),
// "VP8L" (lossless) its 14-bit sides less 1 after the 0x2F signature, "VP8X"
// (extended, animations too) the 24-bit canvas sides less 1. An extended file
// whose flags announce EXIF (libvips reads the chunk only then) gets the
// orientation of its "EXIF" chunk, a TIFF structure, with or without the
// "Exif\0\0" that some writers put first. Up to 64 chunks are looked at, and
// a file cut before that chunk keeps orientation 1. (0, 0) when the first
// chunk is not one of those three or is damaged.
PictureHeader webpHeader(ByteSource &bytes);

} // namespace imaging
