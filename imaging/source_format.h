// What kind of picture a source file holds, told from its first bytes (and, for
// TGA, which has no signature, from its ".tga" name).
#pragma once

#include <QByteArrayView>

namespace imaging {

enum class SourceFormat { Unknown, Jpeg, Png, Gif, Tiff, Bmp, Tga };

// How many leading bytes `sniffSource` wants to see: enough for the
// signatures and for a TGA header.
inline constexpr qsizetype kSniffBytes = 32;

// `head` holds the first bytes of the file (fewer for a short file);
// `tgaName` says the file's name ends in ".tga".
SourceFormat sniffSource(QByteArrayView head, bool tgaName);

} // namespace imaging
