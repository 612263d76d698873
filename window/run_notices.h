// What the window says when a batch ends with failures or is stopped: the
// counts and up to 20 failed names in the work list's order, each cut in the
// middle to fit one line of the notice, and the complete list with every
// reason behind the notice's details button.
#pragma once

#include "workflow/batch_workflow.h"

#include <QString>

class QFontMetrics;

namespace window {

struct BatchNotice {
    QString text;
    QString details;
};

// `lineWidth` is how wide a line of the notice may be in `metrics`' font.
BatchNotice batchNotice(const workflow::BatchSummary &summary, bool stopped, const QFontMetrics &metrics,
                        int lineWidth);

} // namespace window
