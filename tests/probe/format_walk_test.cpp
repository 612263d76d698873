// The walkers each format's structure is read by, over what the encoders
// write and over the same bytes cut short or lying about a length: each gives
// the structure's parts to its end, and stops, saying so, at one that does
// not fit, never reading past the bytes.
#include "engine/codecs/encode_picture.h"
#include "imaging/gif_block_walk.h"
#include "imaging/png_chunk_walk.h"
#include "imaging/test_pictures.h"
#include "probe/byte_source.h"
#include "probe/jpeg_segments.h"
#include "probe/jxl_bits.h"
#include "probe/jxl_codestream.h"
#include "probe/tiff_ifd.h"

#include <gtest/gtest.h>

#include <vector>

using namespace imaging;

namespace {

std::span<const std::uint8_t> span(const QByteArray &bytes)
{
    return {reinterpret_cast<const std::uint8_t *>(bytes.constData()), std::size_t(bytes.size())};
}

QByteArray encoded(OutputFormat format, int width = 40, int height = 30)
{
    const auto bytes = encodePicture(testpics::gradient(width, height), format);
    EXPECT_TRUE(bytes);
    return bytes ? *bytes : QByteArray();
}

template <typename Reader> std::vector<PngChunk> chunksOf(const Reader &png, bool *damaged)
{
    std::vector<PngChunk> chunks;
    PngChunkWalk walk(png);
    while (const auto chunk = walk.next())
        chunks.push_back(*chunk);
    *damaged = walk.damaged();
    return chunks;
}

} // namespace

TEST(FormatWalk, PngChunksToIendTheSameFromMemoryAndFromASourceAndAChunkTooLongStopsTheWalk)
{
    const QByteArray png = encoded(OutputFormat::Png);
    bool damaged = true;
    const std::vector<PngChunk> chunks = chunksOf(ByteReader(span(png)), &damaged);
    EXPECT_FALSE(damaged);
    ASSERT_GE(chunks.size(), 3u);
    EXPECT_TRUE(chunks.front().is("IHDR"));
    EXPECT_TRUE(chunks.back().is("IEND"));
    EXPECT_EQ(chunks.back().end(), std::uint64_t(png.size()));
    for (const PngChunk &chunk : chunks)
        EXPECT_TRUE(pngChunkCrcHolds(ByteReader(span(png)), chunk));

    MemoryByteSource source(span(png));
    const std::vector<PngChunk> fromSource = chunksOf(SourceReader(source), &damaged);
    ASSERT_EQ(fromSource.size(), chunks.size());
    for (std::size_t i = 0; i < chunks.size(); ++i)
        EXPECT_EQ(fromSource[i].end(), chunks[i].end());

    // The header's length made to reach one byte past the end.
    QByteArray longer = png;
    const std::uint32_t length = std::uint32_t(png.size()) - 8 - 12 + 1;
    for (int i = 0; i < 4; ++i)
        longer[8 + i] = char(length >> (24 - 8 * i));
    EXPECT_TRUE(chunksOf(ByteReader(span(longer)), &damaged).empty());
    EXPECT_TRUE(damaged);
    // Cut short: the chunks before the cut, then damage.
    const std::vector<PngChunk> cut = chunksOf(ByteReader(span(png.chopped(1))), &damaged);
    EXPECT_TRUE(damaged);
    EXPECT_EQ(cut.size(), chunks.size() - 1);
}

TEST(FormatWalk, GifBlocksToTheTrailerAndABlockCutShortComesWithoutItsEnd)
{
    const QByteArray gif = encoded(OutputFormat::Gif);
    const ByteReader whole(span(gif));
    GifBlockWalk walk(whole);
    std::vector<GifBlock> blocks;
    while (const auto block = walk.next())
        blocks.push_back(*block);
    EXPECT_FALSE(walk.damaged());
    ASSERT_GE(blocks.size(), 2u);
    EXPECT_EQ(blocks.back().introducer, kGifTrailer);
    EXPECT_EQ(blocks.back().end, std::uint64_t(gif.size()));

    // Cut inside the image's data: the image without an end, then nothing.
    const QByteArray cut = gif.left(qsizetype(blocks.back().at) - 3);
    const ByteReader shorter(span(cut));
    GifBlockWalk cutWalk(shorter);
    std::optional<GifBlock> last;
    while (const auto block = cutWalk.next())
        last = block;
    ASSERT_TRUE(last);
    EXPECT_EQ(last->introducer, kGifImage);
    EXPECT_FALSE(last->end);
    EXPECT_TRUE(cutWalk.damaged());
}

