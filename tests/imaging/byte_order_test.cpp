// ByteReader: values in both byte orders, and nothing for any read that
// reaches past the end, however large its offset.
#include "imaging/byte_order.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

using imaging::ByteReader;

namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
constexpr std::array<std::uint8_t, 9> kBytes{0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0xF9};

// Every width of value at `offset`, each as present or not.
struct Reads {
    bool u8, le16, be16, le32, be32, le64, be64;
    bool operator==(const Reads &) const = default;
};

Reads readsAt(const ByteReader &r, std::uint64_t offset)
{
    return {r.u8(offset).has_value(),   r.le16(offset).has_value(), r.be16(offset).has_value(),
            r.le32(offset).has_value(), r.be32(offset).has_value(), r.le64(offset).has_value(),
            r.be64(offset).has_value()};
}

} // namespace

TEST(ByteReader, ReadsEveryWidthInBothByteOrders)
{
    const ByteReader r{std::span(kBytes)};
    EXPECT_EQ(r.u8(8), 0xF9u);
    EXPECT_EQ(r.le16(0), 0x0201u);
    EXPECT_EQ(r.be16(0), 0x0102u);
    EXPECT_EQ(r.le32(1), 0x05040302u);
    EXPECT_EQ(r.be32(1), 0x02030405u);
    EXPECT_EQ(r.le64(1), 0xF908070605040302u);
    EXPECT_EQ(r.be64(1), 0x02030405060708F9u);
    // The same bytes seen as chars, as the decoders hand them over.
    const char chars[] = {'\xFF', '\xFE'};
    EXPECT_EQ(ByteReader(chars, 2).le16(0), 0xFEFFu);
    const auto stretch = r.bytes<3>(6);
    ASSERT_TRUE(stretch);
    EXPECT_EQ((*stretch)[2], 0xF9);
    EXPECT_EQ(imaging::be16(stretch->first<2>()), 0x0708u);
}

TEST(ByteReader, AValueEndingAtTheEndIsReadAndOneByteFurtherIsNot)
{
    const ByteReader r{std::span(kBytes)};
    EXPECT_EQ(readsAt(r, 1), (Reads{true, true, true, true, true, true, true}));
    EXPECT_EQ(readsAt(r, 2), (Reads{true, true, true, true, true, false, false}));
    EXPECT_EQ(readsAt(r, 5), (Reads{true, true, true, true, true, false, false}));
    EXPECT_EQ(readsAt(r, 6), (Reads{true, true, true, false, false, false, false}));
    EXPECT_EQ(readsAt(r, 7), (Reads{true, true, true, false, false, false, false}));
    EXPECT_EQ(readsAt(r, 8), (Reads{true, false, false, false, false, false, false}));
    EXPECT_EQ(readsAt(r, 9), (Reads{}));
    EXPECT_EQ(readsAt(r, 10), (Reads{}));

    EXPECT_EQ(r.bytes(0, 9)->size(), 9u);
    EXPECT_EQ(r.bytes(4, 5)->size(), 5u);
    EXPECT_FALSE(r.bytes(4, 6));
    EXPECT_FALSE(r.bytes<2>(8));
    // Nothing at the very end is still inside; nothing beyond it is not.
    EXPECT_TRUE(r.bytes(9, 0) && r.bytes(9, 0)->empty());
    EXPECT_FALSE(r.bytes(10, 0));
}

TEST(ByteReader, OffsetsAndLengthsThatWouldWrapAroundReadNothing)
{
    const ByteReader r{std::span(kBytes)};
    // offset + length would wrap to a small number inside the bytes.
    for (std::uint64_t offset : {kMax, kMax - 1, kMax - 3, kMax - 7, std::uint64_t(1) << 63})
        EXPECT_EQ(readsAt(r, offset), (Reads{})) << offset;
    EXPECT_FALSE(r.bytes(kMax, 2));
    EXPECT_FALSE(r.bytes(2, kMax));
    EXPECT_FALSE(r.bytes(9, kMax));
    EXPECT_FALSE(r.bytes(kMax - 1, 3));
    EXPECT_FALSE(r.bytes<8>(kMax - 6));

    // The bounds themselves, at sizes no file has.
    EXPECT_TRUE(imaging::fitsInside(kMax, 0, kMax));
    EXPECT_TRUE(imaging::fitsInside(kMax - 1, 1, kMax));
    EXPECT_FALSE(imaging::fitsInside(kMax, 1, kMax));
    EXPECT_FALSE(imaging::fitsInside(1, kMax, kMax));
    EXPECT_TRUE(imaging::fitsInside(std::uint64_t(1) << 63, (std::uint64_t(1) << 63) - 1, kMax));
    EXPECT_FALSE(imaging::fitsInside(std::uint64_t(1) << 63, std::uint64_t(1) << 63, kMax));
}

TEST(ByteReader, NoBytesHoldNothingButAnEmptyStretch)
{
    for (const ByteReader &r : {ByteReader(), ByteReader(std::span<const std::uint8_t>()), ByteReader("", 0)}) {
        EXPECT_EQ(r.size(), 0u);
        EXPECT_EQ(readsAt(r, 0), (Reads{}));
        EXPECT_EQ(readsAt(r, kMax), (Reads{}));
        EXPECT_TRUE(r.holds(0, 0));
        EXPECT_FALSE(r.holds(0, 1));
        EXPECT_TRUE(r.bytes(0, 0) && r.bytes(0, 0)->empty());
        EXPECT_FALSE(r.bytes(1, 0));
        EXPECT_FALSE(r.bytes<1>(0));
    }
}
