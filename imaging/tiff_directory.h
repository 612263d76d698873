// The pixel size a TIFF states in its first image directory.
#pragma once

#include "imaging/byte_source.h"
#include "imaging/picture_size.h"

namespace imaging {

enum class ByteOrder { LittleEndian, BigEndian };

// Reads the first directory, at the offset stored at byte 4, and takes the
// values of the ImageWidth (256) and ImageLength (257) entries, wherever they
// stand in it, stored as SHORT or LONG. A dimension without a usable entry is 0.
PictureSize tiffDirectorySize(ByteSource &bytes, ByteOrder order);

} // namespace imaging
