#include "probe/output_check_formats.h"

#include "imaging/byte_order.h"
#include "probe/iso_boxes.h"
#include "probe/jxl_codestream.h"
#include "probe/signatures.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace imaging {

using namespace std::string_view_literals;

// `ftyp` of the brand asked for, `meta` and `mdat`, and in `meta` the picture
// only, coded as asked: one item, or (libheif's way with a side HEVC cannot
// code) a tile one larger and a grid of that one tile cut to the size; no
// EXIF or XMP item, no thumbnail.
QString heifDefect(std::span<const std::uint8_t> data, std::string_view brand, std::uint32_t itemType)
{
    MemoryByteSource bytes(data);
    const ByteReader reader(data);
    if (!hasText(reader, 8, brand))
        return QStringLiteral("the file is not of the brand asked for");
    IsoBoxWalk top(bytes, 0, data.size(), 8);
    std::optional<IsoBox> meta;
    std::uint64_t end = 0;
    while (const auto box = top.next()) {
        if (box->type == fourCc("meta"))
            meta = box;
        else if (box->type != fourCc("ftyp") && box->type != fourCc("mdat"))
            return QStringLiteral("the file carries a box the program does not write");
        end = box->end;
    }
    if (top.damaged() || !meta || end != data.size())
        return QStringLiteral("the boxes do not make up the file");
    IsoBoxWalk inMeta(bytes, *meta, 4, 32);
    const auto iinf = inMeta.find(fourCc("iinf"));
    const auto head = iinf ? readFullBoxHead(bytes, *iinf) : std::nullopt;
    if (!head)
        return QStringLiteral("the file has no item list");
    const std::uint64_t countBytes = head->version == 0 ? 2 : 4;
    const auto count = countBytes == 2 ? reader.be16(iinf->contents + 4) : reader.be32(iinf->contents + 4);
    // With alpha, the alpha is a picture of its own, coded alike.
    if (!count || *count < 1 || *count > 4)
        return QStringLiteral("the file holds other items than its picture");
    IsoBoxWalk items(bytes, *iinf, 4 + countBytes, 4);
    int coded = 0, grids = 0;
    for (std::uint32_t i = 0; i < *count; ++i) {
        const auto infe = items.next();
        const auto infeHead = infe && infe->type == fourCc("infe") ? readFullBoxHead(bytes, *infe) : std::nullopt;
        if (!infeHead || infeHead->version < 2)
            return QStringLiteral("the file holds other items than its picture");
        // Version 2: a 16-bit item id (3: 32-bit), a 16-bit protection index, the type.
        const auto type = reader.be32(infe->contents + 4 + (infeHead->version == 2 ? 2 : 4) + 2);
        coded += type == itemType;
        grids += type == fourCc("grid");
    }
    if (coded < 1 || coded > 2 || grids > coded || coded + grids != int(*count))
        return QStringLiteral("the file holds other items than its picture");
    return QString();
}

// The codestream of one still frame, read through its headers and table of
// contents to its end, which is the file's: bare, or in a container of the
// signature, `ftyp` and at most a level box before it, in one `jxlc` box or
// in `jxlp` pieces in order, and nothing else (no EXIF, XMP or JPEG
// reconstruction box); the boxes make up the file.
QString jpegXlDefect(std::span<const std::uint8_t> data)
{
    std::vector<std::uint8_t> pieces;
    std::span<const std::uint8_t> codestream = data;
    if (probeOnlySignature(data.first(std::min(data.size(), kProbeOnlySignatureBytes)))
        == ProbeOnlySignature::JpegXlContainer) {
        MemoryByteSource bytes(data);
        const ByteReader reader(data);
        IsoBoxWalk boxes(bytes, 0, data.size(), 4096);
        std::uint32_t nextPiece = 0;
        bool whole = false, last = false;
        std::uint64_t end = 0;
        for (int i = 0; const auto box = boxes.next(); ++i) {
            end = box->end;
            const bool head = (i == 0 && box->type == fourCc("JXL ") && box->size() == 4)
                              || (i == 1 && box->type == fourCc("ftyp") && hasText(reader, box->contents, "jxl "sv))
                              || (i == 2 && box->type == fourCc("jxll"));
            if (head)
                continue;
            const auto index = box->type == fourCc("jxlp") && box->size() >= 4 ? reader.be32(box->contents)
                                                                                 : std::nullopt;
            if (box->type == fourCc("jxlc") && !whole && nextPiece == 0) {
                whole = last = true;
                codestream = *reader.bytes(box->contents, box->size());
            } else if (index && !whole && !last && (*index & 0x7FFFFFFF) == nextPiece) {
                const auto piece = *reader.bytes(box->contents + 4, box->size() - 4);
                pieces.insert(pieces.end(), piece.begin(), piece.end());
                last = *index >> 31;
                ++nextPiece;
            } else {
                return QStringLiteral("the JPEG XL container carries a box the program does not write");
            }
        }
        if (boxes.damaged() || end != data.size() || !last)
            return QStringLiteral("the JPEG XL container's boxes do not make up the file");
        if (!whole)
            codestream = pieces;
    }
    const auto extent = jxlStillCodestream(codestream);
    if (!extent)
        return QStringLiteral("the JPEG XL is not a codestream of one still picture");
    if (extent->length != codestream.size())
        return QStringLiteral("the JPEG XL codestream goes on after its picture");
    return QString();
}

} // namespace imaging
