// The path fields' own keys, drags, drops and menu: Delete and Backspace
// empty a path field, Enter opens its chooser, a dropped folder or picture is
// taken as if chosen (and only what is taken shows the accepting cursor), and
// the output folder's menu opens that folder. The new name and the format box
// take from a drop only what their typing takes.
#include "window/frm_main.h"

#include "controls/xp_combo.h"
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
#include <QMimeData>
#include <QPointer>

#include <algorithm>
#include <memory>
#include <optional>

namespace window {

namespace {

// Dragged text (no files) whose every character a new name may be typed with:
// no dot, no folder, nothing that is not printed.
bool isTypableName(const QMimeData *mime)
{
    if (!mime || mime->hasUrls() || !mime->hasText())
        return false;
    const QString text = mime->text();
    return std::all_of(text.begin(), text.end(),
                       [](QChar c) { return c.isPrint() && c != u'.' && c != u'/'; });
}

} // namespace

// The index of the format box's item that dragged text names (".png", "PNG"),
// or nothing: only its formats are taken, as if chosen from its list.
std::optional<int> frmMain::droppedFormat(const QMimeData *mime) const
{
    if (!mime || mime->hasUrls() || !mime->hasText())
        return std::nullopt;
    QString text = mime->text().trimmed();
    if (!text.startsWith(u'.'))
        text.prepend(u'.');
    for (int i = 0; i < XPCombo1->ListCount(); ++i) {
        if (XPCombo1->GetItem(i).compare(text, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

bool frmMain::eventFilter(QObject *watched, QEvent *event)
{
    auto *edit = qobject_cast<QLineEdit *>(watched);
    const bool pathField = edit == txtPath || edit == txtPath2 || edit == txtPathdz;
    const bool formatField = watched == XPCombo1->textField();
    if (edit == txtPathdz2 || formatField) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDropEvent *>(event);
            if (formatField ? droppedFormat(drag->mimeData()).has_value() : isTypableName(drag->mimeData()))
                return false; // the field follows the drag and shows where the text goes
            drag->ignore();
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            if (!formatField)
                return isTypableName(drop->mimeData()) ? false : (drop->ignore(), true);
            const std::optional<int> format = droppedFormat(drop->mimeData());
            if (format) {
                XPCombo1->SetListIndex(*format);
                drop->acceptProposedAction();
            } else {
                drop->ignore();
            }
            return true;
        }
        default: break;
        }
    }
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
            // Taken once the drop has ended: the program the drag came from
            // hears at once that it is over, before a scan or a notice.
            QMetaObject::invokeMethod(
                this,
                [this, field = QPointer<QLineEdit>(edit), paths] {
                    if (!field)
                        return;
                    if (field == txtPathdz)
                        dropOnPictureField(paths);
                    else
                        dropOnFolderField(field, paths);
                },
                Qt::QueuedConnection);
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
