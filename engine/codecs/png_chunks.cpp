#include "engine/codecs/png_chunks.h"

#include "imaging/byte_order.h"

namespace imaging {

bool pngChunksAheadOfPixelsFit(QByteArrayView file)
{
    constexpr std::uint64_t kSignatureBytes = 8;
    constexpr std::uint64_t kChunkFrame = 12; // length, type, CRC
    constexpr std::uint32_t kIdat = 0x49444154;
    const ByteReader png(file.data(), std::size_t(file.size()));
    std::uint64_t at = kSignatureBytes;
    for (;;) {
        const auto length = png.be32(at);
        const auto type = png.be32(at + 4);
        if (!length || !type)
            return false;
        if (*type == kIdat)
            return true;
        if (!png.holds(at, kChunkFrame + *length))
            return false;
        at += kChunkFrame + *length;
    }
}

} // namespace imaging
