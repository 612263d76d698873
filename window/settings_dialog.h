// The conversion settings in one place: a preset to start from (the built-ins
// and the user's own), how the size is chosen, quality, the file-size range,
// the background, DPI, the rename pattern and what is kept of the source; and
// the presets themselves: saved under a name, chosen for the start, exported
// and imported. The box (width, height, 小图放大) and the format stay in the
// window's own fields; the dialog carries them along for the presets.
#pragma once

#include "workflow/conversion_settings.h"
#include "workflow/presets.h"

#include <QDialog>

#include <functional>
#include <vector>

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace dialogs {
class FileDialogs;
}
namespace platform {
class Notifier;
}

namespace window {

// Where the presets live and how the dialog asks the user about files.
struct PresetPlace {
    QString path; // presets.json; empty: only the built-ins, nothing stored
    platform::Notifier *notifier = nullptr;
    dialogs::FileDialogs *dialogs = nullptr;
    // The file to export to; empty: cancelled.
    std::function<QString(QWidget *parent)> askExportPath;
};

class SettingsDialog : public QDialog {
    Q_OBJECT

public:
    SettingsDialog(const workflow::ConversionSettings &settings, const QString &preset, PresetPlace place,
                   QWidget *parent = nullptr);

    // The settings as the controls have them, with the box and format carried along.
    workflow::ConversionSettings settings() const;
    // The preset the settings are, unchanged; empty when they are the user's own.
    QString presetName() const;

    void accept() override;

private:
    void buildSizeRows(QFormLayout *form);
    void buildOutputRows(QFormLayout *form);
    void nameFields(QFormLayout *form);
    QWidget *buildPresetRow();
    void show(const workflow::ConversionSettings &settings);
    void fillPresetList(const QString &selected);
    void pickPreset(int index);
    void followMode();
    void savePreset();
    void exportPresets();
    void importPresets();
    // Stores the file; a notice says why not.
    bool store(const workflow::PresetFile &file);

    workflow::ConversionSettings m_carried; // box, enlarge, format
    PresetPlace m_place;
    workflow::PresetFile m_file;
    bool m_damaged = false;
    std::vector<workflow::Preset> m_presets;

    QComboBox *m_preset = nullptr;
    QCheckBox *m_atStart = nullptr;
    QLineEdit *m_newName = nullptr;
    QLabel *m_problem = nullptr;
    QLabel *m_boxNote = nullptr;
    QComboBox *m_mode = nullptr;
    QSpinBox *m_longEdge = nullptr;
    QDoubleSpinBox *m_percent = nullptr;
    QComboBox *m_anchor = nullptr;
    QLineEdit *m_padColour = nullptr;
    QSpinBox *m_quality = nullptr;
    QLineEdit *m_maxKb = nullptr; // "50K", "2M" or bytes
    QLineEdit *m_minKb = nullptr;
    QComboBox *m_background = nullptr;
    QLineEdit *m_backgroundColour = nullptr;
    QSpinBox *m_dpi = nullptr;
    QLineEdit *m_rename = nullptr;
    QCheckBox *m_keepDates = nullptr;
    QCheckBox *m_keepCamera = nullptr;
    QCheckBox *m_keepLocation = nullptr;
    QCheckBox *m_neverLarger = nullptr;
};

} // namespace window
