// The batch panel: choosing the source and output folders, listing the
// source's pictures, and converting them all.
#include "app/frm_main.h"

#include "app/batch_plan.h"
#include "app/conversion_rules.h"
#include "app/conversion_runner.h"
#include "app/path_names.h"
#include "controls/xp_progress_bar.h"
#include "dialogs/file_dialogs.h"
#include "platform/notifier.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QLineEdit>

namespace app {

namespace {

const QString kFolderPrompt = QStringLiteral(u"\r\n请选择文件夹：");

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

void frmMain::ScanSourceFolder()
{
    List1.clear();
    List2.clear();
    m_workList = WorkList::Empty;
    const QString folder = txtPath->text();
    const QStringList names = listConvertibleFiles(folder);
    if (names.isEmpty()) {
        m_services.notifier->information(QStringLiteral(u"没有找到可以转换的文件"));
        List1.clear();
        List2.clear();
        txtPath->clear();
        return;
    }

    PaintPump pump;
    PB->setMin(0);
    PB->setValue(0);
    PB->setMax(int(names.size()));
    for (const QString &name : names) {
        List1 << name;
        PB->setValue(PB->Value() + 1);
    }
    PB->setValue(0);

    PB->setMax(int(List1.size()));
    PB->setMin(0);
    PB->setValue(0);
    for (const QString &name : std::as_const(List1)) {
        List2 << readSizeText(pathInFolder(folder, name));
        PB->setValue(PB->Value() + 1);
        pump.maybePaint();
    }
    PB->setValue(0);
    m_workList = WorkList::Folder;
}

void frmMain::cmdStartConvert_Click()
{
    if (!limitsAreUsable(Text1, Text2))
        return;
    if (txtPath->text().isEmpty()) {
        m_services.notifier->information(QStringLiteral(u"请选择要转换图片的文件夹！"));
        return;
    }
    if (txtPath2->text().isEmpty()) {
        m_services.notifier->information(QStringLiteral(u"请选择一个用来存放转换图片的文件夹！"));
        return;
    }
    // The work lists may hold the single panel's picture since the folder was
    // listed; the batch converts the folder's pictures.
    if (m_workList == WorkList::Picture)
        ScanSourceFolder();
    if (List1.isEmpty())
        return;
    if (isSameFolder(txtPath->text(), txtPath2->text())
        && !m_services.notifier->question(
            QStringLiteral(u"输出文件夹与源文件夹相同，转换后的图片将覆盖原图。确定要继续吗？")))
        return;

    const std::int32_t width = limitValue(Text1);
    const std::int32_t height = limitValue(Text2);
    TargetSizes = ComputeTargetSizes(List2, width, height, Check1->isChecked());
    PB->setMax(int(List1.size()));
    PB->setMin(0);
    PB->setValue(0);
    PB->raise();

    const auto jobs = batchJobs(txtPath->text(), txtPath2->text(), List1, TargetSizes);
    const auto background = platform::buttonFaceColour();
    const ConversionResults results = m_runner->run(jobs, m_services.jobs, background);
    PB->setValue(0);

    savedLimits = {width, height};
    StoreSavedLimits(m_services.settingsPath, savedLimits);

    if (!m_closeAfterRun) {
        int converted = 0;
        QStringList failed;
        for (size_t i = 0; i < results.size(); ++i) {
            if (results[i] == ConversionStatus::Converted)
                ++converted;
            else
                failed << List1[qsizetype(i)];
        }
        if (failed.isEmpty())
            m_services.notifier->selfClosingInformation(QStringLiteral(u"转换成功"), platform::kSelfClosingTimeout);
        else
            m_services.notifier->information(batchFailureNotice(converted, failed));
    }
    clearAfterRun();
    if (m_closeAfterRun)
        close();
}

void frmMain::cmdSelectFolder_Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString chosen = m_services.dialogs->BrowseForFolder(this, kFolderPrompt, txtPath->text(), true);
    if (!chosen.isEmpty())
        txtPath->setText(chosen);
    if (!txtPath->text().isEmpty())
        ScanSourceFolder();
    QApplication::restoreOverrideCursor();
}

void frmMain::cmdSaveFolder_Click()
{
    const QString chosen = m_services.dialogs->BrowseForFolder(this, kFolderPrompt, txtPath2->text(), true);
    if (!chosen.isEmpty())
        txtPath2->setText(chosen);
    if (!IsFolder(txtPath2->text())) {
        m_services.notifier->information(QStringLiteral(u"您选择的不是一个文件夹，请重新选择"));
        txtPath2->clear();
    }
}

void frmMain::dropOnFolderField(QLineEdit *field, const QStringList &paths)
{
    if (paths.isEmpty() || !IsFolder(paths.constFirst()))
        return;
    field->setText(paths.constFirst());
    if (field == txtPath)
        ScanSourceFolder();
}

} // namespace app
