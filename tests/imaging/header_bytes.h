// Hand-made picture headers for the probe tests: the cases libvips does not
// write (big-endian TIFF, top-down BMP, odd JPEG markers, TGA and icon headers).
#pragma once

#include "imaging/picture_size.h"

#include <QByteArray>

#include <cstdlib>
#include <initializer_list>
#include <ostream>
#include <vector>

namespace imaging {
inline void PrintTo(const PictureSize &s, std::ostream *os) { *os << '(' << s.Width << ", " << s.Height << ')'; }
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
    const QByteArray pixels = withPixels ? QByteArray((width * 3 + 3) / 4 * 4 * std::abs(height), '\x7F') : QByteArray();
    const QByteArray info = coreHeader
        ? le32(12) + le16(width) + le16(height) + le16(1) + le16(24)
        : le32(40) + le32(width) + le32(quint32(height)) + le16(1) + le16(24) + QByteArray(24, '\0');
    const int offset = 14 + info.size();
    return "BM" + le32(offset + pixels.size()) + le32(0) + le32(offset) + info + pixels;
}

struct TiffEntry {
    quint16 tag;
    quint16 type; // 3 SHORT, 4 LONG
    quint32 count;
    quint32 value;
};

// A TIFF whose first directory follows `data` (stored from offset 8); the
// directory offset at byte 4 says where it is.
inline QByteArray tiff(bool bigEndian, const std::vector<TiffEntry> &entries, QByteArray data = {})
{
    auto u16 = [&](quint32 v) { return bigEndian ? be16(v) : le16(v); };
    auto u32 = [&](quint32 v) { return bigEndian ? be32(v) : le32(v); };
    if (data.size() % 2)
        data.append('\0');
    QByteArray out = QByteArray(bigEndian ? "MM" : "II") + u16(42) + u32(8 + quint32(data.size())) + data;
    out += u16(quint32(entries.size()));
    for (const TiffEntry &e : entries)
        out += u16(e.tag) + u16(e.type) + u32(e.count) + (e.type == 3 ? u16(e.value) + u16(0) : u32(e.value));
    return out + u32(0);
}

// A decodable 8-bit grey TIFF, the sides stored as SHORT or LONG.
inline QByteArray greyTiff(bool bigEndian, quint32 width, quint32 height, quint16 sideType)
{
    return tiff(bigEndian,
                {{256, sideType, 1, width}, {257, sideType, 1, height}, {258, 3, 1, 8}, {259, 3, 1, 1},
                 {262, 3, 1, 1}, {273, 4, 1, 8}, {277, 3, 1, 1}, {278, 4, 1, height}, {279, 4, 1, width * height}},
                QByteArray(int(width * height), '\x40'));
}

inline QByteArray jpegSegment(int code, const QByteArray &payload)
{
    return bytes({0xFF, code}) + be16(quint32(payload.size()) + 2) + payload;
}

inline QByteArray jpegFrame(int code, quint32 width, quint32 height)
{
    return jpegSegment(code, bytes({8}) + be16(height) + be16(width) + bytes({1, 1, 0x11, 0}));
}

inline const QByteArray kJpegStart = bytes({0xFF, 0xD8}) + jpegSegment(0xE0, QByteArray("JFIF\0\1\1\0\0\1\0\1\0\0", 14));

inline QByteArray tga(int imageType, quint32 width, quint32 height)
{
    return bytes({0, 0, imageType}) + QByteArray(9, '\0') + le16(width) + le16(height) + bytes({24, 0});
}

} // namespace hdr
