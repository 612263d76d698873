#include "engine/codecs/png_chunks.h"

#include "imaging/png_chunk_walk.h"

namespace imaging {

bool pngChunksAheadOfPixelsFit(QByteArrayView file)
{
    const ByteReader png(file.data(), std::size_t(file.size()));
    for (std::uint64_t at = kPngSignatureBytes;;) {
        const auto chunk = pngChunkHead(png, at);
        if (!chunk)
            return false;
        if (chunk->is("IDAT"))
            return true;
        if (!png.holds(at, chunk->end() - at))
            return false;
        at = chunk->end();
    }
}

} // namespace imaging
