#include "window/task_runner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <thread>

namespace window {

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: return true;
    default: return false;
    }
}

} // namespace

TaskRunner::TaskRunner(QWidget *window) : QObject(window), m_window(window) { }

void TaskRunner::run(const std::function<void(const std::atomic<bool> &stop)> &task,
                     std::optional<Qt::CursorShape> cursor)
{
    Q_ASSERT(!m_running);
    m_stop = false;
    m_running = true;
    m_longestGapMs = 0;
    qApp->installEventFilter(this);
    if (cursor)
        QApplication::setOverrideCursor(*cursor);

    QEventLoop loop;
    std::thread worker([&] {
        task(m_stop);
        // Posted after everything the task handed over, so the loop runs it all first.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    // A short timer measures how late the loop gets round to it.
    constexpr int kProbeMs = 10;
    QElapsedTimer sinceLast;
    sinceLast.start();
    QTimer probe;
    probe.setInterval(kProbeMs);
    connect(&probe, &QTimer::timeout, this,
            [&] { m_longestGapMs = std::max(m_longestGapMs, sinceLast.restart() - kProbeMs); });
    probe.start();
    loop.exec();
    probe.stop();
    worker.join();

    if (cursor)
        QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(this);
    m_running = false;
}

void TaskRunner::post(std::function<void()> work)
{
    QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

bool TaskRunner::eventFilter(QObject *watched, QEvent *event)
{
    if (m_running && isUserInput(event->type()) && m_window) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && (widget == m_window || m_window->isAncestorOf(widget)))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace window
