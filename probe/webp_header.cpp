#include "probe/webp_header.h"

#include "probe/iso_boxes.h"
#include "probe/tiff_directory.h"

#include <algorithm>
#include <array>

namespace imaging {

namespace {

constexpr std::uint64_t kRiffHeader = 12;
constexpr std::uint64_t kChunkHeader = 8;
constexpr int kChunks = 64;
constexpr std::uint32_t kExifFlag = 0x08;

struct Chunk {
    std::uint32_t type = 0; // four characters, the first in the high byte
    std::uint64_t contents = 0;
    std::uint64_t size = 0;
};

// The chunk whose header starts at `at`, when its header is in the file and
// it claims no byte past `end`, the end the RIFF header states: a file cut
// inside a chunk still has that chunk's first bytes.
std::optional<Chunk> chunkAt(ByteSource &bytes, std::uint64_t at, std::uint64_t end)
{
    std::array<std::uint8_t, kChunkHeader> header{};
    if (!fitsInside(at, kChunkHeader, end) || !readAt(bytes, at, header))
        return std::nullopt;
    const ByteReader read(header);
    const Chunk chunk{*read.be32(0), at + kChunkHeader, *read.le32(4)};
    if (!fitsInside(chunk.contents, chunk.size, end))
        return std::nullopt;
    return chunk;
}

// A lossy key frame: a 3-byte frame tag whose lowest bit is 0, the start
// code 9D 01 2A, then the width and height in the low 14 bits of 16.
PictureSize lossySize(ByteSource &bytes, const Chunk &chunk)
{
    std::array<std::uint8_t, 10> header{};
    if (chunk.size < header.size() || !readAt(bytes, chunk.contents, header))
        return {};
    const ByteReader read(header);
    if ((header[0] & 1) != 0 || header[3] != 0x9D || header[4] != 0x01 || header[5] != 0x2A)
        return {};
    return {std::int32_t(*read.le16(6) & 0x3FFF), std::int32_t(*read.le16(8) & 0x3FFF)};
}

// The 0x2F signature, then 14 bits of width less 1, 14 of height less 1, the
// alpha hint and a 3-bit version that is always 0.
PictureSize losslessSize(ByteSource &bytes, const Chunk &chunk)
{
    std::array<std::uint8_t, 5> header{};
    if (chunk.size < header.size() || !readAt(bytes, chunk.contents, header) || header[0] != 0x2F)
        return {};
    const std::uint32_t bits = *ByteReader(header).le32(1);
    if (bits >> 29 != 0)
        return {};
    return {std::int32_t((bits & 0x3FFF) + 1), std::int32_t((bits >> 14 & 0x3FFF) + 1)};
}

std::uint32_t le24(FixedBytes<3> b) { return b[0] | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16; }

// The orientation in an EXIF chunk: the TIFF structure, after "Exif\0\0" or not.
int exifChunkOrientation(ByteSource &bytes, const Chunk &chunk)
{
    std::array<std::uint8_t, 6> prefix{};
    const bool prefixed = chunk.size >= prefix.size() && readAt(bytes, chunk.contents, prefix)
                          && std::equal(prefix.begin(), prefix.end(), "Exif\0\0");
    const std::uint64_t skip = prefixed ? prefix.size() : 0;
    WindowByteSource block(bytes, chunk.contents + skip, chunk.size - skip);
    return embeddedTiffOrientation(block).value_or(1);
}

PictureHeader extendedHeader(ByteSource &bytes, const Chunk &vp8x, std::uint64_t end)
{
    // Flags, 3 reserved bytes, the canvas width and height less 1 in 24 bits.
    std::array<std::uint8_t, 10> header{};
    if (vp8x.size < header.size() || !readAt(bytes, vp8x.contents, header))
        return {};
    const std::span<const std::uint8_t, 10> fields(header);
    const PictureSize canvas{std::int32_t(le24(fields.subspan<4, 3>()) + 1),
                             std::int32_t(le24(fields.subspan<7, 3>()) + 1)};
    if (!(header[0] & kExifFlag))
        return {canvas, 1};
    // The chunks after VP8X, each padded to an even length.
    std::uint64_t at = vp8x.contents + vp8x.size + (vp8x.size & 1);
    for (int i = 1; i < kChunks; ++i) {
        const std::optional<Chunk> chunk = chunkAt(bytes, at, end);
        if (!chunk)
            break;
        if (chunk->type == fourCc("EXIF"))
            return {canvas, exifChunkOrientation(bytes, *chunk)};
        at = chunk->contents + chunk->size + (chunk->size & 1);
    }
    return {canvas, 1};
}

} // namespace

PictureHeader webpHeader(ByteSource &bytes)
{
    const std::optional<std::uint32_t> riffSize = readLe32(bytes, 4);
    // The RIFF size counts "WEBP" and the chunks; at least one chunk header.
    if (!riffSize || *riffSize < 4 + kChunkHeader)
        return {};
    const std::uint64_t end = kChunkHeader + std::uint64_t(*riffSize);
    const std::optional<Chunk> first = chunkAt(bytes, kRiffHeader, end);
    if (!first)
        return {};
    if (first->type == fourCc("VP8 "))
        return {lossySize(bytes, *first), 1};
    if (first->type == fourCc("VP8L"))
        return {losslessSize(bytes, *first), 1};
    if (first->type == fourCc("VP8X"))
        return extendedHeader(bytes, *first, end);
    return {};
}

} // namespace imaging
