// The program's one conversion operation: a picture file drawn at an exact
// pixel size and written in the format of the target's extension.
#pragma once

#include "platform/colour.h"

#include <QString>

namespace imaging {

// How a conversion ended, for callers that tell the user why a picture failed.
enum class ConversionStatus {
    Converted,
    SourceUnreadable,  // missing, not a regular file, or not readable
    UnsupportedTarget, // the target's extension names no output format
    NoSize,            // a width or height below 1
    NotAPicture,       // not a JPEG, PNG, GIF, TIFF, BMP or TGA
    TooLarge,          // declares more pixels than any photo has
    Damaged,           // truncated or corrupt
    WriteFailed,       // the target could not be written
};

// Converts `sourcePath` into `targetPath` at exactly width x height pixels,
// stretched independently in x and y, encoded by the target's extension (bmp,
// gif, jpg, jpeg, png, tif, tiff or tga, any case). Transparent parts are
// flattened onto the system button-face colour.
//
// True exactly when the target file was written. The file appears whole or not
// at all: on failure nothing is left behind and an existing target (the source
// itself when both paths are the same) is untouched.
//
// Safe to call from several threads at once.
bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height);

// The same with the colour that transparency is flattened onto given as an
// RGB value, for callers that resolved the button-face colour once.
bool SaveScaledPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                       platform::ColourValue background);

// The same conversion, telling how it ended.
ConversionStatus ConvertPicture(const QString &sourcePath, const QString &targetPath, int width, int height,
                                platform::ColourValue background);

} // namespace imaging
