// The single-picture panel: choosing or dropping a picture, naming its copy and
// converting it next to the source.
#include "app/frm_main.h"

#include "app/batch_plan.h"
#include "app/conversion_rules.h"
#include "app/conversion_runner.h"
#include "app/path_field.h"
#include "app/path_names.h"
#include "app/wait_seconds.h"
#include "controls/xp_combo.h"
#include "dialogs/file_dialogs.h"
#include "imaging/picture_formats.h"
#include "platform/file_system.h"
#include "platform/native_path.h"
#include "platform/notifier.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>

namespace app {

namespace {

// The dialog's filters, one per file type: its label and its pattern.
std::vector<std::pair<QString, QString>> pictureFilters()
{
    std::vector<std::pair<QString, QString>> filters;
    for (const imaging::FileType &type : imaging::fileTypes())
        filters.emplace_back(imaging::filterLabel(type), QStringLiteral("*.") + QString::fromUtf16(type.extension));
    return filters;
}

} // namespace

void frmMain::cmdrgtBrowe_Click()
{
    m_services.dialogs->SetDialogPlacement(dialogs::DialogPlacement::MainWindow);
    dialogs::OpenDialogRecord record;
    record.owner = this;
    record.filters = pictureFilters();
    record.filterIndex = 1;
    record.initialFolder = QDir::currentPath();
    record.title = tr("打开图像文件");
    if (!m_services.dialogs->GetOpenFileName(record))
        return;
    WaitSeconds(0.05);
    const QString path = TrimAtNull(record.fileName).trimmed();
    setPathText(txtPathdz, path);
    choosePicture(pathText(txtPathdz));
}

void frmMain::dropOnPictureField(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    const QString &dropped = paths.constFirst();
    if (IsFolder(dropped))
        txtPathdz->clear();
    if (imaging::hasConvertibleExtension(dropped)) {
        setPathText(txtPathdz, dropped);
        txtPathdz2->clear();
    }
    choosePicture(pathText(txtPathdz));
}

// Fills the name and the one-entry work lists for the picture at `path`.
void frmMain::choosePicture(const QString &path)
{
    txtPathdz2->setText(defaultNewName(path));
    List1 = QStringList{GetFileName(path)};
    List2 = QStringList{readSizeText(path)};
    m_workList = WorkList::Picture;
    TargetSizes = ComputeTargetSizes(List2, limitValue(Text3), limitValue(Text4), Check1->isChecked());
}

void frmMain::cmdStartConvertdz_Click()
{
    if (!limitsAreUsable(Text3, Text4))
        return;
    if (txtPathdz->text().isEmpty()) {
        m_services.notifier->information(tr("请选择要转换图片文件！"));
        return;
    }
    // The copy gets a plain file name: not empty, not hidden, in the
    // picture's own folder.
    if (!isPlainNewName(txtPathdz2->text())) {
        m_services.notifier->information(tr("请给新图像命名！"));
        return;
    }
    const QString source = pathText(txtPathdz);
    const QString target = singleOutputPath(source, txtPathdz2->text(), XPCombo1->Text());
    if (platform::isSameFile(source, target)
        && !m_services.notifier->question(tr("输出文件与源图片相同，转换后的图片将覆盖原图。确定要继续吗？")))
        return;

    // A folder listed in the batch panel since the picture was chosen has
    // replaced the work lists; the picture's own size is read again.
    List1 = QStringList{GetFileName(source)};
    List2 = QStringList{readSizeText(source)};
    m_workList = WorkList::Picture;
    const std::int32_t width = limitValue(Text1);
    const std::int32_t height = limitValue(Text2);
    TargetSizes = ComputeTargetSizes(List2, width, height, Check1->isChecked());

    const TargetSize size = TargetSizes.empty() ? TargetSize{} : TargetSizes.front();
    ConversionOptions options = conversionOptions();
    options.jobs = 1;
    const ConversionResults results
        = m_runner->run({ConversionJob{source, target, size.width, size.height}}, options).results;

    savedLimits = {limitValue(Text3), limitValue(Text4)};
    StoreSavedLimits(m_services.settingsPath, savedLimits);

    if (!m_closeAfterRun) {
        if (!results.empty() && results.front() && results.front()->converted())
            m_services.notifier->selfClosingInformation(tr("%1 转换成功").arg(platform::displayPath(target)),
                                                        platform::kSelfClosingTimeout);
        else
            m_services.notifier->information(tr("%1 转换失败").arg(platform::displayPath(target)));
    }
    clearAfterRun();
    if (m_closeAfterRun)
        close();
}

} // namespace app
