// The batch panel, end to end: folders chosen through the scripted dialog,
// real pictures converted into the output folder.
#include "window_fixture.h"

#include "cli/batch_tool.h"
#include "controls/ph_button.h"
#include "controls/xp_progress_bar.h"
#include "platform/native_path.h"

#include <QCheckBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <unistd.h>

TEST_F(BatchWindow, ConvertsEveryPictureOfTheFolderAndClearsUp)
{
    const std::vector<std::tuple<QString, int, int, QSize>> pictures{
        {"wide.jpg", 1600, 1200, QSize(425, 319)}, {"TALL.JPG", 300, 900, QSize(107, 321)},
        {"small.png", 100, 50, QSize(100, 50)},    {"B.PNG", 2000, 2000, QSize(321, 321)},
        {"anim.gif", 850, 100, QSize(425, 50)},    {"pic.bmp", 640, 480, QSize(425, 319)},
        {"scan.tif", 500, 500, QSize(321, 321)},   {"scan2.TIFF", 20, 30, QSize(20, 30)},
        {"game.tga", 900, 600, QSize(425, 283)},   {"a,b 名字.jpeg", 850, 642, QSize(425, 321)},
    };
    for (const auto &[name, w, h, expected] : pictures)
        makePicture(dir.file("in/" + name), w, h);
    makePicture(dir.file("in/mixed.Jpg"), 500, 500);
    makePicture(dir.file("in/.hidden.jpg"), 500, 500);
    writeFile(dir.file("in/notes.txt"), "not a picture");
    QDir(dir.path()).mkdir("in/sub.jpg");

    Form &w = window();
    w.Option2->click();
    chooseFolders(w);
    EXPECT_EQ(dialogs.prompts,
              QStringList({QStringLiteral(u"\r\n请选择文件夹："), QStringLiteral(u"\r\n请选择文件夹：")}));
    EXPECT_EQ(dialogs.initialFolders, QStringList({QString(), QString()}));
    EXPECT_EQ(w.List1().size(), qsizetype(pictures.size()));
    EXPECT_EQ(w.List2().size(), w.List1().size());
    EXPECT_EQ(w.lblFound->text(), QStringLiteral(u"找到 10 张图片"));
    EXPECT_TRUE(w.lblFound->isVisible() || !w->isVisible());
    EXPECT_TRUE(notices().empty());

    QTest::mouseClick(w.cmdStartConvert, Qt::LeftButton);

    for (const auto &[name, wd, ht, expected] : pictures)
        EXPECT_EQ(sizeOf(dir.file("out/" + name)), expected) << name.toStdString();
    EXPECT_EQ(QDir(output).entryList(QDir::Files | QDir::Hidden).size(), qsizetype(pictures.size()));
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0], (Notice{Notice::SelfClosing, QStringLiteral(u"转换成功")}));
    EXPECT_EQ(notifier.lastTimeout, std::chrono::milliseconds(1500));
    for (QLineEdit *field : {w.txtPath, w.txtPath2, w.txtPathdz, w.txtPathdz2})
        EXPECT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(w.List1().isEmpty());
    EXPECT_TRUE(w.List2().isEmpty());
    EXPECT_EQ(w.PB->Value(), 0);
    EXPECT_TRUE(w.lblFound->text().isEmpty()) << "the count went with the folder";
    EXPECT_EQ(readFile(settings), QByteArray(" 425 \r\n 321 "));

    // Everything was cleared: a second start asks for a folder again.
    w.cmdStartConvert_Click();
    EXPECT_EQ(notices().back(), (Notice{Notice::Information, QStringLiteral(u"请选择要转换图片的文件夹！")}));
}

