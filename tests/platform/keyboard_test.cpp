#include "platform/keyboard.h"

#include "support/qt_printers.h"

#include <gtest/gtest.h>

using platform::typedText;

TEST(Keyboard, CtrlLetterTypesItsControlCharacterOnEveryPlatform)
{
    EXPECT_EQ(typedText(Qt::Key_V, Qt::ControlModifier, "v"), QString(QChar(22)));
    EXPECT_EQ(typedText(Qt::Key_V, Qt::ControlModifier, QString(QChar(22))), QString(QChar(22)));
    EXPECT_EQ(typedText(Qt::Key_V, Qt::ControlModifier, ""), QString(QChar(22)));
    EXPECT_EQ(typedText(Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, "A"), QString(QChar(1)));
    // AltGr arrives as Ctrl+Alt and types ordinary characters.
    EXPECT_EQ(typedText(Qt::Key_E, Qt::ControlModifier | Qt::AltModifier, QStringLiteral("€")), "€");
}

TEST(Keyboard, KeysThatTypeNothing)
{
    EXPECT_EQ(typedText(Qt::Key_Delete, {}, QStringLiteral("\x7f")), "");
    EXPECT_EQ(typedText(Qt::Key_Tab, {}, "\t"), "");
    EXPECT_EQ(typedText(Qt::Key_Left, {}, ""), "");
    EXPECT_EQ(typedText(Qt::Key_Backspace, {}, "\b"), "\b");
    EXPECT_EQ(typedText(Qt::Key_5, Qt::KeypadModifier, "5"), "5");
}

TEST(Keyboard, KeyCodesAndMasks)
{
    EXPECT_EQ(platform::keyCode(Qt::Key_A, Qt::ShiftModifier), 65) << "one code for both cases";
    EXPECT_EQ(platform::keyCode(Qt::Key_7, {}), 55);
    EXPECT_EQ(platform::keyCode(Qt::Key_7, Qt::KeypadModifier), 103);
    EXPECT_EQ(platform::keyCode(Qt::Key_F12, {}), 123);
    EXPECT_EQ(platform::keyCode(Qt::Key_Plus, Qt::KeypadModifier), 107);
    EXPECT_EQ(platform::keyCode(Qt::Key_Period, Qt::KeypadModifier), 110);
    // One code per key, whatever Shift makes it type: "+" is Shift and "=".
    const std::pair<int, int> sameKey[] = {{Qt::Key_Exclam, Qt::Key_1},
                                           {Qt::Key_ParenRight, Qt::Key_0},
                                           {Qt::Key_Plus, Qt::Key_Equal},
                                           {Qt::Key_Less, Qt::Key_Comma},
                                           {Qt::Key_Question, Qt::Key_Slash},
                                           {Qt::Key_BraceRight, Qt::Key_BracketRight},
                                           {Qt::Key_QuoteDbl, Qt::Key_Apostrophe},
                                           {Qt::Key_AsciiTilde, Qt::Key_QuoteLeft}};
    for (const auto &[shifted, plain] : sameKey)
        EXPECT_EQ(platform::keyCode(shifted, Qt::ShiftModifier), platform::keyCode(plain, {})) << plain;
    EXPECT_EQ(platform::keyCode(Qt::Key_Exclam, Qt::ShiftModifier), 49);
    EXPECT_EQ(platform::keyCode(Qt::Key_Plus, {}), 187);
    EXPECT_EQ(platform::keyCode(Qt::Key_Comma, Qt::ControlModifier), 188);
    EXPECT_EQ(platform::keyCode(Qt::Key_QuoteLeft, {}), 192);
    EXPECT_EQ(platform::keyCode(Qt::Key_BracketLeft, {}), 219);
    EXPECT_EQ(platform::keyCode(Qt::Key_Apostrophe, {}), 222);
    EXPECT_EQ(platform::shiftState(Qt::ShiftModifier | Qt::AltModifier), 5);
    EXPECT_EQ(platform::buttonState(Qt::LeftButton | Qt::MiddleButton), 5);
}
