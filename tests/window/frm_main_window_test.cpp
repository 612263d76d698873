// Start-up, the remembered limits, panel switching and the single running copy.
#include "window_fixture.h"

#include "controls/xp_combo.h"
#include "platform/single_instance.h"

#include <QAccessible>
#include <QCheckBox>
#include <QDir>
#include <QFrame>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>

TEST_F(WindowTest, FirstStartShowsTheDefaultsAndWritesTheSettingsFile)
{
    Form &w = window();
    EXPECT_EQ(w->windowTitle(), QStringLiteral(u"Tarvel图片尺寸批量修改工具_v1.0"));
    EXPECT_EQ(w->size(), QSize(439, 322));
    EXPECT_TRUE(w.Option1->isChecked());
    EXPECT_FALSE(w.Option2->isChecked());
    EXPECT_FALSE(w.Check1->isChecked());
    EXPECT_FALSE(w.Frame1->isHidden());
    EXPECT_TRUE(w.Frame2->isHidden());
    for (QLineEdit *path : {w.txtPath, w.txtPath2, w.txtPathdz}) {
        EXPECT_TRUE(path->text().isEmpty());
        EXPECT_TRUE(path->isReadOnly());
    }
    EXPECT_FALSE(w.txtPathdz2->isReadOnly());
    EXPECT_EQ(w.Text1->text(), "425");
    EXPECT_EQ(w.Text3->text(), "425");
    EXPECT_EQ(w.Text2->text(), "321");
    EXPECT_EQ(w.Text4->text(), "321");
    // Today's eight first, in their order, then the newer formats.
    EXPECT_EQ(w.XPCombo1->ListCount(), 14);
    EXPECT_EQ(w.XPCombo1->Text(), ".bmp");
    EXPECT_EQ(w.XPCombo1->GetItem(7), ".tga");
    QStringList newer;
    for (int i = 8; i < 14; ++i)
        newer << w.XPCombo1->GetItem(i);
    EXPECT_EQ(newer, QStringList({".webp", ".heic", ".heif", ".hif", ".avif", ".jxl"}));
    EXPECT_EQ(readFile(settings), QByteArray(" 425 \r\n 321 "));
}

TEST_F(WindowTest, RememberedLimitsAreReadAsTheSettingsFileHasThem)
{
    struct Case {
        QByteArray file;
        QString width, height;
    };
    const std::vector<Case> cases{
        {"800\r\n\r\n600", "800", "600"},
        {"100\r\n200\r\n300", "100", "300"},
        {" 1920 \r\n 20000 ", "1920", ""}, // above 16383: that dimension's fields stay empty
        {"", "425", "321"},
    };
    for (const Case &c : cases) {
        writeFile(settings, c.file);
        form.reset();
        Form &w = window();
        EXPECT_EQ(w.Text1->text(), c.width) << c.file.toStdString();
        EXPECT_EQ(w.Text3->text(), c.width) << c.file.toStdString();
        EXPECT_EQ(w.Text2->text(), c.height) << c.file.toStdString();
        EXPECT_EQ(w.Text4->text(), c.height) << c.file.toStdString();
    }
}

TEST_F(WindowTest, SwitchingPanelsKeepsEveryField)
{
    Form &w = window();
    w.txtPathdz2->setText("name");
    w.txtPath->setText("/somewhere");
    w.Text3->setText("640");
    w.Option2->click();
    EXPECT_TRUE(w.Frame1->isHidden());
    EXPECT_FALSE(w.Frame2->isHidden());
    w.Option1->click();
    EXPECT_FALSE(w.Frame1->isHidden());
    EXPECT_TRUE(w.Frame2->isHidden());
    EXPECT_EQ(w.txtPathdz2->text(), "name");
    EXPECT_EQ(w.txtPath->text(), "/somewhere");
    EXPECT_EQ(w.Text1->text(), "640");
}