TEST_F(BatchWindow, RemembersTheLimitsOfTheLastRun)
{
    makePicture(dir.file("in/a.png"), 1600, 1200);
    {
        Form &w = window();
        w.Text1->setText("640");
        w.Text2->setText("480");
        chooseFolders(w);
        w.cmdStartConvert_Click();
        EXPECT_EQ(sizeOf(dir.file("out/a.png")), QSize(640, 480));
    }
    EXPECT_EQ(readFile(settings), QByteArray(" 640 \r\n 480 "));
    form.reset();
    Form &again = window();
    EXPECT_EQ(again.Text1->text(), "640");
    EXPECT_EQ(again.Text3->text(), "640");
    EXPECT_EQ(again.Text2->text(), "480");
    EXPECT_EQ(again.Text4->text(), "480");
}

TEST_F(BatchWindow, BrokenPicturesAreReportedAndTheRestConverted)
{
    makePicture(dir.file("in/good.jpg"), 800, 600);
    makePicture(dir.file("in/good2.png"), 800, 600);
    const QByteArray jpeg = readFile(dir.file("in/good.jpg"));
    writeFile(dir.file("in/broken.jpg"), jpeg.left(jpeg.size() / 3));
    writeFile(dir.file("in/words.png"), "words, not a picture");
    writeFile(dir.file("out/words.png"), "left from an earlier run");

    Form &w = window();
    chooseFolders(w);
    w.cmdStartConvert_Click();

    EXPECT_EQ(sizeOf(dir.file("out/good.jpg")), QSize(425, 319));
    EXPECT_EQ(sizeOf(dir.file("out/good2.png")), QSize(425, 319));
    EXPECT_FALSE(QFile::exists(dir.file("out/broken.jpg")));
    EXPECT_EQ(readFile(dir.file("out/words.png")), "left from an earlier run");
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0].kind, Notice::Information);
    const QString text = notices()[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral(u"转换完成：成功 2 个，失败 2 个。\n以下文件未能转换：\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(u"\nbroken.jpg：图片已损坏或无法解码"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral(u"\nwords.png：无法读取图片尺寸"))) << text.toStdString();
}

TEST_F(BatchWindow, NamesAreConvertedUnderTheirOwnBytes)
{
    // "中文" in GBK bytes, as archives from older Windows systems extract it,
    // and names that trip up option parsers, shells and URL decoders.
    const std::vector<QByteArray> names{"\xD6\xD0\xCE\xC4.jpg", "-leading dash.png", "photo [1].jpg",
                                        "100% 'quoted' \"name\".gif", QByteArray(251, 'x') + ".bmp"};
    makePicture(dir.file("made.jpg"), 800, 600);
    for (const QByteArray &name : names)
        ASSERT_EQ(::link(QFile::encodeName(dir.file("made.jpg")).constData(),
                         (QFile::encodeName(source) + '/' + name).constData()),
                  0)
            << name.constData();
    // A damaged one is named in the notice, shown with replacement characters.
    writeFile(dir.file("in/broken.png"), "not a picture");
    ASSERT_EQ(::rename(QFile::encodeName(dir.file("in/broken.png")).constData(),
                       (QFile::encodeName(source) + "/\xB5\xA5.png").constData()),
              0);

    Form &w = window();
    chooseFolders(w);
    EXPECT_EQ(w.List1().size(), qsizetype(names.size() + 1));
    w.cmdStartConvert_Click();
    for (const QByteArray &name : names) {
        const QString path = platform::pathFromNative(QFile::encodeName(output) + '/' + name);
        EXPECT_EQ(sizeOf(path), QSize(425, 319)) << name.constData();
    }
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_TRUE(notices()[0].text.contains(QStringLiteral(u"\n\uFFFD\uFFFD.png：无法读取图片尺寸")))
        << notices()[0].text.toStdString();

    // A picture dropped on the single panel is read by its bytes too, and
    // shown with replacement characters.
    const QString gbk = platform::pathFromNative(QFile::encodeName(source) + '/' + names[0]);
    w.Option1->click();
    w.dropOnPictureField({gbk});
    EXPECT_EQ(w.txtPathdz->text(), platform::displayPath(gbk));
    w.txtPathdz2->setText("copy");
    w.cmdStartConvertdz_Click();
    EXPECT_EQ(sizeOf(dir.file("in/copy.bmp")), QSize(425, 319));

    // tarvel-batch takes the same bytes from its command line.
    std::FILE *out = std::tmpfile();
    QDir(dir.path()).mkdir("cli");
    EXPECT_EQ(cli::runBatchTool({source, dir.file("cli")}, {out, out}, settings), cli::kSomeFailed);
    for (const QByteArray &name : names)
        EXPECT_EQ(readFile(platform::pathFromNative(QFile::encodeName(dir.file("cli")) + '/' + name)),
                  readFile(platform::pathFromNative(QFile::encodeName(output) + '/' + name)))
            << name.constData();
    std::fclose(out);
}

TEST_F(BatchWindow, OutputIntoTheSourceFolderIsAskedFirst)
{
    makePicture(dir.file("in/photo.jpg"), 1600, 1200);
    const QByteArray original = readFile(dir.file("in/photo.jpg"));
    Form &w = window();
    dialogs.folderAnswers = {source, dir.file("in/.")};
    w.cmdSelectFolder_Click();
    w.cmdSaveFolder_Click();

    notifier.answer = false;
    w.cmdStartConvert_Click();
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0],
              (Notice{Notice::Question,
                      QStringLiteral(u"输出文件夹与源文件夹相同，转换后的图片将覆盖原图。确定要继续吗？")}));
    EXPECT_EQ(readFile(dir.file("in/photo.jpg")), original);
    EXPECT_EQ(w.txtPath->text(), source);
    EXPECT_EQ(w.List1(), QStringList{"photo.jpg"});

    notifier.answer = true;
    w.cmdStartConvert_Click();
    EXPECT_EQ(sizeOf(dir.file("in/photo.jpg")), QSize(425, 319));
    EXPECT_EQ(QDir(source).entryList(QDir::Files | QDir::Hidden), QStringList{"photo.jpg"});
    EXPECT_EQ(notices().back(), (Notice{Notice::SelfClosing, QStringLiteral(u"转换成功")}));
}

