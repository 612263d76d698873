#include "probe/byte_source.h"

#include <algorithm>
#include <array>
#include <limits>
#include <type_traits>

namespace imaging {

bool MemoryByteSource::read(std::uint64_t offset, std::span<std::uint8_t> out)
{
    const auto from = ByteReader(m_bytes).bytes(offset, out.size());
    if (!from)
        return false;
    std::copy(from->begin(), from->end(), out.begin());
    return true;
}

bool BlockedByteSource::read(std::uint64_t offset, std::span<std::uint8_t> out)
{
    if (out.size() > m_block.size())
        return m_source.read(offset, out);
    if (offset < m_blockStart || !fitsInside(offset - m_blockStart, out.size(), m_blockLength)) {
        if (!holds(*this, offset, out.size()))
            return false;
        const std::size_t length = std::size_t(std::min<std::uint64_t>(m_block.size(), size() - offset));
        if (!m_source.read(offset, std::span(m_block.data(), length))) {
            m_blockLength = 0;
            return false;
        }
        m_blockStart = offset;
        m_blockLength = length;
    }
    const auto from = ByteReader(std::span(m_block.data(), m_blockLength)).bytes(offset - m_blockStart, out.size());
    if (!from)
        return false;
    std::copy(from->begin(), from->end(), out.begin());
    return true;
}

WindowByteSource::WindowByteSource(ByteSource &base, std::uint64_t start, std::uint64_t length)
    : m_base(base), m_start(std::min(start, base.size())), m_length(std::min(length, base.size() - m_start))
{ }

bool WindowByteSource::read(std::uint64_t offset, std::span<std::uint8_t> out)
{
    return holds(*this, offset, out.size()) && m_base.read(m_start + offset, out);
}

bool holds(const ByteSource &bytes, std::uint64_t offset, std::uint64_t length)
{
    return fitsInside(offset, length, bytes.size());
}

bool readAt(ByteSource &bytes, std::uint64_t offset, std::span<std::uint8_t> out)
{
    return holds(bytes, offset, out.size()) && bytes.read(offset, out);
}

namespace {

// The value a reader gives over the `N` bytes at `offset`, once they are read.
template <std::size_t N, typename Decode>
std::invoke_result_t<Decode, const ByteReader &> readValue(ByteSource &bytes, std::uint64_t offset, Decode decode)
{
    std::array<std::uint8_t, N> buffer{};
    if (!readAt(bytes, offset, buffer))
        return std::nullopt;
    return decode(ByteReader(buffer));
}

} // namespace

std::optional<std::uint32_t> readByte(ByteSource &bytes, std::uint64_t offset)
{
    return readValue<1>(bytes, offset, [](const ByteReader &read) { return read.u8(0); });
}

std::optional<std::uint32_t> readLe16(ByteSource &bytes, std::uint64_t offset)
{
    return readValue<2>(bytes, offset, [](const ByteReader &read) { return read.le16(0); });
}

std::optional<std::uint32_t> readBe16(ByteSource &bytes, std::uint64_t offset)
{
    return readValue<2>(bytes, offset, [](const ByteReader &read) { return read.be16(0); });
}

std::optional<std::uint32_t> readLe32(ByteSource &bytes, std::uint64_t offset)
{
    return readValue<4>(bytes, offset, [](const ByteReader &read) { return read.le32(0); });
}

std::optional<std::uint32_t> readBe32(ByteSource &bytes, std::uint64_t offset)
{
    return readValue<4>(bytes, offset, [](const ByteReader &read) { return read.be32(0); });
}

std::int32_t dimension(std::optional<std::uint32_t> stored)
{
    if (!stored || *stored > std::uint32_t(std::numeric_limits<std::int32_t>::max()))
        return 0;
    return std::int32_t(*stored);
}

std::int32_t dimension(std::optional<std::int64_t> stored)
{
    if (!stored || *stored < 0 || *stored > std::numeric_limits<std::int32_t>::max())
        return 0;
    return std::int32_t(*stored);
}

} // namespace imaging
