#include "engine/codecs/jpeg_shrink.h"

#include "imaging/byte_order.h"

#include <algorithm>

namespace imaging {

namespace {

// Where a frame header's height field lies, and its coding process.
struct Frame {
    std::uint64_t sizeAt = 0; // height (2 bytes), then width (2 bytes)
    std::uint8_t code = 0;
};

constexpr std::uint8_t kStartOfScan = 0xDA;
constexpr std::uint8_t kEndOfImage = 0xD9;

// Markers that stand alone, without a length: TEM, RST0-7 and SOI.
bool standsAlone(std::uint8_t code) { return code == 0x01 || (code >= 0xD0 && code <= 0xD8); }

// The frame header, found by walking the segments from just after SOI.
std::optional<Frame> frameOf(const ByteReader &jpeg)
{
    std::uint64_t pos = 2;
    for (;;) {
        // Fill bytes (0xFF) may come before a marker code.
        while (jpeg.u8(pos) == 0xFFu && jpeg.u8(pos + 1) == 0xFFu)
            ++pos;
        const auto fill = jpeg.u8(pos);
        const auto code = jpeg.u8(pos + 1);
        if (fill != 0xFFu || !code || *code == kStartOfScan || *code == kEndOfImage)
            return std::nullopt;
        if (standsAlone(std::uint8_t(*code))) {
            pos += 2;
            continue;
        }
        const auto length = jpeg.be16(pos + 2);
        if (!length || *length < 2)
            return std::nullopt;
        if (*code >= 0xC0 && *code <= 0xCF && *code != 0xC4 && *code != 0xC8 && *code != 0xCC)
            return Frame{pos + 5, std::uint8_t(*code)};
        pos += 2 + *length;
    }
}

std::uint32_t ceilDiv(std::uint32_t a, std::uint32_t b) { return (a + b - 1) / b; }

// Blocks per row (or column) of each component and of the MCUs, for a frame
// whose size along one direction is `size` and whose sampling factors along it
// are `factors`: what the entropy-coded data are laid out by.
bool sameBlocks(std::uint32_t size, std::uint32_t larger, const std::uint8_t *factors, int count)
{
    const std::uint32_t most = *std::max_element(factors, factors + count);
    if (ceilDiv(size, 8 * most) != ceilDiv(larger, 8 * most))
        return false;
    for (int i = 0; i < count; ++i) {
        if (ceilDiv(ceilDiv(size * factors[i], most), 8) != ceilDiv(ceilDiv(larger * factors[i], most), 8))
            return false;
    }
    return true;
}

} // namespace

int jpegShrinkFactor(int sourceWidth, int sourceHeight, int width, int height)
{
    int shrink = 1;
    for (int n : {2, 4, 8}) {
        if (double(sourceWidth) / n >= 2.0 * std::max(width, 1)
            && double(sourceHeight) / n >= 2.0 * std::max(height, 1))
            shrink = n;
    }
    return shrink;
}

std::optional<JpegSizePatch> wholeBlockSize(QByteArrayView jpeg, int shrink)
{
    const ByteReader bytes(jpeg.data(), std::size_t(jpeg.size()));
    const std::optional<Frame> frame = frameOf(bytes);
    // Baseline, extended and progressive DCT, Huffman or arithmetic coded:
    // the processes libjpeg decodes at a reduced scale.
    constexpr std::uint8_t kScaled[] = {0xC0, 0xC1, 0xC2, 0xC9, 0xCA};
    if (!frame || std::find(std::begin(kScaled), std::end(kScaled), frame->code) == std::end(kScaled))
        return std::nullopt;
    // Height, width, the number of components, then three bytes each: the
    // identifier, the horizontal and vertical sampling factors, the table.
    const auto height = bytes.be16(frame->sizeAt);
    const auto width = bytes.be16(frame->sizeAt + 2);
    const auto count = bytes.u8(frame->sizeAt + 4);
    if (!height || !width || !count || *height == 0 || *width == 0 || *count == 0 || *count > 4)
        return std::nullopt;
    const auto components = bytes.bytes(frame->sizeAt + 5, 3 * std::uint64_t(*count));
    if (!components)
        return std::nullopt;
    std::uint8_t across[4], down[4];
    for (std::uint32_t i = 0; i < *count; ++i) {
        across[i] = (*components)[3 * i + 1] >> 4;
        down[i] = (*components)[3 * i + 1] & 15;
        if (across[i] == 0 || down[i] == 0)
            return std::nullopt;
    }
    const std::uint32_t n = std::uint32_t(std::max(shrink, 1));
    const std::uint32_t largerWidth = ceilDiv(*width, n) * n;
    const std::uint32_t largerHeight = ceilDiv(*height, n) * n;
    if (largerWidth > 0xFFFF || largerHeight > 0xFFFF || !sameBlocks(*width, largerWidth, across, int(*count))
        || !sameBlocks(*height, largerHeight, down, int(*count)))
        return std::nullopt;
    return JpegSizePatch{
        qsizetype(frame->sizeAt),
        {char(largerHeight >> 8), char(largerHeight & 0xFF), char(largerWidth >> 8), char(largerWidth & 0xFF)}};
}

} // namespace imaging
