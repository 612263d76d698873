// The pixel size a TIFF or BigTIFF states in its first image directory.
#pragma once

#include "probe/byte_source.h"
#include "imaging/picture_size.h"

namespace imaging {

enum class ByteOrder { LittleEndian, BigEndian };

// Classic TIFF stores offsets, value counts and values in 4 bytes and the
// entry count of a directory in 2; BigTIFF stores all of them in 8.
enum class TiffVariant { Classic, Big };

// Reads the first directory, at the offset stored at byte 4 (BigTIFF: at byte
// 8, after the offset size 8 and a zero, else the file is refused), and takes
// the values of the ImageWidth (256), ImageLength (257) and Orientation (274)
// entries, wherever they stand in it: the first entry of each that holds
// exactly one value of an integer type that fits the value field. A dimension
// without such an entry, or stored negative or beyond a signed 32-bit integer,
// is 0; an orientation without one, or out of range, is 1.
// The EXIF block of a JPEG is such a structure too (classic, byte order
// marked at its start, offsets counted from there).
PictureHeader tiffDirectoryHeader(ByteSource &bytes, ByteOrder order, TiffVariant variant);

// The orientation of a TIFF structure kept inside another file (the EXIF
// block of a JPEG, a PNG's eXIf chunk, a WebP's EXIF chunk), its offsets
// counted from its own start: the classic TIFF header "II*\0" or "MM\0*"
// gives the byte order. Nothing when the block does not start like that.
std::optional<int> embeddedTiffOrientation(ByteSource &block);

} // namespace imaging
