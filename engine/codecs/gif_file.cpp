#include "engine/codecs/gif_file.h"

#include "imaging/byte_order.h"
#include "imaging/gif_block_walk.h"

#include <vector>

namespace imaging {

namespace {

ByteReader readerOf(QByteArrayView bytes) { return ByteReader(bytes.data(), std::size_t(bytes.size())); }

bool isGif(const ByteReader &gif) { return hasText(gif, 0, "GIF") && gif.holds(0, kGifScreenEnd); }

// Hands the offset of each extension and image block to `visit` in file
// order, until it returns false. False when the blocks break off or hold
// something that is no GIF block, before the trailer or the visitor's stop.
template <typename Visit> bool visitBlocks(const ByteReader &gif, Visit visit)
{
    if (!isGif(gif))
        return false;
    GifBlockWalk blocks(gif);
    while (const auto block = blocks.next()) {
        if (block->introducer == kGifTrailer)
            return true;
        if (!visit(block->at))
            return true;
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
        if (control && (*control)[0] == kGifExtension && (*control)[1] == kGifGraphicControl && (*control)[2] == 4) {
            delayed = le16(control->subspan<4, 2>()) > 0;
            return true;
        }
        // An image: the introducer, then left, top, width and height.
        const auto descriptor = gif.bytes<9>(pos);
        if (!descriptor || (*descriptor)[0] != kGifImage)
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
        if (control && (*control)[0] == kGifExtension && (*control)[1] == kGifGraphicControl && (*control)[2] == 4)
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
