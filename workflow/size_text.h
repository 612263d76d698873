// Size texts: a picture's size as the decimal width, "-", the decimal height
// (1024-768; 0-0 when the header gave no size), kept in the work lists.
#pragma once

#include "imaging/picture_size.h"

#include <QString>

#include <cstdint>

namespace workflow {

QString sizeText(const imaging::PictureSize &size);

// The number before the first "-" / after the last "-". A text without "-"
// gives the same number for both. Blanks around the number are allowed; a
// piece that is not a number, or does not fit a signed 32-bit integer, is 0,
// the value of a size that could not be read.
std::int32_t GetSizeWidth(const QString &sizeText);
std::int32_t GetSizeHeight(const QString &sizeText);

} // namespace workflow
