#include "probe/iso_boxes.h"

#include <algorithm>
#include <array>

namespace imaging {

namespace {

// Four printable ASCII characters, as every box type is.
bool isFourCc(std::uint32_t type)
{
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t c = type >> shift & 0xFF;
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

} // namespace

std::optional<IsoBox> IsoBoxWalk::next()
{
    if (m_damaged || m_left <= 0 || m_next >= m_end)
        return std::nullopt;
    --m_left;
    // The 8-byte header and, when the short size is 1, the 64-bit size.
    std::array<std::uint8_t, 16> header{};
    const std::uint64_t room = std::min<std::uint64_t>(header.size(), m_end - m_next);
    if (room < 8 || !readAt(m_bytes, m_next, std::span(header.data(), std::size_t(room)))) {
        m_damaged = true;
        return std::nullopt;
    }
    const ByteReader head(std::span(header.data(), std::size_t(room)));
    const std::uint32_t shortSize = *head.be32(0);
    IsoBox box;
    box.type = *head.be32(4);
    std::uint64_t size = shortSize;
    std::uint64_t headerBytes = 8;
    if (shortSize == 0) {
        size = m_end - m_next;
    } else if (shortSize == 1) {
        const std::optional<std::uint64_t> large = head.be64(8);
        if (!large) {
            m_damaged = true;
            return std::nullopt;
        }
        size = *large;
        headerBytes = 16;
        // libjxl's own writer and reader once put the 64-bit size before the
        // type, and files of that order are about (libjxl's test data among
        // them); read that way only where the standard order cannot be right.
        const std::optional<std::uint64_t> sizeFirst = head.be64(4);
        const std::optional<std::uint32_t> typeAfter = head.be32(12);
        if ((!isFourCc(box.type) || !fitsInside(m_next, size, m_end)) && sizeFirst && typeAfter
            && isFourCc(*typeAfter) && *sizeFirst >= headerBytes && fitsInside(m_next, *sizeFirst, m_end)) {
            size = *sizeFirst;
            box.type = *typeAfter;
        }
    }
    if (size < headerBytes || !fitsInside(m_next, size, m_end)) {
        m_damaged = true;
        return std::nullopt;
    }
    box.contents = m_next + headerBytes;
    box.end = m_next + size;
    m_next = box.end;
    return box;
}

std::optional<IsoBox> IsoBoxWalk::find(std::uint32_t type)
{
    while (const std::optional<IsoBox> box = next()) {
        if (box->type == type)
            return box;
    }
    return std::nullopt;
}

std::optional<FullBoxHead> readFullBoxHead(ByteSource &bytes, const IsoBox &box)
{
    if (box.size() < 4)
        return std::nullopt;
    const std::optional<std::uint32_t> word = readBe32(bytes, box.contents);
    if (!word)
        return std::nullopt;
    return FullBoxHead{*word >> 24, *word & 0xFFFFFF};
}

} // namespace imaging
