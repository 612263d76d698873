#include "probe/jxl_header.h"

#include "probe/iso_boxes.h"
#include "probe/jxl_bits.h"

#include <algorithm>
#include <array>

namespace imaging {

namespace {

// The codestream's first bytes, enough for its signature, the longest size
// header (73 bits) and the metadata's first fields: 2 + 10 + 1.
constexpr std::size_t kCodestreamHead = 16;
// Boxes before the codestream (signature, ftyp, level, EXIF, XMP, JPEG
// reconstruction...) and `jxlp` pieces read to gather its first bytes.
constexpr int kContainerBoxes = 64;

struct CodestreamHead {
    std::array<std::uint8_t, kCodestreamHead> bytes{};
    std::size_t length = 0;

    // Appends what it still lacks from `length` bytes at `from`.
    bool append(ByteSource &source, std::uint64_t from, std::uint64_t length)
    {
        const std::size_t take = std::size_t(std::min<std::uint64_t>(length, bytes.size() - this->length));
        if (!readAt(source, from, std::span(bytes.data() + this->length, take)))
            return false;
        this->length += take;
        return true;
    }
    bool full() const { return length == bytes.size(); }
};

// One side in the size header: a multiple of 8 from 8 to 256 when `small`,
// else a U32 field.
std::optional<std::uint64_t> side(JxlBitReader &read, bool small)
{
    if (small) {
        const std::optional<std::uint32_t> eighths = read.bits(5);
        return eighths ? std::optional<std::uint64_t>((*eighths + 1) * 8) : std::nullopt;
    }
    return read.u32({{{1, 9}, {1, 13}, {1, 18}, {1, 30}}});
}

// The width from the height and a ratio code 1 to 7: 1:1, 12:10, 4:3, 3:2,
// 16:9, 5:4, 2:1, rounded down.
std::uint64_t widthForRatio(std::uint32_t ratio, std::uint64_t height)
{
    constexpr std::array<std::array<std::uint64_t, 2>, 8> kRatio{
        {{0, 1}, {1, 1}, {12, 10}, {4, 3}, {3, 2}, {16, 9}, {5, 4}, {2, 1}}};
    return height * kRatio[ratio][0] / kRatio[ratio][1];
}

PictureHeader codestreamHeader(std::span<const std::uint8_t> head)
{
    if (head.size() < 2 || head[0] != 0xFF || head[1] != 0x0A)
        return {};
    JxlBitReader read(head.subspan(2));
    const std::optional<std::uint32_t> small = read.bits(1);
    const std::optional<std::uint64_t> height = small ? side(read, *small) : std::nullopt;
    const std::optional<std::uint32_t> ratio = height ? read.bits(3) : std::nullopt;
    if (!ratio)
        return {};
    const std::optional<std::uint64_t> width = *ratio ? widthForRatio(*ratio, *height) : side(read, *small);
    // The image metadata: all_default, then extra_fields, then the
    // orientation's three bits, 1 less than its value.
    const std::optional<std::uint32_t> allDefault = width ? read.bits(1) : std::nullopt;
    if (!allDefault)
        return {};
    int orientation = 1;
    if (!*allDefault) {
        const std::optional<std::uint32_t> extraFields = read.bits(1);
        const std::optional<std::uint32_t> stored = extraFields && *extraFields ? read.bits(3) : extraFields;
        if (!stored)
            return {};
        if (*extraFields)
            orientation = int(*stored) + 1;
    }
    return {{dimension(std::optional<std::int64_t>(*width)), dimension(std::optional<std::int64_t>(*height))},
            orientation};
}

// The codestream's first bytes from the boxes after the signature box.
std::optional<CodestreamHead> containedCodestream(ByteSource &bytes)
{
    IsoBoxWalk boxes(bytes, 0, bytes.size(), kContainerBoxes);
    const std::optional<IsoBox> signature = boxes.next();
    const std::optional<IsoBox> ftyp = signature ? boxes.next() : std::nullopt;
    if (!ftyp || signature->type != fourCc("JXL ") || ftyp->type != fourCc("ftyp")
        || readBe32(bytes, ftyp->contents) != fourCc("jxl ") || ftyp->size() < 4)
        return std::nullopt;
    CodestreamHead head;
    std::uint32_t nextPiece = 0;
    while (const std::optional<IsoBox> box = boxes.next()) {
        if (box->type == fourCc("jxlc") && nextPiece == 0) {
            if (!head.append(bytes, box->contents, box->size()))
                return std::nullopt;
            return head;
        }
        if (box->type != fourCc("jxlp"))
            continue;
        // The pieces come in order; the top bit of the index marks the last.
        const std::optional<std::uint32_t> index = box->size() >= 4 ? readBe32(bytes, box->contents) : std::nullopt;
        if (!index || (*index & 0x7FFFFFFF) != nextPiece)
            return std::nullopt;
        if (!head.append(bytes, box->contents + 4, box->size() - 4))
            return std::nullopt;
        if (head.full() || *index >> 31)
            return head;
        ++nextPiece;
    }
    return head.length > 0 ? std::optional(head) : std::nullopt;
}

} // namespace

PictureHeader jpegXlHeader(ByteSource &bytes)
{
    std::optional<CodestreamHead> head;
    if (readByte(bytes, 0) == 0xFFu) {
        head.emplace();
        if (!head->append(bytes, 0, bytes.size()))
            return {};
    } else {
        head = containedCodestream(bytes);
    }
    if (!head)
        return {};
    return codestreamHeader(std::span(head->bytes.data(), head->length));
}

} // namespace imaging
