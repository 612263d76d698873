#include "probe/heif_header.h"

#include "probe/iso_boxes.h"

#include <algorithm>
#include <array>

namespace imaging {

namespace {

// Enough for any real file at each level, few enough that a damaged or
// hostile one costs little: top-level boxes, the boxes of `meta` and `iprp`,
// the compatible brands looked at, `ipma` boxes.
constexpr int kTopLevelBoxes = 64;
constexpr int kMetaBoxes = 64;
constexpr int kPropertyBoxes = 16;
constexpr int kBrands = 64;
// Item entries (`infe`, an `ipma` entry each): a camera's grid has a tile item
// per tile, listed before the grid itself, a few hundred in a large photo.
constexpr std::uint32_t kItems = 4096;
// Property boxes walked in `ipco`: the 15-bit index's range.
constexpr int kProperties = 32767;

bool isHeifBrand(std::uint32_t brand)
{
    for (const std::uint32_t known : {fourCc("mif1"), fourCc("mif2"), fourCc("msf1"), fourCc("heic"), fourCc("heix"),
                                      fourCc("heim"), fourCc("heis"), fourCc("hevc"), fourCc("hevx"), fourCc("hevm"),
                                      fourCc("hevs"), fourCc("avif"), fourCc("avis")}) {
        if (brand == known)
            return true;
    }
    return false;
}

// Coded images and the derived ones a viewer shows whole; each carries an
// `ispe` with the size it is shown at before its transforms.
bool isImageItemType(std::uint32_t type)
{
    for (const std::uint32_t known : {fourCc("hvc1"), fourCc("av01"), fourCc("grid"), fourCc("iovl"), fourCc("iden"),
                                      fourCc("jpeg"), fourCc("avc1"), fourCc("vvc1"), fourCc("j2k1"), fourCc("unci")}) {
        if (type == known)
            return true;
    }
    return false;
}

// A turn or mirror as EXIF orientations do it: `quarters` clockwise quarter
// turns after an optional left-right mirror.
struct Transform {
    int quarters = 0;
    bool mirrored = false;

    // This one, then `next`. Mirroring first reverses the turn that came before.
    Transform then(Transform next) const
    {
        const int turns = next.mirrored ? next.quarters - quarters : next.quarters + quarters;
        return {(turns % 4 + 4) % 4, mirrored != next.mirrored};
    }

