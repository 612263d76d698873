#include "imaging/picture_formats.h"

#include <QCoreApplication>

#include <array>

namespace imaging {

namespace {

constexpr std::array<FileType, 14> kFileTypes{{
    {u"bmp", OutputFormat::Bmp, QT_TRANSLATE_NOOP("imaging", "BMP位图(*.bmp)")},
    {u"gif", OutputFormat::Gif, QT_TRANSLATE_NOOP("imaging", "gif图形交换格式(*.gif)")},
    {u"jpg", OutputFormat::Jpeg, QT_TRANSLATE_NOOP("imaging", "jpg压缩格式(*.jpg)")},
    {u"jpeg", OutputFormat::Jpeg, QT_TRANSLATE_NOOP("imaging", "jpeg压缩格式(*.jpeg)")},
    {u"png", OutputFormat::Png, QT_TRANSLATE_NOOP("imaging", "png图像(*.png)")},
    {u"tif", OutputFormat::Tiff, QT_TRANSLATE_NOOP("imaging", "tif图像(*.tif)")},
    {u"tiff", OutputFormat::Tiff, QT_TRANSLATE_NOOP("imaging", "tiff图像(*.tiff)")},
    {u"tga", OutputFormat::Tga, QT_TRANSLATE_NOOP("imaging", "tga图像(*.TGA)")},
    {u"webp", OutputFormat::WebP, QT_TRANSLATE_NOOP("imaging", "WebP图像(*.webp)")},
    {u"heic", OutputFormat::Heic, QT_TRANSLATE_NOOP("imaging", "HEIC图像(*.heic)")},
    {u"heif", OutputFormat::Heic, QT_TRANSLATE_NOOP("imaging", "HEIF图像(*.heif)")},
    {u"hif", OutputFormat::Heic, QT_TRANSLATE_NOOP("imaging", "HEIF图像(*.hif)")},
    {u"avif", OutputFormat::Avif, QT_TRANSLATE_NOOP("imaging", "AVIF图像(*.avif)")},
    {u"jxl", OutputFormat::JpegXl, QT_TRANSLATE_NOOP("imaging", "JPEG XL图像(*.jxl)")},
}};

// The text after the last "." of a name, or nothing without one.
std::optional<QStringView> extensionOf(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return std::nullopt;
    return QStringView(name).mid(dot + 1);
}

} // namespace

QString filterLabel(const FileType &type) { return QCoreApplication::translate("imaging", type.filterLabel); }

std::span<const FileType> fileTypes() { return kFileTypes; }

QString extensionList(QStringView separator)
{
    QStringList extensions;
    for (const FileType &type : kFileTypes)
        extensions << QString::fromUtf16(type.extension);
    return extensions.join(separator);
}

bool hasConvertibleExtension(const QString &name)
{
    const auto extension = extensionOf(name);
    if (!extension || extension->isEmpty())
        return false;
    for (const FileType &type : kFileTypes) {
        const QString lower = QString::fromUtf16(type.extension);
        if (*extension == lower || *extension == lower.toUpper())
            return true;
    }
    return false;
}

std::optional<OutputFormat> outputFormatForPath(const QString &targetPath)
{
    const auto extension = extensionOf(targetPath);
    if (!extension)
        return std::nullopt;
    for (const FileType &type : kFileTypes) {
        if (extension->compare(QStringView(type.extension), Qt::CaseInsensitive) == 0)
            return type.encoder;
    }
    return std::nullopt;
}

} // namespace imaging
