#include "imaging/source_format.h"

#include "imaging/tga_file.h"

#include <cstdlib>

namespace imaging {

namespace {

bool startsWith(QByteArrayView head, QByteArrayView signature)
{
    return head.size() >= signature.size() && head.first(signature.size()) == signature;
}

std::uint32_t le32At(QByteArrayView bytes, qsizetype offset)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(bytes[offset + i]);
    return v;
}

std::uint32_t le16At(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<unsigned char>(bytes[offset])
        | std::uint32_t(static_cast<unsigned char>(bytes[offset + 1])) << 8;
}

SourceKind bmpKind(QByteArrayView head)
{
    SourceKind kind{SourceFormat::Bmp};
    if (head.size() < 26)
        return kind;
    const std::uint32_t infoSize = le32At(head, 14);
    if (infoSize == 12) {
        kind.declaredWidth = le16At(head, 18);
        kind.declaredHeight = le16At(head, 20);
    } else {
        kind.declaredWidth = std::llabs(std::int64_t(std::int32_t(le32At(head, 18))));
        kind.declaredHeight = std::llabs(std::int64_t(std::int32_t(le32At(head, 22))));
    }
    return kind;
}

} // namespace

SourceKind sniffSource(QByteArrayView head, const QString &path)
{
    if (startsWith(head, "\xFF\xD8\xFF"))
        return {SourceFormat::Jpeg};
    if (startsWith(head, "\x89PNG\r\n\x1A\n"))
        return {SourceFormat::Png};
    if (startsWith(head, "GIF87a") || startsWith(head, "GIF89a"))
        return {SourceFormat::Gif};
    for (const char *tiff : {"II*\0", "MM\0*", "II+\0", "MM\0+"}) { // classic and BigTIFF
        if (startsWith(head, QByteArrayView(tiff, 4)))
            return {SourceFormat::Tiff};
    }
    if (startsWith(head, "BM"))
        return bmpKind(head);
    // No real TGA starts with any of the signatures above (its second byte, the
    // colour map type, is 0 or 1), so content always wins over the name.
    if (path.endsWith(u".tga", Qt::CaseInsensitive)) {
        if (const auto header = parseTgaHeader(head))
            return {SourceFormat::Tga, header->width, header->height};
    }
    return {};
}

} // namespace imaging
