// The remembered size limits and their file, CULERT.txt: two text lines, the
// width and the height, each with a space before and after the number (a minus
// sign takes the place of the leading space), CR LF after the first line only.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>

namespace workflow {

struct SavedLimits {
    std::int32_t Width = 425;
    std::int32_t Height = 321;
    friend bool operator==(const SavedLimits &, const SavedLimits &) = default;
};

// " 425 \r\n 321 " for the defaults.
QByteArray formatSavedLimits(const SavedLimits &limits);

// Lines without characters are dropped; the width is the value of the first
// remaining line and the height that of the last (one line gives both). A
// line's value is its leading number, rounded half to even. A file with no
// line left, or a value outside the 32-bit range, falls back to the default
// of that limit.
SavedLimits parseSavedLimits(const QByteArray &content);

// Where CULERT.txt lives: beside the executable when that folder is writable
// and the program is not installed (a portable copy), else in the user's
// configuration folder, ~/.config/tarvel.
QString savedLimitsPath();

// The limits the file at `path` remembers, read without writing anything: a
// missing or unreadable file gives the defaults.
SavedLimits readSavedLimits(const QString &path);

// The window's start: readSavedLimits, and a missing file is created with the
// defaults.
SavedLimits LoadSavedLimits(const QString &path);

// Rewrites the file at `path`; false when it cannot be written (the program
// then goes on without remembering).
bool StoreSavedLimits(const QString &path, const SavedLimits &limits);

} // namespace workflow
