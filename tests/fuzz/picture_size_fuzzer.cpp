// The header probe over arbitrary bytes. The first input byte says whether the
// file is named like a TGA; the rest is the file. Besides the sanitizers, it
// stops on a read the probe should never ask for (beyond the end), on work
// out of proportion to the input, on a negative side or an orientation out of
// 1 to 8, and when reading through blocks, as files are read, gives another
// header than reading directly.
#include "imaging/header_probe.h"

#include <cstdlib>

namespace {

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::span file(data + 1, size - 1);
    const bool tgaName = data[0] & 1;
    StrictSource direct(file);
    const imaging::PictureHeader header = imaging::probePictureHeader(direct, tgaName);
    const imaging::PictureSize picture = header.shown();
    if (picture.Width < 0 || picture.Height < 0 || header.orientation < 1 || header.orientation > 8)
        std::abort();
    StrictSource underBlocks(file);
    imaging::BlockedByteSource blocks(underBlocks);
    if (!(imaging::probePictureHeader(blocks, tgaName) == header))
        std::abort();
    return 0;
}
