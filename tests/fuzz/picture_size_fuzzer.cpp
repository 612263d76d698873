// The header probe over arbitrary bytes. The first input byte says whether the
// file is named like a TGA; the rest is the file. Besides the sanitizers, it
// stops on a read the probe should never ask for (beyond the end), on work
// out of proportion to the input, on a negative side or an orientation out of
// 1 to 8, and when reading through blocks, as files are read, gives another
// header than reading directly.
#include "probe/header_probe.h"
#include "strict_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool tgaName = data[0] & 1;
    fuzz::checkProbe(std::span(data + 1, size - 1),
                     [tgaName](imaging::ByteSource &bytes) { return imaging::probePictureHeader(bytes, tgaName); });
    return 0;
}
