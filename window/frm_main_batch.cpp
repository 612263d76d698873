// The batch panel: choosing the source and output folders, listing the
// source's pictures, and converting them all.
#include "window/frm_main.h"

#include "controls/ph_button.h"
#include "controls/xp_progress_bar.h"
#include "dialogs/file_dialogs.h"
#include "platform/native_path.h"
#include "platform/notifier.h"
#include "window/path_field.h"
#include "window/run_notices.h"
#include "window/task_runner.h"
#include "workflow/batch_workflow.h"
#include "workflow/conversion_rules.h"
#include "workflow/path_names.h"
#include "workflow/rename_pattern.h"
#include "workflow/settings_conversion.h"
#include "workflow/target_sizes.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>

namespace window {

QString frmMain::folderPrompt()
{
    // The line break leads the prompt, as the folder browser has always shown it.
    return QStringLiteral("\r\n") + tr("请选择文件夹：");
}

void frmMain::ScanSourceFolder()
{
    m_work.clear();
    m_workSource = WorkSource::Empty;
    // Every picture's header is read, on the runner's thread; the bar counts
    // them on the window's.
    const QString folder = pathText(txtPath);
    workflow::WorkList listing;
    m_runner->run([&](const std::atomic<bool> &stop) {
        const auto sizeRead = [this](int done, int total) {
            m_runner->post([this, done, total] {
                if (done == 1) {
                    PB->setMin(0);
                    PB->setValue(0);
                    PB->setMax(total);
                }
                PB->setValue(done);
            });
        };
        listing = workflow::scanBatchFolder(folder, sizeRead, &stop);
    });
    PB->setValue(0);
    if (m_closeAfterRun) {
        // Closed while scanning: the listing is cut short and not kept.
        close();
        return;
    }
    if (m_batchStopped)
        return; // stopped while scanning: nothing is kept either
    if (listing.empty()) {
        m_services.notifier->information(tr("没有找到可以转换的文件"));
        txtPath->clear();
        return;
    }
    m_work = std::move(listing);
    m_workSource = WorkSource::Folder;
    lblFound->setText(tr("找到 %n 张图片", nullptr, int(m_work.size())));
}

void frmMain::cmdStartConvert_Click()
{
    // During its run the start button is the stop button.
    if (isBusy()) {
        stopBatch();
        return;
    }
    if (usesSizeFields() && !limitsAreUsable(Text1, Text2))
        return;
    const workflow::ConversionSettings settings = currentSettings(false);
    if (!settingsAreUsable(settings))
        return;
    if (txtPath->text().isEmpty()) {
        m_services.notifier->information(tr("请选择要转换图片的文件夹！"));
        return;
    }
    if (txtPath2->text().isEmpty()) {
        m_services.notifier->information(tr("请选择一个用来存放转换图片的文件夹！"));
        return;
    }
    m_batchStopped = false;
    // The work list may hold the single panel's picture since the folder was
    // listed, or nothing after a scan that was stopped; the batch converts the
    // folder's pictures. A scan stopped early lists nothing, and nothing is
    // converted.
    if (m_workSource != WorkSource::Folder) {
        setStoppable(true);
        ScanSourceFolder();
        setStoppable(false);
    }
    if (m_work.empty() || m_batchStopped) {
        m_batchStopped = false;
        return;
    }
    // The names are settled before anything is written, over the whole list.
    const imaging::FitBox box = workflow::settingsBox(settings);
    std::vector<workflow::OutputName> outputs;
    if (!settings.renamePattern.isEmpty()) {
        const workflow::RenamedRun renamed = renamedOutputs(settings, box);
        if (!renamed.problem.isEmpty()) {
            m_services.notifier->information(tr("重命名规则不能用于这些图片：%1").arg(renamed.problem));
            return;
        }
        outputs = renamed.names;
    } else {
        outputs = workflow::batchOutputNames(workNames(), batchOutputFormat());
    }
    if (workflow::isSameFolder(pathText(txtPath), pathText(txtPath2))
        && workflow::overwritesSources(workNames(), outputs)
        && !m_services.notifier->question(tr("输出文件夹与源文件夹相同，转换后的图片将覆盖原图。确定要继续吗？")))
        return;

    const std::int32_t width = limitValue(Text1);
    const std::int32_t height = limitValue(Text2);
    PB->setMax(int(m_work.size()));
    PB->setMin(0);
    PB->setValue(0);
    PB->raise();

    const QString outputFolder = pathText(txtPath2);
    const workflow::BatchRequest request{pathText(txtPath), outputFolder, std::move(outputs)};
    const workflow::ConversionOptions options = workflow::settingsOptions(settings, conversionOptions());
    workflow::BatchSummary summary;
    setStoppable(true);
    m_runner->run(
        [&](const std::atomic<bool> &stop) {
            // Each picture that ends moves the bar, on the window's thread.
            auto pictureDone = [this](std::size_t index, const workflow::ConversionResult &) {
                m_runner->post([this, name = workflow::GetFileName(m_work[index].name)] {
                    PB->setValue(PB->Value() + 1);
                    showProgress(PB->Value(), PB->Max(), name);
                });
            };
            summary = workflow::runBatch(request, m_work, box, options, {pictureDone, &stop});
        },
        Qt::BusyCursor);
    setWindowTitle(m_title);
    setStoppable(false);
    PB->setValue(0);

    savedLimits = {width, height};
    workflow::StoreSavedLimits(m_services.settingsPath, savedLimits);
    rememberSettings();
    m_lastOutputFolder = outputFolder;

    if (!m_closeAfterRun)
        reportBatch(summary, outputFolder);
    // A stopped run leaves the window as ready as a finished one.
    m_batchStopped = false;
    clearAfterRun();
    if (m_closeAfterRun)
        close();
}

workflow::RenamedRun frmMain::renamedOutputs(const workflow::ConversionSettings &settings,
                                             const imaging::FitBox &box) const
{
    const workflow::Parsed<workflow::RenamePattern> pattern = workflow::RenamePattern::parse(settings.renamePattern);
    if (!pattern.value)
        return {{}, pattern.problem};
    // Each picture is named by the size it is converted to.
    std::vector<workflow::RenamedSource> sources;
    for (const workflow::WorkItem &item : m_work) {
        const workflow::TargetSize size = workflow::fitTargetSize(item.size.Width, item.size.Height, box);
        sources.push_back({item.name, imaging::PictureSize{size.width, size.height}});
    }
    return workflow::renamedOutputNames(*pattern.value, sources, batchOutputFormat());
}

void frmMain::setStoppable(bool stoppable)
{
    setButtonCaption(cmdStartConvert, stoppable ? tr("停止转换") : tr("开始批量转换"));
    if (stoppable)
        m_runner->setStopControl(cmdStartConvert, [this] { stopBatch(); });
    else
        m_runner->setStopControl(nullptr, {});
}

void frmMain::stopBatch()
{
    if (!isBusy() || m_batchStopped)
        return;
    // As closing does: no new picture starts, those under way finish.
    m_batchStopped = true;
    m_runner->requestStop();
    setButtonCaption(cmdStartConvert, tr("正在停止…"));
}

void frmMain::reportBatch(const workflow::BatchSummary &summary, const QString &outputFolder)
{
    // A run that ends behind other windows also says so on the desktop.
    const bool unseen = !isActiveWindow();
    if (summary.failures.empty() && summary.renamed.empty() && !m_batchStopped) {
        if (unseen)
            m_services.notifier->desktopNotification(tr("转换成功"), outputFolder);
        m_services.notifier->selfClosingInformation(tr("转换成功"), platform::kSelfClosingTimeout);
        return;
    }
    const BatchNotice notice = batchNotice(summary, m_batchStopped, QFontMetrics(QApplication::font("QMessageBox")),
                                           platform::noticeLineWidth(this));
    if (unseen)
        m_services.notifier->desktopNotification(notice.text.section(QLatin1Char('\n'), 0, 0), outputFolder);
    m_services.notifier->detailedInformation(notice.text, notice.details);
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

} // namespace window
