#include "window/run_notices.h"

#include "platform/native_path.h"
#include "workflow/conversion_rules.h"

#include <QFontMetrics>
#include <QStringList>

#include <algorithm>

namespace window {

namespace {

// No name is cut shorter than this, however long its reason.
constexpr int kShortestName = 80;

qsizetype sharedStart(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i < n && a[i] == b[i])
        ++i;
    return i;
}

qsizetype sharedEnd(const QString &a, const QString &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    qsizetype i = 0;
    while (i < n && a[a.size() - 1 - i] == b[b.size() - 1 - i])
        ++i;
    return i;
}

// `name` within `room` pixels, cut where it reads as the others do: the part
// that tells it from every other of `others` is kept whole as far as it fits,
// and its beginning and end are shortened around it, each with "…".
QString cutApart(const QString &name, const QStringList &others, const QFontMetrics &metrics, int room)
{
    if (metrics.horizontalAdvance(name) <= room)
        return name;
    qsizetype start = 0, end = 0;
    for (const QString &other : others) {
        if (other == name)
            continue;
        start = std::max(start, sharedStart(name, other));
        end = std::max(end, sharedEnd(name, other));
    }
    // One character of what is shared before the difference reads better.
    start = std::max<qsizetype>(0, std::min(start, name.size()) - 1);
    end = std::max<qsizetype>(0, std::min(end, name.size() - start) - 1);
    const QString head = name.left(start), middle = name.mid(start, name.size() - start - end),
                  tail = name.right(end);
    const int ellipsis = metrics.horizontalAdvance(QStringLiteral(u"…"));
    const int middleWidth = metrics.horizontalAdvance(middle);
    if (middle.isEmpty() || middleWidth + 2 * ellipsis > room)
        return metrics.elidedText(name, Qt::ElideMiddle, room);
    // What is left goes to the beginning and the end, half each; what one of
    // them does not need, the other gets.
    const int left = room - middleWidth;
    const int headWidth = metrics.horizontalAdvance(head), tailWidth = metrics.horizontalAdvance(tail);
    int headRoom = left / 2;
    int tailRoom = left - headRoom;
    if (headWidth < headRoom) {
        tailRoom += headRoom - headWidth;
        headRoom = headWidth;
    } else if (tailWidth < tailRoom) {
        headRoom += tailRoom - tailWidth;
        tailRoom = tailWidth;
    }
    return metrics.elidedText(head, Qt::ElideRight, headRoom) + middle
           + metrics.elidedText(tail, Qt::ElideLeft, tailRoom);
}

} // namespace

BatchNotice batchNotice(const workflow::BatchSummary &summary, bool stopped, const QFontMetrics &metrics, int lineWidth)
{
    QStringList listed; // failed pictures, names cut to fit
    QStringList details;
    int notStarted = 0;
    QStringList failedNames; // of the pictures that were started, which the notice lists
    for (const workflow::BatchFailure &failure : summary.failures) {
        if (failure.result && failedNames.size() < workflow::kMaxListedFailures)
            failedNames << platform::displayPath(failure.name);
    }
    for (const workflow::BatchFailure &failure : summary.failures) {
        const QString name = platform::displayPath(failure.name);
        details << workflow::failureLine(name, failure.result);
        if (!failure.result) {
            ++notStarted;
            continue;
        }
        const int room
            = std::max(kShortestName, lineWidth - metrics.horizontalAdvance(workflow::failureLine({}, failure.result)));
        listed << workflow::failureLine(cutApart(name, failedNames, metrics, room), failure.result);
    }
    BatchNotice notice;
    const bool clean = summary.failures.empty() && !stopped;
    if (!clean)
        notice.text = stopped ? workflow::batchStoppedNotice(summary.converted, notStarted, listed)
                              : workflow::batchFailureNotice(summary.converted, listed);
    if (!summary.renamed.empty()) {
        // Each of the two names gets half the line.
        const QString arrow = QStringLiteral(u" → ");
        const int room = std::max(kShortestName, (lineWidth - metrics.horizontalAdvance(arrow)) / 2);
        QStringList renamed, names, writtenNames;
        for (const workflow::RenamedOutput &output : summary.renamed) {
            if (names.size() < workflow::kMaxListedFailures) {
                names << platform::displayPath(output.name);
                writtenNames << platform::displayPath(output.output);
            }
        }
        for (const workflow::RenamedOutput &output : summary.renamed) {
            const QString name = platform::displayPath(output.name), written = platform::displayPath(output.output);
            details << name + arrow + written;
            renamed << cutApart(name, names, metrics, room) + arrow + cutApart(written, writtenNames, metrics, room);
        }
        notice.text += clean ? workflow::renamedOutputsNotice(renamed)
                             : QStringLiteral("\n") + workflow::renamedOutputsCount(int(renamed.size()));
    }
    notice.details = details.join(QLatin1Char('\n'));
    return notice;
}

} // namespace window
