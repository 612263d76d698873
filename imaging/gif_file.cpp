#include "imaging/gif_file.h"

#include "imaging/byte_order.h"

#include <vector>

namespace imaging {

namespace {

// "GIF89a" and the logical screen descriptor.
constexpr qsizetype kScreenEnd = 13;
constexpr int kExtension = 0x21;
constexpr int kImage = 0x2C;
constexpr int kTrailer = 0x3B;
constexpr int kGraphicControl = 0xF9;

int byteAt(QByteArrayView bytes, qsizetype offset) { return static_cast<unsigned char>(bytes[offset]); }

int le16At(QByteArrayView bytes, qsizetype offset)
{
    return int(le16(reinterpret_cast<const std::uint8_t *>(bytes.data()) + offset));
}

// A colour table follows when bit 7 of its descriptor's flags is set.
qsizetype colourTableBytes(int flags) { return flags & 0x80 ? 3 * (qsizetype(2) << (flags & 7)) : 0; }

// Past the data sub-blocks that start at `pos` (each a length byte and that
// many bytes, a zero length ends them); -1 when the file ends first.
qsizetype afterSubBlocks(QByteArrayView gif, qsizetype pos)
{
    while (pos < gif.size()) {
        const int length = byteAt(gif, pos);
        pos += 1 + length;
        if (length == 0)
            return pos;
    }
    return -1;
}

// Hands the offset of each extension and image block to `visit` in file
// order, until it returns false. False when the blocks break off or hold
// something that is no GIF block, before the trailer or the visitor's stop.
template <typename Visit> bool visitBlocks(QByteArrayView gif, Visit visit)
{
    if (gif.size() < kScreenEnd || !gif.startsWith("GIF"))
        return false;
    qsizetype pos = kScreenEnd + colourTableBytes(byteAt(gif, 10));
    while (pos >= 0 && pos < gif.size()) {
        const int introducer = byteAt(gif, pos);
        if (introducer == kTrailer)
            return true;
        if (introducer == kExtension && pos + 2 < gif.size()) {
            if (!visit(pos))
                return true;
            pos = afterSubBlocks(gif, pos + 2);
        } else if (introducer == kImage && pos + 10 < gif.size()) {
            if (!visit(pos))
                return true;
            // Past the descriptor, a local colour table and the LZW code size.
            pos = afterSubBlocks(gif, pos + 10 + colourTableBytes(byteAt(gif, pos + 9)) + 1);
        } else {
            return false;
        }
    }
    return false;
}

} // namespace

std::optional<GifFrameArea> firstGifFrameArea(QByteArrayView file)
{
    std::optional<GifFrameArea> area;
    visitBlocks(file, [&](qsizetype pos) {
        if (byteAt(file, pos) != kImage)
            return true;
        area = GifFrameArea{le16At(file, pos + 1), le16At(file, pos + 3), le16At(file, pos + 5), le16At(file, pos + 7)};
        return false;
    });
    return area;
}

QByteArray withoutTransparentIndex(QByteArray gif)
{
    // Graphic control extensions: introducer, label, block size 4, then the
    // flags whose bit 0 says that the transparent index is in use.
    std::vector<qsizetype> flags;
    const bool whole = visitBlocks(gif, [&](qsizetype pos) {
        if (byteAt(gif, pos) == kExtension && byteAt(gif, pos + 1) == kGraphicControl && pos + 3 < gif.size()
            && byteAt(gif, pos + 2) == 4)
            flags.push_back(pos + 3);
        return true;
    });
    if (!whole)
        return gif;
    for (qsizetype pos : flags)
        gif[pos] = char(byteAt(gif, pos) & ~1);
    return gif;
}

} // namespace imaging
