#include "probe/png_header.h"

#include "probe/iso_boxes.h"
#include "probe/tiff_directory.h"

#include <array>

namespace imaging {

namespace {

constexpr std::uint64_t kSignature = 8;
constexpr std::uint64_t kCrc = 4;
constexpr int kChunks = 64;
// PNG limits a chunk's length to 31 bits.
constexpr std::uint32_t kLargestChunk = 0x7FFFFFFF;

int exifOrientation(ByteSource &bytes)
{
    std::uint64_t at = kSignature;
    for (int i = 0; i < kChunks; ++i) {
        // Length, type, data, CRC.
        std::array<std::uint8_t, 8> header{};
        if (!readAt(bytes, at, header))
            return 1;
        const ByteReader read(header);
        const std::uint32_t length = *read.be32(0);
        const std::uint32_t type = *read.be32(4);
        const std::uint64_t contents = at + header.size();
        if (length > kLargestChunk || !holds(bytes, contents, std::uint64_t(length) + kCrc))
            return 1;
        if (type == fourCc("IDAT") || type == fourCc("IEND"))
            return 1;
        if (type == fourCc("eXIf")) {
            WindowByteSource block(bytes, contents, length);
            return embeddedTiffOrientation(block).value_or(1);
        }
        at = contents + length + kCrc;
    }
    return 1;
}

} // namespace

PictureHeader pngHeader(ByteSource &bytes)
{
    const PictureSize size{dimension(readBe32(bytes, 16)), dimension(readBe32(bytes, 20))};
    return {size, exifOrientation(bytes)};
}

} // namespace imaging
