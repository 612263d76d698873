// The conversion settings beyond the size fields: the settings dialog, the
// presets it picks, what the window remembers of them between starts, and the
// settings each run converts by.
#include "window/frm_main.h"

#include "controls/xp_combo.h"
#include "platform/notifier.h"
#include "window/settings_dialog.h"
#include "workflow/output_names.h"
#include "workflow/presets.h"
#include "workflow/window_settings.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

namespace window {

namespace {

// The format box's item for an extension, or -1.
int formatItem(const controls::XPCombo &box, const QString &format)
{
    for (int i = 0; i < box.ListCount(); ++i) {
        if (box.GetItem(i).compare(QStringLiteral(".") + format, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

} // namespace

void frmMain::loadSettings()
{
    // Nothing chosen yet (no presets.json, no window.json): the window starts
    // as it always did.
    QStringList problems;
    const workflow::LoadedPresets presets = workflow::loadPresets(m_services.presetsPath);
    if (presets.damaged)
        problems << presets.problem;
    const workflow::Preset *start = nullptr;
    m_presets = workflow::allPresets(presets.file);
    if (!presets.file.start.isEmpty())
        start = workflow::findPreset(m_presets, presets.file.start);
    if (start) {
        workflow::ConversionSettings settings = start->settings;
        if (settings.width == 0 || settings.height == 0) {
            settings.width = limitValue(Text1);
            settings.height = limitValue(Text2);
        }
        applySettings(settings, presets.file.start);
    } else if (!m_services.windowSettingsPath.isEmpty()) {
        const workflow::LoadedWindowSettings kept = workflow::loadWindowSettings(m_services.windowSettingsPath);
        if (!kept.problem.isEmpty())
            problems << kept.problem;
        else if (QFile::exists(m_services.windowSettingsPath)) {
            // The box stays CULERT.txt's.
            workflow::ConversionSettings settings = kept.settings.settings;
            settings.width = limitValue(Text1);
            settings.height = limitValue(Text2);
            applySettings(settings, kept.settings.preset);
            m_settingsKept = true;
        }
    }
    // Said once the window is up, not before it shows.
    if (!problems.isEmpty())
        QTimer::singleShot(0, this, [this, text = problems.join(u'\n')] { m_services.notifier->information(text); });
}

void frmMain::openSettings()
{
    if (isBusy())
        return;
    PresetPlace place{m_services.presetsPath, m_services.notifier, m_services.dialogs, m_services.askExportPath};
    if (!place.askExportPath)
        place.askExportPath = [](QWidget *parent) {
            return QFileDialog::getSaveFileName(parent, SettingsDialog::tr("导出预设"),
                                                QStringLiteral("tarvel-presets.json"),
                                                SettingsDialog::tr("预设文件") + QStringLiteral(" (*.json)"));
        };
    SettingsDialog dialog(currentSettings(Option1->isChecked()), m_preset, place, this);
    dialog.setObjectName(QStringLiteral("settingsDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_presets = workflow::allPresets(workflow::loadPresets(m_services.presetsPath).file);
    applySettings(dialog.settings(), dialog.presetName());
    m_settingsKept = true;
    rememberSettings();
}

void frmMain::applySettings(const workflow::ConversionSettings &settings, const QString &preset)
{
    m_settings = settings;
    m_preset = preset;
    if (settings.width > 0 && settings.height > 0) {
        // Through the fields' own rules, which copy them into their twins.
        Text1->setText(QString::number(settings.width));
        Text2->setText(QString::number(settings.height));
    }
    Check1->setChecked(settings.enlarge);
    if (!settings.format.isEmpty()) {
        if (const int item = formatItem(*XPCombo1, settings.format); item >= 0)
            XPCombo1->SetListIndex(item);
    }
    const int batchItem = settings.format.isEmpty() ? 0 : formatItem(*XPCombo2, settings.format);
    if (batchItem >= 0)
        XPCombo2->SetListIndex(batchItem);
    showPresetInTitle();
}

workflow::ConversionSettings frmMain::currentSettings(bool single) const
{
    workflow::ConversionSettings settings = m_settings;
    settings.width = limitValue(Text1);
    settings.height = limitValue(Text2);
    settings.enlarge = Check1->isChecked();
    settings.format = single ? XPCombo1->Text().trimmed().mid(1).toLower() : batchOutputFormat();
    return settings;
}

bool frmMain::usesSizeFields() const
{
    return m_settings.sizeMode == workflow::SizeMode::FitInside || workflow::isExactMode(m_settings.sizeMode);
}

bool frmMain::settingsAreUsable(const workflow::ConversionSettings &settings)
{
    const QString problem = workflow::settingsProblem(settings);
    if (!problem.isEmpty())
        m_services.notifier->information(tr("转换设置有误：%1").arg(problem));
    return problem.isEmpty();
}

void frmMain::rememberSettings()
{
    if (!m_settingsKept || m_services.windowSettingsPath.isEmpty())
        return;
    workflow::WindowSettings kept{currentSettings(Option1->isChecked()), m_preset};
    // At start the box is CULERT.txt's, written with it.
    if (const QString problem = workflow::storeWindowSettings(m_services.windowSettingsPath, kept); !problem.isEmpty())
        m_services.notifier->information(problem);
    savedLimits = {limitValue(Text1), limitValue(Text2)};
    workflow::StoreSavedLimits(m_services.settingsPath, savedLimits);
}

void frmMain::showPresetInTitle()
{
    const workflow::Preset *preset = m_preset.isEmpty() ? nullptr : workflow::findPreset(m_presets, m_preset);
    if (preset) {
        // A preset without a box of its own takes the fields'.
        workflow::ConversionSettings wanted = preset->settings;
        const workflow::ConversionSettings now = currentSettings(Option1->isChecked());
        if (wanted.width == 0 || wanted.height == 0) {
            wanted.width = now.width;
            wanted.height = now.height;
        }
        if (wanted.format.isEmpty())
            wanted.format = now.format;
        if (!(wanted == now))
            preset = nullptr;
    }
    m_title = preset ? tr("%1 – %2", "the window's title, the preset in use").arg(m_baseTitle, preset->name)
                     : m_baseTitle;
    setWindowTitle(m_title);
}

} // namespace window
