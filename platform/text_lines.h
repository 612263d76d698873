// The lines of a small text file, as line input reads them.
#pragma once

#include <QStringList>
#include <QStringView>

namespace platform {

// CR LF, CR and LF each end a line: files written by the program use CR LF,
// files edited on Linux usually LF. Text after the last line end is a line
// too; an empty text has none.
QStringList splitLines(QStringView text);

// C0 and C1 control characters and DEL: a newline, an escape.
inline bool isControlCharacter(QChar c) { return c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0); }

// The text with every control character shown as "?", so that text from
// outside (a file name, a decoder's message) stays on its line and cannot
// drive a terminal.
QString printableText(QString text);

} // namespace platform
