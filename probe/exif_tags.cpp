#include "probe/exif_tags.h"

#include <algorithm>
#include <array>
#include <span>

namespace imaging {

namespace {

constexpr std::uint16_t kByte = 1, kAscii = 2, kShort = 3, kRational = 5, kUndefined = 7, kSignedRational = 10;

// Make, model, software, date and time, artist, copyright.
constexpr auto kMain = std::to_array<ExifTagRule>({{271, kAscii, 0},
                                                   {272, kAscii, 0},
                                                   {305, kAscii, 0},
                                                   {306, kAscii, 20},
                                                   {315, kAscii, 0},
                                                   {33432, kAscii, 0}});

// Exposure time, f-number, exposure program, ISO and its kind, EXIF version,
// the dates taken and digitized with their offsets and sub-seconds, the
// components' order, shutter, aperture, brightness, bias, largest aperture,
// subject distance, metering, light source, flash, focal length, Flashpix
// version, exposure mode, white balance, digital zoom, 35 mm focal length,
// scene type, contrast, saturation, sharpness, the lens's specification,
// make and model.
constexpr auto kExif = std::to_array<ExifTagRule>(
    {{33434, kRational, 1},  {33437, kRational, 1},  {34850, kShort, 1},        {34855, kShort, 1},
     {34864, kShort, 1},     {36864, kUndefined, 4}, {36867, kAscii, 20},       {36868, kAscii, 20},
     {36880, kAscii, 7},     {36881, kAscii, 7},     {36882, kAscii, 7},        {37121, kUndefined, 4},
     {37377, kSignedRational, 1}, {37378, kRational, 1}, {37379, kSignedRational, 1}, {37380, kSignedRational, 1},
     {37381, kRational, 1},  {37382, kRational, 1},  {37383, kShort, 1},        {37384, kShort, 1},
     {37385, kShort, 1},     {37386, kRational, 1},  {37520, kAscii, 0},        {37521, kAscii, 0},
     {37522, kAscii, 0},     {40960, kUndefined, 4}, {41986, kShort, 1},        {41987, kShort, 1},
     {41988, kRational, 1},  {41989, kShort, 1},     {41990, kShort, 1},        {41992, kShort, 1},
     {41993, kShort, 1},     {41994, kShort, 1},     {42034, kRational, 4},     {42035, kAscii, 0},
     {42036, kAscii, 0}});

// The GPS directory, kept only when asked for: version, latitude, longitude,
// altitude, time, satellites, status, measure mode, precision, speed, track,
// direction, datum, destination, date, differential correction and error.
// Processing method and area information (free-form) are not kept.
constexpr auto kGps = std::to_array<ExifTagRule>(
    {{0, kByte, 4},      {1, kAscii, 2},  {2, kRational, 3},  {3, kAscii, 2},  {4, kRational, 3},  {5, kByte, 1},
     {6, kRational, 1},  {7, kRational, 3}, {8, kAscii, 0},   {9, kAscii, 2},  {10, kAscii, 2},    {11, kRational, 1},
     {12, kAscii, 2},    {13, kRational, 1}, {14, kAscii, 2}, {15, kRational, 1}, {16, kAscii, 2}, {17, kRational, 1},
     {18, kAscii, 0},    {19, kAscii, 2}, {20, kRational, 3}, {21, kAscii, 2}, {22, kRational, 3}, {23, kAscii, 2},
     {24, kRational, 1}, {25, kAscii, 2}, {26, kRational, 1}, {29, kAscii, 11}, {30, kShort, 1},   {31, kRational, 1}});

std::optional<ExifTagRule> find(std::span<const ExifTagRule> rules, std::uint32_t tag)
{
    const auto rule = std::find_if(rules.begin(), rules.end(), [&](const ExifTagRule &r) { return r.tag == tag; });
    return rule == rules.end() ? std::nullopt : std::optional(*rule);
}

} // namespace

std::optional<ExifTagRule> keptExifTag(ExifDirectory directory, std::uint32_t tag)
{
    switch (directory) {
    case ExifDirectory::Main: return find(kMain, tag);
    case ExifDirectory::Exif: return find(kExif, tag);
    case ExifDirectory::Gps: return find(kGps, tag);
    }
    return std::nullopt;
}

} // namespace imaging
