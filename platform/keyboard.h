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

// The key code of a key (65 for A, 37 for Left, 112 for F1, 96 to 105 for the
// keypad digits); 0 for a key without one.
short keyCode(int key, Qt::KeyboardModifiers modifiers);

// 1 Shift, 2 Ctrl, 4 Alt, combined.
short shiftState(Qt::KeyboardModifiers modifiers);

// 1 left, 2 right, 4 middle, combined.
short buttonState(Qt::MouseButtons buttons);

} // namespace platform