TEST_F(BatchWindow, ValidationNotices)
{
    makePicture(dir.file("in/a.png"), 100, 100);
    Form &w = window();

    w.cmdStartConvert_Click();
    EXPECT_EQ(notices().back().text, QStringLiteral(u"请选择要转换图片的文件夹！"));

    dialogs.folderAnswers = {source};
    w.cmdSelectFolder_Click();
    w.cmdStartConvert_Click();
    EXPECT_EQ(notices().back().text, QStringLiteral(u"请选择一个用来存放转换图片的文件夹！"));

    // Limits empty or below 1 are named.
    w.Text1->setText("0");
    w.cmdStartConvert_Click();
    EXPECT_EQ(notices().back().text, QStringLiteral(u"请填写图片的缩放最大限宽：1 到 16383 之间的整数！"));
    w.Text1->setText("425");
    w.Text2->clear();
    w.cmdStartConvert_Click();
    EXPECT_EQ(notices().back().text, QStringLiteral(u"请填写图片缩放的最大限高：1 到 16383 之间的整数！"));

    // Cancelling the output dialog with an empty field is not a folder.
    w.cmdSaveFolder_Click();
    EXPECT_EQ(notices().back().text, QStringLiteral(u"您选择的不是一个文件夹，请重新选择"));
    EXPECT_TRUE(w.txtPath2->text().isEmpty());
    // ... with a folder in the field, it keeps it silently.
    dialogs.folderAnswers = {output, QString()};
    w.cmdSaveFolder_Click();
    const size_t count = notices().size();
    w.cmdSaveFolder_Click();
    EXPECT_EQ(w.txtPath2->text(), output);
    EXPECT_EQ(notices().size(), count);
    EXPECT_EQ(dialogs.initialFolders.back(), output);

    // A folder without pictures empties the source field.
    QDir(dir.path()).mkdir("empty");
    writeFile(dir.file("empty/readme.txt"), "x");
    dialogs.folderAnswers = {dir.file("empty")};
    w.cmdSelectFolder_Click();
    EXPECT_EQ(notices().back().text, QStringLiteral(u"没有找到可以转换的文件"));
    EXPECT_TRUE(w.txtPath->text().isEmpty());
    EXPECT_TRUE(w.List1().isEmpty());
}

