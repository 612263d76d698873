// frmMain, the program's one window: a panel converting a single picture and
// a panel converting a whole folder, switched by two option buttons. The window
// owns all workflow state: its fields, the work list (shown as List1, the file
// names, and List2, their size texts), the table TargetSizes and the
// remembered limits.
#pragma once

#include "workflow/batch_workflow.h"
#include "workflow/conversion_rules.h"
#include "workflow/parallel_conversion.h"
#include "workflow/saved_limits.h"
#include "workflow/conversion_settings.h"
#include "workflow/presets.h"
#include "workflow/rename_pattern.h"
#include "workflow/target_sizes.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <optional>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMimeData;
class QRadioButton;

namespace controls {
class PhButton;
class XPCombo;
class XP_ProgressBar;
} // namespace controls

namespace dialogs {
class FileDialogs;
}

namespace platform {
class Notifier;
}

namespace window {

class EmblemButton;
class TaskRunner;
class SizeFields;

// What the window needs from outside: notices, dialogs, where the remembered
// limits live, how many pictures to convert at once, the conversion
// workers' settings (their budgets), and where the presets and the remembered
// conversion settings live (empty: the built-in presets only, nothing kept).
struct FormServices {
    platform::Notifier *notifier = nullptr;
    dialogs::FileDialogs *dialogs = nullptr;
    QString settingsPath;
    int jobs = 1;
    imaging::WorkerSettings worker;
    QString presetsPath;
    QString windowSettingsPath;
    // The file presets are exported to; none given: the desktop's save dialog.
    std::function<QString(QWidget *parent)> askExportPath;
};

// Its controls carry their names as object names ("Text3", "cmdStartConvert"),
// and the work lists are the read-only properties "List1" and "List2": that
// is how tests and tools reach them; nothing else of the window is public.
class frmMain : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList List1 READ workNames)
    Q_PROPERTY(QStringList List2 READ workSizes)

public:
    explicit frmMain(const FormServices &services, QWidget *parent = nullptr);
    ~frmMain() override;

    // Opens what the program was given on its command line or by a later
    // start: a folder is scanned in the batch panel as if dropped on the
    // source field, a picture chosen in the single panel as if dropped on the
    // picture field; of several, the first, as a drop takes it. A path the
    // window cannot open gets a notice saying why (whyNotOpened). Paths given
    // while a conversion or a scan runs are kept, the latest only, and opened
    // once it has ended and its notice is closed.
    void openPaths(const QStringList &paths);
    // Why the window cannot open `path` (it is missing, or neither a folder
    // nor a picture of the eight types), or nothing when it can.
    static QString whyNotOpened(const QString &path);
    // Shows the window above the others and gives it the focus.
    void bringToFront();

    // True while a conversion or a folder scan runs.
    bool isBusy() const;
    // How late the event loop got at worst during the last run (a conversion
    // or a folder scan), in ms.
    qint64 lastRunLongestEventGapMs() const;

protected:
    bool event(QEvent *event) override;                         // frm_main_controls.cpp
    bool eventFilter(QObject *watched, QEvent *event) override; // frm_main_fields.cpp
    void closeEvent(QCloseEvent *event) override;               // frm_main.cpp

private slots:
    // Batch panel (frm_main_batch.cpp).
    void ScanSourceFolder();
    void cmdStartConvert_Click();
    void cmdSelectFolder_Click();
    void cmdSaveFolder_Click();
    // Single-picture panel (frm_main_single.cpp).
    void cmdrgtBrowe_Click();
    void cmdStartConvertdz_Click();
    // Paths handed over during a run, opened once the window is free again.
    void openPendingPaths();

