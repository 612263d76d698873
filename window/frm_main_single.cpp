// The single-picture panel: choosing or dropping a picture, naming its copy and
// converting it next to the source.
#include "window/frm_main.h"

#include "controls/xp_combo.h"
#include "dialogs/file_dialogs.h"
#include "imaging/picture_formats.h"
#include "probe/read_picture_size.h"
#include "platform/file_system.h"
#include "platform/native_path.h"
#include "platform/notifier.h"
#include "window/path_field.h"
#include "window/wait_seconds.h"
#include "workflow/batch_workflow.h"
#include "workflow/conversion_rules.h"
#include "workflow/path_names.h"
#include "workflow/settings_conversion.h"
#include "workflow/target_sizes.h"

#include <QCheckBox>
#include <QDir>
#include <QLineEdit>

namespace window {

namespace {

// The dialog's filters: every picture it converts first, then one per file
// type, each with its label and its pattern.
std::vector<std::pair<QString, QString>> pictureFilters()
{
    std::vector<std::pair<QString, QString>> filters;
    QStringList every;
    for (const imaging::FileType &type : imaging::fileTypes()) {
        const QString pattern = QStringLiteral("*.") + QString::fromUtf16(type.extension);
        filters.emplace_back(imaging::filterLabel(type), pattern);
        every << pattern;
    }
    filters.insert(filters.begin(), {frmMain::tr("所有图片"), every.join(u' ')});
    return filters;
}

// The one picture of the single panel's work list: its file name and size.
workflow::WorkItem singleWorkItem(const QString &path)
{
    return {workflow::GetFileName(path), imaging::ReadPictureSize(path)};
}

} // namespace

QString frmMain::newNameRefusal(workflow::NewNameProblem problem)
{
    switch (problem) {
    case workflow::NewNameProblem::None: return {};
    case workflow::NewNameProblem::Empty: return tr("请给新图像命名！");
    case workflow::NewNameProblem::OnlyDots: return tr("“.”和“..”代表文件夹，不能作为新图像的名称！");
    case workflow::NewNameProblem::LeadingDot: return tr("新图像的名称不能以“.”开头（那会是一个隐藏文件）！");
    case workflow::NewNameProblem::Slash: return tr("新图像的名称不能包含“/”，它只能保存在原图所在的文件夹！");
    case workflow::NewNameProblem::Nul: return tr("新图像的名称不能包含空字符！");
    }
    return {};
}

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
    const QString path = workflow::TrimAtNull(record.fileName).trimmed();
    setPathText(txtPathdz, path);
    choosePicture(pathText(txtPathdz));
}

// Fills the name and the one-entry work lists for the picture at `path`.
void frmMain::choosePicture(const QString &path)
{
    txtPathdz2->setText(workflow::defaultNewName(path));
    m_work = {singleWorkItem(path)};
    m_workSource = WorkSource::Picture;
    TargetSizes = workflow::ComputeTargetSizes(m_work, limitValue(Text3), limitValue(Text4), Check1->isChecked());
}

void frmMain::cmdStartConvertdz_Click()
{
    if (usesSizeFields() && !limitsAreUsable(Text3, Text4))
        return;
    const workflow::ConversionSettings settings = currentSettings(true);
    if (!settingsAreUsable(settings))
        return;
    if (txtPathdz->text().isEmpty()) {
        m_services.notifier->information(tr("请选择要转换图片文件！"));
        return;
    }
    // The copy gets a plain file name: not empty, not hidden, in the
    // picture's own folder.
    if (const QString problem = newNameRefusal(workflow::newNameProblem(txtPathdz2->text())); !problem.isEmpty()) {
        m_services.notifier->information(problem);
        return;
    }
    // The format box is editable: what it holds must be one of its formats.
    const QString format = XPCombo1->Text();
    if (format.trimmed().isEmpty()) {
        m_services.notifier->information(tr("请选择新图像的格式！"));
        return;
    }
    if (!format.startsWith(u'.') || !imaging::hasConvertibleExtension(format)) {
        m_services.notifier->information(tr("“%1”不是可以保存的格式，请从格式列表中选择。").arg(format));
        return;
    }
    const QString source = pathText(txtPathdz);
    const QString target = workflow::singleOutputPath(source, txtPathdz2->text(), format);
    if (platform::isSameFile(source, target)
        && !m_services.notifier->question(tr("输出文件与源图片相同，转换后的图片将覆盖原图。确定要继续吗？")))
        return;

    // A folder listed in the batch panel since the picture was chosen has
    // replaced the work lists; the picture's own size is read again.
    m_work = {singleWorkItem(source)};
    m_workSource = WorkSource::Picture;
    const imaging::FitBox box = workflow::settingsBox(settings);
    TargetSizes = {workflow::fitTargetSize(m_work.front().size.Width, m_work.front().size.Height, box)};

    workflow::ConversionOptions options = workflow::settingsOptions(settings, conversionOptions());
    options.jobs = 1;
    const std::optional<workflow::ConversionResult> result = convertOne(workflow::ConversionJob{source, target, box}, options);

    savedLimits = {limitValue(Text3), limitValue(Text4)};
    workflow::StoreSavedLimits(m_services.settingsPath, savedLimits);
    rememberSettings();

    if (!m_closeAfterRun) {
        if (result && result->converted())
            m_services.notifier->selfClosingInformation(tr("%1 转换成功").arg(platform::displayPath(target)),
                                                        platform::kSelfClosingTimeout);
        else
            m_services.notifier->information(
                tr("%1 转换失败：%2")
                    .arg(platform::displayPath(source),
                         workflow::failureReason(result)));
    }
    clearAfterRun();
    if (m_closeAfterRun)
        close();
}

} // namespace window
