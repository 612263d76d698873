#include "imaging/tga_file.h"

#include "imaging/byte_order.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace imaging {

namespace {

constexpr qsizetype kHeaderSize = 18;

int byteAt(QByteArrayView bytes, qsizetype offset) { return static_cast<unsigned char>(bytes[offset]); }

int le16At(QByteArrayView bytes, qsizetype offset)
{
    return int(le16(reinterpret_cast<const std::uint8_t *>(bytes.data()) + offset));
}

void appendLe16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

qsizetype le32At(QByteArrayView bytes, qsizetype offset)
{
    return qsizetype(le32(reinterpret_cast<const std::uint8_t *>(bytes.data()) + offset));
}

// A TGA 2.0 file ends in a footer: the extension area's offset, the developer
// area's, "TRUEVISION-XFILE.\0". Byte 494 of the extension area is the
// attributes type.
std::optional<int> attributesType(QByteArrayView file)
{
    constexpr qsizetype kFooterSize = 26;
    constexpr qsizetype kExtensionSize = 495;
    if (file.size() < kHeaderSize + kFooterSize)
        return std::nullopt;
    const qsizetype footer = file.size() - kFooterSize;
    if (file.sliced(footer + 8) != QByteArrayView("TRUEVISION-XFILE.\0", 18))
        return std::nullopt;
    const qsizetype extension = le32At(file, footer);
    if (extension < kHeaderSize || extension + kExtensionSize > footer || le16At(file, extension) < kExtensionSize)
        return std::nullopt;
    return byteAt(file, extension + 494);
}

// Alpha as the extension area's attributes type declares it, else as the
// descriptor's alpha bits say: 8 bits in 32-bit colours, 1 in 16-bit ones.
// Grey pictures of 16 bits carry alpha in their second byte.
TgaHeader::Alpha alphaOf(const TgaHeader &h, std::optional<int> attributes)
{
    using Alpha = TgaHeader::Alpha;
    const int bits = h.isColourMapped() ? h.mapEntryBits : h.pixelDepth;
    const bool stored = h.isGrey() ? h.pixelDepth == 16 : bits == 32 || bits == 16;
    if (!stored)
        return Alpha::None;
    if (h.alphaDeclared)
        return *attributes == 4 ? Alpha::Premultiplied : *attributes == 3 ? Alpha::Straight : Alpha::None;
    if (h.isGrey())
        return Alpha::Straight;
    return (bits == 32 ? h.alphaBits > 0 : h.alphaBits == 1) ? Alpha::Straight : Alpha::None;
}

// Colours stored multiplied by their alpha, divided back (a pixel without
// alpha keeps no colour).
void unpremultiply(unsigned char *pixels, qsizetype count, int bands)
{
    for (qsizetype i = 0; i < count; ++i, pixels += bands) {
        const int alpha = pixels[bands - 1];
        for (int b = 0; b < bands - 1; ++b)
            pixels[b] = static_cast<unsigned char>(alpha ? std::min(255, (pixels[b] * 255 + alpha / 2) / alpha) : 0);
    }
}

using Rgba = std::array<unsigned char, 4>;

// One stored colour of 15, 16, 24 or 32 bits (little-endian BGR order).
Rgba storedColour(const unsigned char *p, int bits)
{
    if (bits <= 16) {
        const int v = int(le16(p));
        auto five = [](int c) { return static_cast<unsigned char>(c << 3 | c >> 2); };
        return {five((v >> 10) & 31), five((v >> 5) & 31), five(v & 31),
                static_cast<unsigned char>(v & 0x8000 ? 255 : 0)};
    }
    return {p[2], p[1], p[0], bits == 32 ? p[3] : static_cast<unsigned char>(255)};
}

// Reads stored pixel values in file order, through run-length packets when
// the file has them; every read is checked against the end of the file.
class PixelStream {
public:
    PixelStream(QByteArrayView file, qsizetype start, int bytesPerPixel, bool runLength)
        : m_data(reinterpret_cast<const unsigned char *>(file.data())),
          m_size(file.size()),
          m_pos(start),
          m_bytes(bytesPerPixel),
          m_runLength(runLength)
    { }

    // The next stored value, or null past the end of the file.
    const unsigned char *next()
    {
        if (!m_runLength)
            return take();
        if (m_left == 0) {
            if (m_pos >= m_size)
                return nullptr;
            const int packet = m_data[m_pos++];
            m_left = (packet & 0x7F) + 1;
            m_repeat = packet & 0x80;
            if (m_repeat && !(m_value = take()))
                return nullptr;
        }
        --m_left;
        return m_repeat ? m_value : take();
    }

private:
    const unsigned char *take()
    {
        if (m_size - m_pos < m_bytes)
            return nullptr;
        const unsigned char *p = m_data + m_pos;
        m_pos += m_bytes;
        return p;
    }

    const unsigned char *m_data;
    qsizetype m_size;
    qsizetype m_pos;
    int m_bytes;
    bool m_runLength;
    int m_left = 0;
    bool m_repeat = false;
    const unsigned char *m_value = nullptr;
};

} // namespace

int TgaHeader::bands() const { return (isGrey() ? 1 : 3) + (alpha != Alpha::None); }

