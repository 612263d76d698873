// The program's own TGA decoder over arbitrary bytes; see decode_exactly.h.
#include "engine/codecs/tga_file.h"

#include "decode_exactly.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::decodeExactly(data, size, imaging::parseTgaHeader, imaging::decodeTga);
    return 0;
}
