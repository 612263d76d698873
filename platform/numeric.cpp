#include "platform/numeric.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace platform {

namespace {

bool isBlank(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

double numericValue(QStringView text)
{
    // Collect the characters of the number without blanks, then let strtod read
    // them, so the conversion itself is the C library's and correctly rounded.
    std::string number;
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto skipBlanks = [&] {
        while (i < n && isBlank(text[i]))
            ++i;
    };
    auto takeDigits = [&] {
        bool any = false;
        for (skipBlanks(); i < n && isDigit(text[i]); skipBlanks()) {
            number += char(text[i].unicode());
            ++i;
            any = true;
        }
        return any;
    };

    skipBlanks();
    if (i < n && (text[i] == u'+' || text[i] == u'-')) {
        number += char(text[i].unicode());
        ++i;
    }
    bool digits = takeDigits();
    if (i < n && text[i] == u'.') {
        number += '.';
        ++i;
        digits = takeDigits() || digits;
    }
    if (!digits)
        return 0.0;

    if (i < n && (text[i] == u'e' || text[i] == u'E' || text[i] == u'd' || text[i] == u'D')) {
        std::string exponent = "e";
        qsizetype j = i + 1;
        while (j < n && isBlank(text[j]))
            ++j;
        if (j < n && (text[j] == u'+' || text[j] == u'-'))
            exponent += char(text[j++].unicode());
        bool expDigits = false;
        for (; j < n && (isDigit(text[j]) || isBlank(text[j])); ++j) {
            if (isDigit(text[j])) {
                exponent += char(text[j].unicode());
                expDigits = true;
            }
        }
        if (expDigits)
            number += exponent;
    }
    return std::strtod(number.c_str(), nullptr);
}

std::optional<std::int32_t> roundToInt32(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // nearbyint rounds in the current mode, which the program leaves at the
    // default: to nearest, exact halves to even.
    const double rounded = std::nearbyint(value);
    if (rounded < double(std::numeric_limits<std::int32_t>::min())
        || rounded > double(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

} // namespace platform
