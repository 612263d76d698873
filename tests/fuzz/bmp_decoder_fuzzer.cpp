// The program's own BMP decoder over arbitrary bytes; see decode_exactly.h.
#include "engine/codecs/bmp_file.h"

#include "decode_exactly.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::decodeExactly(data, size, imaging::parseBmpHeader, imaging::decodeBmp);
    return 0;
}
