#include "probe/png_header.h"

#include "imaging/png_chunk_walk.h"
#include "probe/tiff_directory.h"

#include <array>

namespace imaging {

namespace {

constexpr int kChunks = 64;

int exifOrientation(ByteSource &bytes)
{
    const SourceReader png(bytes);
    PngChunkWalk chunks(png);
    for (int i = 0; i < kChunks; ++i) {
        const auto chunk = chunks.next();
        if (!chunk || chunk->is("IDAT") || chunk->is("IEND"))
            return 1;
        if (chunk->is("eXIf")) {
            WindowByteSource block(bytes, chunk->data(), chunk->length);
            return embeddedTiffOrientation(block).value_or(1);
        }
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
