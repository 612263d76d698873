// The small decisions of the two workflows, kept out of the window so they can
// be tested on their own.
#pragma once

#include <QString>
#include <QStringList>

namespace workflow {

// The name offered for the converted copy of a single picture: its base name
// followed by "副本", or nothing for an empty path ("a.b.png" gives "a副本").
QString defaultNewName(const QString &path);

// Whether a new name typed for a single picture's copy makes a plain file
// name once its spaces are removed: not empty, not starting with "." (a
// hidden file), without "/" (another folder) or a NUL.
bool isPlainNewName(const QString &newName);

// Where a single picture is written: its own folder (with the final "/"), the
// new name without spaces, then the chosen extension with its dot.
QString singleOutputPath(const QString &sourcePath, const QString &newName, const QString &extension);

// True when both texts name the same existing folder (links resolved).
bool isSameFolder(const QString &a, const QString &b);

// Maximum number of failed names listed in the batch failure notice.
inline constexpr int kMaxListedFailures = 20;

// The notice after a batch run in which some pictures failed.
QString batchFailureNotice(int converted, const QStringList &failedNames);

} // namespace workflow
