// tarvel-batch: the window's batch conversion from a terminal or a script.
#pragma once

#include "cli/batch_progress.h"

#include <QString>
#include <QStringList>

namespace cli {

// Exit statuses; an interrupted run exits with 128 + the signal, as a shell
// reports a program that a signal ended: 130 for SIGINT, 143 for SIGTERM.
inline constexpr int kAllConverted = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kBadArguments = 2;
inline constexpr int kSignalBase = 128;

// Runs the tool on its arguments (without the program name). The limits not
// given come from the settings file at `settingsPath`, which is only read.
// `interrupts`, set by signal handlers, stops the run (batch_progress.h).
int runBatchTool(const QStringList &arguments, const BatchToolStreams &streams, const QString &settingsPath,
                 BatchInterrupts *interrupts = nullptr);

} // namespace cli
