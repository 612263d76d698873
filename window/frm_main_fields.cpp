// The path fields' own keys, drags and drops: Delete and Backspace empty a
// path field, Enter opens its chooser, and a dropped folder or picture is
// taken as if chosen.
#include "window/frm_main.h"

#include "imaging/picture_formats.h"
#include "window/path_field.h"
#include "workflow/path_names.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>

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
            if (droppedPaths(drag->mimeData()).isEmpty())
                drag->ignore();
            else
                drag->acceptProposedAction();
            return true;
        }
        break;
    case QEvent::Drop:
        if (pathField) {
            auto *drop = static_cast<QDropEvent *>(event);
            const QStringList paths = droppedPaths(drop->mimeData());
            drop->acceptProposedAction();
            if (edit == txtPathdz)
                dropOnPictureField(paths);
            else
                dropOnFolderField(edit, paths);
            return true;
        }
        break;
    default: break;
    }
    return QWidget::eventFilter(watched, event);
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
