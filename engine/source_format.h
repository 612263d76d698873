// What kind of picture a source file holds, told from its first bytes (and, for
// TGA, which has no signature, from its ".tga" name).
#pragma once

#include <QByteArrayView>

namespace imaging {

enum class SourceFormat { Unknown, Jpeg, Png, Gif, Tiff, Bmp, Tga, WebP, Heif, JpegXl };

// How many leading bytes `sniffSource` wants to see: enough for the
// signatures and for a TGA header.
inline constexpr qsizetype kSniffBytes = 32;

// `head` holds the first bytes of the file (fewer for a short file);
// `tgaName` says the file's name ends in ".tga". A box file is a HEIF or AVIF
// only when its `ftyp` box names one of their brands, which `head` may not
// reach: `wholeFile`, when given, is read for it.
SourceFormat sniffSource(QByteArrayView head, bool tgaName, QByteArrayView wholeFile = {});

// Whether the decoder applies the picture's own orientation while it decodes
// (HEIF and AVIF their rotation and mirror, JPEG XL its orientation field),
// so that its pixels come out as shown; for the others the program turns
// them by the EXIF orientation.
bool decoderTurnsUpright(SourceFormat format);

// Whether a picture in the format keeps every pixel as it was made: PNG, GIF,
// BMP, TGA and lossless WebP (its first image chunk is VP8L). A WebP output
// of such a picture is written losslessly too.
bool storesLosslessly(SourceFormat format, QByteArrayView wholeFile);

} // namespace imaging
