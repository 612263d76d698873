// The chunks of a PNG, one reading for the program's probe and output check
// and the worker's decoder: each a 32-bit length, a type, the data and a CRC
// over type and data. The walk reads only the chunks' heads; what a chunk
// holds, and whether its CRC is wanted, is its caller's business.
#pragma once

#include "imaging/byte_order.h"
#include "imaging/checksum.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace imaging {

constexpr std::uint64_t kPngSignatureBytes = 8;
// PNG limits a chunk's length to 31 bits.
constexpr std::uint32_t kLargestPngChunk = 0x7FFFFFFF;

struct PngChunk {
    std::uint64_t at = 0;     // where its length field starts
    std::uint32_t length = 0; // of its data
    std::uint32_t type = 0;   // the four letters, the first in the high byte

    std::uint64_t data() const { return at + 8; }
    std::uint64_t end() const { return at + 12 + std::uint64_t(length); }
    bool is(std::string_view name) const
    {
        return name.size() == 4
               && type == (std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16
                           | std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint8_t(name[3]));
    }
};

// The length and type at `at`, whether or not the rest of the chunk follows.
// `Reader` is a ByteReader or anything with its be32 and holds.
template <typename Reader> std::optional<PngChunk> pngChunkHead(const Reader &png, std::uint64_t at)
{
    const auto length = png.be32(at);
    const auto type = png.be32(at + 4);
    if (!length || !type)
        return std::nullopt;
    return PngChunk{at, *length, *type};
}

// The chunk at `at` when all of it, CRC included, lies inside the bytes and
// its length is one PNG allows.
template <typename Reader> std::optional<PngChunk> pngChunkAt(const Reader &png, std::uint64_t at)
{
    const auto chunk = pngChunkHead(png, at);
    if (!chunk || chunk->length > kLargestPngChunk || !png.holds(at, 12 + std::uint64_t(chunk->length)))
        return std::nullopt;
    return chunk;
}

// The chunks one after another from just after the signature: next() gives
// each whole chunk, nothing at the end of the bytes or at a chunk that does
// not fit (damaged() then tells). The walk goes on past IEND; its callers stop.
template <typename Reader> class PngChunkWalk {
public:
    explicit PngChunkWalk(const Reader &png, std::uint64_t from = kPngSignatureBytes) : m_png(png), m_at(from) { }

    std::optional<PngChunk> next()
    {
        if (m_stopped || m_at >= m_png.size()) {
            m_stopped = true;
            return std::nullopt;
        }
        const auto chunk = pngChunkAt(m_png, m_at);
        if (!chunk) {
            m_stopped = m_damaged = true;
            return std::nullopt;
        }
        m_at = chunk->end();
        return chunk;
    }
    bool damaged() const { return m_damaged; }

private:
    const Reader &m_png;
    std::uint64_t m_at;
    bool m_stopped = false;
    bool m_damaged = false;
};

// Whether the CRC the chunk carries is the one of its type and data.
inline bool pngChunkCrcHolds(const ByteReader &png, const PngChunk &chunk)
{
    const auto covered = png.bytes(chunk.at + 4, 4 + std::uint64_t(chunk.length));
    const auto stated = png.be32(chunk.end() - 4);
    return covered && stated && crc32(*covered) == *stated;
}

} // namespace imaging
