// tarvel-batch: the window's batch conversion from a terminal or a script.
#pragma once

#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdio>
#include <optional>

namespace app {

struct BatchToolOptions {
    std::optional<int> width;
    std::optional<int> height;
    bool enlarge = false;
    int jobs = 0; // 0: one per processor
    bool stats = false;
    bool verbose = false; // failures with the library's own message
    bool overwriteOriginals = false;
    bool help = false;
    QString sourceFolder;
    QString outputFolder;
};

// The options of a command line (without the program name), or the message
// that explains what is wrong with it.
struct ParsedArguments {
    std::optional<BatchToolOptions> options;
    QString error;
};
ParsedArguments parseBatchToolArguments(const QStringList &arguments);

QString batchToolHelp();

// Exit statuses.
inline constexpr int kAllConverted = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kBadArguments = 2;

// Runs the tool: progress and the summary to `out`, problems to `err`.
// `terminal` draws a progress bar instead of one line per picture. The limits
// not given come from the settings file at `settingsPath`, which is only read.
// Setting `stop` (an interrupt) starts no further picture.
int runBatchTool(const QStringList &arguments, std::FILE *out, std::FILE *err, bool terminal,
                 const QString &settingsPath, const std::atomic<bool> *stop = nullptr);

} // namespace app
