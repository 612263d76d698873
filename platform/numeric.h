// Numbers as the program reads and rounds them: the leading number of a text,
// and rounding to a 32-bit integer with exact halves going to the even neighbour.
#pragma once

#include <QStringView>

#include <cstdint>
#include <optional>

namespace platform {

// The leading decimal number of a text: blanks (spaces, tabs, line breaks) are
// ignored wherever they stand, an optional sign, digits, an optional fraction and
// exponent are taken; anything else ends the number. A text without a leading
// number has the value 0.
double numericValue(QStringView text);

// Rounds to the nearest 32-bit integer, exact halves to the even neighbour
// (212.5 -> 212, 319.5 -> 320). Values outside the 32-bit range, infinities
// and NaN have no 32-bit value.
std::optional<std::int32_t> roundToInt32(double value);

} // namespace platform
