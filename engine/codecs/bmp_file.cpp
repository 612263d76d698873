#include "engine/codecs/bmp_file.h"

#include "imaging/byte_order.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace imaging {

namespace {

constexpr std::size_t kFileHeaderSize = 14;

// One channel of a bit-field mask, scaled to 8 bits.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t max = 0;

    explicit Channel(std::uint32_t m) : mask(m)
    {
        if (mask) {
            shift = std::countr_zero(mask);
            max = mask >> shift;
        }
    }
    unsigned char operator()(std::uint32_t value) const
    {
        if (!max)
            return 0;
        const std::uint32_t v = (value & mask) >> shift;
        return static_cast<unsigned char>((std::uint64_t(v) * 255 + max / 2) / max);
    }
};

// The masks of a 16- or 32-bit picture, its own with BI_BITFIELDS (6: with
// alpha) else the defaults; false for a coding or bit count not decoded here.
bool readMasks(const ByteReader &bytes, BmpHeader &h, std::uint32_t compression, std::uint32_t infoSize)
{
    const bool bitFields = compression == 3 || compression == 6;
    if (compression != 0 && !bitFields)
        return false; // run-length, JPEG or PNG inside: ImageMagick's job
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
        if (bitFields)
            return false;
        break;
    case 16: h.masks = {0x7C00, 0x03E0, 0x001F, 0}; break;
    case 32: h.masks = {0x00FF0000, 0x0000FF00, 0x000000FF, 0}; break;
    default: return false;
    }
    if (bitFields) {
        // The masks follow a 40-byte header, or sit inside a longer one.
        const int maskCount = compression == 6 || infoSize >= 56 ? 4 : 3;
        for (int i = 0; i < maskCount; ++i) {
            const auto mask = bytes.le32(kFileHeaderSize + 40 + 4 * std::uint64_t(i));
            if (!mask)
                return false;
            h.masks[size_t(i)] = *mask;
        }
        if (!h.masks[0] && !h.masks[1] && !h.masks[2])
            return false;
    }
    return true;
}

// The row stride, and for a picture of at most 8 bits where its palette is
// and how many entries it has: those stated, at most as many as its bits
// index and as fit before the pixels. False when none does.
bool placePalette(BmpHeader &h, std::uint32_t infoSize, std::uint32_t coloursUsed)
{
    h.stride = (std::int64_t(h.width) * h.bitCount + 31) / 32 * 4;
    if (h.bitCount > 8)
        return true;
    h.paletteOffset = kFileHeaderSize + infoSize;
    const std::int64_t room = (h.pixelOffset - h.paletteOffset) / h.paletteEntrySize;
    std::int64_t entries = coloursUsed ? std::int64_t(coloursUsed) : std::int64_t(1) << h.bitCount;
    entries = std::min<std::int64_t>({entries, room, std::int64_t(1) << h.bitCount});
    h.paletteEntries = int(entries);
    return entries > 0;
}

// A row of 1, 4 or 8-bit palette indices as RGB.
void paletteRow(const BmpHeader &h, std::span<const std::uint8_t> palette, std::span<const std::uint8_t> src,
                unsigned char *dst)
{
    const int bits = h.bitCount;
    const int perByte = 8 / bits;
    const int mask = (1 << bits) - 1;
    for (int x = 0; x < h.width; ++x, dst += 3) {
        const int shift = 8 - bits * (x % perByte + 1);
        const int index = (src[std::size_t(x / perByte)] >> shift) & mask;
        // An index past a short palette shows black, as Windows draws it.
        if (index >= h.paletteEntries) {
            dst[0] = dst[1] = dst[2] = 0;
            continue;
        }
        const auto entry = palette.subspan(std::size_t(index) * std::size_t(h.paletteEntrySize), 3);
        dst[0] = entry[2];
        dst[1] = entry[1];
        dst[2] = entry[0];
    }
}

} // namespace

std::optional<BmpHeader> parseBmpHeader(QByteArrayView file)
{
    const ByteReader bytes(file.data(), std::size_t(file.size()));
    // The file header, then the info header's size and the fields of the
    // smallest one, the old 12-byte header.
    const auto start = bytes.bytes<kFileHeaderSize + 12>(0);
    if (!start || (*start)[0] != 'B' || (*start)[1] != 'M')
        return std::nullopt;
    const std::uint32_t infoSize = le32(start->subspan<14, 4>());
    if (infoSize < 12 || !bytes.holds(kFileHeaderSize, infoSize))
        return std::nullopt;

    BmpHeader h;
    h.pixelOffset = le32(start->subspan<10, 4>());
    std::int64_t height = 0;
    std::uint32_t compression = 0;
    std::uint32_t coloursUsed = 0;
    if (infoSize == 12) {
        const auto core = start->subspan<kFileHeaderSize, 12>();
        h.width = int(le16(core.subspan<4, 2>()));
        height = le16(core.subspan<6, 2>());
        h.bitCount = int(le16(core.subspan<10, 2>()));
        h.paletteEntrySize = 3;
    } else {
        const auto info = bytes.bytes<40>(kFileHeaderSize);
        if (infoSize < 40 || !info)
            return std::nullopt;
        h.width = int(std::int32_t(le32(info->subspan<4, 4>())));
        height = std::int32_t(le32(info->subspan<8, 4>()));
        h.bitCount = int(le16(info->subspan<14, 2>()));
        compression = le32(info->subspan<16, 4>());
        coloursUsed = le32(info->subspan<32, 4>());
    }
    if (height < 0) {
        h.topDown = true;
        height = -height;
    }
    if (h.width <= 0 || height <= 0 || height > std::numeric_limits<int>::max())
        return std::nullopt;
    h.height = int(height);

    if (!readMasks(bytes, h, compression, infoSize) || !placePalette(h, infoSize, coloursUsed))
        return std::nullopt;
    return h;
}

