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

} // namespace

BatchNotice batchNotice(const workflow::BatchSummary &summary, bool stopped, const QFontMetrics &metrics, int lineWidth)
{
    QStringList listed; // failed pictures, names cut to fit
    QStringList details;
    int notStarted = 0;
    for (const workflow::BatchFailure &failure : summary.failures) {
        const QString name = platform::displayPath(failure.name);
        details << workflow::failureLine(name, failure.result);
        if (!failure.result) {
            ++notStarted;
            continue;
        }
        const int room
            = std::max(kShortestName, lineWidth - metrics.horizontalAdvance(workflow::failureLine({}, failure.result)));
        listed << workflow::failureLine(metrics.elidedText(name, Qt::ElideMiddle, room), failure.result);
    }
    BatchNotice notice;
    notice.text = stopped ? workflow::batchStoppedNotice(summary.converted, notStarted, listed)
                          : workflow::batchFailureNotice(summary.converted, listed);
    notice.details = details.join(QLatin1Char('\n'));
    return notice;
}

} // namespace window
