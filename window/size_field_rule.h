// The rules of the four size-limit fields (width and height, batch and single
// picture): which characters they take, what text they keep, what they mean.
#pragma once

#include <QString>
#include <QStringView>

#include <cstdint>
#include <optional>

namespace window {

inline constexpr int kSizeFieldMaxLength = 5;
// The largest value a size field takes: the largest side tarvel-batch makes.
inline constexpr std::int32_t kSizeFieldMax = 16383;

// Backspace (8) and the digits 0 to 9; every other typed character is discarded.
bool isSizeFieldCharacter(char32_t character);

// The text a size field keeps after its text changed to `text`: empty when it is
// longer than 5 characters or its value is above
// kSizeFieldMax, else `text` unchanged.
// Text that breaks a bound is emptied, never cut back to the bound.
QString boundedSizeText(const QString &text);

// The number a field's text denotes: its leading decimal number, blanks
// ignored, 0 when there is none.
double sizeFieldValue(QStringView text);

// That number rounded to a whole one, halves to the even neighbour; nothing for
// a value outside the 32-bit range.
std::optional<std::int32_t> sizeFieldWholeValue(QStringView text);

} // namespace window
