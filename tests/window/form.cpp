#include "form.h"

#include "platform/native_path.h"

#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

template <typename T> T *Form::named(const char *name) const
{
    T *control = m_window.findChild<T *>(QString::fromLatin1(name));
    EXPECT_TRUE(control) << "no control named " << name;
    return control;
}

Form::Form(window::frmMain &window) : m_window(window)
{
    Option1 = named<QRadioButton>("Option1");
    Option2 = named<QRadioButton>("Option2");
    Check1 = named<QCheckBox>("Check1");
    Frame1 = named<QFrame>("Frame1");
    Frame2 = named<QFrame>("Frame2");
    cmdrgtBrowe = named<controls::PhButton>("cmdrgtBrowe");
    cmdStartConvertdz = named<controls::PhButton>("cmdStartConvertdz");
    cmdSelectFolder = named<controls::PhButton>("cmdSelectFolder");
    cmdSaveFolder = named<controls::PhButton>("cmdSaveFolder");
    cmdStartConvert = named<controls::PhButton>("cmdStartConvert");
    txtPathdz = named<QLineEdit>("txtPathdz");
    txtPathdz2 = named<QLineEdit>("txtPathdz2");
    txtPath = named<QLineEdit>("txtPath");
    txtPath2 = named<QLineEdit>("txtPath2");
    Text1 = named<QLineEdit>("Text1");
    Text2 = named<QLineEdit>("Text2");
    Text3 = named<QLineEdit>("Text3");
    Text4 = named<QLineEdit>("Text4");
    XPCombo1 = named<controls::XPCombo>("XPCombo1");
    XPCombo2 = named<controls::XPCombo>("XPCombo2");
    PB = named<controls::XP_ProgressBar>("PB");
    lblFound = named<QLabel>("lblFound");
}

QStringList Form::List1() const { return m_window.property("List1").toStringList(); }

QStringList Form::List2() const { return m_window.property("List2").toStringList(); }

void Form::click(controls::PhButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

void Form::drop(QLineEdit *field, const QStringList &paths)
{
    QMimeData mime;
    if (paths.isEmpty()) {
        mime.setText(QStringLiteral("dragged text"));
    } else {
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls << QUrl::fromEncoded("file://" + platform::nativePath(path).toPercentEncoding("/"));
        mime.setUrls(urls);
    }
    if (dropData(field, mime))
        QCoreApplication::processEvents(); // what the window does once the drop has ended
}

bool Form::dropData(QWidget *target, const QMimeData &mime)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false; // refused while dragged: the drop never comes
    QDropEvent dropped(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    return dropped.isAccepted();
}
