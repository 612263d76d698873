#include "probe/output_check_formats.h"

#include "imaging/byte_order.h"
#include "imaging/png_chunk_walk.h"

#include <zlib.h>

#include <array>
#include <vector>

namespace imaging {

namespace {

// The zlib stream of the IDAT chunks: it inflates to exactly the rows of the
// picture, each after a filter byte of the five there are, and ends exactly
// where the last IDAT does. Inflated a piece at a time, never held whole.
QString pngPixelsDefect(const ByteReader &png, const std::vector<PngChunk> &idats, std::uint64_t rowBytes,
                        std::uint64_t rows)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        return QStringLiteral("the PNG's pixels could not be read");
    std::array<Bytef, 1 << 16> out;
    std::uint64_t inflated = 0;
    int status = Z_OK;
    bool filtersHold = true;
    for (std::size_t i = 0; i < idats.size() && status == Z_OK; ++i) {
        const auto data = png.bytes(idats[i].data(), idats[i].length).value_or(std::span<const std::uint8_t>());
        stream.next_in = const_cast<Bytef *>(data.data());
        stream.avail_in = uInt(data.size());
        while (status == Z_OK && (stream.avail_in > 0 || stream.avail_out == 0)) {
            stream.next_out = out.data();
            stream.avail_out = uInt(out.size());
            status = inflate(&stream, Z_NO_FLUSH);
            const std::uint64_t made = out.size() - stream.avail_out;
            // The filter bytes that fell into this piece.
            for (std::uint64_t row = (inflated + rowBytes - 1) / rowBytes * rowBytes; row < inflated + made;
                 row += rowBytes)
                filtersHold = filtersHold && out[std::size_t(row - inflated)] <= 4;
            inflated += made;
            if (status == Z_BUF_ERROR && stream.avail_in == 0)
                status = Z_OK; // wants the next IDAT
            if (inflated > rowBytes * rows)
                status = Z_DATA_ERROR;
        }
        // The stream ends in the last IDAT, at its last byte.
        if (status == Z_STREAM_END && (i + 1 != idats.size() || stream.avail_in != 0))
            status = Z_DATA_ERROR;
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END || inflated != rowBytes * rows || !filtersHold)
        return QStringLiteral("the PNG's pixels are not exactly its rows in one zlib stream");
    return QString();
}

// The channels of a PNG colour type the program writes: grey, RGB, each
// with alpha or not; 0 for the others.
std::uint64_t pngChannels(std::uint32_t colourType)
{
    switch (colourType) {
    case 0: return 1;
    case 4: return 2;
    case 2: return 3;
    case 6: return 4;
    default: return 0;
    }
}

} // namespace

// Chunks from the signature to IEND, which ends the file: the header, the
// pixels and their density, nothing that carries text, a profile or EXIF;
// every chunk's CRC holds, and the pixels are exactly the picture's.
QString pngDefect(const ByteReader &png, int width, int height)
{
    PngChunkWalk chunks(png);
    std::uint64_t channels = 0;
    std::vector<PngChunk> idats;
    for (bool first = true;; first = false) {
        const auto chunk = chunks.next();
        if (!chunk)
            return QStringLiteral("a PNG chunk runs past the end");
        if (first
            && (!chunk->is("IHDR") || chunk->length != 13 || png.u8(chunk->data() + 8) != 8u
                || !pngChannels(png.u8(chunk->data() + 9).value_or(1)) || png.u8(chunk->data() + 12) != 0u))
            return QStringLiteral("the PNG does not start with the header of an 8-bit RGB or grey picture");
        if (first)
            channels = pngChannels(png.u8(chunk->data() + 9).value_or(1));
        if (!pngChunkCrcHolds(png, *chunk))
            return QStringLiteral("a PNG chunk's CRC does not hold");
        if (chunk->is("IEND")) {
            if (chunk->end() != png.size() || idats.empty())
                return QStringLiteral("the PNG does not end at IEND");
            return pngPixelsDefect(png, idats, 1 + channels * std::uint64_t(width), std::uint64_t(height));
        }
        if (chunk->is("IDAT")) {
            // One run of IDAT chunks.
            if (!idats.empty() && idats.back().end() != chunk->at)
                return QStringLiteral("the PNG's pixels are not in one run of chunks");
            idats.push_back(*chunk);
        } else if (!first && !chunk->is("pHYs")) {
            return QStringLiteral("the PNG carries a chunk the program does not write");
        }
    }
}

} // namespace imaging
