// The header probe over bytes in memory, for the probe tests: a source that
// fails the test when the probe asks for a byte beyond the end, and probing
// both directly and through blocks, as files are read, which must agree.
#pragma once

#include "probe/header_bytes.h"
#include "probe/header_probe.h"

#include <QByteArray>

#include <gtest/gtest.h>

#include <cstring>

namespace probetest {

class CheckedSource final : public imaging::ByteSource {
public:
    explicit CheckedSource(const QByteArray &bytes) : m_bytes(bytes) { }
    std::uint64_t size() const override { return std::uint64_t(m_bytes.size()); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        EXPECT_LE(offset + out.size(), size()) << "read outside the data at " << offset;
        if (offset + out.size() > size())
            return false;
        std::memcpy(out.data(), m_bytes.constData() + offset, out.size());
        bytesRead += out.size();
        return true;
    }
    std::size_t bytesRead = 0;

private:
    QByteArray m_bytes;
};

inline imaging::PictureHeader probeHeader(const QByteArray &bytes, bool tgaName = false)
{
    CheckedSource direct(bytes), underBlocks(bytes);
    imaging::BlockedByteSource blocks(underBlocks);
    const imaging::PictureHeader header = imaging::probePictureHeader(direct, tgaName);
    EXPECT_EQ(imaging::probePictureHeader(blocks, tgaName), header);
    return header;
}

inline imaging::PictureSize probe(const QByteArray &bytes, bool tgaName = false)
{
    return probeHeader(bytes, tgaName).shown();
}

} // namespace probetest
