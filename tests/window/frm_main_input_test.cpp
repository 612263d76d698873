// What the window says to input it refuses, and the keys it must not
// swallow: new names, the format box, single-picture failures, the Alt
// letters, the size fields' editing keys, drops and paths it cannot open.
#include "window_fixture.h"

#include "controls/xp_combo.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

TEST_F(WindowTest, EachRefusedNameIsToldWhatIsWrong)
{
    const QString picture = dir.file("pic.png");
    makePicture(picture, 64, 48);
    Form &w = window();
    w.dropOnPictureField({picture});
    const std::pair<QString, QString> cases[] = {
        {QString(), QStringLiteral(u"请给新图像命名！")},
        {QStringLiteral("   "), QStringLiteral(u"请给新图像命名！")},
        {QStringLiteral(" .hidden"), QStringLiteral(u"新图像的名称不能以“.”开头（那会是一个隐藏文件）！")},
        {QStringLiteral(".."), QStringLiteral(u"“.”和“..”代表文件夹，不能作为新图像的名称！")},
        {QStringLiteral(". ."), QStringLiteral(u"“.”和“..”代表文件夹，不能作为新图像的名称！")},
        {QStringLiteral("../up"), QStringLiteral(u"新图像的名称不能以“.”开头（那会是一个隐藏文件）！")},
        {QStringLiteral("sub/name"), QStringLiteral(u"新图像的名称不能包含“/”，它只能保存在原图所在的文件夹！")},
        {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QStringLiteral(u"新图像的名称不能包含空字符！")},
    };
    for (const auto &[name, said] : cases) {
        const size_t shown = notices().size();
        w.txtPathdz2->setText(name);
        w.cmdStartConvertdz_Click();
        ASSERT_EQ(notices().size(), shown + 1) << name.toStdString();
        EXPECT_EQ(notices().back(), (Notice{Notice::Information, said})) << name.toStdString();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"CULERT.txt", "pic.png"}));
}

TEST_F(WindowTest, ASingleFailureNamesThePictureAndWhyAndTheFormatBoxIsChecked)
{
    const QString picture = dir.file(QStringLiteral(u"corrupt.jpg"));
    makePicture(picture, 64, 48);
    const QByteArray jpeg = readFile(picture);
    writeFile(picture, jpeg.left(jpeg.size() / 3));
    Form &w = window();
    w.dropOnPictureField({picture});

    // The format box emptied, or holding what no format is: refused, said why.
    QLineEdit *format = w.XPCombo1->findChild<QLineEdit *>("JTexto");
    format->clear();
    w.cmdStartConvertdz_Click();
    EXPECT_EQ(notices().back(), (Notice{Notice::Information, QStringLiteral(u"请选择新图像的格式！")}));
    format->setText(".txt");
    w.cmdStartConvertdz_Click();
    EXPECT_EQ(notices().back(),
              (Notice{Notice::Information, QStringLiteral(u"“.txt”不是可以保存的格式，请从格式列表中选择。")}));
    EXPECT_EQ(notices().size(), 2u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files, QDir::Name), QStringList({"CULERT.txt", "corrupt.jpg"}));

    w.XPCombo1->SetListIndex(0);
    w.cmdStartConvertdz_Click();
    EXPECT_EQ(notices().back(),
              (Notice{Notice::Information, picture + QStringLiteral(u" 转换失败：图片已损坏或无法解码")}));
    EXPECT_FALSE(QFile::exists(dir.file(QStringLiteral(u"corrupt副本.bmp"))));
}

TEST_F(WindowTest, LettersGoWhenAltIsLetGoWhereverTheKeyGoes)
{
    Form &w = window();
    w->show();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));
    QWidget *format = w.XPCombo1->findChild<QLineEdit *>("JTexto");
    format->setFocus();

    // Alt+Down opens the list, which takes the keys; Alt is let go there.
    QTest::keyPress(format, Qt::Key_Alt);
    EXPECT_EQ(w.Option1->text(), QStringLiteral(u"单张转换(&S)"));
    // Screen readers never hear the letter.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(w.Option1)->text(QAccessible::Name), QStringLiteral(u"单张转换"));
    QTest::keyClick(format, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.XPCombo1->listShown(); }, 2000));
    QWidget *list = QApplication::activePopupWidget();
    ASSERT_TRUE(list);
    QTest::keyRelease(list, Qt::Key_Alt);
    EXPECT_EQ(w.Option1->text(), QStringLiteral(u"单张转换"));

    // Letters shown again, then Escape in the open list: gone with the list.
    QTest::keyPress(list, Qt::Key_Alt);
    QTest::keyPress(format, Qt::Key_Alt);
    EXPECT_EQ(w.Check1->text(), QStringLiteral(u"小图放大(&E)"));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !w.XPCombo1->listShown(); }, 2000));
    EXPECT_EQ(w.Check1->text(), QStringLiteral(u"小图放大"));
}

