// The size of a PNG from its IHDR chunk and the orientation of its eXIf chunk.
#pragma once

#include "probe/byte_source.h"
#include "imaging/picture_size.h"

namespace imaging {

// The width and height at bytes 16 and 20, where IHDR keeps them, and the
// orientation of an eXIf chunk (a TIFF structure) that comes before the first
// IDAT. The PNG extensions (1.5.0) put no order on eXIf, but libvips (through
// libpng) reads a PNG's metadata with its header, up to the picture data: an
// eXIf after IDAT turns nothing there, so here neither. Up to 64 chunks
// are looked at; the walk stops at IDAT, IEND, or a chunk that does not lie
// whole in the file, which leaves orientation 1.
PictureHeader pngHeader(ByteSource &bytes);

} // namespace imaging
