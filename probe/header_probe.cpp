#include "probe/header_probe.h"

#include "probe/heif_header.h"
#include "probe/jpeg_frame.h"
#include "probe/jxl_header.h"
#include "probe/png_header.h"
#include "probe/signatures.h"
#include "probe/tiff_directory.h"
#include "probe/webp_header.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace imaging {

namespace {

// Colour-mapped, true-colour and grey pictures, raw or run-length encoded.
bool isTgaImageType(std::uint8_t type) { return (type >= 1 && type <= 3) || (type >= 9 && type <= 11); }

// An icon directory stores 256 as 0 in its one-byte width and height.
std::int32_t iconSide(std::optional<std::uint32_t> stored)
{
    if (!stored)
        return 0;
    return *stored == 0 ? 256 : std::int32_t(*stored);
}

PictureSize bmpSize(ByteSource &bytes)
{
    // The old OS/2 header (12 bytes) keeps 16-bit unsigned sides; every later
    // one keeps signed 32-bit sides, a negative height marking rows stored top
    // to bottom.
    if (readLe32(bytes, 14) == 12u)
        return {dimension(readLe16(bytes, 18)), dimension(readLe16(bytes, 20))};
    const auto width = readLe32(bytes, 18);
    const auto height = readLe32(bytes, 22);
    PictureSize size;
    if (width && std::int32_t(*width) > 0)
        size.Width = std::int32_t(*width);
    if (height && std::int32_t(*height) != std::numeric_limits<std::int32_t>::min())
        size.Height = std::abs(std::int32_t(*height));
    return size;
}

} // namespace

PictureHeader probePictureHeader(ByteSource &bytes, bool tgaName)
{
    std::array<std::uint8_t, kProbeOnlySignatureBytes> buffer{};
    const std::span head(buffer.data(), std::size_t(std::min<std::uint64_t>(buffer.size(), bytes.size())));
    if (head.size() < 4 || !readAt(bytes, 0, head))
        return {};
    auto stored = [](PictureSize size) { return PictureHeader{size, 1}; };

    // Content first, as the decoder sniffs it: a bitmap or a PNG named .tga
    // is what its signature says; the name decides only for the rest.
    switch (probeSignature(head)) {
    case Signature::Png: return pngHeader(bytes);
    case Signature::Icon: return stored({iconSide(readByte(bytes, 6)), iconSide(readByte(bytes, 7))});
    case Signature::Gif: return stored({dimension(readLe16(bytes, 6)), dimension(readLe16(bytes, 8))});
    case Signature::Jpeg: return jpegFrameHeader(bytes);
    case Signature::Bmp: return stored(bmpSize(bytes));
    case Signature::Photoshop: return stored({dimension(readBe32(bytes, 18)), dimension(readBe32(bytes, 14))});
    case Signature::TiffBigEndian: return tiffDirectoryHeader(bytes, ByteOrder::BigEndian, TiffVariant::Classic);
    case Signature::TiffLittleEndian: return tiffDirectoryHeader(bytes, ByteOrder::LittleEndian, TiffVariant::Classic);
    case Signature::BigTiffBigEndian: return tiffDirectoryHeader(bytes, ByteOrder::BigEndian, TiffVariant::Big);
    case Signature::BigTiffLittleEndian: return tiffDirectoryHeader(bytes, ByteOrder::LittleEndian, TiffVariant::Big);
    case Signature::None: break;
    }
    switch (probeOnlySignature(head)) {
    case ProbeOnlySignature::WebP: return webpHeader(bytes);
    case ProbeOnlySignature::IsoBaseMedia: return heifHeader(bytes);
    case ProbeOnlySignature::JpegXlCodestream:
    case ProbeOnlySignature::JpegXlContainer: return jpegXlHeader(bytes);
    case ProbeOnlySignature::None: break;
    }
    if (tgaName && isTgaImageType(head[2]))
        return stored({dimension(readLe16(bytes, 12)), dimension(readLe16(bytes, 14))});
    return {};
}

PictureSize probePictureSize(ByteSource &bytes, bool tgaName) { return probePictureHeader(bytes, tgaName).shown(); }

} // namespace imaging
