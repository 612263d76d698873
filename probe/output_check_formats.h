// The output check's readings of the formats that take most of it, each in
// a file of its own: PNG (output_check_png.cpp) and the formats made of ISO
// boxes, HEIC, AVIF and JPEG XL (output_check_boxes.cpp). Each gives empty
// when the bytes are such a file, else what is wrong with them.
#pragma once

#include <QString>

#include <cstdint>
#include <span>
#include <string_view>

namespace imaging {

class ByteReader;

QString pngDefect(const ByteReader &png, int width, int height);
QString heifDefect(std::span<const std::uint8_t> data, std::string_view brand, std::uint32_t itemType);
QString jpegXlDefect(std::span<const std::uint8_t> data);

} // namespace imaging
