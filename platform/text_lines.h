// The lines of a small text file, as line input reads them.
#pragma once

#include <QStringList>
#include <QStringView>

namespace platform {

// CR LF, CR and LF each end a line: files written by the program use CR LF,
// files edited on Linux usually LF. Text after the last line end is a line
// too; an empty text has none.
QStringList splitLines(QStringView text);

} // namespace platform
