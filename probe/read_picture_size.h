// ReadPictureSize: a picture file's pixel size from its header.
#pragma once

#include "imaging/picture_size.h"

#include <QString>

namespace platform {
class ReadOnlyFile;
}

namespace imaging {

// The size the file's header states, as a viewer shows it (a JPEG or TIFF
// turned by its EXIF orientation), or (0, 0) when the path is empty, the file
// cannot be opened or is not a picture the probe knows. Opens the file once,
// reads only header bytes, closes it before returning; never fails.
PictureSize ReadPictureSize(const QString &path);

// The header of a file already open (`tgaName`: its name ends in ".tga"):
// the size as stored and the EXIF orientation.
PictureHeader readPictureHeader(const platform::ReadOnlyFile &file, bool tgaName);

// Whether a file's name ends in ".tga", in any case: a TGA has no signature,
// so its name is what tells it.
bool hasTgaName(const QString &path);

} // namespace imaging