    int exifOrientation() const
    {
        // Indexed by quarters, unmirrored then mirrored: 1 upright, 6 a
        // clockwise quarter, 3 a half, 8 an anticlockwise quarter; 2 mirrored
        // left-right, 7 transverse, 4 mirrored top-bottom, 5 transposed.
        constexpr std::array<std::array<int, 4>, 2> kOrientation{{{1, 6, 3, 8}, {2, 7, 4, 5}}};
        return kOrientation[mirrored][std::size_t(quarters)];
    }
};

// `irot`: `angle` anticlockwise quarter turns.
Transform rotation(std::uint32_t angle) { return {int((4 - (angle & 3)) % 4), false}; }

// `imir` as ISO/IEC 23008-12:2022 (6.5.12) states it and libheif applies it:
// axis 0 exchanges the top and bottom rows (EXIF 4), axis 1 the left and
// right columns (EXIF 2). The 2017 edition worded axis 0 as "a vertical
// axis"; files are written to the newer reading.
Transform mirror(std::uint32_t axis) { return axis & 1 ? Transform{0, true} : Transform{2, true}; }

// The `meta` boxes the size depends on.
struct MetaBoxes {
    std::optional<IsoBox> primary, items, properties;
};

std::optional<IsoBox> findMeta(ByteSource &bytes)
{
    IsoBoxWalk top(bytes, 0, bytes.size(), kTopLevelBoxes);
    return top.find(fourCc("meta"));
}

std::optional<std::uint32_t> primaryItem(ByteSource &bytes, const IsoBox &pitm)
{
    const std::optional<FullBoxHead> head = readFullBoxHead(bytes, pitm);
    if (!head || head->version > 1)
        return std::nullopt;
    const std::uint64_t idBytes = head->version == 0 ? 2 : 4;
    if (pitm.size() < 4 + idBytes)
        return std::nullopt;
    return head->version == 0 ? readBe16(bytes, pitm.contents + 4) : readBe32(bytes, pitm.contents + 4);
}

// The type of item `id` as its `infe` (version 2 or 3) states it.
std::optional<std::uint32_t> itemType(ByteSource &bytes, const IsoBox &iinf, std::uint32_t id)
{
    const std::optional<FullBoxHead> head = readFullBoxHead(bytes, iinf);
    if (!head)
        return std::nullopt;
    // The entry count is 16 bits in version 0, 32 after; the boxes say the rest.
    IsoBoxWalk entries(bytes, iinf, head->version == 0 ? 6 : 8, int(kItems));
    while (const std::optional<IsoBox> infe = entries.find(fourCc("infe"))) {
        const std::optional<FullBoxHead> entry = readFullBoxHead(bytes, *infe);
        if (!entry || (entry->version != 2 && entry->version != 3))
            continue;
        // Item id (16 or 32 bits), protection index (16), item type.
        std::array<std::uint8_t, 10> fields{};
        const std::size_t length = entry->version == 2 ? 8 : 10;
        if (infe->size() < 4 + length || !readAt(bytes, infe->contents + 4, std::span(fields.data(), length)))
            return std::nullopt;
        const ByteReader read(std::span(fields.data(), length));
        const std::optional<std::uint32_t> entryId = entry->version == 2 ? read.be16(0) : read.be32(0);
        if (entryId == id)
            return read.be32(length - 4);
    }
    return std::nullopt;
}

// The property indices (1-based, 0 for none) associated with one item, in
// their order; an item has at most 255.
struct Associations {
    std::array<std::uint16_t, 255> index{};
    std::size_t count = 0;
};

// The entry of item `id` in one `ipma` box: true when it has one.
bool findAssociations(ByteSource &bytes, const IsoBox &ipma, std::uint32_t id, Associations &out)
{
    const std::optional<FullBoxHead> head = readFullBoxHead(bytes, ipma);
    const std::optional<std::uint32_t> entries = readBe32(bytes, ipma.contents + 4);
    if (!head || !entries || ipma.size() < 8)
        return false;
    const std::uint64_t idBytes = head->version < 1 ? 2 : 4;
    const std::uint64_t indexBytes = head->flags & 1 ? 2 : 1;
    std::uint64_t at = ipma.contents + 8;
    for (std::uint32_t entry = 0; entry < std::min(*entries, kItems); ++entry) {
        std::array<std::uint8_t, 5> fields{};
        const std::span idAndCount(fields.data(), std::size_t(idBytes + 1));
        if (!fitsInside(at, idAndCount.size(), ipma.end) || !readAt(bytes, at, idAndCount))
            return false;
        const ByteReader read(idAndCount);
        const std::uint32_t entryId = idBytes == 2 ? *read.be16(0) : *read.be32(0);
        const std::uint32_t count = fields[idBytes];
        at += idAndCount.size();
        const std::uint64_t listBytes = count * indexBytes;
        if (!fitsInside(at, listBytes, ipma.end))
            return false;
        if (entryId == id) {
            std::array<std::uint8_t, 2 * 255> list{};
            if (!readAt(bytes, at, std::span(list.data(), std::size_t(listBytes))))
                return false;
            for (std::uint32_t i = 0; i < count; ++i) {
                // The top bit marks an essential property; the rest is the index.
                out.index[i] = indexBytes == 2 ? std::uint16_t((list[2 * i] & 0x7F) << 8 | list[2 * i + 1])
                                               : std::uint16_t(list[i] & 0x7F);
            }
            out.count = count;
            return true;
        }
        at += listBytes;
    }
    return false;
}

// What one associated property says about the size and the turn.
struct Property {
    bool found = false;
    std::optional<PictureSize> size; // `ispe`
    std::optional<Transform> transform;
};

std::optional<Property> readProperty(ByteSource &bytes, const IsoBox &box)
{
    Property property{true, {}, {}};
    if (box.type == fourCc("ispe")) {
        // Version and flags, then the width and the height.
        std::array<std::uint8_t, 8> sides{};
        if (box.size() < 12 || !readAt(bytes, box.contents + 4, sides))
            return std::nullopt;
        const ByteReader read(sides);
        property.size = PictureSize{dimension(read.be32(0)), dimension(read.be32(4))};
    } else if (box.type == fourCc("irot") || box.type == fourCc("imir")) {
        const std::optional<std::uint32_t> field = box.size() < 1 ? std::nullopt : readByte(bytes, box.contents);
        if (!field)
            return std::nullopt;
        property.transform = box.type == fourCc("irot") ? rotation(*field) : mirror(*field);
    }
    return property;
}

// The primary item's header from the `iprp` box: its associations in the
// `ipma` boxes, the properties they point at in `ipco`.
PictureHeader primaryHeader(ByteSource &bytes, const IsoBox &iprp, std::uint32_t id)
{
    Associations associations;
    std::optional<IsoBox> ipco;
    bool associated = false;
    IsoBoxWalk children(bytes, iprp, 0, kPropertyBoxes);
    while (const std::optional<IsoBox> box = children.next()) {
        if (box->type == fourCc("ipco") && !ipco)
            ipco = box;
        else if (box->type == fourCc("ipma") && !associated)
            associated = findAssociations(bytes, *box, id, associations);
    }
    if (!ipco || !associated)
        return {};

    std::array<Property, 255> properties{};
    const std::uint16_t last = *std::max_element(associations.index.begin(), associations.index.end());
    IsoBoxWalk walk(bytes, *ipco, 0, kProperties);
    for (std::uint16_t index = 1; index <= last; ++index) {
        const std::optional<IsoBox> box = walk.next();
        if (!box)
            return {};
        for (std::size_t i = 0; i < associations.count; ++i) {
            if (associations.index[i] != index)
                continue;
            const std::optional<Property> property = readProperty(bytes, *box);
            if (!property)
                return {};
            properties[i] = *property;
        }
    }

    std::optional<PictureSize> size;
    Transform shown;
    for (std::size_t i = 0; i < associations.count; ++i) {
        if (associations.index[i] == 0)
            continue;
        if (properties[i].size && !size)
            size = properties[i].size;
        if (properties[i].transform)
            shown = shown.then(*properties[i].transform);
    }
    if (!size)
        return {};
    return {*size, shown.exifOrientation()};
}

} // namespace

bool hasHeifBrand(ByteSource &bytes)
{
    IsoBoxWalk top(bytes, 0, bytes.size(), 1);
    const std::optional<IsoBox> ftyp = top.next();
    if (!ftyp || ftyp->type != fourCc("ftyp"))
        return false;
    if (const std::optional<std::uint32_t> major = readBe32(bytes, ftyp->contents); major && isHeifBrand(*major))
        return true;
    // The minor version, then the compatible brands to the end of the box.
    std::uint64_t at = ftyp->contents + 8;
    for (int i = 0; i < kBrands && fitsInside(at, 4, ftyp->end); ++i, at += 4) {
        const std::optional<std::uint32_t> brand = readBe32(bytes, at);
        if (brand && isHeifBrand(*brand))
            return true;
    }
    return false;
}

PictureHeader heifHeader(ByteSource &bytes)
{
    if (!hasHeifBrand(bytes))
        return {};
    const std::optional<IsoBox> meta = findMeta(bytes);
    if (!meta || !readFullBoxHead(bytes, *meta))
        return {};
    MetaBoxes found;
    IsoBoxWalk children(bytes, *meta, 4, kMetaBoxes);
    while (const std::optional<IsoBox> box = children.next()) {
        std::optional<IsoBox> *slot = box->type == fourCc("pitm")   ? &found.primary
                                      : box->type == fourCc("iinf") ? &found.items
                                      : box->type == fourCc("iprp") ? &found.properties
                                                                    : nullptr;
        if (slot && !*slot)
            *slot = box;
    }
    if (!found.primary || !found.items || !found.properties)
        return {};
    const std::optional<std::uint32_t> id = primaryItem(bytes, *found.primary);
    if (!id)
        return {};
    const std::optional<std::uint32_t> type = itemType(bytes, *found.items, *id);
    if (!type || !isImageItemType(*type))
        return {};
    return primaryHeader(bytes, *found.properties, *id);
}

} // namespace imaging