TEST_F(BatchWindow, CancellingTheSourceDialogScansTheFolderAgain)
{
    makePicture(dir.file("in/a.png"), 100, 100);
    Form &w = window();
    dialogs.folderAnswers = {source};
    w.cmdSelectFolder_Click();
    makePicture(dir.file("in/b.png"), 100, 100);
    w.cmdSelectFolder_Click(); // cancelled: the same folder is listed again
    EXPECT_EQ(w.List1().size(), 2);
    EXPECT_EQ(dialogs.initialFolders.back(), source);
}

TEST_F(BatchWindow, DropsAndKeysOnTheFolderFields)
{
    makePicture(dir.file("in/a.png"), 100, 100);
    QDir(dir.path()).mkdir("other");
    Form &w = window();

    w.dropOnFolderField(w.txtPath2, {output, source});
    EXPECT_EQ(w.txtPath2->text(), output);
    EXPECT_TRUE(notices().empty());

    w.dropOnFolderField(w.txtPath, {dir.file("in/a.png")}); // a file: ignored
    EXPECT_TRUE(w.txtPath->text().isEmpty());
    w.dropOnFolderField(w.txtPath, {});
    EXPECT_TRUE(w.txtPath->text().isEmpty());
    w.dropOnFolderField(w.txtPath, {source, dir.file("other")});
    EXPECT_EQ(w.txtPath->text(), source);
    EXPECT_EQ(w.List1(), QStringList{"a.png"});

    w.Option2->click();
    QTest::keyClick(w.txtPath2, Qt::Key_Delete);
    EXPECT_TRUE(w.txtPath2->text().isEmpty());
    QTest::keyClick(w.txtPath, Qt::Key_Backspace);
    EXPECT_TRUE(w.txtPath->text().isEmpty());
    EXPECT_EQ(w.List1(), QStringList{"a.png"}); // the work list stays
    QTest::keyClick(w.txtPath, Qt::Key_A);
    EXPECT_TRUE(w.txtPath->text().isEmpty());
}

TEST_F(BatchWindow, TheCommandLineToolWritesTheSameBytesAsTheWindow)
{
    const char *names[] = {"a.jpg", "b.png", "c.gif", "d.bmp", "e.tif", "f.tga", "g.png"};
    for (const char *name : names)
        makePicture(dir.file(QStringLiteral("in/") + name), 900, 700);
    // Transparent parts land on the same colour in both.
    QImage translucent(900, 700, QImage::Format_ARGB32);
    translucent.fill(qRgba(200, 40, 40, 90));
    ASSERT_TRUE(translucent.save(dir.file("in/g.png"), "PNG"));
    QDir(dir.path()).mkdir("cli");
    Form &w = window();
    w.Check1->setChecked(true);
    w.Text1->setText("1000");
    chooseFolders(w);
    w.cmdStartConvert_Click();

    std::FILE *sink = std::tmpfile();
    EXPECT_EQ(cli::runBatchTool({"--enlarge", source, dir.file("cli")}, {sink, sink}, settings), cli::kAllConverted);
    std::fclose(sink);
    for (const char *name : names) {
        const QByteArray fromWindow = readFile(dir.file(QStringLiteral("out/") + name));
        EXPECT_FALSE(fromWindow.isEmpty()) << name;
        EXPECT_EQ(readFile(dir.file(QStringLiteral("cli/") + name)), fromWindow) << name;
    }
}
