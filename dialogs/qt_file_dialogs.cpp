#include "dialogs/qt_file_dialogs.h"

#include "dialogs/dialog_placement.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileSystemModel>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <QTreeView>

namespace dialogs {

namespace {

// Qt 6 asks for the file types of its dialogs ("Folder", "%1 File") under a
// context its translations of 6.4 do not have yet; they have the same texts
// under the file dialog's own, which this translator hands out.
class FileTypeTexts final : public QTranslator {
public:
    bool load(const QLocale &locale)
    {
        return m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    }
    bool isEmpty() const override { return false; }
    QString translate(const char *context, const char *sourceText, const char *disambiguation, int n) const override
    {
        if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        for (const char *known : {"QFileDialog", "QFileSystemModel", "QFileIconProvider"}) {
            if (QString text = m_qt.translate(known, sourceText, disambiguation, n); !text.isEmpty())
                return text;
        }
        return {};
    }

private:
    QTranslator m_qt;
};

// The open-file dialog's size: room for long names and the other columns,
// within the screen.
QSize roomyDialogSize(const QScreen *screen)
{
    const QSize wanted(820, 500);
    if (!screen)
        return wanted;
    const QSize area = screen->availableGeometry().size();
    return wanted.boundedTo(QSize(area.width() * 9 / 10, area.height() * 9 / 10));
}

} // namespace

QtFileDialogs::QtFileDialogs(const QLocale &locale)
{
    auto texts = std::make_unique<FileTypeTexts>();
    if (locale.language() == QLocale::Chinese && texts->load(locale)) {
        QCoreApplication::installTranslator(texts.get());
        m_fileTypes = std::move(texts);
    }
}

QtFileDialogs::~QtFileDialogs()
{
    if (m_fileTypes)
        QCoreApplication::removeTranslator(m_fileTypes.get());
}

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

    const QScreen *screen = record.owner ? record.owner->screen() : QGuiApplication::primaryScreen();
    dialog.resize(roomyDialogSize(screen));
    // The size, type and date columns show theirs whole once a folder is
    // listed; the names get what they leave.
    auto *details = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    auto *files = dialog.findChild<QFileSystemModel *>();
    if (details && files) {
        details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        QObject::connect(files, &QFileSystemModel::directoryLoaded, details, [details] {
            for (int column = 1; column < details->header()->count(); ++column)
                details->resizeColumnToContents(column);
        });
    }
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