std::optional<TgaHeader> parseTgaHeader(QByteArrayView bytes)
{
    if (bytes.size() < kHeaderSize)
        return std::nullopt;
    const int colourMapType = byteAt(bytes, 1);
    TgaHeader h;
    h.idLength = byteAt(bytes, 0);
    h.imageType = byteAt(bytes, 2);
    h.mapFirst = le16At(bytes, 3);
    h.mapLength = le16At(bytes, 5);
    h.mapEntryBits = byteAt(bytes, 7);
    h.width = le16At(bytes, 12);
    h.height = le16At(bytes, 14);
    h.pixelDepth = byteAt(bytes, 16);
    const int descriptor = byteAt(bytes, 17);
    h.alphaBits = descriptor & 0x0F;
    h.rightToLeft = descriptor & 0x10;
    h.topToBottom = descriptor & 0x20;

    const bool trueColour = h.imageType == 2 || h.imageType == 10;
    if (!trueColour && !h.isColourMapped() && !h.isGrey())
        return std::nullopt;
    if (colourMapType > 1 || (h.isColourMapped() && colourMapType != 1))
        return std::nullopt;
    if (h.width == 0 || h.height == 0)
        return std::nullopt;
    const int depth = h.pixelDepth;
    if (h.isColourMapped()) {
        const int entry = h.mapEntryBits;
        if ((depth != 8 && depth != 16) || h.mapLength == 0
            || (entry != 15 && entry != 16 && entry != 24 && entry != 32))
            return std::nullopt;
    } else if (trueColour) {
        if (depth != 15 && depth != 16 && depth != 24 && depth != 32)
            return std::nullopt;
    } else if (depth != 8 && depth != 16) {
        return std::nullopt;
    }
    // Types above 4 are not defined; the descriptor decides then.
    const std::optional<int> attributes = attributesType(bytes);
    h.alphaDeclared = attributes && *attributes <= 4;
    h.alpha = alphaOf(h, attributes);
    return h;
}

bool decodeTga(QByteArrayView file, const TgaHeader &h, unsigned char *out)
{
    // A colour map may also sit in a true-colour file (map type 1); it is
    // skipped there and used for colour-mapped pictures.
    const bool hasMap = file.size() > 1 && byteAt(file, 1) == 1;
    const int entryBytes = (h.mapEntryBits + 7) / 8;
    const qsizetype mapStart = kHeaderSize + h.idLength;
    const qsizetype mapBytes = hasMap ? qsizetype(h.mapLength) * entryBytes : 0;
    if (file.size() < mapStart + mapBytes)
        return false;

    std::vector<Rgba> map;
    if (h.isColourMapped()) {
        map.reserve(size_t(h.mapLength));
        const auto *p = reinterpret_cast<const unsigned char *>(file.data()) + mapStart;
        for (int i = 0; i < h.mapLength; ++i)
            map.push_back(storedColour(p + i * entryBytes, h.mapEntryBits));
    }

    const int bands = h.bands();
    const int storedBytes = (h.pixelDepth + 7) / 8;
    bool anyAlpha = false;
    PixelStream stream(file, mapStart + mapBytes, storedBytes, h.isRunLength());
    for (int row = 0; row < h.height; ++row) {
        const int y = h.topToBottom ? row : h.height - 1 - row;
        for (int column = 0; column < h.width; ++column) {
            const unsigned char *p = stream.next();
            if (!p)
                return false;
            const int x = h.rightToLeft ? h.width - 1 - column : column;
            unsigned char *dst = out + (qsizetype(y) * h.width + x) * bands;
            if (h.isGrey()) {
                dst[0] = p[0];
                if (bands == 2) {
                    dst[1] = p[1];
                    anyAlpha |= p[1] != 0;
                }
                continue;
            }
            Rgba colour;
            if (h.isColourMapped()) {
                const int index = (storedBytes == 1 ? p[0] : p[0] | p[1] << 8) - h.mapFirst;
                if (index < 0 || index >= h.mapLength)
                    return false;
                colour = map[size_t(index)];
            } else {
                colour = storedColour(p, h.pixelDepth);
            }
            std::memcpy(dst, colour.data(), size_t(bands));
            anyAlpha |= bands == 4 && dst[3] != 0;
        }
    }
    const qsizetype pixels = qsizetype(h.width) * h.height;
    if (h.alpha != TgaHeader::Alpha::None && !anyAlpha && !h.alphaDeclared) {
        for (qsizetype i = 0; i < pixels; ++i)
            out[i * bands + bands - 1] = 255;
    }
    if (h.alpha == TgaHeader::Alpha::Premultiplied)
        unpremultiply(out, pixels, bands);
    return true;
}

QByteArray encodeTga24(const unsigned char *rgb, int width, int height)
{
    QByteArray out;
    const qsizetype rowBytes = qsizetype(width) * 3;
    out.reserve(kHeaderSize + rowBytes * height + 26);
    out.append(char(0));    // no image id
    out.append(char(0));    // no colour map
    out.append(char(2));    // uncompressed true colour
    out.append(5, char(0)); // colour map specification
    appendLe16(out, 0);     // x origin
    appendLe16(out, 0);     // y origin
    appendLe16(out, width);
    appendLe16(out, height);
    out.append(char(24));
    out.append(char(0)); // bottom-left origin, no alpha bits

    const qsizetype pixelStart = out.size();
    out.resize(pixelStart + rowBytes * height);
    char *dst = out.data() + pixelStart;
    for (int y = height - 1; y >= 0; --y) {
        const unsigned char *row = rgb + rowBytes * y;
        for (qsizetype i = 0; i < rowBytes; i += 3) {
            *dst++ = char(row[i + 2]);
            *dst++ = char(row[i + 1]);
            *dst++ = char(row[i]);
        }
    }
    // TGA 2.0 footer without extension or developer areas: lets readers tell
    // the file from raw data.
    out.append(8, char(0));
    out.append("TRUEVISION-XFILE.", 17);
    out.append(char(0));
    return out;
}

} // namespace imaging
