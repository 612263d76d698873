#include "probe/jpeg_segments.h"

#include <algorithm>

namespace imaging {

std::optional<JpegSegment> jpegSegmentAt(const ByteReader &jpeg, std::uint64_t at, JpegFill fill)
{
    if (fill == JpegFill::Skipped) {
        while (jpeg.u8(at) == 0xFFu && jpeg.u8(at + 1) == 0xFFu)
            ++at;
    }
    const auto marker = jpeg.be16(at);
    if (!marker || (*marker >> 8) != 0xFF)
        return std::nullopt;
    const std::uint32_t code = *marker & 0xFF;
    if (code == kJpegEndOfImage || code == 0xD8 || code == 0x01 || (code >= 0xD0 && code <= 0xD7))
        return JpegSegment{at, code, 0};
    const auto length = jpeg.be16(at + 2);
    if (!length || *length < 2 || !jpeg.holds(at + 2, *length))
        return std::nullopt;
    return JpegSegment{at, code, *length};
}

std::optional<std::uint64_t> jpegEntropyEnd(const ByteReader &jpeg, std::uint64_t from)
{
    const auto data = jpeg.bytes(from, jpeg.size() - std::min(from, jpeg.size()));
    if (!data)
        return std::nullopt;
    for (auto p = std::find(data->begin(), data->end(), 0xFF); p != data->end();
         p = std::find(p, data->end(), std::uint8_t(0xFF))) {
        if (p + 1 == data->end())
            return std::nullopt;
        const std::uint8_t next = p[1];
        if (next != 0x00 && (next < 0xD0 || next > 0xD7))
            return from + std::uint64_t(p - data->begin());
        p += 2;
    }
    return std::nullopt;
}

std::optional<JpegSegment> JpegSegmentWalk::next()
{
    if (m_ended || m_damaged)
        return std::nullopt;
    const auto segment = jpegSegmentAt(m_jpeg, m_at, m_fill);
    const auto end = !segment                            ? std::nullopt
                     : segment->code == kJpegStartOfScan ? jpegEntropyEnd(m_jpeg, segment->end())
                                                         : std::optional(segment->end());
    if (!end) {
        m_damaged = true;
        return std::nullopt;
    }
    m_ended = segment->code == kJpegEndOfImage;
    m_at = *end;
    return segment;
}

} // namespace imaging
