// The marker segments of a JPEG and the entropy-coded data after each scan
// header, one reading for the output check and the metadata code: a marker is
// 0xFF and a code; all but SOI, EOI, TEM and the restarts are followed by a
// 16-bit length that counts itself and the segment's contents.
#pragma once

#include "imaging/byte_order.h"

#include <cstdint>
#include <optional>

namespace imaging {

constexpr std::uint32_t kJpegStartOfScan = 0xDA;
constexpr std::uint32_t kJpegEndOfImage = 0xD9;

struct JpegSegment {
    std::uint64_t at = 0;     // its 0xFF
    std::uint32_t code = 0;   // the byte after it
    std::uint32_t length = 0; // the length field's value; 0 for a marker without one

    std::uint64_t contents() const { return at + 4; }
    std::uint64_t end() const { return at + 2 + length; }
};

// Fill bytes: any number of 0xFF may come before a marker's own.
enum class JpegFill { Refused, Skipped };

// The segment whose marker is at `at` (after fill bytes, when skipped), all
// of it inside the bytes; nothing when no marker is there, its length is
// below 2 or it runs past the end.
std::optional<JpegSegment> jpegSegmentAt(const ByteReader &jpeg, std::uint64_t at, JpegFill fill = JpegFill::Refused);

// Where the entropy-coded data from `from` on end: the offset of the first
// marker that is neither a stuffed zero nor a restart. Nothing when the
// bytes end first.
std::optional<std::uint64_t> jpegEntropyEnd(const ByteReader &jpeg, std::uint64_t from);

// The segments from just after SOI: each marker segment, and after a scan
// header the one that follows its entropy-coded data; EOI last. Nothing, with
// damaged() true, at a segment that does not fit or data that run off the end.
class JpegSegmentWalk {
public:
    explicit JpegSegmentWalk(const ByteReader &jpeg, JpegFill fill = JpegFill::Refused) : m_jpeg(jpeg), m_fill(fill) { }
    std::optional<JpegSegment> next();
    bool damaged() const { return m_damaged; }

private:
    const ByteReader &m_jpeg;
    JpegFill m_fill;
    std::uint64_t m_at = 2;
    bool m_ended = false;
    bool m_damaged = false;
};

} // namespace imaging
