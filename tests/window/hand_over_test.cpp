// Later starts handing their paths to the running window, with the window's
// real notices: what it says to a path it cannot open is closed with Enter,
// as a user closes it, again and again.
#include "window_fixture.h"

#include "platform/notifier.h"
#include "platform/single_instance.h"
#include "window/hand_over.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>

TEST_F(WindowTest, NoticesOfLaterStartsCloseWithEnterAndTheWindowLivesOn)
{
    QDir(dir.path()).mkdir("empty");
    writeFile(dir.file("notes.txt"), "not a picture");
    QTemporaryDir runtime;
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    platform::SingleInstance running(QStringLiteral("tarvel"));
    qputenv("XDG_RUNTIME_DIR", savedRuntime);
    ASSERT_TRUE(running.isFirst());

    platform::QtNotifier realNotices;
    window::frmMain form({&realNotices, &dialogs, settings, 1, worker, presets, windowSettings, {}});
    realNotices.setOwner(&form);
    window::followLaterStarts(running, form);
    ASSERT_TRUE(running.listen());
    form.show();

    // Every notice is closed with Enter once it shows.
    int closed = 0;
    const Ticker closer([&closed] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()); box && box->isVisible()) {
            QTest::keyClick(box, Qt::Key_Enter);
            ++closed;
        }
    });

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    int started = 0;
    for (const QString &given : {dir.file("notes.txt"), dir.file("missing.jpg"), dir.file("empty")}) {
        for (int cycle = 0; cycle < 10; ++cycle) {
            QProcess second;
            second.setProcessEnvironment(env);
            second.start(QStringLiteral(TARVEL_EXECUTABLE), {given});
            ++started;
            ASSERT_TRUE(QTest::qWaitFor([&] { return second.state() == QProcess::NotRunning; }, 15000));
            // The notice shows and is closed before the next start.
            ASSERT_TRUE(QTest::qWaitFor([&] { return closed == started; }, 15000))
                << given.toStdString() << ", cycle " << cycle;
        }
    }
    // The window took every later start in: its socket handlers survived the notices.
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isBusy());
}