TEST_F(WindowTest, EditingKeysWorkInTheSizeFields)
{
    Form &w = window();
    w->show();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));
    w.Text1->setText("800");
    w.Text1->setFocus();
    QTest::keyClick(w.Text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w.Text1, "640");
    EXPECT_EQ(w.Text1->text(), "640");
    EXPECT_EQ(w.Text3->text(), "640");

    // Copied from one field and pasted over another's selection.
    QTest::keyClick(w.Text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.Text1, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "640");
    w.Text2->setText("321");
    w.Text2->setFocus();
    QTest::keyClick(w.Text2, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.Text2, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.Text2->text(), "640");
    EXPECT_EQ(w.Text4->text(), "640");
    // Undone, then cut: the field is empty and the text on the clipboard.
    QTest::keyClick(w.Text2, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(w.Text2->text(), "321");
    QTest::keyClick(w.Text2, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.Text2, Qt::Key_X, Qt::ControlModifier);
    EXPECT_TRUE(w.Text2->text().isEmpty());
    EXPECT_EQ(QApplication::clipboard()->text(), "321");
    // A paste is judged as any change: above 16383 empties the field.
    QApplication::clipboard()->setText("20480");
    QTest::keyClick(w.Text2, Qt::Key_V, Qt::ControlModifier);
    EXPECT_TRUE(w.Text2->text().isEmpty());
    // Typed characters still go through the digit filter.
    QTest::keyClicks(w.Text2, "5a-7");
    EXPECT_EQ(w.Text2->text(), "57");
}

TEST_F(BatchWindow, OnlyWhatWillBeTakenIsAcceptedWhenDragged)
{
    makePicture(dir.file("in/a.png"), 100, 100);
    writeFile(dir.file("notes.txt"), "not a picture");
    Form &w = window();
    const auto accepts = [](QLineEdit *field, const QString &path) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(path)});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(field, &enter);
        return enter.isAccepted();
    };
    EXPECT_TRUE(accepts(w.txtPath, source));
    EXPECT_FALSE(accepts(w.txtPath, dir.file("in/a.png")));
    EXPECT_TRUE(accepts(w.txtPath2, output));
    EXPECT_FALSE(accepts(w.txtPath2, dir.file("notes.txt")));
    EXPECT_TRUE(accepts(w.txtPathdz, dir.file("in/a.png")));
    EXPECT_FALSE(accepts(w.txtPathdz, dir.file("notes.txt")));
    EXPECT_FALSE(accepts(w.txtPathdz, dir.file("missing.png")));
    // A refused drop changes nothing, should it come all the same.
    w.dropOnPictureField({dir.file("in/a.png")});
    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(dir.file("notes.txt"))});
    QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.txtPathdz, &dropped);
    EXPECT_EQ(w.txtPathdz->text(), dir.file("in/a.png"));
}

