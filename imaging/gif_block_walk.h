// The blocks of a GIF, one reading for the program's output check and
// metadata code and the worker's decoder: after the header and the logical
// screen (with its colour table), extensions and images, each ending in data
// sub-blocks (a length byte and that many bytes; length 0 ends them), and
// the trailer.
#pragma once

#include "imaging/byte_order.h"

#include <cstdint>
#include <optional>

namespace imaging {

constexpr std::uint64_t kGifScreenEnd = 13; // "GIF89a" and the logical screen descriptor
constexpr std::uint32_t kGifExtension = 0x21;
constexpr std::uint32_t kGifImage = 0x2C;
constexpr std::uint32_t kGifTrailer = 0x3B;
constexpr std::uint32_t kGifGraphicControl = 0xF9;

// A colour table follows a descriptor whose flags have bit 7 set: 3 * 2^(n + 1) bytes.
constexpr std::uint64_t gifColourTableBytes(std::uint32_t flags)
{
    return flags & 0x80 ? 3 * (std::uint64_t(2) << (flags & 7)) : 0;
}

// Past the data sub-blocks that start at `at`; nothing when the bytes end first.
inline std::optional<std::uint64_t> afterGifSubBlocks(const ByteReader &gif, std::uint64_t at)
{
    while (const auto length = gif.u8(at)) {
        at += 1 + *length;
        if (*length == 0)
            return at;
    }
    return std::nullopt;
}

struct GifBlock {
    std::uint64_t at = 0;       // its introducer
    std::uint32_t introducer = 0; // kGifExtension, kGifImage or kGifTrailer
    // One past its last byte; nothing when its sub-blocks run past the end
    // of the bytes (the walk then ends, damaged).
    std::optional<std::uint64_t> end;
};

// The blocks from the first after the logical screen: next() gives each
// extension and image, then the trailer, then nothing. A block whose head is
// there but whose sub-blocks run past the end is given without its end, and
// the walk stops there, damaged; so it does at a byte that starts no block.
class GifBlockWalk {
public:
    explicit GifBlockWalk(const ByteReader &gif) : m_gif(gif)
    {
        const auto screenFlags = gif.u8(10);
        if (screenFlags && gif.holds(0, kGifScreenEnd))
            m_at = kGifScreenEnd + gifColourTableBytes(*screenFlags);
        else
            m_damaged = true;
    }

    std::optional<GifBlock> next()
    {
        if (m_damaged || m_ended)
            return std::nullopt;
        const auto introducer = m_gif.u8(m_at);
        std::optional<std::uint64_t> end;
        bool known = true;
        if (introducer == kGifTrailer) {
            m_ended = true;
            end = m_at + 1;
        } else if (introducer == kGifExtension && m_gif.holds(m_at, 3)) {
            // The introducer, the label, then the sub-blocks.
            end = afterGifSubBlocks(m_gif, m_at + 2);
        } else if (introducer == kGifImage && m_gif.holds(m_at, 11)) {
            // The descriptor, a local colour table and the LZW code size.
            end = afterGifSubBlocks(m_gif, m_at + 10 + gifColourTableBytes(*m_gif.u8(m_at + 9)) + 1);
        } else {
            known = false;
        }
        if (!known) {
            m_damaged = true;
            return std::nullopt;
        }
        const GifBlock block{m_at, *introducer, end};
        if (end)
            m_at = *end;
        else
            m_damaged = true;
        return block;
    }
    bool damaged() const { return m_damaged; }

private:
    const ByteReader &m_gif;
    std::uint64_t m_at = 0;
    bool m_damaged = false;
    bool m_ended = false;
};

} // namespace imaging
