#include "engine/codecs/gif_file.h"

#include "imaging/byte_order.h"

#include <vector>

namespace imaging {

namespace {

// "GIF89a" and the logical screen descriptor.
constexpr std::size_t kScreenEnd = 13;
constexpr std::uint32_t kExtension = 0x21;
constexpr std::uint32_t kImage = 0x2C;
constexpr std::uint32_t kTrailer = 0x3B;
constexpr std::uint32_t kGraphicControl = 0xF9;

ByteReader readerOf(QByteArrayView bytes) { return ByteReader(bytes.data(), std::size_t(bytes.size())); }

// A colour table follows when bit 7 of its descriptor's flags is set.
std::uint64_t colourTableBytes(std::uint32_t flags) { return flags & 0x80 ? 3 * (std::uint64_t(2) << (flags & 7)) : 0; }

// Past the data sub-blocks that start at `pos` (each a length byte and that
// many bytes, a zero length ends them); nothing when the file ends first.
std::optional<std::uint64_t> afterSubBlocks(const ByteReader &gif, std::uint64_t pos)
{
    while (const auto length = gif.u8(pos)) {
        pos += 1 + *length;
        if (*length == 0)
            return pos;
    }
    return std::nullopt;
}

// Hands the offset of each extension and image block to `visit` in file
// order, until it returns false. False when the blocks break off or hold
// something that is no GIF block, before the trailer or the visitor's stop.
template <typename Visit> bool visitBlocks(const ByteReader &gif, Visit visit)
{
    const auto screen = gif.bytes<kScreenEnd>(0);
    if (!screen || (*screen)[0] != 'G' || (*screen)[1] != 'I' || (*screen)[2] != 'F')
        return false;
    std::optional<std::uint64_t> pos = kScreenEnd + colourTableBytes((*screen)[10]);
    while (pos) {
        const auto introducer = gif.u8(*pos);
        if (!introducer)
            return false;
        if (*introducer == kTrailer)
            return true;
        // An extension's introducer, label and first sub-block length; an
        // image's descriptor and LZW code size.
        const auto extension = gif.bytes<3>(*pos);
        const auto image = gif.bytes<11>(*pos);
        if (*introducer == kExtension && extension) {
            if (!visit(*pos))
                return true;
            pos = afterSubBlocks(gif, *pos + 2);
        } else if (*introducer == kImage && image) {
            if (!visit(*pos))
                return true;
            // Past the descriptor, a local colour table and the LZW code size.
            pos = afterSubBlocks(gif, *pos + 10 + colourTableBytes((*image)[9]) + 1);
        } else {
            return false;
        }
    }
    return false;
}

} // namespace

std::optional<GifFirstFrame> gifFirstFrame(QByteArrayView file)
{
    const ByteReader gif = readerOf(file);
    const auto width = gif.le16(6);
    const auto height = gif.le16(8);
    if (!width || !height || gif.u8(0) != std::uint32_t('G') || gif.u8(1) != std::uint32_t('I')
        || gif.u8(2) != std::uint32_t('F'))
        return std::nullopt;
    GifFirstFrame frame{int(*width), int(*height), {}};
    bool delayed = false; // the pending graphic control asks for a delay
    visitBlocks(gif, [&](std::uint64_t pos) {
        // A graphic control: introducer, label, size 4, flags, then the
        // delay in hundredths of a second.
        const auto control = gif.bytes<6>(pos);
        if (control && (*control)[0] == kExtension && (*control)[1] == kGraphicControl && (*control)[2] == 4) {
            delayed = le16(control->subspan<4, 2>()) > 0;
            return true;
        }
        // An image: the introducer, then left, top, width and height.
        const auto descriptor = gif.bytes<9>(pos);
        if (!descriptor || (*descriptor)[0] != kImage)
            return true;
        frame.images.push_back({int(le16(descriptor->subspan<1, 2>())), int(le16(descriptor->subspan<3, 2>())),
                                int(le16(descriptor->subspan<5, 2>())), int(le16(descriptor->subspan<7, 2>()))});
        const bool shownAWhile = delayed;
        delayed = false;
        return !shownAWhile;
    });
    return frame;
}

QByteArray withoutTransparentIndex(QByteArray gif)
{
    // Graphic control extensions: introducer, label, block size 4, then the
    // flags whose bit 0 says that the transparent index is in use.
    struct Flags {
        std::uint64_t at;
        std::uint8_t cleared;
    };
    std::vector<Flags> flags;
    const ByteReader bytes = readerOf(gif);
    const bool whole = visitBlocks(bytes, [&](std::uint64_t pos) {
        const auto control = bytes.bytes<4>(pos);
        if (control && (*control)[0] == kExtension && (*control)[1] == kGraphicControl && (*control)[2] == 4)
            flags.push_back({pos + 3, std::uint8_t((*control)[3] & ~1)});
        return true;
    });
    if (!whole)
        return gif;
    for (const Flags &f : flags)
        gif[qsizetype(f.at)] = char(f.cleared);
    return gif;
}

} // namespace imaging
