// ReadPictureSize: a picture file's pixel size from its header.
#pragma once

#include "imaging/picture_size.h"

#include <QString>

namespace platform {
class ReadOnlyFile;
}

namespace imaging {

// The size the file's header states, or (0, 0) when the path is empty, the
// file cannot be opened or is not a picture the probe knows. Opens the file
// once, reads only header bytes, closes it before returning; never fails.
PictureSize ReadPictureSize(const QString &path);

// The same for a file already open; `tgaName` says its name ends in ".tga".
PictureSize ReadPictureSize(const platform::ReadOnlyFile &file, bool tgaName);

// Whether a file's name ends in ".tga", in any case: a TGA has no signature,
// so its name is what tells it.
bool hasTgaName(const QString &path);

} // namespace imaging
