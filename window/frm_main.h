// frmMain, the program's one window: a panel converting a single picture and
// a panel converting a whole folder, switched by two option buttons. The window
// owns all workflow state: its fields, the work list (shown as List1, the file
// names, and List2, their size texts), the table TargetSizes and the
// remembered limits.
#pragma once

#include "workflow/parallel_conversion.h"
#include "workflow/saved_limits.h"
#include "workflow/target_sizes.h"

#include <QStringList>
#include <QWidget>

class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
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

class ConversionRunner;
class SizeFields;

// What the window needs from outside: notices, dialogs, where the remembered
// limits live, how many pictures to convert at once and the conversion
// workers' settings (their budgets).
struct FormServices {
    platform::Notifier *notifier = nullptr;
    dialogs::FileDialogs *dialogs = nullptr;
    QString settingsPath;
    int jobs = 1;
    imaging::WorkerSettings worker;
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
    // picture field; of several, the first, as a drop takes it. A path that
    // names neither an existing file nor a folder changes nothing, and so
    // does anything while a conversion runs.
    void openPaths(const QStringList &paths);
    // Shows the window above the others and gives it the focus.
    void bringToFront();

    // True while a conversion runs.
    bool isConverting() const;
    // How late the event loop got at worst during the last conversion, in ms.
    qint64 lastRunLongestEventGapMs() const;

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private slots:
    // Batch panel.
    void ScanSourceFolder();
    void cmdStartConvert_Click();
    void cmdSelectFolder_Click();
    void cmdSaveFolder_Click();
    // Single-picture panel.
    void cmdrgtBrowe_Click();
    void cmdStartConvertdz_Click();

private:
    // Moves the progress bar as the batch's pictures are done.
    void showBatchProgress();
    // Drops onto the three path fields: the dropped paths, in order.
    void dropOnFolderField(QLineEdit *field, const QStringList &paths);
    void dropOnPictureField(const QStringList &paths);
    // Places the window in the middle of the screen.
    void CentreWindow();

    void buildControls();
    std::pair<QLineEdit *, QLineEdit *> limitFields(QWidget *panel);
    // The button faces and the emblem, drawn again when the window's device
    // pixel ratio changed since they were last drawn.
    void drawPictures();
    void loadWindow();
    void showPanel(bool single);
    void choosePicture(const QString &path);
    void clearAfterRun();
    std::int32_t limitValue(const QLineEdit *field) const;
    bool limitsAreUsable(const QLineEdit *width, const QLineEdit *height) const;
    workflow::ConversionOptions conversionOptions() const;
    static QString folderPrompt();
    QStringList workNames() const;
    QStringList workSizes() const;

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
    controls::PhButton *cmdStartConvert = nullptr;
    controls::XP_ProgressBar *PB = nullptr;
    QLabel *Picture1 = nullptr;

    // The pictures to convert with their sizes, and the sizes they are fitted to.
    workflow::WorkList m_work;
    workflow::TargetSizeTable TargetSizes;
    workflow::SavedLimits savedLimits;

    FormServices m_services;
    SizeFields *m_sizeFields = nullptr;
    ConversionRunner *m_runner = nullptr;
    // Whose pictures the work list holds: those of txtPath's folder, or the single one.
    enum class WorkSource { Empty, Folder, Picture } m_workSource = WorkSource::Empty;
    bool m_closeAfterRun = false;
    bool m_batchRunning = false;
    int m_picturesNotShown = 0; // pictures done that the bar does not show yet
    qreal m_picturesRatio = 0;
};

} // namespace window