bool bmpHoldsPixels(QByteArrayView file, const BmpHeader &h)
{
    if (h.pixelOffset < 0 || h.stride < 0 || h.width < 1 || h.height < 1)
        return false;
    const std::uint64_t rowBytes = (std::uint64_t(h.width) * std::uint64_t(h.bitCount) + 7) / 8;
    std::uint64_t lastRow;
    if (__builtin_mul_overflow(std::uint64_t(h.stride), std::uint64_t(h.height - 1), &lastRow)
        || __builtin_add_overflow(lastRow, std::uint64_t(h.pixelOffset), &lastRow))
        return false;
    return fitsInside(lastRow, rowBytes, std::uint64_t(file.size()));
}

bool decodeBmp(QByteArrayView file, const BmpHeader &h, unsigned char *out)
{
    const ByteReader bytes(file.data(), std::size_t(file.size()));
    // The palette of 1, 4 and 8 bits, checked whole here.
    std::span<const std::uint8_t> palette;
    if (h.bitCount <= 8) {
        const auto stored = bytes.bytes(std::uint64_t(h.paletteOffset),
                                        std::uint64_t(h.paletteEntries) * std::uint64_t(h.paletteEntrySize));
        if (h.paletteOffset < 0 || !stored)
            return false;
        palette = *stored;
    }
    // Each row's pixels are checked to lie in the file before they are read.
    // Every row but the last is then whole, as the next row starts after its
    // padding; the last needs its pixels only.
    const std::uint64_t rowBytes = (std::uint64_t(h.width) * std::uint64_t(h.bitCount) + 7) / 8;
    if (h.pixelOffset < 0 || h.stride < 0)
        return false;

    const int bands = h.bands();
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]), alpha(h.masks[3]);
    bool anyAlpha = false;
    for (int row = 0; row < h.height; ++row) {
        const auto stored
            = bytes.bytes(std::uint64_t(h.pixelOffset) + std::uint64_t(row) * std::uint64_t(h.stride), rowBytes);
        if (!stored)
            return false;
        const std::span<const std::uint8_t> src = *stored;
        const int y = h.topDown ? row : h.height - 1 - row;
        unsigned char *dst = out + std::int64_t(y) * h.width * bands;
        switch (h.bitCount) {
        case 24:
            for (std::size_t x = 0; x < rowBytes; x += 3, dst += 3) {
                dst[0] = src[x + 2];
                dst[1] = src[x + 1];
                dst[2] = src[x];
            }
            break;
        case 16:
        case 32: {
            const std::size_t step = std::size_t(h.bitCount / 8);
            for (std::size_t x = 0; x < rowBytes; x += step, dst += bands) {
                const auto stored = src.subspan(x);
                const std::uint32_t v = step == 2 ? le16(stored.first<2>()) : le32(stored.first<4>());
                dst[0] = red(v);
                dst[1] = green(v);
                dst[2] = blue(v);
                if (bands == 4) {
                    dst[3] = alpha(v);
                    anyAlpha |= dst[3] != 0;
                }
            }
            break;
        }
        default: paletteRow(h, palette, src, dst); break;
        }
    }
    if (bands == 4 && !anyAlpha) {
        const std::int64_t pixels = std::int64_t(h.width) * h.height;
        for (std::int64_t i = 0; i < pixels; ++i)
            out[i * 4 + 3] = 255;
    }
    return true;
}

QByteArray encodeBmp24(const unsigned char *rgb, int width, int height)
{
    const qsizetype rowBytes = qsizetype(width) * 3;
    const qsizetype stride = (rowBytes + 3) / 4 * 4;
    const qsizetype pixelBytes = stride * height;
    constexpr qsizetype kHeaders = 14 + 40;
    QByteArray out(kHeaders + pixelBytes, '\0');
    auto *p = reinterpret_cast<unsigned char *>(out.data());
    auto le16 = [&](qsizetype at, std::uint32_t value) {
        p[at] = std::uint8_t(value);
        p[at + 1] = std::uint8_t(value >> 8);
    };
    auto le32 = [&](qsizetype at, std::uint32_t value) {
        le16(at, value & 0xFFFF);
        le16(at + 2, value >> 16);
    };
    p[0] = 'B';
    p[1] = 'M';
    le32(2, std::uint32_t(kHeaders + pixelBytes));
    le32(10, kHeaders);
    le32(14, 40);
    le32(18, std::uint32_t(width));
    le32(22, std::uint32_t(height)); // positive: bottom-up
    le16(26, 1);                     // planes
    le16(28, 24);                    // bits per pixel
    le32(34, std::uint32_t(pixelBytes));
    unsigned char *dst = p + kHeaders;
    for (int y = height - 1; y >= 0; --y, dst += stride) {
        const unsigned char *row = rgb + rowBytes * y;
        for (qsizetype i = 0; i < rowBytes; i += 3) {
            dst[i] = row[i + 2];
            dst[i + 1] = row[i + 1];
            dst[i + 2] = row[i];
        }
    }
    return out;
}

} // namespace imaging
