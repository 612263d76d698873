// How tarvel-batch shows a run as it goes: a progress bar on standard error
// when that is a terminal, one line (or one JSON object) per picture on
// standard output, and notes on standard error that the bar makes way for.
#pragma once

#include "cli/batch_report.h"

#include <QElapsedTimer>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>

namespace cli {

// Where tarvel-batch writes, and what it knows of the terminal.
struct BatchToolStreams {
    std::FILE *out = stdout;           // results: per-picture lines, the summary, JSON
    std::FILE *err = stderr;           // the progress bar, warnings and errors
    bool outIsTerminal = false;        // per-picture lines only when it is not
    bool errIsTerminal = false;        // the bar only when it is
    std::function<int()> columns = {}; // the terminal's width; 80 when not told
    std::FILE *in = stdin;             // the list of --files-from -
};

// What signal handlers tell a run; lock-free atomics, set from a handler.
struct BatchInterrupts {
    std::atomic<bool> stop{false};    // start no new picture
    std::atomic<bool> abandon{false}; // end the pictures under way too
    std::atomic<int> firstSignal{0};  // SIGINT, SIGTERM or SIGPIPE, for the exit status
    std::atomic<bool> resized{false}; // the terminal changed its size
};

// Writes the text as UTF-8 and flushes.
void printText(std::FILE *stream, const QString &text);

class BatchProgress {
public:
    // `total`: the pictures handed to the workers. While it lives, a ticker
    // redraws the bar (the clock, a new terminal width) and notes interrupts.
    BatchProgress(const BatchToolStreams &streams, bool json, int total, BatchInterrupts *interrupts);
    ~BatchProgress();
    BatchProgress(const BatchProgress &) = delete;
    BatchProgress &operator=(const BatchProgress &) = delete;

    // From any thread, as each picture ends.
    void pictureDone(const FileReport &report);
    // Ends the bar's line and the ticker.
    void finish();
    double seconds() const { return m_timer.nsecsElapsed() / 1e9; }

private:
    void tick();
    void note(const QString &text); // under the lock
    void drawBar();                 // under the lock

    BatchToolStreams m_streams;
    bool m_json;
    int m_total;
    BatchInterrupts *m_interrupts;
    int m_done = 0;
    int m_drawnColumns = 0; // of the bar as last drawn
    qint64 m_drawnAtMs = 0;
    bool m_notedStop = false;
    bool m_notedAbandon = false;
    QString m_lastName;
    QElapsedTimer m_timer;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_finished = false;
    std::thread m_ticker;
};

} // namespace cli
