#include "window/task_runner.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
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

// Alt, Shift and Ctrl alone type nothing; letting them through keeps the Alt
// letters in step with the key.
bool isBareModifier(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    switch (static_cast<const QKeyEvent *>(event)->key()) {
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta: return true;
    default: return false;
    }
}

} // namespace

TaskRunner::TaskRunner(QWidget *window) : QObject(window), m_window(window) { }

void TaskRunner::setStopControl(QWidget *control, std::function<void()> onEscape)
{
    m_stopControl = control;
    m_onEscape = std::move(onEscape);
}

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
    if (!m_running || !isUserInput(event->type()) || !m_window)
        return QObject::eventFilter(watched, event);
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || (widget != m_window && !m_window->isAncestorOf(widget)) || isBareModifier(event))
        return QObject::eventFilter(watched, event);
    if (m_stopControl && (widget == m_stopControl || m_stopControl->isAncestorOf(widget))) {
        // The stop control is pushed as a button is: the mouse, Space or Enter.
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick: return QObject::eventFilter(watched, event);
        case QEvent::KeyPress:
        case QEvent::KeyRelease: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)
                return QObject::eventFilter(watched, event);
            break;
        }
        default: break;
        }
    }
    if (m_onEscape && event->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape)
        m_onEscape();
    return true;
}

} // namespace window
