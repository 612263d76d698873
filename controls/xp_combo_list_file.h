// The combo box's list file: one item per line, "tag=text" while tags are on,
// comments starting with ";", UTF-8 text.
#pragma once

#include "controls/xp_combo_list.h"

#include <QString>
#include <QStringView>

namespace controls {

// Lines longer than this are cut when read.
inline constexpr int kListFileLineLength = 80;

// The file content for a list: every item on its own line ending in CR LF, as
// "tag=text" when tags are on and the item has a tag slot.
QString listFileText(const XPComboList &list);

// Replaces the list's items with the items of a list file's content. Lines before
// the first line of at least two characters (comments and blank lines aside) are
// ignored; that line switches tags on exactly when it holds "tag=text". Comments
// and blank lines are skipped, lines are cut to 80 characters. False, with the
// list untouched, when the content holds no such first line. Selects nothing;
// the tag texts of earlier lists stay.
bool readListFileText(XPComboList &list, QStringView content);

// Where the list file lives: `fileName` without surrounding spaces, or when that
// is empty, `folder` + "/" + `instanceName` + ".Txt".
QString listFilePath(const QString &fileName, const QString &folder, const QString &instanceName);

// Writes the list file whole or not at all; false when it could not be written,
// in which case an existing file keeps its content.
bool saveListFile(const XPComboList &list, const QString &path);

// Reads the list from the file; false for a missing, unreadable or empty file or
// one without a first line, leaving the list as it was.
bool loadListFile(XPComboList &list, const QString &path);

} // namespace controls