TEST_F(WindowTest, WhatCannotBeOpenedIsSaidInANoticeAndOnStandardError)
{
    writeFile(dir.file("notes.txt"), "not a picture");
    Form &w = window();
    w->openPaths({dir.file("notes.txt")});
    w->openPaths({dir.file("missing.jpg")});
    ASSERT_EQ(notices().size(), 2u);
    EXPECT_EQ(notices()[0].text, QStringLiteral(u"“%"
                                                u"1”不是文件夹，也不是可以转换的图片（bmp、gif、jpg、jpeg、png、tif、ti"
                                                u"ff、tga、webp、heic、heif、hif、avif、jxl）。")
                                     .arg(dir.file("notes.txt")));
    EXPECT_EQ(notices()[1].text, QStringLiteral(u"找不到“%1”。").arg(dir.file("missing.jpg")));
    EXPECT_TRUE(w.txtPathdz->text().isEmpty());

    // A later start with nothing it can open says why and fails; the running
    // copy shows the notice.
    QTemporaryDir runtime;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime.path());
    env.insert("XDG_CONFIG_HOME", runtime.path());
    env.insert("LC_ALL", "zh_CN.UTF-8");
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
    second.start(QStringLiteral(TARVEL_EXECUTABLE), {dir.file("missing.jpg")});
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(QString::fromUtf8(second.readAllStandardError()),
              QStringLiteral(u"tarvel: 找不到“%1”。\n").arg(dir.file("missing.jpg")));
    first.kill();
    first.waitForFinished();
}

