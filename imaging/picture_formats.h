// The program's file types, described once: the extension of each, the
// encoder that writes it, and how the open-file dialog labels it. The batch's
// accepted spellings, the format list of the single panel, the dialog's
// filters and the choice of encoder all come from here.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <span>

namespace imaging {

enum class OutputFormat { Bmp, Gif, Jpeg, Png, Tiff, Tga, WebP, Heic, Avif, JpegXl };

// The quality of the lossy encoders, 1 to 100, or kOwnQuality: each format
// at its own setting, JPEG at the best quality (the window's) and the newer
// formats as measured in bench/README.md. tarvel-batch may ask for one
// quality for all of them.
inline constexpr int kOwnQuality = 0;
inline constexpr int kBestJpegQuality = 100;

struct FileType {
    const char16_t *extension; // lower case, without the dot: "jpeg"
    OutputFormat encoder;
    const char *filterLabel; // "jpeg压缩格式(*.jpeg)", before translation
};

// In the order the format list and the dialog show them: bmp, gif, jpg,
// jpeg, png, tif, tiff, tga, then webp, heic, heif, hif, avif, jxl.
std::span<const FileType> fileTypes();

// Every extension in the table's order, lower case, between `separator`s:
// "bmp,gif,jpg,...".
QString extensionList(QStringView separator);

// The open-file dialog's label of a type, in the language of the interface.
QString filterLabel(const FileType &type);

// Whether a file name (or path) has one of the spellings the batch
// converts: each extension all in lower or all in upper case. "Jpg" does not
// qualify; a name without "." never.
bool hasConvertibleExtension(const QString &name);

// The encoder of a target path: its extension (after the last ".") compared
// without regard to case with the whole of one of the extensions. A path without a
// dot, or with any other extension, has none.
std::optional<OutputFormat> outputFormatForPath(const QString &targetPath);

} // namespace imaging
