// Text laid out in a terminal's columns: Chinese characters take two, combining
// marks none, and a line that must fit is cut in the middle.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace cli {

// The columns a terminal gives the text: two for East Asian wide and
// full-width characters (Chinese, Japanese, Korean, full-width forms, most
// emoji), none for combining marks and zero-width characters, one for the
// rest. A rule of its own rather than wcwidth(), which answers by the locale.
int terminalColumns(QStringView text);

// A file name as a line of text may carry it: unchanged when it has no
// control characters, else quoted as `ls` quotes it, 'a'$'\n''b', so that a
// name cannot start a line of its own or drive the terminal. Bidirectional
// controls (U+202E and kin), which would show the name's end first, are
// quoted the same way, as $'\u202e'.
QString quotedName(const QString &name);

// The text, or its beginning, "..." and its end, in at most `columns` columns.
QString cutInMiddle(const QString &text, int columns);

// Chinese punctuation no line starts with ("，", "。", "）") and none ends
// with ("（", "“").
bool isClosingPunctuation(QChar c);
bool isOpeningPunctuation(QChar c);

// The text broken into lines of at most `columns` columns: between words,
// and between any two Chinese characters, but never before closing
// punctuation ("，", "。", "）"), which may hang one character past the end.
QStringList wrapToColumns(const QString &text, int columns);

struct BarState {
    int done = 0;
    int total = 0;
    qint64 elapsedMs = 0;
    QString name; // the picture that finished last
};

// The progress bar line, "[####....] 12/340  已用 00:12  剩余 05:40  name",
// in fewer than `columns` columns (the last column of a line makes some
// terminals wrap): the bar, then the times, then the name give way first.
QString progressBarLine(const BarState &state, int columns);

} // namespace cli
