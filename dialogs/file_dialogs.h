// The folder browser and the open-file dialog, behind an interface so that the
// workflows can be driven by scripted answers in tests.
#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class QWidget;

namespace dialogs {

// Where the open-file dialog appears: where the platform puts it, centred on
// the screen, or centred over the main window.
enum class DialogPlacement { Platform = 0, Screen = 1, MainWindow = 2 };

// What the caller gives the open-file dialog, and what it gets back.
struct OpenDialogRecord {
    QWidget *owner = nullptr;
    // Description and pattern of each filter, in order ("BMP位图(*.bmp)", "*.bmp").
    std::vector<std::pair<QString, QString>> filters;
    int filterIndex = 1; // 1-based, as the dialog counts them
    QString initialFolder;
    QString title;
    QString fileName; // the chosen file on return
};

class FileDialogs {
public:
    virtual ~FileDialogs() = default;

    // The chosen folder, or an empty text when the user cancels. The dialog
    // opens at `initialFolder` and shows the path of the current selection.
    virtual QString BrowseForFolder(QWidget *owner, const QString &prompt, const QString &initialFolder, bool newStyle)
        = 0;

    // Where the next open-file dialog is placed.
    virtual void SetDialogPlacement(DialogPlacement placement) = 0;

    // Shows the open-file dialog for one existing file. True, with
    // `record.fileName` set, when a file was chosen; false on cancel.
    virtual bool GetOpenFileName(OpenDialogRecord &record) = 0;
};

} // namespace dialogs
