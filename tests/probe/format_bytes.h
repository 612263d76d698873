// Hand-made headers of the formats read by the probe but not yet decoded:
// ISO boxes for HEIF, AVIF and the JPEG XL container, WebP chunks, JPEG XL
// size headers bit by bit, PNG chunks. Only what the probe reads are
// real; the pixel data are stand-ins.
#pragma once

#include "probe/header_bytes.h"

#include <QByteArray>

#include <vector>

namespace fmt {

using hdr::be16;
using hdr::be32;
using hdr::bytes;
using hdr::le16;
using hdr::le32;

inline QByteArray be64(quint64 v) { return be32(quint32(v >> 32)) + be32(quint32(v)); }

// A box; `large` writes its size in the 64-bit field.
inline QByteArray box(const char *type, const QByteArray &contents, bool large = false)
{
    if (large)
        return be32(1) + QByteArray(type, 4) + be64(16 + quint64(contents.size())) + contents;
    return be32(quint32(8 + contents.size())) + QByteArray(type, 4) + contents;
}

inline QByteArray fullBox(const char *type, int version, quint32 flags, const QByteArray &contents, bool large = false)
{
    return box(type, be32(quint32(version) << 24 | flags) + contents, large);
}

inline QByteArray ispe(quint32 width, quint32 height) { return fullBox("ispe", 0, 0, be32(width) + be32(height)); }
inline QByteArray irot(int angle) { return box("irot", bytes({angle})); }
inline QByteArray imir(int axis) { return box("imir", bytes({axis})); }

struct HeifItem {
    quint32 id;
    const char *type;
    std::vector<quint16> properties; // 1-based indices into the properties, top bit essential
};

// A HEIF (or, by its brands, AVIF) file: ftyp, meta with hdlr, pitm, iinf,
// iprp (ipco, ipma), then an mdat. `version` picks the wide forms: pitm and
// ipma version 1 (32-bit ids), infe version 3; `wideIndices` sets ipma's flag
// for 15-bit property indices.
struct Heif {
    QByteArray brands = "heicmif1";
    quint32 primary = 1;
    std::vector<HeifItem> items;
    std::vector<QByteArray> properties;
    bool wide = false;
    bool wideIndices = false;
    bool largeMeta = false;

    QByteArray ipma() const
    {
        QByteArray entries = be32(quint32(items.size()));
        for (const HeifItem &item : items) {
            entries += (wide ? be32(item.id) : be16(item.id)) + bytes({int(item.properties.size())});
            for (quint16 index : item.properties)
                entries += wideIndices ? be16(index) : bytes({index & 0xFF});
        }
        return fullBox("ipma", wide, wideIndices, entries);
    }

    QByteArray meta() const
    {
        QByteArray infes;
        for (const HeifItem &item : items) {
            const QByteArray id = wide ? be32(item.id) : be16(item.id);
            infes += fullBox("infe", wide ? 3 : 2, 0, id + be16(0) + QByteArray(item.type, 4) + bytes({0}));
        }
        QByteArray ipco;
        for (const QByteArray &property : properties)
            ipco += property;
        const QByteArray hdlr = fullBox("hdlr", 0, 0, QByteArray(4, '\0') + "pict" + QByteArray(13, '\0'));
        const QByteArray pitm = fullBox("pitm", wide, 0, wide ? be32(primary) : be16(primary));
        const QByteArray iinf = fullBox("iinf", 0, 0, be16(quint32(items.size())) + infes);
        return fullBox("meta", 0, 0, hdlr + pitm + iinf + box("iprp", box("ipco", ipco) + ipma()), largeMeta);
    }

    QByteArray file() const
    {
        return box("ftyp", brands.left(4) + be32(0) + brands) + meta() + box("mdat", QByteArray(16, '\x55'));
    }
};

// One picture item of type hvc1 with the given properties, all associated
// in their order.
inline Heif singleItem(std::vector<QByteArray> properties)
{
    Heif heif;
    std::vector<quint16> indices;
    for (std::size_t i = 0; i < properties.size(); ++i)
        indices.push_back(quint16(0x80 | (i + 1)));
    heif.items = {{1, "hvc1", indices}};
    heif.properties = std::move(properties);
    return heif;
}

// A RIFF file of WebP chunks, each padded to an even length.
inline QByteArray webpChunk(const char *type, const QByteArray &contents)
{
    return QByteArray(type, 4) + le32(quint32(contents.size())) + contents + QByteArray(contents.size() % 2, '\0');
}
inline QByteArray webp(const QByteArray &chunks) { return "RIFF" + le32(quint32(4 + chunks.size())) + "WEBP" + chunks; }

// A lossy key frame's header with the raw 16-bit fields (14 bits of side, 2 of scale).
inline QByteArray vp8(quint32 widthField, quint32 heightField, bool keyFrame = true)
{
    return webpChunk("VP8 ", bytes({keyFrame ? 0x10 : 0x11, 0x02, 0x00, 0x9D, 0x01, 0x2A}) + le16(widthField)
                                 + le16(heightField) + QByteArray(8, '\0'));
}
inline QByteArray vp8l(quint32 width, quint32 height, int version = 0)
{
    return webpChunk("VP8L", bytes({0x2F}) + le32((width - 1) | (height - 1) << 14 | quint32(version) << 29)
                                 + QByteArray(4, '\0'));
}
inline QByteArray vp8x(quint32 width, quint32 height, int flags)
{
    auto le24 = [](quint32 v) { return le32(v).left(3); };
    return webpChunk("VP8X", bytes({flags, 0, 0, 0}) + le24(width - 1) + le24(height - 1));
}

// Bits written as the JPEG XL codestream reads them: from the lowest bit of
// each byte on, each field's lowest bit first.
class BitWriter {
public:
    BitWriter &put(quint64 value, int count)
    {
        for (int i = 0; i < count; ++i, ++m_bits) {
            if (m_bits % 8 == 0)
                m_bytes.append('\0');
            m_bytes[m_bytes.size() - 1] = char(m_bytes.back() | int(value >> i & 1) << (m_bits % 8));
        }
        return *this;
    }
    // A side in the long form: selector `which` of the bit counts 9, 13, 18, 30.
    BitWriter &side(quint32 value, int which)
    {
        static constexpr int kBits[] = {9, 13, 18, 30};
        return put(quint64(which), 2).put(value - 1, kBits[which]);
    }
    QByteArray bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
    int m_bits = 0;
};

inline const QByteArray kJxlSignatureBox = QByteArray("\0\0\0\x0CJXL \r\n\x87\n", 12);
inline QByteArray jxlContainer(const QByteArray &boxes)
{
    return kJxlSignatureBox + box("ftyp", "jxl " + be32(0) + "jxl ") + boxes;
}

inline QByteArray pngChunk(const char *type, const QByteArray &data)
{
    return be32(quint32(data.size())) + QByteArray(type, 4) + data + be32(0);
}

} // namespace fmt
