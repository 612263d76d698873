// The path fields' own keys, drags, drops and menu: Delete and Backspace
// empty a path field, Enter opens its chooser, a dropped folder or picture is
// taken as if chosen (and only what is taken shows the accepting cursor), and
// the output folder's menu opens that folder.
#include "window/frm_main.h"

#include "imaging/picture_formats.h"
#include "platform/desktop_notifications.h"
#include "platform/file_system.h"
#include "window/path_field.h"
#include "workflow/path_names.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>

#include <memory>

namespace window {

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    const bool pathField = edit == txtPath || edit == txtPath2 || edit == txtPathdz;
    switch (event->type()) {
    case QEvent::KeyPress: {
        auto *key = static_cast<QKeyEvent *>(event);
        if (pathField && (key->key() == Qt::Key_Delete || key->key() == Qt::Key_Backspace)) {
            // The field takes no typing; these two keys empty it. (The work
            // lists stay as they are.)
            edit->clear();
            return true;
        }
        if (pathField && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
            // Enter in a path field opens its chooser, as its button does.
            if (edit == txtPath)
                cmdSelectFolder_Click();
            else if (edit == txtPath2)
                cmdSaveFolder_Click();
            else
                cmdrgtBrowe_Click();
            return true;
        }
        if (edit == txtPathdz2 && (key->text() == QStringLiteral(".") || key->text() == QStringLiteral("/")))
            return true; // a new name is typed without a dot or a folder
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
        if (pathField) {
            auto *drag = static_cast<QDropEvent *>(event);
            if (takesDrop(edit, droppedPaths(drag->mimeData())))
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        break;
    case QEvent::Drop:
        if (pathField) {
            auto *drop = static_cast<QDropEvent *>(event);
            const QStringList paths = droppedPaths(drop->mimeData());
            if (!takesDrop(edit, paths)) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            if (edit == txtPathdz)
                dropOnPictureField(paths);
            else
                dropOnFolderField(edit, paths);
            return true;
        }
        break;
    case QEvent::ContextMenu:
        if (pathField) {
            showPathMenu(edit, static_cast<QContextMenuEvent *>(event)->globalPos());
            return true;
        }
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
}

bool frmMain::takesDrop(const QLineEdit *field, const QStringList &paths) const
{
    if (paths.isEmpty())
        return false;
    const QString &first = paths.constFirst();
    if (field != txtPathdz)
        return workflow::IsFolder(first);
    // A folder empties the picture field; a picture of the eight types is chosen.
    return workflow::IsFolder(first) || (platform::isRegularFile(first) && imaging::hasConvertibleExtension(first));
}

void frmMain::showPathMenu(QLineEdit *field, const QPoint &globalPos)
{
    std::unique_ptr<QMenu> menu(field->createStandardContextMenu());
    if (field == txtPath2) {
        // After a run the field is empty again; its menu still opens the
        // folder the pictures went to.
        const QString folder = field->text().isEmpty() ? m_lastOutputFolder : pathText(field);
        menu->addSeparator();
        QAction *open = menu->addAction(tr("打开文件夹"));
        open->setEnabled(workflow::IsFolder(folder));
        connect(open, &QAction::triggered, this, [folder] { platform::openFolder(folder); });
    }
    menu->exec(globalPos);
}

void frmMain::dropOnFolderField(QLineEdit *field, const QStringList &paths)
{
    if (paths.isEmpty() || !workflow::IsFolder(paths.constFirst()))
        return;
    setPathText(field, paths.constFirst());
    if (field == txtPath)
        ScanSourceFolder();
}

void frmMain::dropOnPictureField(const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    const QString &dropped = paths.constFirst();
    if (workflow::IsFolder(dropped))
        txtPathdz->clear();
    if (imaging::hasConvertibleExtension(dropped)) {
        setPathText(txtPathdz, dropped);
        txtPathdz2->clear();
    }
    choosePicture(pathText(txtPathdz));
}

} // namespace window
