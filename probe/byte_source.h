// Random access to the bytes of a picture file, so that the header probe runs
// the same over a file and over memory (tests, fuzzer).
#pragma once

#include "imaging/byte_order.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace imaging {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Fills `out` with the bytes from `offset` on; false when they cannot all
    // be read. The probe only asks for bytes that lie inside size().
    virtual bool read(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
};

class MemoryByteSource final : public ByteSource {
public:
    explicit MemoryByteSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) { }
    std::uint64_t size() const override { return m_bytes.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    std::span<const std::uint8_t> m_bytes;
};

// Serves reads from one block of the underlying source at a time. The probe
// asks for a few bytes at a time, mostly close together (a signature and the
// fields after it, the short segments of a JPEG header, a TIFF directory), and
// one read of 512 bytes, a fraction of the page the system reads anyway,
// answers most of them: probing a folder then costs little more than opening
// its files.
class BlockedByteSource final : public ByteSource {
public:
    explicit BlockedByteSource(ByteSource &source) : m_source(source) { }
    std::uint64_t size() const override { return m_source.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    ByteSource &m_source;
    std::array<std::uint8_t, 512> m_block{};
    std::uint64_t m_blockStart = 0;
    std::size_t m_blockLength = 0;
};

// The bytes from `start` on of another source, `length` at most, as a source
// of their own: a structure inside a file (a JPEG's EXIF block) with offsets
// counted from its own start.
class WindowByteSource final : public ByteSource {
public:
    WindowByteSource(ByteSource &base, std::uint64_t start, std::uint64_t length);
    std::uint64_t size() const override { return m_length; }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override;

private:
    ByteSource &m_base;
    std::uint64_t m_start;
    std::uint64_t m_length;
};

// True when `length` bytes from `offset` lie inside the source.
bool holds(const ByteSource &bytes, std::uint64_t offset, std::uint64_t length);

// Reads `out.size()` bytes at `offset` after checking they lie inside the
// source, so no caller can ask for a byte beyond the end.
bool readAt(ByteSource &bytes, std::uint64_t offset, std::span<std::uint8_t> out);

// Unsigned integers at an offset; nothing when they are not all in the source.
std::optional<std::uint32_t> readByte(ByteSource &bytes, std::uint64_t offset);
std::optional<std::uint32_t> readLe16(ByteSource &bytes, std::uint64_t offset);
std::optional<std::uint32_t> readBe16(ByteSource &bytes, std::uint64_t offset);
std::optional<std::uint32_t> readLe32(ByteSource &bytes, std::uint64_t offset);
std::optional<std::uint32_t> readBe32(ByteSource &bytes, std::uint64_t offset);

// ByteReader's reading of integers over a source, so that one walker of a
// format's structure (imaging/png_chunk_walk.h and the like, templates over
// their reader) serves the probe, which reads a file a few bytes at a time,
// and the code that holds the bytes in memory.
class SourceReader {
public:
    explicit SourceReader(ByteSource &bytes) : m_bytes(&bytes) { }
    std::uint64_t size() const { return m_bytes->size(); }
    bool holds(std::uint64_t offset, std::uint64_t length) const { return fitsInside(offset, length, size()); }
    std::optional<std::uint32_t> u8(std::uint64_t offset) const { return readByte(*m_bytes, offset); }
    std::optional<std::uint32_t> be16(std::uint64_t offset) const { return readBe16(*m_bytes, offset); }
    std::optional<std::uint32_t> le16(std::uint64_t offset) const { return readLe16(*m_bytes, offset); }
    std::optional<std::uint32_t> be32(std::uint64_t offset) const { return readBe32(*m_bytes, offset); }
    std::optional<std::uint32_t> le32(std::uint64_t offset) const { return readLe32(*m_bytes, offset); }
    ByteSource &source() const { return *m_bytes; }

private:
    ByteSource *m_bytes;
};

// A stored dimension as a size: 0 when it was not read or does not fit a
// signed 32-bit integer.
std::int32_t dimension(std::optional<std::uint32_t> stored);
// The same for a size stored as a signed integer: 0 also when it is negative.
std::int32_t dimension(std::optional<std::int64_t> stored);

} // namespace imaging
