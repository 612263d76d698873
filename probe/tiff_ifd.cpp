#include "probe/tiff_ifd.h"

#include <string_view>

namespace imaging {

std::uint64_t tiffTypeBytes(std::uint32_t type)
{
    switch (type) {
    case 1:  // BYTE
    case 2:  // ASCII
    case 6:  // SBYTE
    case 7:  // UNDEFINED
        return 1;
    case 3:  // SHORT
    case 8:  // SSHORT
        return 2;
    case 4:  // LONG
    case 9:  // SLONG
    case 11: // FLOAT
        return 4;
    case 5:  // RATIONAL
    case 10: // SRATIONAL
    case 12: // DOUBLE
        return 8;
    default: return 0;
    }
}

TiffStructure::TiffStructure(std::span<const std::uint8_t> bytes) : m_bytes(bytes)
{
    using namespace std::string_view_literals;
    if (hasText(m_bytes, 0, "II*\0"sv))
        m_valid = true;
    else if (hasText(m_bytes, 0, "MM\0*"sv))
        m_valid = m_bigEndian = true;
}

std::optional<TiffDirectory> TiffStructure::directory(std::uint64_t at, std::uint32_t mostEntries) const
{
    const auto count = u16(at);
    if (!count || *count > mostEntries)
        return std::nullopt;
    return TiffDirectory{at, *count};
}

std::optional<TiffEntry> TiffStructure::entry(const TiffDirectory &directory, std::uint32_t index) const
{
    const std::uint64_t at = directory.entryAt(index);
    if (index >= directory.count || !m_bytes.holds(at, 12))
        return std::nullopt;
    TiffEntry entry{at, *u16(at), *u16(at + 2), *u32(at + 4), 0, at + 8};
    entry.valueBytes = tiffTypeBytes(entry.type) * entry.count;
    if (entry.valueBytes > 4)
        entry.valueAt = *u32(at + 8);
    return entry;
}

std::optional<std::uint32_t> TiffStructure::integer(const TiffEntry &entry, std::uint32_t index) const
{
    if (entry.type == 3 || entry.type == 8)
        return u16(entry.valueAt + 2 * std::uint64_t(index));
    if (entry.type == 4 || entry.type == 9)
        return u32(entry.valueAt + 4 * std::uint64_t(index));
    return std::nullopt;
}

} // namespace imaging
