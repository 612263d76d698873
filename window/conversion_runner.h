// Runs a batch of conversions off the window's thread and waits for them with
// the window still painting: pictures finish one after another on the worker
// threads while the progress bar moves. The window takes no input meanwhile.
#pragma once

#include "workflow/parallel_conversion.h"

#include <QObject>
#include <QPointer>

#include <atomic>

class QWidget;

namespace window {

class ConversionRunner : public QObject {
    Q_OBJECT

public:
    // Input to `window` and its children is swallowed while a run is under way.
    explicit ConversionRunner(QWidget *window);

    // Converts the jobs (convertInParallel) and returns when all have ended
    // or, after requestStop(), when the ones under way have.
    workflow::ConversionRun run(const std::vector<workflow::ConversionJob> &jobs,
                                const workflow::ConversionOptions &options);

    bool isRunning() const { return m_running; }
    // No picture starts after this; the ones under way finish.
    void requestStop() { m_stop = true; }

    // How late, at worst, the event loop handled a timer during the last run,
    // in milliseconds: how responsive the window stayed.
    qint64 longestEventGapMs() const { return m_longestGapMs; }

signals:
    // On the window's thread, in the order the pictures finished.
    void pictureDone(int index, workflow::ConversionStatus status);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
    qint64 m_longestGapMs = 0;
};

} // namespace window
