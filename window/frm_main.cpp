// The window's setup and life: loading the remembered limits and the format
// list, centring, opening what the program is given, closing, and the state
// both panels share.
#include "window/frm_main.h"

#include "controls/ph_button.h"
#include "controls/set_ctrl_color.h"
#include "controls/xp_combo.h"
#include "controls/xp_combo_layout.h"
#include "controls/xp_progress_bar.h"
#include "imaging/picture_formats.h"
#include "platform/file_system.h"
#include "platform/native_path.h"
#include "platform/notifier.h"
#include "platform/system_colours.h"
#include "window/size_field_rule.h"
#include "window/size_fields.h"
#include "window/task_runner.h"
#include "workflow/output_names.h"
#include "workflow/path_names.h"
#include "workflow/size_text.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <utility>

namespace window {

namespace {

// How often paths handed over during a run look whether it has ended.
constexpr int kPendingCheckMs = 50;

const QColor kWindowColour(236, 233, 216);
constexpr platform::ColourValue kFieldBorder = platform::rgbValue(127, 157, 185);

void paintBackground(QWidget *widget)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, kWindowColour);
    widget->setPalette(palette);
    // Buttons fill with their button colour unless told to use the window's.
    widget->setBackgroundRole(QPalette::Window);
    widget->setAutoFillBackground(true);
}

} // namespace

frmMain::frmMain(const FormServices &services, QWidget *parent) : QWidget(parent), m_services(services)
{
    buildControls();
    loadWindow();
}

frmMain::~frmMain() = default;

void frmMain::loadWindow()
{
    for (QWidget *widget : std::initializer_list<QWidget *>{this, Frame1, Frame2, Option1, Option2, Check1})
        paintBackground(widget);
    raise();

    for (const imaging::FileType &type : imaging::fileTypes())
        XPCombo1->AddItem(QStringLiteral(".") + QString::fromUtf16(type.extension));
    XPCombo1->SetListIndex(0);
    XPCombo1->SetEnabled(true);
    // The batch's formats: its own for every picture, or one of the table's.
    // Only the list's items can be chosen.
    XPCombo2->AddItem(tr("保持原格式"));
    for (const QString &format : workflow::batchOutputFormats())
        XPCombo2->AddItem(QStringLiteral(".") + format);
    XPCombo2->SetListIndex(0);
    XPCombo2->SetEnabled(true);
    XPCombo2->SetLocked(true);
    // Laid out for "保持原格式"; a longer translation widens the box to show
    // it whole: the text field's own margins and cursor take 6 pixels.
    const QFont font = XPCombo2->textField()->font();
    const int textWidth = controls::twipsToPixels(
        controls::xpComboLayout(XPCombo2->width() * controls::kTwipsPerPixel, font.pointSizeF()).textWidth);
    const int shortfall = QFontMetrics(font).horizontalAdvance(XPCombo2->GetItem(0)) + 6 - textWidth;
    if (shortfall > 0)
        XPCombo2->resize(XPCombo2->width() + shortfall, XPCombo2->height());

    for (QLineEdit *edit : {txtPath, txtPath2, txtPathdz, txtPathdz2, Text1, Text2, Text3, Text4})
        controls::HookBorderColor(edit, kFieldBorder);
    for (QLineEdit *edit : {txtPath, txtPath2, txtPathdz})
        edit->setReadOnly(true);

    Option1->setChecked(true);
    showPanel(true);

    savedLimits = workflow::LoadSavedLimits(m_services.settingsPath);
    // The twins and the bounds follow through the size fields' own rules.
    Text1->setText(QString::number(savedLimits.Width));
    Text4->setText(QString::number(savedLimits.Height));
    loadSettings();

    CentreWindow();
    for (QLineEdit *edit : {txtPath, txtPath2, txtPathdz})
        edit->setAcceptDrops(true);
}

void frmMain::showPanel(bool single)
{
    Frame1->setVisible(single);
    Frame2->setVisible(!single);
}

void frmMain::CentreWindow()
{
    const QScreen *screen = this->screen();
    if (!screen)
        return;
    const QRect area = screen->geometry();
    const QSize outer = frameGeometry().size();
    move(area.x() + (area.width() - outer.width()) / 2, area.y() + (area.height() - outer.height()) / 2);
}

std::int32_t frmMain::limitValue(const QLineEdit *field) const { return SizeFields::wholeValue(*field).value_or(0); }

