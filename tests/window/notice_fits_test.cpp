// The notice of a batch with many long-named failures, and as many pictures
// renamed to keep clashing names apart, shown for real on a small screen: it
// stays within the screen, its OK button within reach, folded and unfolded,
// and its details hold the whole list.
#include "window_fixture.h"

#include "workflow/output_names.h"

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTextEdit>
#include <QTimer>

#include <initializer_list>
#include <utility>

namespace {

// Runs the current test alone in a copy of this program with `variables` set,
// since the screen and its scale are fixed when the program starts.
void runInACopy(std::initializer_list<std::pair<QString, QString>> variables)
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const auto &[name, value] : variables)
        env.insert(name, value);
    child.setProcessEnvironment(env);
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray output = child.readAllStandardOutput();
    EXPECT_TRUE(child.exitCode() == 0 && output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
}

} // namespace

class NoticeOnASmallScreen : public BatchWindow, public ::testing::WithParamInterface<const char *> { };

TEST_P(NoticeOnASmallScreen, StaysWithinItsOKButtonInReach)
{
    const QString size = QString::fromLatin1(GetParam());
    if (qEnvironmentVariable("TARVEL_TEST_SCREEN") != size) {
        // The screen is fixed at start-up: look in a copy of this program.
        runInACopy({{QStringLiteral("TARVEL_TEST_SCREEN"), size}});
        return;
    }
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    ASSERT_EQ(QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()), size);

    // Forty damaged JPEGs with long names and one good picture; converted to
    // TIFF, forty good PNGs of the same names are renamed.
    makePicture(dir.file("in/good.png"), 100, 100);
    const QString longPart = QStringLiteral(u"一个很长很长的文件名_") + QString(60, QLatin1Char('x'));
    for (int i = 0; i < 40; ++i) {
        writeFile(dir.file(QStringLiteral("in/%1%2.jpg").arg(longPart).arg(i)), "x");
        ASSERT_TRUE(QFile::link(dir.file("in/good.png"), dir.file(QStringLiteral("in/%1%2.png").arg(longPart).arg(i))));
    }
    Form &w = window();
    w->show();
    w.XPCombo2->SetListIndex(1 + int(workflow::batchOutputFormats().indexOf("tif")));
    chooseFolders(w);
    w.cmdStartConvert_Click();
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_TRUE(notices()[0].text.endsWith(
        QStringLiteral(u"\n另有 40 张图片转换后会与别的图片同名，改用了新名称（见详细信息）。")))
        << notices()[0].text.toStdString();
    EXPECT_EQ(notices()[0].details.count(QStringLiteral(u".png.tif")), 40);

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

// Thirty failed pictures whose long names share their beginning and their
// end, on a wide screen at scale 1 and 2: the notice takes the width the
// screen allows, each listed name stays on one line, and no two read alike.
class NoticeOnAWideScreen : public BatchWindow, public ::testing::WithParamInterface<const char *> { };

TEST_P(NoticeOnAWideScreen, ListsNamesThatCanBeToldApart)
{
    const QString scale = QString::fromLatin1(GetParam());
    if (qEnvironmentVariable("TARVEL_TEST_SCALE_FACTOR") != scale) {
        runInACopy({{QStringLiteral("TARVEL_TEST_SCREEN"), QStringLiteral("1280x1024")},
                    {QStringLiteral("TARVEL_TEST_SCALE_FACTOR"), scale}});
        return;
    }
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    for (int i = 0; i < 30; ++i)
        writeFile(dir.file(QStringLiteral(u"in/非常长的文件名_这是一张手机拍的照片_%1_final_version.jpg").arg(i, 2, 10,
                                                                                                         QLatin1Char('0'))),
                  "x");
    writeFile(dir.file("in/IMG_0033.JPG"), "x");
    Form &w = window();
    w->show();
    chooseFolders(w);
    w.cmdStartConvert_Click();
    ASSERT_EQ(notices().size(), 1u);

    platform::QtNotifier shown(&w.window());
    bool looked = false;
    QTimer::singleShot(200, &w.window(), [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        looked = true;
        const auto close = qScopeGuard([box] { box->done(QMessageBox::Ok); });
        EXPECT_TRUE(screen.contains(box->frameGeometry()));
        auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        ASSERT_TRUE(label);
        const QFontMetrics metrics(label->font());
        const QStringList listed = label->text().split(u'\n').mid(2, 20); // and a line "……"
        EXPECT_EQ(QSet<QString>(listed.begin(), listed.end()).size(), 20) << label->text().toStdString();
        for (const QString &line : listed) {
            EXPECT_LE(metrics.horizontalAdvance(line), label->width()) << line.toStdString();
            // Whole where the screen has room for them.
            if (scale == QStringLiteral("1")) {
                EXPECT_FALSE(line.contains(QStringLiteral(u"…"))) << line.toStdString();
            }
            if (line.startsWith(QStringLiteral("IMG_"))) {
                EXPECT_TRUE(line.startsWith(QStringLiteral(u"IMG_0033.JPG："))) << line.toStdString();
            }
        }
        // One line each: the label wraps none of its lines.
        EXPECT_EQ(label->heightForWidth(label->width()), label->heightForWidth(4 * screen.width()));
    });
    shown.detailedInformation(notices()[0].text, notices()[0].details);
    EXPECT_TRUE(looked);
}

INSTANTIATE_TEST_SUITE_P(Scales, NoticeOnAWideScreen, ::testing::Values("1", "2"));