TEST(SingleInstance, SecondStartEndsAtOnceAndLeavesTheFirstRunning)
{
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_CONFIG_HOME", runtime.path());
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(TARVEL_EXECUTABLE), {});
    ASSERT_TRUE(first.waitForStarted());
    // The first copy holds the lock once it listens for later starts.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !QDir(runtime.path()).entryList({"*.socket"}, QDir::System).isEmpty(); }, 15000));
    ASSERT_EQ(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QStringLiteral(TARVEL_EXECUTABLE), {});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished();
}

TEST_F(WindowTest, OpensWhatItIsGiven)
{
    QDir(dir.path()).mkdir("folder");
    QDir(dir.path()).mkdir("empty");
    makePicture(dir.file("folder/a.png"), 300, 200);
    makePicture(dir.file("sea.jpg"), 300, 200);
    Form &w = window();

    w->openPaths({dir.file("sea.jpg"), dir.file("folder")}); // the first, as a drop takes it
    EXPECT_FALSE(w.Frame1->isHidden());
    EXPECT_EQ(w.txtPathdz->text(), dir.file("sea.jpg"));
    EXPECT_EQ(w.txtPathdz2->text(), QStringLiteral(u"sea副本"));

    w->openPaths({dir.file("folder")});
    EXPECT_FALSE(w.Frame2->isHidden());
    EXPECT_EQ(w.txtPath->text(), dir.file("folder"));
    EXPECT_EQ(w.List1(), QStringList{"a.png"});

    // What names neither a file nor a folder changes nothing but says so;
    // an empty folder gets the notice a drop of it would.
    w->openPaths({dir.file("missing.jpg")});
    EXPECT_FALSE(w.Frame2->isHidden());
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0].text, QStringLiteral(u"找不到“%1”。").arg(dir.file("missing.jpg")));
    w->openPaths({dir.file("empty")});
    ASSERT_EQ(notices().size(), 2u);
    EXPECT_EQ(notices()[1], (Notice{Notice::Information, QStringLiteral(u"没有找到可以转换的文件")}));
}

TEST_F(WindowTest, ALaterStartHandsItsPathsToTheRunningWindow)
{
    makePicture(dir.file("given.png"), 300, 200);
    QTemporaryDir runtime;
    // This test is the running copy; a real second start finds it through
    // the runtime folder they share.
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    platform::SingleInstance running(QStringLiteral("tarvel"));
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    ASSERT_TRUE(running.isFirst());
    Form &w = window();
    QStringList handed;
    QObject::connect(&running, &platform::SingleInstance::handedOver, &w.window(), [&](const QStringList &paths) {
        handed = paths;
        w->openPaths(paths);
    });
    ASSERT_TRUE(running.listen());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(dir.path());
    second.start(QStringLiteral(TARVEL_EXECUTABLE), {"given.png"}); // relative to where it starts
    ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 15000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_EQ(handed, QStringList{dir.file("given.png")});
    EXPECT_EQ(w.txtPathdz->text(), dir.file("given.png"));
}

TEST_F(WindowTest, EveryControlHasANameARoleAndItsLabel)
{
    Form &w = window();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window()));
    const QList<QWidget *> controls
        = w->findChildren<QWidget *>(QRegularExpression(QStringLiteral("^(Option|Check|cmd|txt|Text|XPCombo|PB)")));
    EXPECT_EQ(controls.size(), 19);
    for (QWidget *control : controls) {
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(control);
        ASSERT_TRUE(reader) << control->objectName().toStdString();
        EXPECT_FALSE(reader->text(QAccessible::Name).isEmpty()) << control->objectName().toStdString();
        EXPECT_NE(reader->role(), QAccessible::Client) << control->objectName().toStdString() << " is a bare widget";
    }
    // Each caption labels its field.
    for (QLineEdit *field : {w.Text1, w.Text2, w.Text3, w.Text4, w.txtPathdz2}) {
        const auto labels = QAccessible::queryAccessibleInterface(field)->relations(QAccessible::Label);
        EXPECT_FALSE(labels.isEmpty()) << field->objectName().toStdString();
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.PB)->role(), QAccessible::ProgressBar);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.cmdStartConvert)->text(QAccessible::Name),
              QStringLiteral(u"开始批量转换"));
}
