// The folder browser and open-file dialog on Qt's own file dialog.
#pragma once

#include "dialogs/file_dialogs.h"

#include <QLocale>

#include <memory>

class QTranslator;

namespace dialogs {

class QtFileDialogs final : public FileDialogs {
public:
    // `locale` is the interface's: Qt's own texts of the dialogs follow it.
    explicit QtFileDialogs(const QLocale &locale = QLocale::system());
    ~QtFileDialogs() override;

    QString BrowseForFolder(QWidget *owner, const QString &prompt, const QString &initialFolder,
                            bool newStyle) override;
    void SetDialogPlacement(DialogPlacement placement) override { m_placement = placement; }
    bool GetOpenFileName(OpenDialogRecord &record) override;

private:
    DialogPlacement m_placement = DialogPlacement::Platform;
    std::unique_ptr<QTranslator> m_fileTypes;
};

// A filter's file pattern matched without regard to case, as users of the
// dialog expect ("*.bmp" also lists PHOTO.BMP): "*.[bB][mM][pP]".
QString caseInsensitivePattern(const QString &pattern);

// The Qt name filter for a description and pattern pair.
QString nameFilter(const QString &description, const QString &pattern);

} // namespace dialogs
