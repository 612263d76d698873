#include "cli/terminal_text.h"
#include "platform/text_lines.h"

#include <gtest/gtest.h>

using namespace cli;

TEST(TerminalText, ChineseTakesTwoColumnsAndLongNamesAreCutInTheMiddle)
{
    EXPECT_EQ(terminalColumns(u"ab二零。ｘ"), 2 + 4 + 2 + 2);
    EXPECT_EQ(terminalColumns(u"e\u0301"), 1); // a combining accent
    const QString name = u"二零二四年春节全家福在老家院子里拍的合影第12张.png"_qs;
    const QString cut = cutInMiddle(name, 21);
    EXPECT_LE(terminalColumns(cut), 21);
    EXPECT_TRUE(cut.startsWith(u"二零二四"_qs) && cut.contains("...") && cut.endsWith(u"12张.png"_qs))
        << cut.toStdString();
    EXPECT_EQ(platform::printableText("a\nb\x1b[2J"), "a?b?[2J");

    // Every width, however narrow, gets a line that leaves its last column free.
    for (int columns = 2; columns <= 140; ++columns) {
        const QString line = progressBarLine({17, 340, 65'000, name}, columns);
        EXPECT_LT(terminalColumns(line), columns) << columns;
        if (columns >= 60 && columns <= 90) {
            EXPECT_TRUE(line.contains(u"17/340  已用 01:05  剩余"_qs) && line.contains("...")) << columns;
        }
    }
}

TEST(TerminalText, NamesWithControlCharactersAreQuotedAsLsQuotesThem)
{
    EXPECT_EQ(quotedName(QStringLiteral(u"普通 name.jpg")), QStringLiteral(u"普通 name.jpg"));
    EXPECT_EQ(quotedName("a\nb"), "'a'$'\\n''b'");
    EXPECT_EQ(quotedName("\x1b[31mred"), "$'\\033''[31mred'");
    EXPECT_EQ(quotedName("it's\t"), "'it'\\''s'$'\\t'");
    EXPECT_EQ(quotedName(QString(QChar(0x85))), "$'\\205'");
    // Bidirectional controls, which would turn the rest of the line around.
    EXPECT_EQ(quotedName(QStringLiteral(u"photo\u202Egpj.exe")), "'photo'$'\\u202e''gpj.exe'");
    EXPECT_EQ(quotedName(QStringLiteral(u"\u2066a\u2069\u200F")), "$'\\u2066''a'$'\\u2069\\u200f'");
}
