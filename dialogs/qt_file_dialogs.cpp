#include "dialogs/qt_file_dialogs.h"

#include "dialogs/dialog_placement.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

namespace dialogs {

QString caseInsensitivePattern(const QString &pattern)
{
    QString out;
    for (const QChar c : pattern) {
        if (c.isLetter() && c.toLower() != c.toUpper())
            out += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            out += c;
    }
    return out;
}

QString nameFilter(const QString &description, const QString &pattern)
{
    // Qt takes the patterns from the last parenthesised group; the dialog
    // hides that group and shows the description as it is.
    return description + QStringLiteral(" (") + caseInsensitivePattern(pattern) + QLatin1Char(')');
}

QString QtFileDialogs::BrowseForFolder(QWidget *owner, const QString &prompt, const QString &initialFolder,
                                       bool newStyle)
{
    QFileDialog dialog(owner, prompt.trimmed());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setOption(QFileDialog::ReadOnly, !newStyle); // the new style can make folders
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (QDir(initialFolder).exists() && !initialFolder.isEmpty()) {
        const QDir initial(initialFolder);
        QDir parent = initial;
        if (parent.cdUp()) {
            dialog.setDirectory(parent);
            dialog.selectFile(initial.absolutePath());
        } else {
            dialog.setDirectory(initial);
        }
    } else {
        dialog.setDirectory(QDir::home());
    }

    // The status line shows the full path of the folder under the selection.
    auto *status = new QLabel(&dialog);
    status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (auto *grid = qobject_cast<QGridLayout *>(dialog.layout()))
        grid->addWidget(status, grid->rowCount(), 0, 1, grid->columnCount());
    auto showPath = [status](const QString &path) {
        if (QFileInfo(path).isDir())
            status->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
    };
    QObject::connect(&dialog, &QFileDialog::currentChanged, status, showPath);
    QObject::connect(&dialog, &QFileDialog::directoryEntered, status, showPath);
    showPath(initialFolder.isEmpty() ? dialog.directory().absolutePath() : initialFolder);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

bool QtFileDialogs::GetOpenFileName(OpenDialogRecord &record)
{
    QFileDialog dialog(record.owner, record.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    QStringList filters;
    for (const auto &[description, pattern] : record.filters)
        filters << nameFilter(description, pattern);
    dialog.setNameFilters(filters);
    if (record.filterIndex >= 1 && record.filterIndex <= filters.size())
        dialog.selectNameFilter(filters[record.filterIndex - 1]);
    dialog.setDirectory(record.initialFolder);

    dialog.adjustSize();
    const QScreen *screen = record.owner ? record.owner->screen() : QGuiApplication::primaryScreen();
    const QRect main = record.owner ? record.owner->window()->frameGeometry() : QRect();
    if (const auto position
        = dialogPosition(m_placement, dialog.frameGeometry().size(), screen ? screen->geometry() : QRect(), main))
        dialog.move(*position);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    record.fileName = dialog.selectedFiles().constFirst();
    return true;
}

} // namespace dialogs
