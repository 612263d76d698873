// The window on a screen of device pixel ratio 2.
#include "window_fixture.h"

#include "controls/xp_combo_images.h"

#include <QLabel>
#include <QProcess>

TEST_F(WindowTest, OnATwiceScreenEveryDrawnPictureHasTheScreensPixels)
{
    if (qApp->devicePixelRatio() != 2) {
        // The ratio is fixed at start-up: look in a copy of this program at 2x.
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TARVEL_TEST_SCALE_FACTOR"), QStringLiteral("2"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=WindowTest.OnATwiceScreenEveryDrawnPictureHasTheScreensPixels")});
        ASSERT_TRUE(child.waitForFinished(60000));
        const QByteArray output = child.readAllStandardOutput();
        EXPECT_TRUE(child.exitCode() == 0 && output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
        return;
    }
    Form &w = window();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window()));
    w.PB->setValue(60);
    const QImage grab = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(grab.size(), QSize(878, 644));
    auto shown = [&](QWidget *widget, QRect part) {
        return grab.copy(QRect((widget->mapTo(&w.window(), part.topLeft())) * 2, part.size() * 2));
    };

    // Faces made at 2x, captions and all, shown as they are.
    for (controls::PhButton *button : {w.cmdrgtBrowe, w.cmdStartConvertdz}) {
        EXPECT_EQ(button->Picture().size(), button->size() * 2);
        EXPECT_EQ(shown(button, button->rect()), button->Picture());
    }
    EXPECT_EQ(shown(w.XPCombo1, w.XPCombo1->arrowRect()), controls::xpComboArrowImage(controls::XPComboPic::Normal, 2));
    // The bar's surface, inside the cut corners.
    ASSERT_EQ(w.PB->HDC().devicePixelRatio(), 2);
    const QRect inside = w.PB->rect().adjusted(3, 0, -3, 0);
    EXPECT_EQ(shown(w.PB, inside), w.PB->HDC().image().copy(QRect(inside.topLeft() * 2, inside.size() * 2)));
    EXPECT_EQ(w->findChild<QLabel *>(QStringLiteral("Picture1"))->pixmap().size(), QSize(96, 96));
}
