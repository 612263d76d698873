// The small decisions of the two workflows, kept out of the window so they can
// be tested on their own.
#pragma once

#include <QString>
#include <QStringList>

namespace workflow {

// The name offered for the converted copy of a single picture: its base name
// followed by "副本", or nothing for an empty path ("a.b.png" gives "a副本").
QString defaultNewName(const QString &path);

// What keeps a new name typed for a single picture's copy from making a
// plain file name once its spaces are removed: nothing left, only dots ("."
// and ".." are folders), a leading "." (a hidden file), a "/" (another
// folder) or a NUL (which ends a name for the system), judged in that order.
enum class NewNameProblem { None, Empty, OnlyDots, LeadingDot, Slash, Nul };
NewNameProblem newNameProblem(const QString &newName);
inline bool isPlainNewName(const QString &newName) { return newNameProblem(newName) == NewNameProblem::None; }

// Where a single picture is written: its own folder (with the final "/"), the
// new name without spaces, then the chosen extension with its dot.
QString singleOutputPath(const QString &sourcePath, const QString &newName, const QString &extension);

// True when both texts name the same existing folder (links resolved).
bool isSameFolder(const QString &a, const QString &b);

// Maximum number of failed names listed in the batch failure notice.
inline constexpr int kMaxListedFailures = 20;

// The notice after a batch run in which some pictures failed: the counts,
// then the first 20 failed names as given (in the work list's order).
QString batchFailureNotice(int converted, const QStringList &failedNames);

// The notice after a batch run that was stopped: how many pictures were
// converted, failed and never started, then the failed names as above.
QString batchStoppedNotice(int converted, int notStarted, const QStringList &failedNames);

} // namespace workflow
