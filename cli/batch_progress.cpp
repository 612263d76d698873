#include "cli/batch_progress.h"

#include "cli/batch_text.h"
#include "cli/terminal_text.h"
#include "platform/native_path.h"
#include "workflow/batch_workflow.h"

#include <algorithm>

namespace cli {

namespace {

// How soon a new terminal width or an interrupt shows.
constexpr auto kTick = std::chrono::milliseconds(100);

} // namespace

void printText(std::FILE *stream, const QString &text)
{
    std::fputs(text.toUtf8().constData(), stream);
    std::fflush(stream);
}

BatchProgress::BatchProgress(const BatchToolStreams &streams, bool json, int total, BatchInterrupts *interrupts)
    : m_streams(streams), m_json(json), m_total(total), m_interrupts(interrupts)
{
    m_timer.start();
    if (m_streams.errIsTerminal)
        drawBar();
    m_ticker = std::thread([this] {
        std::unique_lock lock(m_mutex);
        while (!m_wake.wait_for(lock, kTick, [this] { return m_finished; })) {
            lock.unlock();
            tick();
            lock.lock();
        }
    });
}

BatchProgress::~BatchProgress() { finish(); }

void BatchProgress::pictureDone(const FileReport &report)
{
    std::lock_guard lock(m_mutex);
    // A picture stopped under way is counted in the summary, not shown here.
    if (report.outcome == FileReport::Stopped)
        return;
    ++m_done;
    m_lastName = platform::displayPath(report.path);
    if (m_json) {
        printText(m_streams.out, fileJson(report));
    } else if (!m_streams.outIsTerminal) {
        const QString outcome = report.outcome != FileReport::Converted
                                    ? BatchText::tr("失败（%1）").arg(workflow::failureReason(report.result))
                                : report.result && report.result->keptOriginal ? BatchText::tr("完成（保留原文件）")
                                                                               : BatchText::tr("完成");
        printText(m_streams.out,
                  QStringLiteral("[%1/%2] %3 %4\n").arg(m_done).arg(m_total).arg(outcome, quotedName(m_lastName)));
    }
    if (m_streams.errIsTerminal)
        drawBar();
}

void BatchProgress::tick()
{
    std::lock_guard lock(m_mutex);
    if (m_finished)
        return;
    if (m_interrupts && m_interrupts->stop && !m_notedStop) {
        m_notedStop = true;
        note(BatchText::tr("tarvel-batch：收到中断，不再开始新的图片，正在转换的图片完成后退出；"
                           "再按一次 Ctrl-C 立即停止。\n"));
    }
    if (m_interrupts && m_interrupts->abandon && !m_notedAbandon) {
        m_notedAbandon = true;
        note(BatchText::tr("tarvel-batch：立即停止，正在转换的图片不写出。\n"));
    }
    // Redrawn when the terminal changed its size, and as the clock moves on.
    const bool resized = m_interrupts && m_interrupts->resized.exchange(false);
    if (m_streams.errIsTerminal && (resized || m_timer.elapsed() / 1000 != m_drawnAtMs / 1000))
        drawBar();
}

void BatchProgress::note(const QString &text)
{
    if (m_streams.errIsTerminal) {
        printText(m_streams.err, QStringLiteral("\r\x1b[K") + text);
        m_drawnColumns = 0;
    } else {
        printText(m_streams.err, text);
    }
}

void BatchProgress::drawBar()
{
    // Back to the start of the line, the bar, and nothing of the longer
    // line before it.
    QString start = QStringLiteral("\r");
    // The width is asked for at every drawing: a line drawn for the old width
    // would wrap on a terminal just made narrower. Such a terminal rewraps the
    // bar already there, and the rows it now takes are cleared.
    const int columns = std::max(1, m_streams.columns ? m_streams.columns() : 80);
    if (const int rowsAbove = (std::max(m_drawnColumns, 1) - 1) / columns; rowsAbove > 0)
        start += QStringLiteral("\x1b[%1A\x1b[J").arg(rowsAbove);
    m_drawnAtMs = m_timer.elapsed();
    const QString line = progressBarLine({m_done, m_total, m_drawnAtMs, m_lastName}, columns);
    m_drawnColumns = terminalColumns(line);
    printText(m_streams.err, start + line + QStringLiteral("\x1b[K"));
}

void BatchProgress::finish()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_finished)
            return;
        m_finished = true;
        if (m_streams.errIsTerminal) {
            drawBar();
            printText(m_streams.err, QStringLiteral("\n"));
        }
    }
    m_wake.notify_all();
    m_ticker.join();
}

} // namespace cli
