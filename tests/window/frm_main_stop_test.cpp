// A batch stopped on purpose, what the window shows while it runs, paths
// handed over meanwhile, and what it says when it ends.
#include "window_fixture.h"

#include "controls/accessibility.h"
#include "controls/ph_button.h"
#include "controls/xp_progress_bar.h"

#include <QAccessible>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QDir>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

namespace {

// The counts a stopped run's notice states: converted, failed, not started.
std::tuple<int, int, int> stoppedCounts(const QString &notice)
{
    static const QRegularExpression counts(
        QStringLiteral(u"^转换已停止：成功 (\\d+) 个，失败 (\\d+) 个，未开始 (\\d+) 个。"));
    const QRegularExpressionMatch match = counts.match(notice);
    EXPECT_TRUE(match.hasMatch()) << notice.toStdString();
    return {match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
}

// Where the desktop would open a folder.
class UrlCatcher : public QObject {
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

} // namespace

class StoppedBatch : public BatchWindow, public ::testing::WithParamInterface<bool> { };

// Stopped once two pictures are done, by Esc or by the start button, which
// reads "停止转换" meanwhile.
TEST_P(StoppedBatch, StopsLikeClosingThenSumsUp)
{
    const bool withEscape = GetParam();
    for (int i = 0; i < 24; ++i)
        makePicture(dir.file(QStringLiteral("in/p%1.png").arg(i, 2, 10, QLatin1Char('0'))), 1200, 900);
    // The first one fails; as the largest file it is also started first.
    writeFile(dir.file("in/p00.png"), "damaged" + QByteArray(1 << 20, '\0'));
    Form &w = window();
    w->show();
    chooseFolders(w);
    const QString title = w->windowTitle();
    QString captionDuringRun, titleDuringRun, valueDuringRun;
    bool stopped = false;
    Ticker ticker([&] {
        if (stopped || !w->isBusy() || w.PB->Value() < 3)
            return;
        stopped = true;
        captionDuringRun = QAccessible::queryAccessibleInterface(w.cmdStartConvert)->text(QAccessible::Name);
        titleDuringRun = w->windowTitle();
        valueDuringRun = QAccessible::queryAccessibleInterface(w.PB)->text(QAccessible::Value);
        // Other input is still ignored; only the stop gets through.
        QTest::keyClicks(w.Text1, "9");
        if (withEscape)
            QTest::keyClick(w.Text1, Qt::Key_Escape);
        else
            QTest::mouseClick(w.cmdStartConvert, Qt::LeftButton);
    });
    w.cmdStartConvert_Click();

    ASSERT_TRUE(stopped);
    EXPECT_EQ(captionDuringRun, QStringLiteral(u"停止转换"));
    EXPECT_TRUE(titleDuringRun.contains(QRegularExpression(QStringLiteral(u"^\\d+/24 – p\\d\\d\\.png – ")))
                && titleDuringRun.endsWith(title))
        << titleDuringRun.toStdString();
    EXPECT_TRUE(valueDuringRun.contains(QRegularExpression(QStringLiteral("^\\d+/24$"))))
        << valueDuringRun.toStdString();
    EXPECT_EQ(w->windowTitle(), title);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.cmdStartConvert)->text(QAccessible::Name),
              QStringLiteral(u"开始批量转换"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w.Text1->text(), "425");

    const QStringList written = QDir(output).entryList(QDir::Files | QDir::Hidden);
    EXPECT_LT(written.size(), 23);
    for (const QString &name : written) // whole pictures only, no temporary files
        EXPECT_EQ(sizeOf(dir.file("out/" + name)), QSize(425, 319)) << name.toStdString();
    ASSERT_EQ(notices().size(), 1u);
    const auto [converted, failed, notStarted] = stoppedCounts(notices()[0].text);
    EXPECT_EQ(converted, written.size());
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(converted + failed + notStarted, 24);
    EXPECT_GT(notStarted, 0);
    EXPECT_TRUE(notices()[0].text.endsWith(QStringLiteral(u"\n以下文件未能转换：\np00.png：无法读取图片尺寸")))
        << notices()[0].text.toStdString();
    // The details name every picture not converted, with its reason.
    EXPECT_EQ(notices()[0].details.count('\n') + 1, failed + notStarted);
    EXPECT_TRUE(notices()[0].details.contains(QStringLiteral(u"p23.png：已中断，未转换")));

    // After the stop the window is as ready as after a finished run: the
    // folders chosen again (by the buttons, or dropped), the start button
    // converts the whole folder.
    if (withEscape) {
        chooseFolders(w);
    } else {
        w.dropOnFolderField(w.txtPath, {source});
        w.dropOnFolderField(w.txtPath2, {output});
    }
    ASSERT_EQ(w.List1().size(), 24);
    QTest::mouseClick(w.cmdStartConvert, Qt::LeftButton);
    ASSERT_EQ(notices().size(), 2u);
    EXPECT_TRUE(notices()[1].text.startsWith(QStringLiteral(u"转换完成：成功 23 个，失败 1 个。")))
        << notices()[1].text.toStdString();
    EXPECT_EQ(QDir(output).entryList(QDir::Files | QDir::Hidden).size(), 23);
}

INSTANTIATE_TEST_SUITE_P(EscapeOrButton, StoppedBatch, ::testing::Bool());

TEST_F(BatchWindow, FailuresAreListedInListOrderCutToOneLineEachWithEveryReasonInTheDetails)
{
    // Forty damaged JPEGs with names too long for a line, and one good picture.
    makePicture(dir.file("in/good.png"), 100, 100);
    const QString longPart = QString(150, QLatin1Char('x'));
    for (int i = 0; i < 40; ++i)
        writeFile(dir.file(QStringLiteral("in/%1-%2-end.jpg").arg(i, 2, 10, QLatin1Char('0')).arg(longPart)), "x");
    Form &w = window();
    chooseFolders(w);
    QStringList inListOrder = w.List1();
    inListOrder.removeAll("good.png");
    w.cmdStartConvert_Click();

    ASSERT_EQ(notices().size(), 1u);
    const QStringList lines = notices()[0].text.split('\n');
    ASSERT_EQ(lines.size(), 2 + 20 + 1);
    EXPECT_EQ(lines[0], QStringLiteral(u"转换完成：成功 1 个，失败 40 个。"));
    EXPECT_EQ(lines.last(), QStringLiteral(u"……"));
    const QFontMetrics metrics(QApplication::font("QMessageBox"));
    for (int i = 0; i < 20; ++i) {
        const QString &line = lines[2 + i];
        // Cut where it reads as the others do: the number that tells it
        // apart and the end of the name stay.
        EXPECT_TRUE(line.startsWith(inListOrder[i].left(2)) && line.contains(QStringLiteral(u"…")))
            << line.toStdString();
        EXPECT_TRUE(line.endsWith(QStringLiteral(u"-end.jpg：无法读取图片尺寸"))) << line.toStdString();
        EXPECT_LE(metrics.horizontalAdvance(line), platform::noticeLineWidth(&w.window())) << line.toStdString();
    }
    const QStringList details = notices()[0].details.split('\n');
    ASSERT_EQ(details.size(), 40);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(details[i], inListOrder[i] + QStringLiteral(u"：无法读取图片尺寸"));
    // The window is not the active one here: the desktop hears of it too.
    ASSERT_FALSE(w->isActiveWindow());
    ASSERT_EQ(notifier.desktopNotices.size(), 1u);
    EXPECT_EQ(notifier.desktopNotices[0], (DesktopNotice{lines[0], output}));
}

TEST_F(BatchWindow, PathsHandedOverDuringARunAreOpenedWhenItEnds)
{
    for (int i = 0; i < 12; ++i)
        makePicture(dir.file(QStringLiteral("in/p%1.png").arg(i, 2, 10, QLatin1Char('0'))), 1200, 900);
    makePicture(dir.file("first.png"), 64, 48);
    makePicture(dir.file("latest.png"), 64, 48);
    Form &w = window();
    w->show();
    chooseFolders(w);
    int handed = 0;
    Ticker ticker([&] {
        if (handed == 0 && w->isBusy() && w.PB->Value() >= 1) {
            w->openPaths({dir.file("first.png")});
            w->openPaths({dir.file("latest.png")});
            handed = 1;
        }
    });
    w.cmdStartConvert_Click();
    ASSERT_EQ(handed, 1);
    EXPECT_EQ(QDir(output).entryList(QDir::Files).size(), 12); // the run went on to its end
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.txtPathdz->text().isEmpty(); }, 5000));
    EXPECT_EQ(w.txtPathdz->text(), dir.file("latest.png"));
    EXPECT_FALSE(w.Frame1->isHidden());
    EXPECT_EQ(notices().back(), (Notice{Notice::SelfClosing, QStringLiteral(u"转换成功")}));
}