// A limit refused as it is typed or pasted, and a start refused for its
// limits, each say why: a hint at the field, which its description carries to
// screen readers, and a notice naming the limit.
TEST_F(BatchWindow, EveryRefusedLimitSaysWhy)
{
    makePicture(dir.file("in/a.png"), 100, 100);
    Form &w = window();
    w->show();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));
    w.Option2->setChecked(true);
    chooseFolders(w);
    const QString note = QAccessible::queryAccessibleInterface(w.Text1)->text(QAccessible::Description);
    const auto hint = [](QLineEdit *field) {
        return QAccessible::queryAccessibleInterface(field)->text(QAccessible::Description);
    };
    const auto shownTip = [] {
        for (QWidget *top : QApplication::topLevelWidgets()) {
            if (auto *label = qobject_cast<QLabel *>(top); label && label->isVisible())
                return label->text();
        }
        return QString();
    };

    // "1920" is taken whole; "20000", past the largest side, is emptied at
    // its fifth digit, with a word.
    w.Text1->setFocus();
    QTest::keyClick(w.Text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w.Text1, "1920");
    EXPECT_EQ(w.Text1->text(), "1920");
    EXPECT_EQ(w.Text3->text(), "1920");
    EXPECT_EQ(hint(w.Text1), note);
    QTest::keyClick(w.Text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(w.Text1, "20000");
    EXPECT_TRUE(w.Text1->text().isEmpty());
    const QString tooLarge = QStringLiteral(u"“20000”大于最大值 16383，未被接受。");
    EXPECT_EQ(hint(w.Text1), tooLarge);
    EXPECT_EQ(shownTip(), tooLarge);
    // A character the field does not take is refused with a word too.
    QTest::keyClicks(w.Text1, "x");
    EXPECT_EQ(hint(w.Text1), QStringLiteral(u"这里只能输入数字。"));
    // What the field takes brings its note back.
    QTest::keyClicks(w.Text1, "800");
    EXPECT_EQ(hint(w.Text1), note);
    EXPECT_TRUE(shownTip().isEmpty());

    // Empty, 0, or pasted text that is no number: the start says which limit.
    const QString widthWanted = QStringLiteral(u"请填写图片的缩放最大限宽：1 到 16383 之间的整数！");
    const QString heightWanted = QStringLiteral(u"请填写图片缩放的最大限高：1 到 16383 之间的整数！");
    QTest::keyClick(w.Text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(w.Text1, Qt::Key_Backspace);
    QTest::mouseClick(w.cmdStartConvert, Qt::LeftButton);
    ASSERT_FALSE(notices().empty());
    EXPECT_EQ(notices().back().text, widthWanted);
    QTest::keyClicks(w.Text1, "0");
    QTest::mouseClick(w.cmdStartConvert, Qt::LeftButton);
    EXPECT_EQ(notices().back().text, widthWanted);
    QTest::keyClick(w.Text1, Qt::Key_Backspace);
    QTest::keyClicks(w.Text1, "640");
    for (const QString &pasted : {QStringLiteral("abc"), QStringLiteral(u"０８００")}) {
        const size_t before = notices().size();
        QApplication::clipboard()->setText(pasted);
        w.Text2->setFocus();
        QTest::keyClick(w.Text2, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w.Text2, Qt::Key_V, Qt::ControlModifier);
        QTest::mouseClick(w.cmdStartConvert, Qt::LeftButton);
        ASSERT_EQ(notices().size(), before + 1) << pasted.toStdString();
        EXPECT_EQ(notices().back().text, heightWanted);
    }
    EXPECT_TRUE(QDir(output).isEmpty());

    // The single panel's start says so as well.
    w.Option1->setChecked(true);
    w.dropOnPictureField({dir.file("in/a.png")});
    QTest::mouseClick(w.cmdStartConvertdz, Qt::LeftButton);
    EXPECT_EQ(notices().back().text, heightWanted);
}

// Each field takes from a drop only what it takes when typed; and what a
// dropped folder brings (its scan, a notice) comes after the drop has ended,
// so the program the drag came from learns at once that it is over.
TEST_F(BatchWindow, EachFieldTakesFromADropOnlyWhatItsTypingTakes)
{
    makePicture(dir.file("in/wine.jpg"), 100, 100);
    QDir(dir.path()).mkdir("empty");
    Form &w = window();
    const auto text = [](const QString &dragged) {
        auto mime = std::make_unique<QMimeData>();
        mime->setText(dragged);
        return mime;
    };
    const auto file = [](const QString &path) {
        // As a file manager drags a file: its address, and the same as text.
        auto mime = std::make_unique<QMimeData>();
        mime->setUrls({QUrl::fromLocalFile(path)});
        mime->setText(QUrl::fromLocalFile(path).toString() + QStringLiteral("\r\n"));
        return mime;
    };

    // The size fields: digits only.
    w.Text1->clear();
    EXPECT_FALSE(Form::dropData(w.Text1, *file(dir.file("in/wine.jpg"))));
    EXPECT_FALSE(Form::dropData(w.Text1, *text("1.5")));
    EXPECT_FALSE(Form::dropData(w.Text1, *text(QStringLiteral(u"８００"))));
    EXPECT_TRUE(w.Text1->text().isEmpty());
    EXPECT_TRUE(Form::dropData(w.Text1, *text("640")));
    EXPECT_EQ(w.Text1->text(), "640");
    EXPECT_EQ(w.Text3->text(), "640");

    // The new name: no dot, no slash, nothing that cannot be typed.
    w.dropOnPictureField({dir.file("in/wine.jpg")});
    ASSERT_EQ(w.txtPathdz2->text(), QStringLiteral(u"wine副本"));
    EXPECT_FALSE(Form::dropData(w.txtPathdz2, *file(dir.file("in/wine.jpg"))));
    EXPECT_FALSE(Form::dropData(w.txtPathdz2, *text("a.b")));
    EXPECT_FALSE(Form::dropData(w.txtPathdz2, *text("a\tb")));
    EXPECT_EQ(w.txtPathdz2->text(), QStringLiteral(u"wine副本"));
    w.txtPathdz2->clear();
    EXPECT_TRUE(Form::dropData(w.txtPathdz2, *text("holiday")));
    EXPECT_EQ(w.txtPathdz2->text(), "holiday");

    // The format box: one of its formats, as if chosen from its list.
    QWidget *formatText = w.XPCombo1->textField();
    EXPECT_FALSE(Form::dropData(formatText, *text(".exe")));
    EXPECT_FALSE(Form::dropData(formatText, *file(dir.file("in/wine.jpg"))));
    EXPECT_EQ(w.XPCombo1->Text(), ".bmp");
    EXPECT_TRUE(Form::dropData(formatText, *text(".PNG")));
    EXPECT_EQ(w.XPCombo1->Text(), ".png");
    EXPECT_EQ(w.XPCombo1->ListIndex(), 4);

    // An empty folder dropped on the source field: its notice once the drop is over.
    w.Option2->setChecked(true);
    QMimeData folder;
    folder.setUrls({QUrl::fromLocalFile(dir.file("empty"))});
    const size_t before = notices().size();
    EXPECT_TRUE(Form::dropData(w.txtPath, folder));
    EXPECT_EQ(notices().size(), before);
    EXPECT_FALSE(w->isBusy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return notices().size() == before + 1; }, 5000));
    EXPECT_EQ(notices().back().text, QStringLiteral(u"没有找到可以转换的文件"));
    // A folder of pictures is listed once the drop is over, just as well.
    EXPECT_TRUE(Form::dropData(w.txtPath, *file(source)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.List1() == QStringList{"wine.jpg"}; }, 5000));
}
