// The size and turn of the primary image of a HEIF or AVIF file, from the
// item properties in its `meta` box.
#pragma once

#include "probe/byte_source.h"
#include "imaging/picture_size.h"

namespace imaging {

// Whether the `ftyp` box at the start names a brand of a HEIF image file
// (its major brand or one of its compatible brands): the structural brands
// mif1, mif2 and msf1, the HEVC brands heic, heix, heim, heis, hevc, hevx,
// hevm and hevs, and AVIF's avif and avis. Other files made of the same boxes
// (MP4 and QuickTime videos, 3GP, the JPEG XL container) are not pictures the
// probe knows.
bool hasHeifBrand(ByteSource &bytes);

// The primary item's size as its `ispe` property states it (a grid's too: the
// standard requires `ispe` on every image item, the grid's being its output
// size, so the grid's own data is not read) and, as an EXIF orientation, what
// its `irot` and `imir` properties do to it, in the order the item lists them.
// The properties may be listed in any order, transforms before `ispe` too.
// A clean aperture (`clap`) is not applied: the size is the coded one. The
// EXIF orientation a HEIF may carry is not read: the properties are what
// viewers apply. (0, 0) when the file has no primary image item of a known
// type with an `ispe`, or when a box on the way is damaged.
PictureHeader heifHeader(ByteSource &bytes);

} // namespace imaging