TEST_F(BatchWindow, LettersGoWhenAltIsLetGoDuringARunStartedWithAltC)
{
    for (int i = 0; i < 12; ++i)
        makePicture(dir.file(QStringLiteral("in/p%1.png").arg(i, 2, 10, QLatin1Char('0'))), 1200, 900);
    Form &w = window();
    w->show();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));
    w.Option2->click();
    chooseFolders(w);
    QString captionWhileHeld, captionAfterRelease;
    Ticker ticker([&] {
        if (!w->isBusy() || !captionAfterRelease.isEmpty())
            return;
        captionWhileHeld = w.Option2->text();
        QTest::keyRelease(&w.window(), Qt::Key_Alt);
        captionAfterRelease = w.Option2->text();
    });
    // Alt held, C pressed: the start button's push runs the batch a moment later.
    QTest::keyPress(&w.window(), Qt::Key_Alt);
    QTest::keyPress(&w.window(), Qt::Key_C, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !captionAfterRelease.isEmpty() && !w->isBusy(); }, 20000));
    EXPECT_EQ(QDir(output).entryList(QDir::Files).size(), 12);
    EXPECT_EQ(captionWhileHeld, QStringLiteral(u"批量转换(&B)"));
    EXPECT_EQ(captionAfterRelease, QStringLiteral(u"批量转换"));
}

TEST_F(BatchWindow, TheOutputFieldsMenuOpensTheFolderAlsoAfterTheRun)
{
    makePicture(dir.file("in/a.png"), 100, 100);
    Form &w = window();
    w->show();
    chooseFolders(w);
    w.cmdStartConvert_Click();
    ASSERT_TRUE(w.txtPath2->text().isEmpty());

    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QTimer::singleShot(100, &w.window(), [&] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        ASSERT_TRUE(menu);
        QAction *open = menu->actions().last();
        EXPECT_EQ(open->text(), QStringLiteral(u"打开文件夹"));
        EXPECT_TRUE(open->isEnabled());
        open->trigger();
        menu->close();
    });
    QContextMenuEvent request(QContextMenuEvent::Mouse, QPoint(5, 5), w.txtPath2->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(w.txtPath2, &request);
    QDesktopServices::unsetUrlHandler("file");
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0].toLocalFile(), output);
}

#include "frm_main_stop_test.moc"
