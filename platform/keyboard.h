// Keyboard and mouse input as the program's controls report it: the character a
// key types, the classic key codes, and the Shift and button masks of their events.
#pragma once

#include <QString>
#include <Qt>

class QKeyEvent;

namespace platform {

// The text a key types into a field, with Ctrl+letter giving its control
// character (Ctrl+V is 22) whatever the keyboard reported as text. Keys that
// type nothing (arrows, Delete, Tab, bare modifiers) give an empty text.
QString typedText(int key, Qt::KeyboardModifiers modifiers, const QString &reportedText);
QString typedText(const QKeyEvent &event);

// The key code of a key, the same for a key pressed with or without Shift or
// Ctrl: 48 to 57 for the digits ("!" is 49), 65 to 90 for the letters, 186 to
// 192 and 219 to 222 for punctuation, 96 to 111 for the keypad, 37 for Left,
// 112 for F1; 0 for a key without one. Shifted characters count as the keys of
// the US layout that type them.
short keyCode(int key, Qt::KeyboardModifiers modifiers);

// 1 Shift, 2 Ctrl, 4 Alt, combined.
short shiftState(Qt::KeyboardModifiers modifiers);

// 1 left, 2 right, 4 middle, combined.
short buttonState(Qt::MouseButtons buttons);

} // namespace platform
