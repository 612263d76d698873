// The header probe: a picture's pixel size from the few header bytes that
// state it, without decoding the picture.
#pragma once

#include "probe/byte_source.h"
#include "imaging/picture_size.h"

namespace imaging {

// Recognises the format from the first bytes (four; twelve for the formats
// no decoder takes yet) (TGA, which has no signature, from its name when no
// signature claims the content: `tgaName` says the file name ends in ".tga")
// and reads the size where that format
// keeps it: PNG, icon, GIF, JPEG, BMP, PSD, TIFF and BigTIFF, WebP, HEIF and
// AVIF, JPEG XL; and the orientation: EXIF's in a JPEG (its APP1 block), a
// TIFF (tag 274), a PNG (eXIf) or an extended WebP (its EXIF chunk); a HEIF's
// rotation and mirror properties as the EXIF orientation that does the same;
// a JPEG XL codestream's own orientation field. Never fails:
// what cannot be read is 0, an unknown or damaged file is (0, 0), a missing
// orientation is 1. Reads only inside the source.
PictureHeader probePictureHeader(ByteSource &bytes, bool tgaName);

// The size as a viewer shows the picture: the stored one, turned by the
// orientation.
PictureSize probePictureSize(ByteSource &bytes, bool tgaName);

} // namespace imaging
