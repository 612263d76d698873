#include "window/size_field_rule.h"

#include "platform/numeric.h"

namespace window {

bool isSizeFieldCharacter(char32_t character) { return character == 8 || (character >= U'0' && character <= U'9'); }

QString boundedSizeText(const QString &text)
{
    if (text.size() > kSizeFieldMaxLength || sizeFieldValue(text) > kSizeFieldMax)
        return {};
    return text;
}

double sizeFieldValue(QStringView text) { return platform::numericValue(text); }

std::optional<std::int32_t> sizeFieldWholeValue(QStringView text)
{
    return platform::roundToInt32(sizeFieldValue(text));
}

} // namespace window