private:
    // The controls (frm_main_controls.cpp).
    void buildControls();
    void buildTopRow();
    void buildSinglePanel(const QRect &panel);
    void buildBatchPanel(const QRect &panel);
    void nameControls();
    void connectControls();
    void addMnemonics();
    std::pair<QLineEdit *, QLineEdit *> limitFields(QWidget *panel);
    // A picture button shows `caption` on its faces and to screen readers.
    void setButtonCaption(controls::PhButton *button, const QString &caption);
    // The button faces and the emblem, drawn again when the window's device
    // pixel ratio changed since they were last drawn.
    void drawPictures();

    // Drops onto the three path fields: the dropped paths, in order
    // (frm_main_fields.cpp).
    void dropOnFolderField(QLineEdit *field, const QStringList &paths);
    void dropOnPictureField(const QStringList &paths);
    // Whether a drop of `paths` on `field` would be taken.
    bool takesDrop(const QLineEdit *field, const QStringList &paths) const;
    std::optional<int> droppedFormat(const QMimeData *mime) const;
    // The path fields' context menu, with "打开文件夹" on the output folder's.
    void showPathMenu(QLineEdit *field, const QPoint &globalPos);

    // Setup and what both panels share (frm_main.cpp).
    void loadWindow();
    void showPanel(bool single);
    // Places the window in the middle of the screen.
    void CentreWindow();
    void clearAfterRun();
    std::int32_t limitValue(const QLineEdit *field) const;
    // Whether both limits are at least 1; a notice names the first that is not.
    bool limitsAreUsable(QLineEdit *width, QLineEdit *height);
    workflow::ConversionOptions conversionOptions() const;
    // Converts the single panel's picture with the window waiting busy; the
    // bar belongs to the batch and is left alone.
    std::optional<workflow::ConversionResult> convertOne(const workflow::ConversionJob &job,
                                          const workflow::ConversionOptions &options);
    // The count and the name of the picture just done in the title.
    void showProgress(int done, int total, const QString &name);

    // The batch's stop (frm_main_batch.cpp): the start button turns into a
    // stop button for the run, and Esc stops it too.
    void setStoppable(bool stoppable);
    void stopBatch();
    void reportBatch(const workflow::BatchSummary &summary, const QString &outputFolder);
    QStringList workNames() const;
    QStringList workSizes() const;
    // The batch's output names by the settings' rename pattern, or why not.
    workflow::RenamedRun renamedOutputs(const workflow::ConversionSettings &settings, const imaging::FitBox &box) const;
    // The extension the batch converts to; empty: each picture keeps its format.
    QString batchOutputFormat() const;

    void choosePicture(const QString &path); // frm_main_single.cpp

    // The conversion settings (frm_main_settings.cpp).
    void loadSettings();
    void openSettings();
    // Takes `settings` as the window's: its box and format into the fields,
    // the rest kept for the runs; `preset` names them when they are one.
    void applySettings(const workflow::ConversionSettings &settings, const QString &preset);
    // The settings a run of the single (or batch) panel converts by: the
    // fields' box and format with the rest.
    workflow::ConversionSettings currentSettings(bool single) const;
    // Why the settings cannot run, said in a notice; false then.
    bool settingsAreUsable(const workflow::ConversionSettings &settings);
    // Whether the mode takes its size from the width and height fields.
    bool usesSizeFields() const;
    void rememberSettings();
    // The title names the preset while the settings still are that preset.
    void showPresetInTitle();
    // What a notice says to a refused new name; nothing for an accepted one.
    static QString newNameRefusal(workflow::NewNameProblem problem);
    static QString folderPrompt(); // frm_main_batch.cpp

    // The controls, by the names the program knows them by.
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QCheckBox *Check1 = nullptr;
    QLabel *Label3 = nullptr;
    QFrame *Frame1 = nullptr;
    controls::PhButton *cmdrgtBrowe = nullptr;
    QLineEdit *txtPathdz = nullptr;
    QLineEdit *txtPathdz2 = nullptr;
    controls::XPCombo *XPCombo1 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *Text4 = nullptr;
    controls::PhButton *cmdStartConvertdz = nullptr;
    QFrame *Frame2 = nullptr;
    controls::PhButton *cmdSelectFolder = nullptr;
    QLineEdit *txtPath = nullptr;
    controls::PhButton *cmdSaveFolder = nullptr;
    QLineEdit *txtPath2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    controls::XPCombo *XPCombo2 = nullptr; // the batch's output format
    QLabel *lblFound = nullptr;            // the count of the source folder's pictures
    controls::PhButton *cmdStartConvert = nullptr;
    controls::XP_ProgressBar *PB = nullptr;
    EmblemButton *Picture1 = nullptr; // opens the conversion settings

    // The pictures to convert with their sizes, and the sizes they are fitted to.
    workflow::WorkList m_work;
    workflow::TargetSizeTable TargetSizes;
    workflow::SavedLimits savedLimits;

    FormServices m_services;
    // What the settings dialog sets beyond the fields; the defaults convert
    // as the window always did.
    workflow::ConversionSettings m_settings;
    QString m_preset;            // the preset m_settings came from; empty: none
    bool m_settingsKept = false; // window.json is in use
    QString m_baseTitle;
    std::vector<workflow::Preset> m_presets; // the built-ins and the user's, as last read
    SizeFields *m_sizeFields = nullptr;
    TaskRunner *m_runner = nullptr;
    // Whose pictures the work list holds: those of txtPath's folder, or the single one.
    enum class WorkSource { Empty, Folder, Picture } m_workSource = WorkSource::Empty;
    bool m_closeAfterRun = false;
    bool m_batchStopped = false;
    qreal m_picturesRatio = 0;
    QString m_title;
    // The output folder of the last batch, which its field no longer shows.
    QString m_lastOutputFolder;
    QStringList m_pendingPaths;
};

} // namespace window
