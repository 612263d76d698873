// Unsigned integers stored least (le) or most (be) significant byte first, and
// the one reader of them for the whole program: ByteReader gives the value at
// an offset of a span of bytes, or nothing when any of its bytes lies outside.
// Code that reads many values from one stretch (a header, a row of pixels)
// asks the reader for the stretch once and decodes inside it with the
// fixed-size decoders, whose length is part of their type.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <type_traits>

namespace imaging {

template <std::size_t N> using FixedBytes = std::span<const std::uint8_t, N>;

inline std::uint32_t le16(FixedBytes<2> b) { return b[0] | std::uint32_t(b[1]) << 8; }
inline std::uint32_t be16(FixedBytes<2> b) { return std::uint32_t(b[0]) << 8 | b[1]; }
inline std::uint32_t le32(FixedBytes<4> b) { return le16(b.first<2>()) | le16(b.last<2>()) << 16; }
inline std::uint32_t be32(FixedBytes<4> b) { return be16(b.first<2>()) << 16 | be16(b.last<2>()); }
inline std::uint64_t le64(FixedBytes<8> b) { return le32(b.first<4>()) | std::uint64_t(le32(b.last<4>())) << 32; }
inline std::uint64_t be64(FixedBytes<8> b) { return std::uint64_t(be32(b.first<4>())) << 32 | be32(b.last<4>()); }

// True when `length` bytes from `offset` lie inside `size` bytes, for any
// values: offset + length is never computed, so nothing wraps.
constexpr bool fitsInside(std::uint64_t offset, std::uint64_t length, std::uint64_t size)
{
    return offset <= size && length <= size - offset;
}

class ByteReader {
public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) { }
    ByteReader(const char *data, std::size_t size) : m_bytes(reinterpret_cast<const std::uint8_t *>(data), size) { }

    std::uint64_t size() const { return m_bytes.size(); }
    bool holds(std::uint64_t offset, std::uint64_t length) const { return fitsInside(offset, length, size()); }

    // The `length` bytes from `offset` on; nothing when any lies outside.
    std::optional<std::span<const std::uint8_t>> bytes(std::uint64_t offset, std::uint64_t length) const
    {
        if (!holds(offset, length))
            return std::nullopt;
        return m_bytes.subspan(std::size_t(offset), std::size_t(length));
    }
    template <std::size_t N> std::optional<FixedBytes<N>> bytes(std::uint64_t offset) const
    {
        if (!holds(offset, N))
            return std::nullopt;
        return m_bytes.subspan(std::size_t(offset)).template first<N>();
    }

    std::optional<std::uint32_t> u8(std::uint64_t offset) const
    {
        return decoded<1>(offset, [](FixedBytes<1> b) { return std::uint32_t(b[0]); });
    }
    std::optional<std::uint32_t> le16(std::uint64_t offset) const
    {
        return decoded<2>(offset, [](FixedBytes<2> b) { return imaging::le16(b); });
    }
    std::optional<std::uint32_t> be16(std::uint64_t offset) const
    {
        return decoded<2>(offset, [](FixedBytes<2> b) { return imaging::be16(b); });
    }
    std::optional<std::uint32_t> le32(std::uint64_t offset) const
    {
        return decoded<4>(offset, [](FixedBytes<4> b) { return imaging::le32(b); });
    }
    std::optional<std::uint32_t> be32(std::uint64_t offset) const
    {
        return decoded<4>(offset, [](FixedBytes<4> b) { return imaging::be32(b); });
    }
    std::optional<std::uint64_t> le64(std::uint64_t offset) const
    {
        return decoded<8>(offset, [](FixedBytes<8> b) { return imaging::le64(b); });
    }
    std::optional<std::uint64_t> be64(std::uint64_t offset) const
    {
        return decoded<8>(offset, [](FixedBytes<8> b) { return imaging::be64(b); });
    }

private:
    template <std::size_t N, typename Decode>
    std::optional<std::invoke_result_t<Decode, FixedBytes<N>>> decoded(std::uint64_t offset, Decode decode) const
    {
        const auto b = bytes<N>(offset);
        if (!b)
            return std::nullopt;
        return decode(*b);
    }

    std::span<const std::uint8_t> m_bytes;
};

// True when the bytes at `offset` spell `text` (a signature, a chunk's or a
// box's type), all of them inside the reader.
inline bool hasText(const ByteReader &bytes, std::uint64_t offset, std::string_view text)
{
    const auto stretch = bytes.bytes(offset, text.size());
    return stretch && std::equal(text.begin(), text.end(), stretch->begin(), [](char c, std::uint8_t b) {
               return std::uint8_t(c) == b;
           });
}

} // namespace imaging
