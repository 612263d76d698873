// The batch panel: choosing the source and output folders, listing the
// source's pictures, and converting them all.
#include "window/frm_main.h"

#include "controls/xp_progress_bar.h"
#include "dialogs/file_dialogs.h"
#include "platform/native_path.h"
#include "platform/notifier.h"
#include "window/conversion_runner.h"
#include "window/path_field.h"
#include "workflow/batch_workflow.h"
#include "workflow/conversion_rules.h"
#include "workflow/path_names.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLineEdit>

namespace window {

namespace {

// Lets the window repaint (the progress bar) now and then during a long scan,
// without handling any input.
class PaintPump {
public:
    PaintPump() { m_timer.start(); }
    void maybePaint()
    {
        if (m_timer.elapsed() >= 30) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            m_timer.restart();
        }
    }

private:
    QElapsedTimer m_timer;
};

} // namespace

QString frmMain::folderPrompt()
{
    // The line break leads the prompt, as the folder browser has always shown it.
    return QStringLiteral("\r\n") + tr("请选择文件夹：");
}

void frmMain::ScanSourceFolder()
{
    m_work.clear();
    m_workSource = WorkSource::Empty;
    PaintPump pump;
    workflow::WorkList listing = workflow::scanBatchFolder(pathText(txtPath), [&](int done, int total) {
        if (done == 1) {
            PB->setMin(0);
            PB->setValue(0);
            PB->setMax(total);
        }
        PB->setValue(done);
        pump.maybePaint();
    });
    PB->setValue(0);
    if (listing.empty()) {
        m_services.notifier->information(tr("没有找到可以转换的文件"));
        txtPath->clear();
        return;
    }
    m_work = std::move(listing);
    m_workSource = WorkSource::Folder;
}

void frmMain::cmdStartConvert_Click()
{
    if (!limitsAreUsable(Text1, Text2))
        return;
    if (txtPath->text().isEmpty()) {
        m_services.notifier->information(tr("请选择要转换图片的文件夹！"));
        return;
    }
    if (txtPath2->text().isEmpty()) {
        m_services.notifier->information(tr("请选择一个用来存放转换图片的文件夹！"));
        return;
    }
    // The work list may hold the single panel's picture since the folder was
    // listed; the batch converts the folder's pictures.
    if (m_workSource == WorkSource::Picture)
        ScanSourceFolder();
    if (m_work.empty())
        return;
    if (workflow::isSameFolder(pathText(txtPath), pathText(txtPath2))
        && !m_services.notifier->question(tr("输出文件夹与源文件夹相同，转换后的图片将覆盖原图。确定要继续吗？")))
        return;

    const std::int32_t width = limitValue(Text1);
    const std::int32_t height = limitValue(Text2);
    PB->setMax(int(m_work.size()));
    PB->setMin(0);
    PB->setValue(0);
    PB->raise();

    TargetSizes = workflow::ComputeTargetSizes(m_work, width, height, Check1->isChecked());
    m_picturesNotShown = 0;
    m_batchRunning = true;
    const workflow::BatchSummary summary = workflow::runBatch(
        {pathText(txtPath), pathText(txtPath2)}, m_work, TargetSizes,
        [this](const std::vector<workflow::ConversionJob> &jobs) { return m_runner->run(jobs, conversionOptions()); });
    m_batchRunning = false;
    PB->setValue(0);

    savedLimits = {width, height};
    workflow::StoreSavedLimits(m_services.settingsPath, savedLimits);

    if (!m_closeAfterRun) {
        if (summary.failures.empty()) {
            m_services.notifier->selfClosingInformation(tr("转换成功"), platform::kSelfClosingTimeout);
        } else {
            QStringList lines;
            for (const workflow::BatchFailure &failure : summary.failures)
                lines << workflow::failureLine(platform::displayPath(failure.name), failure.result);
            m_services.notifier->information(workflow::batchFailureNotice(summary.converted, lines));
        }
    }
    clearAfterRun();
    if (m_closeAfterRun)
        close();
}

void frmMain::cmdSelectFolder_Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString chosen = m_services.dialogs->BrowseForFolder(this, folderPrompt(), pathText(txtPath), true);
    if (!chosen.isEmpty())
        setPathText(txtPath, chosen);
    if (!txtPath->text().isEmpty())
        ScanSourceFolder();
    QApplication::restoreOverrideCursor();
}

void frmMain::cmdSaveFolder_Click()
{
    const QString chosen = m_services.dialogs->BrowseForFolder(this, folderPrompt(), pathText(txtPath2), true);
    if (!chosen.isEmpty())
        setPathText(txtPath2, chosen);
    if (!workflow::IsFolder(pathText(txtPath2))) {
        m_services.notifier->information(tr("您选择的不是一个文件夹，请重新选择"));
        txtPath2->clear();
    }
}

void frmMain::dropOnFolderField(QLineEdit *field, const QStringList &paths)
{
    if (paths.isEmpty() || !workflow::IsFolder(paths.constFirst()))
        return;
    setPathText(field, paths.constFirst());
    if (field == txtPath)
        ScanSourceFolder();
}

void frmMain::showBatchProgress()
{
    // The bar belongs to the batch: a single conversion leaves it alone.
    // Results arrive in list order, often many at once after a large picture;
    // the bar is drawn once for all of them that are already waiting.
    connect(m_runner, &ConversionRunner::pictureDone, this, [this] {
        if (!m_batchRunning)
            return;
        if (m_picturesNotShown++ == 0)
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (m_batchRunning)
                        PB->setValue(PB->Value() + m_picturesNotShown);
                    m_picturesNotShown = 0;
                },
                Qt::QueuedConnection);
    });
}

} // namespace window
