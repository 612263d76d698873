#include "engine/source_format.h"

#include "probe/byte_source.h"
#include "probe/heif_header.h"
#include "probe/iso_boxes.h"
#include "probe/signatures.h"
#include "engine/codecs/tga_file.h"

namespace imaging {

namespace {

std::span<const std::uint8_t> spanOf(QByteArrayView bytes)
{
    return std::span(reinterpret_cast<const std::uint8_t *>(bytes.data()), std::size_t(bytes.size()));
}

// Whether the first image chunk of a WebP is VP8L: the file's first chunk
// in a simple file; in an extended one the first VP8, VP8L or animation
// frame (whose chunks start 16 bytes into it) after VP8X.
bool webpIsLossless(QByteArrayView file)
{
    MemoryByteSource bytes(spanOf(file));
    std::uint64_t at = 12;
    for (int chunks = 0; chunks < 64; ++chunks) {
        const auto size = readLe32(bytes, at + 4);
        const auto type = readBe32(bytes, at);
        if (!type || !size)
            return false;
        if (*type == fourCc("VP8L"))
            return true;
        if (*type == fourCc("VP8 "))
            return false;
        // A frame of an animation holds the chunks of its picture.
        at = *type == fourCc("ANMF") ? at + 8 + 16 : at + 8 + *size + (*size & 1);
    }
    return false;
}

} // namespace

SourceFormat sniffSource(QByteArrayView head, bool tgaName, QByteArrayView wholeFile)
{
    const auto bytes = spanOf(head);
    switch (decoderSignature(bytes)) {
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
    switch (probeOnlySignature(bytes)) {
    case ProbeOnlySignature::WebP: return SourceFormat::WebP;
    case ProbeOnlySignature::JpegXlCodestream:
    case ProbeOnlySignature::JpegXlContainer: return SourceFormat::JpegXl;
    case ProbeOnlySignature::IsoBaseMedia: {
        MemoryByteSource file(spanOf(wholeFile.size() > head.size() ? wholeFile : head));
        if (hasHeifBrand(file))
            return SourceFormat::Heif;
        return SourceFormat::Unknown;
    }
    case ProbeOnlySignature::None: break;
    }
    // No real TGA starts with any of the signatures above (its second byte, the
    // colour map type, is 0 or 1), so content always wins over the name.
    if (tgaName && parseTgaHeader(head))
        return SourceFormat::Tga;
    return SourceFormat::Unknown;
}

bool decoderTurnsUpright(SourceFormat format) { return format == SourceFormat::Heif || format == SourceFormat::JpegXl; }

bool storesLosslessly(SourceFormat format, QByteArrayView wholeFile)
{
    switch (format) {
    case SourceFormat::Png:
    case SourceFormat::Gif:
    case SourceFormat::Bmp:
    case SourceFormat::Tga: return true;
    case SourceFormat::WebP: return webpIsLossless(wholeFile);
    case SourceFormat::Unknown:
    case SourceFormat::Jpeg:
    case SourceFormat::Tiff:
    case SourceFormat::Heif:
    case SourceFormat::JpegXl: return false;
    }
    return false;
}

} // namespace imaging
