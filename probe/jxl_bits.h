// Bits as a JPEG XL codestream packs them, from the least significant bit of
// each byte on, and the field codings its headers are made of.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace imaging {

class JxlBitReader {
public:
    explicit JxlBitReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) { }

    // `count` bits (up to 32) as a number, the first read the lowest; nothing
    // past the end.
    std::optional<std::uint32_t> bits(int count)
    {
        if (m_position + std::uint64_t(count) > 8 * std::uint64_t(m_bytes.size()))
            return std::nullopt;
        std::uint32_t value = 0;
        for (int i = 0; i < count; ++i, ++m_position)
            value |= std::uint32_t(m_bytes[std::size_t(m_position / 8)] >> (m_position % 8) & 1) << i;
        return value;
    }

    // A U32 field: two bits choose one of four distributions, each a fixed
    // offset plus a number of bits (0 bits: the offset alone).
    struct Distribution {
        std::uint32_t offset;
        int bits;
    };
    std::optional<std::uint64_t> u32(const std::array<Distribution, 4> &distributions)
    {
        const auto selector = bits(2);
        if (!selector)
            return std::nullopt;
        const Distribution &d = distributions[*selector];
        const auto value = bits(d.bits);
        return value ? std::optional<std::uint64_t>(std::uint64_t(d.offset) + *value) : std::nullopt;
    }

    // A U64 field: 0, 1 to 16, 17 to 272, or 12 bits followed by groups of
    // 8 while a continuation bit says so (4 at the top).
    std::optional<std::uint64_t> u64()
    {
        const auto selector = bits(2);
        if (!selector)
            return std::nullopt;
        if (*selector < 3) {
            constexpr std::array<Distribution, 3> kShort{{{0, 0}, {1, 4}, {17, 8}}};
            const auto value = bits(kShort[*selector].bits);
            return value ? std::optional<std::uint64_t>(kShort[*selector].offset + *value) : std::nullopt;
        }
        auto value = bits(12);
        if (!value)
            return std::nullopt;
        std::uint64_t result = *value;
        for (int shift = 12;;) {
            const auto more = bits(1);
            if (!more)
                return std::nullopt;
            if (!*more)
                return result;
            const int width = shift == 60 ? 4 : 8;
            value = bits(width);
            if (!value)
                return std::nullopt;
            result |= std::uint64_t(*value) << shift;
            if (shift == 60)
                return result;
            shift += width;
        }
    }

    // Passes over `count` bits; false when fewer are left.
    bool skip(std::uint64_t count)
    {
        if (count > 8 * std::uint64_t(m_bytes.size()) - m_position)
            return false;
        m_position += count;
        return true;
    }
    // To the next byte boundary, over bits that must be zero.
    bool zeroPadToByte()
    {
        const int pad = int((8 - m_position % 8) % 8);
        const auto padding = bits(pad);
        return padding == 0u;
    }
    std::uint64_t position() const { return m_position; }

private:
    std::span<const std::uint8_t> m_bytes;
    std::uint64_t m_position = 0;
};

} // namespace imaging
