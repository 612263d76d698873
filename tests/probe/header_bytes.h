// Hand-made picture headers for the probe tests: the cases libvips does not
// write (big-endian TIFF, top-down BMP, odd JPEG markers, TGA and icon headers).
#pragma once

#include "imaging/picture_size.h"

#include <QByteArray>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <ostream>
#include <vector>

namespace imaging {
inline void PrintTo(const PictureSize &s, std::ostream *os) { *os << '(' << s.Width << ", " << s.Height << ')'; }
inline void PrintTo(const PictureHeader &h, std::ostream *os)
{
    PrintTo(h.stored, os);
    *os << " orientation " << h.orientation;
}
} // namespace imaging

namespace hdr {

inline QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}
inline QByteArray le16(quint32 v) { return bytes({int(v & 0xFF), int(v >> 8 & 0xFF)}); }
inline QByteArray be16(quint32 v) { return bytes({int(v >> 8 & 0xFF), int(v & 0xFF)}); }
inline QByteArray le32(quint32 v) { return le16(v & 0xFFFF) + le16(v >> 16); }
inline QByteArray be32(quint32 v) { return be16(v >> 16) + be16(v & 0xFFFF); }

inline QByteArray png(quint32 width, quint32 height)
{
    return QByteArray("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + be32(width) + be32(height) + bytes({8, 2, 0, 0, 0});
}

// A 24-bit BMP with its pixels, so that real decoders read it too. A negative
// height stores the rows top to bottom; `coreHeader` writes the old 12-byte header.
inline QByteArray bmp(qint32 width, qint32 height, bool coreHeader = false, bool withPixels = true)
{
    const QByteArray pixels
        = withPixels ? QByteArray((width * 3 + 3) / 4 * 4 * std::abs(height), '\x7F') : QByteArray();
    const QByteArray info
        = coreHeader ? le32(12) + le16(width) + le16(height) + le16(1) + le16(24)
                     : le32(40) + le32(width) + le32(quint32(height)) + le16(1) + le16(24) + QByteArray(24, '\0');
    const int offset = 14 + info.size();
    return "BM" + le32(offset + pixels.size()) + le32(0) + le32(offset) + info + pixels;
}

struct TiffEntry {
    quint16 tag;
    quint16 type; // 1 BYTE, 3 SHORT, 4 LONG, 6 SBYTE, 8 SSHORT, 9 SLONG, 16 LONG8, 17 SLONG8
    quint64 count;
    quint64 value;
};

// `v` in its `n` low bytes, in the given byte order.
inline QByteArray inOrder(bool bigEndian, quint64 v, int n)
{
    QByteArray out(n, '\0');
    for (int i = 0; i < n; ++i)
        out[bigEndian ? n - 1 - i : i] = char(v >> 8 * i & 0xFF);
    return out;
}

// Bytes of one value of an integer type; any other type stands for an offset.
inline int tiffValueBytes(quint16 type)
{
    switch (type) {
    case 1:
    case 6: return 1;
    case 3:
    case 8: return 2;
    case 16:
    case 17: return 8;
    default: return 4;
    }
}

// A TIFF whose first directory follows `data` (stored after the header); the
// header says where it is. A BigTIFF (`big`) has 8-byte offsets, counts and
// value fields. A value narrower than its field is left-justified, the rest of
// the field filled with junk that readers must ignore.
inline QByteArray tiff(bool bigEndian, const std::vector<TiffEntry> &entries, QByteArray data = {}, bool big = false)
{
    const int word = big ? 8 : 4;
    auto u = [&](quint64 v, int n) { return inOrder(bigEndian, v, n); };
    if (data.size() % 2)
        data.append('\0');
    QByteArray out = QByteArray(bigEndian ? "MM" : "II") + u(big ? 43 : 42, 2);
    if (big)
        out += u(8, 2) + u(0, 2);
    out += u(quint64(out.size() + word + data.size()), word) + data + u(entries.size(), big ? 8 : 2);
    for (const TiffEntry &e : entries) {
        const int bytes = std::min(tiffValueBytes(e.type), word);
        out += u(e.tag, 2) + u(e.type, 2) + u(e.count, word) + u(e.value, bytes) + QByteArray(word - bytes, '\xEE');
    }
    return out + u(0, word);
}

inline QByteArray bigTiff(bool bigEndian, const std::vector<TiffEntry> &entries, QByteArray data = {})
{
    return tiff(bigEndian, entries, data, true);
}

// A decodable 8-bit grey TIFF or BigTIFF, the sides stored as `sideType`.
inline QByteArray greyTiff(bool bigEndian, quint32 width, quint32 height, quint16 sideType, bool big = false)
{
    return tiff(bigEndian,
                {{256, sideType, 1, width},
                 {257, sideType, 1, height},
                 {258, 3, 1, 8},
                 {259, 3, 1, 1},
                 {262, 3, 1, 1},
                 {273, 4, 1, big ? 16u : 8u},
                 {277, 3, 1, 1},
                 {278, 4, 1, height},
                 {279, 4, 1, width * height}},
                QByteArray(int(width * height), '\x40'), big);
}

inline QByteArray jpegSegment(int code, const QByteArray &payload)
{
    return bytes({0xFF, code}) + be16(quint32(payload.size()) + 2) + payload;
}

inline QByteArray jpegFrame(int code, quint32 width, quint32 height)
{
    return jpegSegment(code, bytes({8}) + be16(height) + be16(width) + bytes({1, 1, 0x11, 0}));
}

inline const QByteArray kJpegStart
    = bytes({0xFF, 0xD8}) + jpegSegment(0xE0, QByteArray("JFIF\0\1\1\0\0\1\0\1\0\0", 14));

inline QByteArray tga(int imageType, quint32 width, quint32 height)
{
    // Colour-mapped types (1, 9) have a colour map (type 1).
    return bytes({0, imageType % 8 == 1, imageType}) + QByteArray(9, '\0') + le16(width) + le16(height)
           + bytes({24, 0});
}

} // namespace hdr
