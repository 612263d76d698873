// What kind of picture a source file holds, told from its first bytes (and, for
// TGA, which has no signature, from its ".tga" name), with the size that BMP and
// TGA headers declare so that absurd sizes are refused before decoding.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstdint>

namespace imaging {

enum class SourceFormat { Unknown, Jpeg, Png, Gif, Tiff, Bmp, Tga };

struct SourceKind {
    SourceFormat format = SourceFormat::Unknown;
    // Width and height from the header for BMP and TGA; 0 when not read here.
    std::int64_t declaredWidth = 0;
    std::int64_t declaredHeight = 0;
};

// How many leading bytes `sniffSource` wants to see.
inline constexpr qsizetype kSniffBytes = 32;

// `head` holds the first bytes of the file (fewer for a short file).
SourceKind sniffSource(QByteArrayView head, const QString &path);

} // namespace imaging
