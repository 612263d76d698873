// The main window as a test reaches it from outside: its controls found by
// their names, its work lists read as properties, its commands given by
// clicking the buttons and its drops made with real drop events.
#pragma once

#include "controls/ph_button.h"
#include "controls/xp_combo.h"
#include "controls/xp_progress_bar.h"
#include "window/frm_main.h"

#include <QCheckBox>
#include <QFrame>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>

class QLabel;
class QMimeData;

class Form {
public:
    explicit Form(window::frmMain &window);

    window::frmMain *operator->() { return &m_window; }
    window::frmMain &window() { return m_window; }

    QStringList List1() const;
    QStringList List2() const;

    void cmdStartConvert_Click() { click(cmdStartConvert); }
    void cmdSelectFolder_Click() { click(cmdSelectFolder); }
    void cmdSaveFolder_Click() { click(cmdSaveFolder); }
    void cmdrgtBrowe_Click() { click(cmdrgtBrowe); }
    void cmdStartConvertdz_Click() { click(cmdStartConvertdz); }

    // Drops file-system paths (by their bytes, as a file manager sends them);
    // no paths drops dragged text instead.
    void dropOnFolderField(QLineEdit *field, const QStringList &paths) { drop(field, paths); }
    void dropOnPictureField(const QStringList &paths) { drop(txtPathdz, paths); }
    // Drags `mime` onto `target` and drops it there, as a drag from another
    // program does: whether the target took it. What the window does after a
    // drop waits until the drop has ended and the event loop runs.
    static bool dropData(QWidget *target, const QMimeData &mime);

    QRadioButton *Option1, *Option2;
    QCheckBox *Check1;
    QFrame *Frame1, *Frame2;
    controls::PhButton *cmdrgtBrowe, *cmdStartConvertdz, *cmdSelectFolder, *cmdSaveFolder, *cmdStartConvert;
    QLineEdit *txtPathdz, *txtPathdz2, *txtPath, *txtPath2, *Text1, *Text2, *Text3, *Text4;
    controls::XPCombo *XPCombo1, *XPCombo2;
    controls::XP_ProgressBar *PB;
    QLabel *lblFound; // the count of the source folder's pictures

private:
    template <typename T> T *named(const char *name) const;
    void click(controls::PhButton *button);
    void drop(QLineEdit *field, const QStringList &paths);

    window::frmMain &m_window;
};
