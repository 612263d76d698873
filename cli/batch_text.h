// tarvel-batch's texts in the user's language: BatchText::tr("…") where a
// text is used, QT_TRANSLATE_NOOP("cli::BatchText", "…") in the tables. The
// source texts are Chinese.
#pragma once

#include <QCoreApplication>

namespace cli {

class BatchText {
    Q_DECLARE_TR_FUNCTIONS(cli::BatchText)
};

} // namespace cli
