// Which encoder writes a target file, chosen by the target path's extension.
#pragma once

#include <QString>

#include <optional>

namespace imaging {

enum class OutputFormat { Bmp, Gif, Jpeg, Png, Tiff, Tga };

// The extension is the text after the last "." of the path, compared without
// regard to case with the whole of one entry of bmp, gif, jpg, jpeg, png, tif,
// tiff, tga. A path without a dot, or with any other extension, has no format.
std::optional<OutputFormat> outputFormatForPath(const QString &targetPath);

} // namespace imaging
