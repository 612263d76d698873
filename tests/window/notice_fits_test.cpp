// The notice of a batch with many long-named failures, shown for real on a
// small screen: it stays within the screen, its OK button within reach,
// folded and unfolded, and its details hold the whole list.
#include "window_fixture.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <QTimer>

class NoticeOnASmallScreen : public BatchWindow, public ::testing::WithParamInterface<const char *> { };

TEST_P(NoticeOnASmallScreen, StaysWithinItsOKButtonInReach)
{
    const QString size = QString::fromLatin1(GetParam());
    if (qEnvironmentVariable("TARVEL_TEST_SCREEN") != size) {
        // The screen is fixed at start-up: look in a copy of this program.
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TARVEL_TEST_SCREEN"), size);
        child.setProcessEnvironment(env);
        const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
        ASSERT_TRUE(child.waitForFinished(120000));
        const QByteArray output = child.readAllStandardOutput();
        EXPECT_TRUE(child.exitCode() == 0 && output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
        return;
    }
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()), size);

    // Forty damaged JPEGs with long names and one good picture.
    makePicture(dir.file("in/good.png"), 100, 100);
    const QString longPart = QStringLiteral(u"一个很长很长的文件名_") + QString(60, QLatin1Char('x'));
    for (int i = 0; i < 40; ++i)
        writeFile(dir.file(QStringLiteral("in/%1%2.jpg").arg(longPart).arg(i)), "x");
    Form &w = window();
    w->show();
    chooseFolders(w);
    w.cmdStartConvert_Click();
    ASSERT_EQ(notices().size(), 1u);

    platform::QtNotifier shown(&w.window());
    bool looked = false;
    const auto within = [&](QWidget *box, const char *when) {
        const QRect frame = box->frameGeometry();
        EXPECT_TRUE(screen.contains(frame))
            << when << ": " << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
        const QList<QAbstractButton *> buttons = box->findChildren<QAbstractButton *>();
        for (QAbstractButton *button : buttons) {
            const QRect rect(button->mapToGlobal(QPoint(0, 0)), button->size());
            EXPECT_TRUE(screen.contains(rect)) << when << ": " << button->text().toStdString();
        }
    };
    const auto look = [&](QMessageBox *box) {
        within(box, "folded");
        // Unfolded, the list scrolls inside the box, which still fits.
        QAbstractButton *details = nullptr;
        for (QAbstractButton *button : box->buttons())
            if (box->buttonRole(button) == QMessageBox::ActionRole)
                details = button;
        ASSERT_TRUE(details);
        details->click();
        QTest::qWait(200);
        within(box, "unfolded");
        auto *list = box->findChild<QTextEdit *>();
        ASSERT_TRUE(list && list->isVisible());
        EXPECT_EQ(list->toPlainText(), notices()[0].details);
        EXPECT_TRUE(list->isReadOnly());
        looked = true;
    };
    QTimer::singleShot(200, &w.window(), [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (box) {
            look(box);
            box->done(QMessageBox::Ok);
        }
    });
    shown.detailedInformation(notices()[0].text, notices()[0].details);
    EXPECT_TRUE(looked);
}

INSTANTIATE_TEST_SUITE_P(Screens, NoticeOnASmallScreen, ::testing::Values("800x600", "1024x768"));
