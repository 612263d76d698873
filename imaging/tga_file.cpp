#include "imaging/tga_file.h"

namespace imaging {

namespace {

int byteAt(QByteArrayView bytes, qsizetype offset)
{
    return static_cast<unsigned char>(bytes[offset]);
}

int le16At(QByteArrayView bytes, qsizetype offset)
{
    return byteAt(bytes, offset) | byteAt(bytes, offset + 1) << 8;
}

void appendLe16(QByteArray &out, int value)
{
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

} // namespace

std::optional<TgaHeader> parseTgaHeader(QByteArrayView bytes)
{
    constexpr qsizetype kHeaderSize = 18;
    if (bytes.size() < kHeaderSize)
        return std::nullopt;
    const int colourMapType = byteAt(bytes, 1);
    TgaHeader header;
    header.imageType = byteAt(bytes, 2);
    header.width = le16At(bytes, 12);
    header.height = le16At(bytes, 14);
    header.pixelDepth = byteAt(bytes, 16);

    const bool mapped = header.imageType == 1 || header.imageType == 9;
    const bool trueColour = header.imageType == 2 || header.imageType == 10;
    const bool grey = header.imageType == 3 || header.imageType == 11;
    if (colourMapType > 1 || (mapped && colourMapType != 1))
        return std::nullopt;
    if (header.width == 0 || header.height == 0)
        return std::nullopt;
    const int depth = header.pixelDepth;
    if (mapped && depth != 8 && depth != 16)
        return std::nullopt;
    if (trueColour && depth != 15 && depth != 16 && depth != 24 && depth != 32)
        return std::nullopt;
    if (grey && depth != 8 && depth != 16)
        return std::nullopt;
    if (!mapped && !trueColour && !grey)
        return std::nullopt;
    if (mapped) {
        const int entryBits = byteAt(bytes, 7);
        if (entryBits != 15 && entryBits != 16 && entryBits != 24 && entryBits != 32)
            return std::nullopt;
    }
    return header;
}

QByteArray encodeTga24(const unsigned char *rgb, int width, int height)
{
    QByteArray out;
    const qsizetype rowBytes = qsizetype(width) * 3;
    out.reserve(18 + rowBytes * height + 26);
    out.append(char(0)); // no image id
    out.append(char(0)); // no colour map
    out.append(char(2)); // uncompressed true colour
    out.append(5, char(0)); // colour map specification
    appendLe16(out, 0); // x origin
    appendLe16(out, 0); // y origin
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
