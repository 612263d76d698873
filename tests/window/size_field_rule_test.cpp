#include "window/size_field_rule.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

using window::boundedSizeText;

namespace {

// The field's text after each typed character, each change going through the rule.
QStringList typeInto(QString text, const QString &characters)
{
    QStringList shown;
    for (const QChar c : characters) {
        text = boundedSizeText(text + c);
        shown << text;
    }
    return shown;
}

} // namespace

TEST(SizeFieldRule, TypingUpToTheLimitAndPastIt)
{
    EXPECT_EQ(typeInto("", "163830"), QStringList({"1", "16", "163", "1638", "16383", ""}));
    EXPECT_EQ(typeInto("", "16384"), QStringList({"1", "16", "163", "1638", ""}));
    EXPECT_EQ(typeInto("", "1920"), QStringList({"1", "19", "192", "1920"})) << "a common size is kept whole";
    EXPECT_EQ(typeInto("", "0999"), QStringList({"0", "09", "099", "0999"}));
    EXPECT_EQ(typeInto("", "010240"), QStringList({"0", "01", "010", "0102", "01024", ""}))
        << "six characters are too many even with a small value";
}

TEST(SizeFieldRule, TextThatBreaksABoundIsEmptiedNotCut)
{
    EXPECT_EQ(boundedSizeText("16383"), "16383");
    EXPECT_EQ(boundedSizeText("16384"), "");
    EXPECT_EQ(boundedSizeText("99999"), "");
    EXPECT_EQ(boundedSizeText("000001"), "");
    EXPECT_EQ(boundedSizeText("1e9"), "");
    EXPECT_EQ(boundedSizeText("abc"), "abc") << "pasted text without a number is value 0";
    EXPECT_EQ(boundedSizeText("-5"), "-5");
    EXPECT_EQ(boundedSizeText(""), "");
}

TEST(SizeFieldRule, OnlyBackspaceAndDigitsMayBeTyped)
{
    EXPECT_TRUE(window::isSizeFieldCharacter(8));
    for (char32_t c = U'0'; c <= U'9'; ++c)
        EXPECT_TRUE(window::isSizeFieldCharacter(c));
    for (const char32_t c : {U'a', U' ', U'-', U'.', U'+', char32_t(22), char32_t(127), char32_t(13), U'/', U':',
                             U'\uFF11' /* fullwidth 1 */, U'\u4E00'})
        EXPECT_FALSE(window::isSizeFieldCharacter(c)) << unsigned(c);
}

TEST(SizeFieldRule, ValuesAndWholeValues)
{
    EXPECT_EQ(window::sizeFieldValue(u"0999"), 999);
    EXPECT_EQ(window::sizeFieldValue(u"abc"), 0);
    EXPECT_EQ(window::sizeFieldValue(u""), 0);
    EXPECT_EQ(window::sizeFieldValue(u" 64 0"), 640) << "blanks inside the number are ignored";
    EXPECT_EQ(window::sizeFieldWholeValue(u"12.5"), 12);
    EXPECT_EQ(window::sizeFieldWholeValue(u"13.5"), 14);
    EXPECT_EQ(window::sizeFieldWholeValue(u"-5e99"), std::nullopt);
}
