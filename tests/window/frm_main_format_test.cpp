// The batch panel's output format: chosen in its box with the mouse and the
// keyboard, every picture converted to it, clashing names kept apart and told.
#include "window_fixture.h"

#include "support/programs.h"
#include "workflow/output_names.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QWindow>

namespace {

// Opens the box's list with a click on its arrow and clicks the item `text`,
// through the window system as a pointer would.
void pickWithTheMouse(QWidget &window, controls::XPCombo &combo, const QString &text)
{
    const QPoint arrow = combo.mapTo(&window, combo.arrowRect().center());
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, arrow);
    ASSERT_TRUE(QTest::qWaitFor([&] { return combo.listShown(); }, 2000));
    QAbstractItemView *view = combo.findChild<QComboBox *>()->view();
    const QModelIndexList found
        = view->model()->match(view->model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    view->scrollTo(found.front());
    QWindow *popup = view->window()->windowHandle();
    const QPoint item = popup->mapFromGlobal(view->viewport()->mapToGlobal(view->visualRect(found.front()).center()));
    QTest::mouseClick(popup, Qt::LeftButton, {}, item);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !combo.listShown(); }, 2000));
}

} // namespace

TEST_F(BatchWindow, TheOutputFormatIsPickedInItsBoxAndClashingNamesAreKeptApart)
{
    makePicture(dir.file("in/a.png"), 300, 200);
    makePicture(dir.file("in/a.jpg"), 200, 300);
    makePicture(dir.file("in/b.bmp"), 120, 60);
    Form &w = window();
    w->show();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));
    QTest::mouseClick(w.Option2, Qt::LeftButton);
    ASSERT_FALSE(w.Frame2->isHidden());

    // Its own format first, then every format of the table.
    controls::XPCombo &box = *w.XPCombo2;
    const QStringList formats = workflow::batchOutputFormats();
    ASSERT_EQ(box.ListCount(), 1 + formats.size());
    EXPECT_EQ(box.Text(), QStringLiteral(u"保持原格式"));
    for (qsizetype i = 0; i < formats.size(); ++i)
        EXPECT_EQ(box.GetItem(int(i) + 1), u'.' + formats[i]);
    // Named for readers, with its caption as its label.
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(&box);
    EXPECT_EQ(reader->text(QAccessible::Name), QStringLiteral(u"输出格式"));
    const QList<QLabel *> captions = w.Frame2->findChildren<QLabel *>();
    EXPECT_TRUE(std::any_of(captions.begin(), captions.end(), [&](const QLabel *caption) {
        return caption->buddy() == &box && caption->text() == QStringLiteral(u"输出格式");
    }));
    // Only the list's formats: typing changes nothing.
    QTest::keyClicks(box.textField(), "x");
    EXPECT_EQ(box.Text(), QStringLiteral(u"保持原格式"));

    pickWithTheMouse(w.window(), box, ".tif");
    EXPECT_EQ(box.Text(), ".tif");
    w.Text1->setText("100");
    w.Text2->setText("100");
    chooseFolders(w);
    QTest::mouseClick(w.cmdStartConvert, Qt::LeftButton);

    // a.png and a.jpg would both be a.tif: each keeps its whole name.
    QStringList written = QDir(output).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(written, QStringList({"a.jpg.tif", "a.png.tif", "b.tif"}));
    EXPECT_EQ(vipsSays(dir.file("out/a.png.tif")), "tiffload 100x67");
    EXPECT_EQ(vipsSays(dir.file("out/a.jpg.tif")), "tiffload 67x100");
    EXPECT_EQ(vipsSays(dir.file("out/b.tif")), "tiffload 100x50");
    // Told, with the new names, and the notice stays until it is read.
    ASSERT_FALSE(notices().empty());
    const Notice &told = notices().back();
    EXPECT_EQ(told.kind, Notice::Information);
    const QStringList lines = told.text.split(u'\n');
    ASSERT_EQ(lines.size(), 4) << told.text.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral(u"转换成功。"));
    EXPECT_EQ(lines[1], QStringLiteral(u"以下图片转换后会与别的图片同名，为了不互相覆盖，改用了新名称："));
    // In the order the folder lists them; the details have them all.
    QStringList renamed = lines.mid(2);
    renamed.sort();
    EXPECT_EQ(renamed, QStringList({QStringLiteral(u"a.jpg → a.jpg.tif"), QStringLiteral(u"a.png → a.png.tif")}));
    EXPECT_EQ(told.details, lines.mid(2).join(u'\n'));

    // The choice stays for the next run. Tab reaches the box after the limits,
    // and the arrow keys go back to the pictures' own formats.
    EXPECT_EQ(box.Text(), ".tif");
    w.Text2->setFocus();
    QTest::keyClick(w.Text2, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), box.textField());
    for (int i = 0; i < 6; ++i)
        QTest::keyClick(box.textField(), Qt::Key_Up);
    EXPECT_EQ(box.Text(), QStringLiteral(u"保持原格式"));
    QTest::keyClick(box.textField(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.cmdStartConvert);

    QDir(output).removeRecursively();
    QDir(dir.path()).mkdir("out");
    chooseFolders(w);
    const std::size_t shown = notices().size();
    QTest::mouseClick(w.cmdStartConvert, Qt::LeftButton);
    written = QDir(output).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(written, QStringList({"a.jpg", "a.png", "b.bmp"}));
    EXPECT_EQ(vipsSays(dir.file("out/a.png")), "pngload 100x67");
    EXPECT_EQ(vipsSays(dir.file("out/a.jpg")), "jpegload 67x100");
    ASSERT_EQ(notices().size(), shown + 1);
    EXPECT_EQ(notices().back(), (Notice{Notice::SelfClosing, QStringLiteral(u"转换成功")}));
}