bool frmMain::limitsAreUsable(QLineEdit *width, QLineEdit *height)
{
    const std::pair<QLineEdit *, QString> limits[] = {
        {width, tr("请填写图片的缩放最大限宽：1 到 %1 之间的整数！")},
        {height, tr("请填写图片缩放的最大限高：1 到 %1 之间的整数！")},
    };
    for (const auto &[field, wanted] : limits) {
        if (field->text().isEmpty() || SizeFields::value(*field) < 1) {
            m_services.notifier->information(wanted.arg(kSizeFieldMax));
            field->setFocus();
            return false;
        }
    }
    return true;
}

QString frmMain::whyNotOpened(const QString &path)
{
    if (workflow::IsFolder(path) || (platform::isRegularFile(path) && imaging::hasConvertibleExtension(path)))
        return {};
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return tr("找不到“%1”。").arg(platform::displayPath(path));
    return tr("“%1”不是文件夹，也不是可以转换的图片（%2）。")
        .arg(platform::displayPath(path), imaging::extensionList(u"、"));
}

void frmMain::openPaths(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    if (isBusy() || QApplication::activeModalWidget()) {
        // The run, or a notice, ends first; the latest paths handed over win.
        m_pendingPaths = paths;
        QTimer::singleShot(kPendingCheckMs, this, &frmMain::openPendingPaths);
        return;
    }
    const QString &first = paths.constFirst();
    if (const QString problem = whyNotOpened(first); !problem.isEmpty()) {
        m_services.notifier->information(problem);
    } else if (workflow::IsFolder(first)) {
        Option2->setChecked(true);
        showPanel(false);
        dropOnFolderField(txtPath, paths);
    } else {
        Option1->setChecked(true);
        showPanel(true);
        dropOnPictureField(paths);
    }
}

void frmMain::openPendingPaths()
{
    if (m_pendingPaths.isEmpty())
        return;
    if (isBusy() || QApplication::activeModalWidget()) {
        QTimer::singleShot(kPendingCheckMs, this, &frmMain::openPendingPaths);
        return;
    }
    // Opened from an event of its own, not inside the timer's.
    QMetaObject::invokeMethod(
        this, [this, paths = std::exchange(m_pendingPaths, {})] { openPaths(paths); }, Qt::QueuedConnection);
}

void frmMain::bringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

workflow::ConversionOptions frmMain::conversionOptions() const
{
    workflow::ConversionOptions options{m_services.jobs, platform::buttonFaceColour(), m_services.worker};
    options.resultsInListOrder = false; // the bar moves as pictures end
    return options;
}

std::optional<workflow::ConversionResult> frmMain::convertOne(const workflow::ConversionJob &job,
                                                           const workflow::ConversionOptions &options)
{
    workflow::ConversionRun run;
    m_runner->run([&](const std::atomic<bool> &stop) { run = workflow::convertInParallel({job}, options, {}, &stop); },
                  Qt::BusyCursor);
    return run.results.empty() ? std::nullopt : run.results.front();
}

void frmMain::showProgress(int done, int total, const QString &name)
{
    setWindowTitle(tr("%1/%2 – %3 – %4", "pictures done, pictures in all, the last one done, the window's title")
                       .arg(done)
                       .arg(total)
                       .arg(platform::displayPath(name), m_title));
}

QString frmMain::batchOutputFormat() const
{
    const QStringList formats = workflow::batchOutputFormats();
    const int index = XPCombo2->ListIndex();
    return index >= 1 && index <= formats.size() ? formats[index - 1] : QString();
}

bool frmMain::isBusy() const { return m_runner->isRunning(); }

qint64 frmMain::lastRunLongestEventGapMs() const { return m_runner->longestEventGapMs(); }

void frmMain::closeEvent(QCloseEvent *event)
{
    if (m_runner->isRunning()) {
        // The run ends early: the pictures (or the picture sizes) under way
        // finish, no new one starts, and then the window closes.
        m_closeAfterRun = true;
        m_runner->requestStop();
        setButtonCaption(cmdStartConvert, tr("正在停止…"));
        setWindowTitle(tr("正在停止… – %1").arg(m_title));
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

QStringList frmMain::workNames() const
{
    QStringList names;
    for (const workflow::WorkItem &item : m_work)
        names << item.name;
    return names;
}

QStringList frmMain::workSizes() const
{
    QStringList sizes;
    for (const workflow::WorkItem &item : m_work)
        sizes << workflow::sizeText(item.size);
    return sizes;
}

void frmMain::clearAfterRun()
{
    m_work.clear();
    m_workSource = WorkSource::Empty;
    for (QLineEdit *edit : {txtPath, txtPath2, txtPathdz, txtPathdz2})
        edit->clear();
}

} // namespace window
