// The png parser of the header probe on its own, over arbitrary bytes taken
// as a PNG's chunks up to IDAT, with the checks of every header fuzzer (strict_source.h): every
// run reaches the parser, past the signature test that picture_size makes.
#include "probe/png_header.h"
#include "strict_source.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::checkProbe(std::span(data, size), [](imaging::ByteSource &bytes) { return imaging::pngHeader(bytes); });
    return 0;
}
