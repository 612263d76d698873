// The window while it scans a folder or converts: it keeps handling events,
// takes no input, and honours a close by ending the run early.
#include "window_fixture.h"

#include "controls/ph_button.h"
#include "controls/xp_progress_bar.h"

#include <QDir>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

TEST_F(BatchWindow, TheWindowKeepsHandlingEventsThroughoutAHundredPictureRun)
{
    // TARVEL_RESPONSIVENESS_DIR names a folder of real photos to measure with;
    // by default a hundred generated pictures are converted.
    QString folder = qEnvironmentVariable("TARVEL_RESPONSIVENESS_DIR");
    if (folder.isEmpty()) {
        makePicture(dir.file("in/p000.jpg"), 1600, 1200);
        for (int i = 1; i < 100; ++i)
            QFile::copy(dir.file("in/p000.jpg"),
                        dir.file(QStringLiteral("in/p%1.jpg").arg(i, 3, 10, QLatin1Char('0'))));
        folder = source;
    }
    Form &w = window();
    w->show();
    dialogs.folderAnswers = {folder, output};
    w.cmdSelectFolder_Click();
    w.cmdSaveFolder_Click();
    const qsizetype pictures = w.List1().size();
    w.cmdStartConvert_Click();
    EXPECT_EQ(QDir(output).entryList(QDir::Files).size(), pictures);
    std::printf("%lld pictures: the event loop was at most %lld ms late\n", static_cast<long long>(pictures),
                static_cast<long long>(w->lastRunLongestEventGapMs()));
    EXPECT_LT(w->lastRunLongestEventGapMs(), 100);
}

TEST_F(BatchWindow, ClosingDuringARunFinishesThePicturesUnderWayOnly)
{
    for (int i = 0; i < 24; ++i)
        makePicture(dir.file(QStringLiteral("in/p%1.png").arg(i, 2, 10, QLatin1Char('0'))), 1200, 900);
    Form &w = window();
    w->show();
    chooseFolders(w);
    // Closed once the bar shows two pictures done.
    bool closed = false;
    Ticker ticker([&] {
        if (!closed && w.PB->Value() >= 2) {
            closed = true;
            w->close();
        }
    });
    w.cmdStartConvert_Click();

    EXPECT_TRUE(closed);
    EXPECT_FALSE(w->isVisible());
    const QStringList written = QDir(output).entryList(QDir::Files | QDir::Hidden);
    EXPECT_GE(written.size(), 2);
    EXPECT_LT(written.size(), 24);
    for (const QString &name : written) // whole pictures only, no temporary files
        EXPECT_EQ(sizeOf(dir.file("out/" + name)), QSize(425, 319)) << name.toStdString();
    EXPECT_TRUE(notices().empty());
}

TEST_F(BatchWindow, ClosingDuringAScanEndsItAndConvertsNothing)
{
    linkCopies(dir.file("in"), 3000);
    makePicture(dir.file("single.png"), 40, 30);
    Form &w = window();
    w->show();
    chooseFolders(w);
    ASSERT_EQ(w.List1().size(), 3000);
    // The work lists now hold the single panel's picture, so the batch's start
    // lists the folder again; the window is closed as soon as that scan shows.
    w.dropOnPictureField({dir.file("single.png")});
    bool closed = false;
    Ticker ticker([&] {
        if (!closed && w->isBusy() && w.PB->Value() >= 1) {
            closed = true;
            w->close();
        }
    });
    w.cmdStartConvert_Click();

    EXPECT_TRUE(closed);
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(QDir(output).isEmpty());
    EXPECT_TRUE(w.List1().isEmpty());
    EXPECT_TRUE(notices().empty());
}

TEST_F(BatchWindow, InputToTheWindowIsIgnoredWhileItScansOrConverts)
{
    QDir(dir.path()).mkdir("many");
    linkCopies(dir.file("many"), 3000);
    for (int i = 0; i < 4; ++i)
        makePicture(dir.file(QStringLiteral("in/p%1.jpg").arg(i)), 1600, 1200);
    Form &w = window();
    w->show();
    w.Option2->click();
    // Whenever the window is busy, someone types into a limit field, clicks
    // the buttons and drops a folder on the source field. (The start button
    // is the stop button during the run: frm_main_stop_test.cpp.)
    int attempts = 0;
    Ticker ticker([&] {
        if (!w->isBusy())
            return;
        ++attempts;
        QTest::keyClicks(w.Text1, "9");
        QTest::mouseClick(w.cmdSelectFolder, Qt::LeftButton);
        QTest::mouseClick(w.cmdSaveFolder, Qt::LeftButton);
        w.dropOnFolderField(w.txtPath, {dir.file("many")});
    });

    dialogs.folderAnswers = {dir.file("many")};
    w.cmdSelectFolder_Click();
    const int duringScan = attempts;
    EXPECT_GT(duringScan, 0) << "the scan was over before anyone could try";
    EXPECT_EQ(w.List1().size(), 3000);
    chooseFolders(w);
    w.cmdStartConvert_Click();
    EXPECT_GT(attempts, duringScan) << "the run was over before anyone could try";

    EXPECT_EQ(dialogs.prompts.size(), 3) << "only the choosers opened on purpose";
    EXPECT_EQ(w.Text1->text(), "425");
    EXPECT_EQ(QDir(output).entryList(QDir::Files).size(), 4);
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0], (Notice{Notice::SelfClosing, QStringLiteral(u"转换成功")}));
}
