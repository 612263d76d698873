#include "platform/keyboard.h"

#include <QKeyEvent>

namespace platform {

QString typedText(int key, Qt::KeyboardModifiers modifiers, const QString &reportedText)
{
    switch (key) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete: // X11 reports U+007F as its text, yet it types nothing
        return {};
    default: break;
    }
    // X11 reports Ctrl+V as U+0016, other platforms (and QTest) as "v": settle on
    // the control character so a filter sees the same key everywhere. Ctrl+Alt is
    // AltGr on some layouts and types ordinary characters.
    const bool control = modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier);
    if (control && key >= Qt::Key_A && key <= Qt::Key_Z)
        return QString(QChar(char16_t(key - Qt::Key_A + 1)));
    return reportedText;
}

QString typedText(const QKeyEvent &event) { return typedText(event.key(), event.modifiers(), event.text()); }

namespace {

// The key a shifted character is typed with on the US layout, whose key
// codes the program's events follow: Shift+1 is "!", and both are key 49.
int unshifted(int key)
{
    switch (key) {
    case Qt::Key_Exclam: return Qt::Key_1;
    case Qt::Key_At: return Qt::Key_2;
    case Qt::Key_NumberSign: return Qt::Key_3;
    case Qt::Key_Dollar: return Qt::Key_4;
    case Qt::Key_Percent: return Qt::Key_5;
    case Qt::Key_AsciiCircum: return Qt::Key_6;
    case Qt::Key_Ampersand: return Qt::Key_7;
    case Qt::Key_Asterisk: return Qt::Key_8;
    case Qt::Key_ParenLeft: return Qt::Key_9;
    case Qt::Key_ParenRight: return Qt::Key_0;
    case Qt::Key_Colon: return Qt::Key_Semicolon;
    case Qt::Key_Plus: return Qt::Key_Equal;
    case Qt::Key_Less: return Qt::Key_Comma;
    case Qt::Key_Underscore: return Qt::Key_Minus;
    case Qt::Key_Greater: return Qt::Key_Period;
    case Qt::Key_Question: return Qt::Key_Slash;
    case Qt::Key_AsciiTilde: return Qt::Key_QuoteLeft;
    case Qt::Key_BraceLeft: return Qt::Key_BracketLeft;
    case Qt::Key_Bar: return Qt::Key_Backslash;
    case Qt::Key_BraceRight: return Qt::Key_BracketRight;
    case Qt::Key_QuoteDbl: return Qt::Key_Apostrophe;
    default: return key;
    }
}

// The punctuation keys of the main block (the platform's OEM codes).
short punctuationCode(int key)
{
    switch (key) {
    case Qt::Key_Semicolon: return 186;
    case Qt::Key_Equal: return 187;
    case Qt::Key_Comma: return 188;
    case Qt::Key_Minus: return 189;
    case Qt::Key_Period: return 190;
    case Qt::Key_Slash: return 191;
    case Qt::Key_QuoteLeft: return 192;
    case Qt::Key_BracketLeft: return 219;
    case Qt::Key_Backslash: return 220;
    case Qt::Key_BracketRight: return 221;
    case Qt::Key_Apostrophe: return 222;
    default: return 0;
    }
}

} // namespace

short keyCode(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers.testFlag(Qt::KeypadModifier)) {
        // The keypad's own keys, whatever Num Lock makes them type.
        if (key >= Qt::Key_0 && key <= Qt::Key_9)
            return short(96 + (key - Qt::Key_0));
        switch (key) {
        case Qt::Key_Asterisk: return 106;
        case Qt::Key_Plus: return 107;
        case Qt::Key_Minus: return 109;
        case Qt::Key_Period:
        case Qt::Key_Comma:
        case Qt::Key_Delete: return 110;
        case Qt::Key_Slash: return 111;
        default: break;
        }
    }
    key = unshifted(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return short(key);
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return short(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return short(112 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Clear: return 12;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Shift: return 16;
    case Qt::Key_Control: return 17;
    case Qt::Key_Alt: return 18;
    case Qt::Key_Pause: return 19;
    case Qt::Key_CapsLock: return 20;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Space: return 32;
    case Qt::Key_PageUp: return 33;
    case Qt::Key_PageDown: return 34;
    case Qt::Key_End: return 35;
    case Qt::Key_Home: return 36;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Print: return 44;
    case Qt::Key_Insert: return 45;
    case Qt::Key_Delete: return 46;
    case Qt::Key_Meta: return 91;
    case Qt::Key_Menu: return 93;
    case Qt::Key_NumLock: return 144;
    case Qt::Key_ScrollLock: return 145;
    default: break;
    }
    return punctuationCode(key);
}

short shiftState(Qt::KeyboardModifiers modifiers)
{
    return short((modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) | (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0)
                 | (modifiers.testFlag(Qt::AltModifier) ? 4 : 0));
}

short buttonState(Qt::MouseButtons buttons)
{
    return short((buttons.testFlag(Qt::LeftButton) ? 1 : 0) | (buttons.testFlag(Qt::RightButton) ? 2 : 0)
                 | (buttons.testFlag(Qt::MiddleButton) ? 4 : 0));
}

} // namespace platform
