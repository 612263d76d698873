#include "imaging/source_format.h"

#include "imaging/signatures.h"
#include "imaging/tga_file.h"

namespace imaging {

SourceFormat sniffSource(QByteArrayView head, bool tgaName)
{
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(head.data());
    switch (decoderSignature(std::span(bytes, std::size_t(head.size())))) {
    case Signature::Jpeg: return SourceFormat::Jpeg;
    case Signature::Png: return SourceFormat::Png;
    case Signature::Gif: return SourceFormat::Gif;
    case Signature::Bmp: return SourceFormat::Bmp;
    case Signature::TiffLittleEndian:
    case Signature::TiffBigEndian:
    case Signature::BigTiffLittleEndian:
    case Signature::BigTiffBigEndian: return SourceFormat::Tiff;
    case Signature::Icon:
    case Signature::Photoshop:
    case Signature::None: break;
    }
    // No real TGA starts with any of the signatures above (its second byte, the
    // colour map type, is 0 or 1), so content always wins over the name.
    if (tgaName && parseTgaHeader(head))
        return SourceFormat::Tga;
    return SourceFormat::Unknown;
}

} // namespace imaging
