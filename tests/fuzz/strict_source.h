// A source over the fuzzer's input that stops the run on a read the probe
// should never ask for (beyond the end) and on work out of proportion to the
// input (more reads than bytes), and the checks every header fuzzer makes.
#pragma once

#include "probe/byte_source.h"
#include "imaging/picture_size.h"

#include <cstdlib>

namespace fuzz {

class StrictSource final : public imaging::ByteSource {
public:
    explicit StrictSource(std::span<const std::uint8_t> bytes) : m_memory(bytes) { }
    std::uint64_t size() const override { return m_memory.size(); }
    bool read(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        if (offset > size() || out.size() > size() - offset || ++reads > size() + 16)
            std::abort();
        return m_memory.read(offset, out);
    }
    std::uint64_t reads = 0;

private:
    imaging::MemoryByteSource m_memory;
};

// Runs `probe` over the file directly and through blocks, as files are read:
// no negative side, an orientation of 1 to 8, the same header both ways.
template <typename Probe> void checkProbe(std::span<const std::uint8_t> file, Probe probe)
{
    StrictSource direct(file);
    const imaging::PictureHeader header = probe(static_cast<imaging::ByteSource &>(direct));
    const imaging::PictureSize picture = header.shown();
    if (picture.Width < 0 || picture.Height < 0 || header.orientation < 1 || header.orientation > 8)
        std::abort();
    StrictSource underBlocks(file);
    imaging::BlockedByteSource blocks(underBlocks);
    if (!(probe(static_cast<imaging::ByteSource &>(blocks)) == header))
        std::abort();
}

} // namespace fuzz
