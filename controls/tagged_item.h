// The tagged-item syntax of the combo box: "tag=text" shows text and keeps tag.
#pragma once

#include <QString>
#include <QStringView>

namespace controls {

struct TaggedItem {
    QString tag;
    QString text;
    // True for "tag=text"; false for an item that is its own tag ("abc", "=abc", "abc=").
    bool hasTag = false;
};

// Splits an item: it is trimmed of spaces; a leading "=" or else a trailing "="
// is dropped and the rest is its own tag and text; otherwise the trimmed texts
// around the first "=" are tag and text.
TaggedItem splitTaggedItem(QStringView item);

// The item without leading and trailing spaces (tabs and other blanks stay,
// as the list file has always been read).
QString trimSpaces(QStringView text);

} // namespace controls