// A camera's upper-case name is the format's own but for its case: the
// picture keeps its stem, and the one beside it of another format yields.
TEST_F(BatchWindow, APictureCalledSoButForTheCaseKeepsItsStem)
{
    makePicture(dir.file("in/IMG_0004.JPG"), 300, 200);
    makePicture(dir.file("in/IMG_0004.PNG"), 200, 300);
    makePicture(dir.file("in/A.JPG"), 120, 60);
    Form &w = window();
    w->show();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));
    QTest::mouseClick(w.Option2, Qt::LeftButton);
    pickWithTheMouse(w.window(), *w.XPCombo2, ".jpg");
    chooseFolders(w);
    QTest::mouseClick(w.cmdStartConvert, Qt::LeftButton);
    EXPECT_EQ(QDir(output).entryList(QDir::Files, QDir::Name),
              QStringList({"A.jpg", "IMG_0004.PNG.jpg", "IMG_0004.jpg"}));
    EXPECT_EQ(vipsSays(dir.file("out/IMG_0004.jpg")), "jpegload 300x200");
    ASSERT_FALSE(notices().empty());
    EXPECT_TRUE(notices().back().details == QStringLiteral(u"IMG_0004.PNG → IMG_0004.PNG.jpg"))
        << notices().back().details.toStdString();
}

TEST_F(BatchWindow, IntoTheSourceFolderOnlyReplacingAnOriginalIsAsked)
{
    makePicture(dir.file("in/photo.png"), 80, 60);
    makePicture(dir.file("in/scan.bmp"), 80, 60);
    const QByteArray png = readFile(dir.file("in/photo.png"));
    Form &w = window();
    w.Option2->click();
    w.XPCombo2->SetListIndex(1 + int(workflow::batchOutputFormats().indexOf("jpg")));
    dialogs.folderAnswers = {source, source};
    w.cmdSelectFolder_Click();
    w.cmdSaveFolder_Click();
    w.cmdStartConvert_Click();
    // New names beside the originals: nothing asked, nothing replaced.
    EXPECT_TRUE(std::none_of(notices().begin(), notices().end(),
                             [](const Notice &notice) { return notice.kind == Notice::Question; }));
    EXPECT_EQ(QDir(source).entryList(QDir::Files, QDir::Name),
              QStringList({"photo.jpg", "photo.png", "scan.bmp", "scan.jpg"}));
    EXPECT_EQ(readFile(dir.file("in/photo.png")), png);

    // Now photo.jpg is one of the pictures, and would be written over itself.
    notifier.answer = false;
    dialogs.folderAnswers = {source, source};
    w.cmdSelectFolder_Click();
    w.cmdSaveFolder_Click();
    w.cmdStartConvert_Click();
    ASSERT_FALSE(notices().empty());
    EXPECT_EQ(notices().back().kind, Notice::Question);
}
