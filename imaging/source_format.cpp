#include "imaging/source_format.h"

#include "imaging/tga_file.h"

namespace imaging {

namespace {

bool startsWith(QByteArrayView head, QByteArrayView signature)
{
    return head.size() >= signature.size() && head.first(signature.size()) == signature;
}

} // namespace

SourceFormat sniffSource(QByteArrayView head, bool tgaName)
{
    if (startsWith(head, "\xFF\xD8\xFF"))
        return SourceFormat::Jpeg;
    if (startsWith(head, "\x89PNG\r\n\x1A\n"))
        return SourceFormat::Png;
    if (startsWith(head, "GIF87a") || startsWith(head, "GIF89a"))
        return SourceFormat::Gif;
    for (const char *tiff : {"II*\0", "MM\0*", "II+\0", "MM\0+"}) { // classic and BigTIFF
        if (startsWith(head, QByteArrayView(tiff, 4)))
            return SourceFormat::Tiff;
    }
    if (startsWith(head, "BM"))
        return SourceFormat::Bmp;
    // No real TGA starts with any of the signatures above (its second byte, the
    // colour map type, is 0 or 1), so content always wins over the name.
    if (tgaName && parseTgaHeader(head))
        return SourceFormat::Tga;
    return SourceFormat::Unknown;
}

} // namespace imaging