TEST(FormatWalk, JpegSegmentsAndScansToEndOfImageFillBytesOnlyWhenAskedFor)
{
    const QByteArray jpeg = encoded(OutputFormat::Jpeg);
    auto walkOf = [](const QByteArray &bytes, JpegFill fill) {
        const ByteReader reader(span(bytes));
        JpegSegmentWalk walk(reader, fill);
        std::vector<JpegSegment> segments;
        while (const auto segment = walk.next())
            segments.push_back(*segment);
        return std::pair{segments, walk.damaged()};
    };
    const auto [segments, damaged] = walkOf(jpeg, JpegFill::Refused);
    EXPECT_FALSE(damaged);
    ASSERT_FALSE(segments.empty());
    EXPECT_EQ(segments.back().code, kJpegEndOfImage);
    EXPECT_EQ(segments.back().end(), std::uint64_t(jpeg.size()));
    EXPECT_TRUE(std::any_of(segments.begin(), segments.end(),
                            [](const JpegSegment &s) { return s.code == kJpegStartOfScan; }));

    QByteArray filled = jpeg;
    filled.insert(2, '\xFF');
    EXPECT_TRUE(walkOf(filled, JpegFill::Refused).second);
    EXPECT_EQ(walkOf(filled, JpegFill::Skipped).first.size(), segments.size());
    // Without its end-of-image marker the last scan runs off the end.
    EXPECT_TRUE(walkOf(jpeg.chopped(2), JpegFill::Refused).second);
}

TEST(FormatWalk, TiffEntriesInsideTheBytesOnlyTheirValueLengthsCountedWithoutWrapping)
{
    // "II*\0", the directory at 8: one DOUBLE entry of 2^32 - 1 values, then
    // the next directory's offset; a second entry claimed but not there.
    QByteArray tiff("II*\0\x08\0\0\0", 8);
    tiff += QByteArray("\x02\0", 2) + QByteArray("\x01\x01\x0C\0\xFF\xFF\xFF\xFF\x10\0\0\0", 12);
    const TiffStructure structure(span(tiff));
    ASSERT_TRUE(structure.valid());
    const auto directory = structure.directory(*structure.firstDirectoryOffset(), 16);
    ASSERT_TRUE(directory);
    EXPECT_FALSE(structure.whole(*directory));
    const auto entry = structure.entry(*directory, 0);
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->tag, 257u);
    EXPECT_EQ(entry->valueBytes, 8ull * 0xFFFFFFFFull);
    EXPECT_FALSE(structure.integer(*entry, 0));
    EXPECT_FALSE(structure.entry(*directory, 1));
    EXPECT_FALSE(structure.directory(8, 1));
}

TEST(FormatWalk, AJpegXlCodestreamEndsWhereItsLastFrameDoesAndNonZeroPaddingIsRefused)
{
    for (const auto &[width, height] : {std::pair{40, 30}, std::pair{600, 20}}) {
        const QByteArray jxl = encoded(OutputFormat::JpegXl, width, height);
        const auto extent = jxlStillCodestream(span(jxl));
        ASSERT_TRUE(extent) << width;
        EXPECT_EQ(extent->length, std::uint64_t(jxl.size()));
        EXPECT_EQ(extent->size, (PictureSize{width, height}));
        EXPECT_EQ(jxlStillCodestream(span(jxl + "more"))->length, std::uint64_t(jxl.size()));
        EXPECT_FALSE(jxlStillCodestream(span(jxl.chopped(1))));
    }
    // U64 fields, their bits from the lowest on: selector 0, the value 0;
    // selector 1, then 4 bits of 13: the value 14; then 12 bits of 5 and a
    // continuation with 8 bits of 1 above them: 5 + 2^12.
    const std::uint8_t bits[] = {0b1101'01'00, 0b0001'0111, 0b1100'0000, 0b0000'0000};
    JxlBitReader read(bits);
    EXPECT_EQ(read.u64(), 0u);
    EXPECT_EQ(read.u64(), 14u);
    EXPECT_EQ(read.u64(), 5u + 4096u);
    EXPECT_TRUE(read.zeroPadToByte());
    const std::uint8_t padded[] = {0b1000'0000};
    JxlBitReader notZero(padded);
    EXPECT_TRUE(notZero.bits(3));
    EXPECT_FALSE(notZero.zeroPadToByte());
}
