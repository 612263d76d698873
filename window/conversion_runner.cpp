#include "window/conversion_runner.h"

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

ConversionRunner::ConversionRunner(QWidget *window) : QObject(window), m_window(window) { }

workflow::ConversionRun ConversionRunner::run(const std::vector<workflow::ConversionJob> &jobs,
                                              const workflow::ConversionOptions &options)
{
    m_stop = false;
    m_running = true;
    m_longestGapMs = 0;
    qApp->installEventFilter(this);
    QApplication::setOverrideCursor(Qt::BusyCursor);

    QEventLoop loop;
    workflow::ConversionRun results;
    std::thread worker([&] {
        results = workflow::convertInParallel(
            jobs, options,
            [this](std::size_t index, const workflow::ConversionResult &result) {
                QMetaObject::invokeMethod(
                    this, [this, index, status = result.status] { Q_EMIT pictureDone(int(index), status); },
                    Qt::QueuedConnection);
            },
            &m_stop);
        // Posted after every pictureDone, so the loop sees them all first.
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

    QApplication::restoreOverrideCursor();
    qApp->removeEventFilter(this);
    m_running = false;
    return results;
}

bool ConversionRunner::eventFilter(QObject *watched, QEvent *event)
{
    if (m_running && isUserInput(event->type()) && m_window) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && (widget == m_window || m_window->isAncestorOf(widget)))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace window
