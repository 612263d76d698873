// The window's one way of staying responsive through a long task, a folder
// scan or a conversion: the task runs on a thread of its own while the window
// waits for it in a nested event loop, so it keeps painting and its progress
// bar moves. The window takes no input meanwhile, but for a stop: Esc, or the
// stop control the window names.
#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <optional>

class QWidget;

namespace window {

class TaskRunner : public QObject {
    Q_OBJECT

public:
    // Input to `window` and its children is swallowed while a task runs.
    explicit TaskRunner(QWidget *window);

    // Runs `task` on a thread of its own and returns when it has ended and
    // everything it handed to post() has run. The task is given the stop flag
    // that requestStop() sets. `cursor` shows over the application meanwhile.
    void run(const std::function<void(const std::atomic<bool> &stop)> &task,
             std::optional<Qt::CursorShape> cursor = std::nullopt);

    // From the task's thread: runs `work` on the window's thread, queued
    // behind what was handed over before.
    void post(std::function<void()> work);

    bool isRunning() const { return m_running; }
    // Tells the running task to start nothing new; what is under way finishes.
    void requestStop() { m_stop = true; }
    bool stopRequested() const { return m_stop; }

    // The control that stops the tasks (a button, say): while one runs, its
    // own mouse and key input gets through, and so does Esc anywhere in the
    // window, which calls `onEscape`. None: only closing stops a task.
    void setStopControl(QWidget *control, std::function<void()> onEscape);

    // How late, at worst, the event loop handled a timer during the last task,
    // in milliseconds: how responsive the window stayed.
    qint64 longestEventGapMs() const { return m_longestGapMs; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    QPointer<QWidget> m_stopControl;
    std::function<void()> m_onEscape;
    std::atomic<bool> m_stop{false};
    bool m_running = false;
    qint64 m_longestGapMs = 0;
};

} // namespace window
