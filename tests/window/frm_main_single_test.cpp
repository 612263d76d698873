// The single-picture panel, end to end: a picture chosen through the scripted
// open-file dialog or dropped, converted next to itself under a new name.
#include "window_fixture.h"

#include "dialogs/qt_file_dialogs.h"
#include "workflow/interface_language.h"

#include "controls/xp_combo.h"
#include "controls/xp_progress_bar.h"
#include "window/mnemonic_hints.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

TEST_F(WindowTest, BrowsingChoosesAPictureAndConvertsItBesideItself)
{
    QDir(dir.path()).mkdir("pics");
    const QString picture = dir.file("pics/sea.view.jpg");
    makePicture(picture, 2000, 1000);
    Form &w = window();
    dialogs.openAnswer = picture;
    QTest::mouseClick(w.cmdrgtBrowe, Qt::LeftButton);

    EXPECT_EQ(dialogs.placement, dialogs::DialogPlacement::MainWindow);
    const dialogs::OpenDialogRecord &record = dialogs.lastRecord;
    EXPECT_EQ(record.title, QStringLiteral(u"打开图像文件"));
    EXPECT_EQ(record.initialFolder, QDir::currentPath());
    EXPECT_EQ(record.filterIndex, 1);
    // Every picture first, chosen; then each type of its own.
    ASSERT_EQ(record.filters.size(), 15u);
    EXPECT_EQ(record.filters[0],
              std::make_pair(QStringLiteral(u"所有图片"),
                             QStringLiteral("*.bmp *.gif *.jpg *.jpeg *.png *.tif *.tiff *.tga *.webp *.heic *.heif "
                                            "*.hif *.avif *.jxl")));
    EXPECT_EQ(record.filters[1], std::make_pair(QStringLiteral(u"BMP位图(*.bmp)"), QStringLiteral("*.bmp")));
    EXPECT_EQ(record.filters[8], std::make_pair(QStringLiteral(u"tga图像(*.TGA)"), QStringLiteral("*.tga")));
    EXPECT_EQ(record.filters[9], std::make_pair(QStringLiteral(u"WebP图像(*.webp)"), QStringLiteral("*.webp")));
    EXPECT_EQ(record.filters[14], std::make_pair(QStringLiteral(u"JPEG XL图像(*.jxl)"), QStringLiteral("*.jxl")));

    EXPECT_EQ(w.txtPathdz->text(), picture);
    EXPECT_EQ(w.txtPathdz2->text(), QStringLiteral(u"sea副本"));
    EXPECT_EQ(w.List1(), QStringList{"sea.view.jpg"});
    EXPECT_EQ(w.List2(), QStringList{"2000-1000"});

    w.Text3->setText("1024");
    w.Text4->setText("1024");
    w.txtPathdz2->setText(QStringLiteral(u" my  pic "));
    w.XPCombo1->SetListIndex(4); // .png
    QTest::mouseClick(w.cmdStartConvertdz, Qt::LeftButton);

    const QString target = dir.file("pics/mypic.png");
    EXPECT_EQ(sizeOf(target), QSize(1024, 512));
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0], (Notice{Notice::SelfClosing, target + QStringLiteral(u" 转换成功")}));
    for (QLineEdit *field : {w.txtPath, w.txtPath2, w.txtPathdz, w.txtPathdz2})
        EXPECT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(w.List1().isEmpty());
    EXPECT_EQ(readFile(settings), QByteArray(" 1024 \r\n 1024 "));
}

TEST_F(WindowTest, CancelledDialogChangesNothing)
{
    Form &w = window();
    w.txtPathdz2->setText("kept");
    w.cmdrgtBrowe_Click();
    EXPECT_EQ(dialogs.openCalls, 1);
    EXPECT_EQ(w.txtPathdz2->text(), "kept");
    EXPECT_TRUE(w.List1().isEmpty());
}

TEST_F(WindowTest, SmallPicturesGrowOnlyWhenAsked)
{
    const QString picture = dir.file("small.png");
    makePicture(picture, 300, 200);
    Form &w = window();
    w.Text1->setText("1024");
    w.Text2->setText("1024");
    w.dropOnPictureField({picture});
    EXPECT_EQ(w.txtPathdz2->text(), QStringLiteral(u"small副本"));
    w.cmdStartConvertdz_Click();
    EXPECT_EQ(sizeOf(dir.file(QStringLiteral(u"small副本.bmp"))), QSize(300, 200));

    w.dropOnPictureField({picture});
    w.Check1->setChecked(true);
    w.cmdStartConvertdz_Click();
    EXPECT_EQ(sizeOf(dir.file(QStringLiteral(u"small副本.bmp"))), QSize(1024, 683));
}

TEST_F(WindowTest, DropsOntoThePictureField)
{
    const QString upper = dir.file("photo.JPG");
    const QString mixed = dir.file("other.Jpg");
    makePicture(upper, 64, 48);
    makePicture(mixed, 64, 48);
    Form &w = window();

    w.dropOnPictureField({upper, mixed});
    EXPECT_EQ(w.txtPathdz->text(), upper);
    EXPECT_EQ(w.txtPathdz2->text(), QStringLiteral(u"photo副本"));

    w.txtPathdz2->setText("renamed");
    w.dropOnPictureField({mixed}); // not one of the 28 spellings: refused, nothing changes
    EXPECT_EQ(w.txtPathdz->text(), upper);
    EXPECT_EQ(w.txtPathdz2->text(), "renamed");
    EXPECT_EQ(w.List2(), QStringList{"64-48"});

    w.dropOnPictureField({}); // dragged text carries no file: nothing changes
    EXPECT_EQ(w.txtPathdz->text(), upper);

    w.dropOnPictureField({dir.path()}); // a folder clears the picture
    EXPECT_TRUE(w.txtPathdz->text().isEmpty());
    EXPECT_TRUE(w.txtPathdz2->text().isEmpty());

    w.dropOnPictureField({upper});
    QTest::keyClick(w.txtPathdz, Qt::Key_Delete);
    EXPECT_TRUE(w.txtPathdz->text().isEmpty());
    QTest::keyClicks(w.txtPathdz2, "a.b");
    EXPECT_EQ(w.txtPathdz2->text(), QStringLiteral(u"photo副本ab"));
}

TEST_F(WindowTest, SinglePictureValidationAndFailure)
{
    const QString picture = dir.file("pic.png");
    makePicture(picture, 64, 48);
    Form &w = window();

    w.cmdStartConvertdz_Click();
    EXPECT_EQ(notices().back(), (Notice{Notice::Information, QStringLiteral(u"请选择要转换图片文件！")}));
    w.dropOnPictureField({picture});
    // (Each refused new name has its own notice: frm_main_input_test.cpp.)
    w.txtPathdz2->clear();
    QTest::keyClicks(w.txtPathdz2, "x/y.z");
    EXPECT_EQ(w.txtPathdz2->text(), "xyz");

    w.txtPathdz2->setText("copy");
    w.Text3->setText("0");
    w.cmdStartConvertdz_Click();
    EXPECT_EQ(notices().back().text, QStringLiteral(u"请填写图片的缩放最大限宽：1 到 16383 之间的整数！"));

    // The picture is damaged after it was chosen: the failure is reported.
    w.Text3->setText("100");
    writeFile(picture, "no longer a picture");
    w.XPCombo1->SetListIndex(2);
    w.cmdStartConvertdz_Click();
    const QString target = dir.file("copy.jpg");
    EXPECT_EQ(notices().back(),
              (Notice{Notice::Information, picture + QStringLiteral(u" 转换失败：无法读取图片尺寸")}));
    EXPECT_FALSE(QFile::exists(target));
    EXPECT_TRUE(w.txtPathdz->text().isEmpty());
}

TEST_F(WindowTest, SingleConversionUsesItsOwnPictureAfterAFolderWasListed)
{
    QDir(dir.path()).mkdir("folder");
    makePicture(dir.file("folder/square.png"), 900, 900);
    const QString picture = dir.file("wide.png");
    makePicture(picture, 1600, 400);
    Form &w = window();
    w.dropOnPictureField({picture});
    w.dropOnFolderField(w.txtPath, {dir.file("folder")}); // replaces the work lists
    w.cmdStartConvertdz_Click();
    EXPECT_EQ(sizeOf(dir.file(QStringLiteral(u"wide副本.bmp"))), QSize(425, 106));
}

TEST_F(WindowTest, ReplacingThePictureItselfIsAskedFirst)
{
    const QString picture = dir.file("e.bmp");
    makePicture(picture, 1600, 1200);
    const QByteArray original = readFile(picture);
    Form &w = window();
    w.PB->setMax(4);
    w.PB->setValue(2);
    w.dropOnPictureField({picture});
    w.txtPathdz2->setText("e"); // the format list shows .bmp

    notifier.answer = false;
    w.cmdStartConvertdz_Click();
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0], (Notice{Notice::Question,
                                    QStringLiteral(u"输出文件与源图片相同，转换后的图片将覆盖原图。确定要继续吗？")}));
    EXPECT_EQ(readFile(picture), original);
    EXPECT_EQ(w.txtPathdz->text(), picture);

    notifier.answer = true;
    w.cmdStartConvertdz_Click();
    EXPECT_EQ(sizeOf(picture), QSize(425, 319));
    EXPECT_EQ(notices().back(), (Notice{Notice::SelfClosing, picture + QStringLiteral(u" 转换成功")}));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"CULERT.txt", "e.bmp"}));
    // A single conversion leaves the progress bar alone.
    EXPECT_EQ(w.PB->Value(), 2);
}

TEST_F(WindowTest, EverythingCanBeDoneWithTheKeyboard)
{
    const QString picture = dir.file("sea.png");
    makePicture(picture, 800, 600);
    Form &w = window();
    w->show();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));

    // Tab alone walks each panel as it reads; the hidden panel is passed over.
    auto walk = [&](int steps) {
        QStringList names;
        for (int i = 0; i < steps; ++i) {
            // The format list's focus is its text field's, JTexto.
            const QWidget *focus = QApplication::focusWidget();
            names << (focus ? focus->objectName() : QString());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        return names;
    };
    w.Option1->setFocus();
    EXPECT_EQ(walk(11), QStringList({"Option1", "Check1", "Picture1", "cmdrgtBrowe", "txtPathdz", "txtPathdz2", "JTexto",
                                     "Text3", "Text4", "cmdStartConvertdz", "Option1"}));
    QTest::keyClick(&w.window(), Qt::Key_B, Qt::AltModifier); // 批量转换
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Frame1->isHidden(); }, 2000));
    w.Option2->setFocus();
    EXPECT_EQ(walk(12), QStringList({"Option2", "Check1", "Picture1", "cmdSelectFolder", "txtPath", "cmdSaveFolder",
                                     "txtPath2", "Text1", "Text2", "JTexto", "cmdStartConvert", "Option2"}));

    // A picture converted with keys only: back to the single panel, choose
    // the picture with Space on its button, a format with Down, then convert.
    QTest::keyClick(&w.window(), Qt::Key_S, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.Frame2->isHidden(); }, 2000));
    dialogs.openAnswer = picture;
    w.cmdrgtBrowe->setFocus();
    QTest::keyClick(w.cmdrgtBrowe, Qt::Key_Space);
    EXPECT_EQ(w.txtPathdz->text(), picture);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // the new name, already given
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // .bmp -> .gif
    QTest::keyClick(&w.window(), Qt::Key_C, Qt::AltModifier);   // 开始转换
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notices().empty(); }, 10000));
    EXPECT_EQ(sizeOf(dir.file(QStringLiteral(u"sea副本.gif"))), QSize(425, 319));
}

TEST_F(WindowTest, HoldingAltShowsTheLettersAndLettingGoHidesThem)
{
    Form &w = window();
    w->show();
    QApplication::setActiveWindow(&w.window());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w.window()));
    const QImage plainFace = w.cmdrgtBrowe->grab().toImage();

    QTest::keyPress(&w.window(), Qt::Key_Alt);
    EXPECT_EQ(w.Option1->text(), QStringLiteral(u"单张转换(&S)"));
    EXPECT_EQ(w.Check1->text(), QStringLiteral(u"小图放大(&E)"));
    EXPECT_NE(w.cmdrgtBrowe->grab().toImage(), plainFace);
    QTest::keyRelease(&w.window(), Qt::Key_Alt);
    EXPECT_EQ(w.Option1->text(), QStringLiteral(u"单张转换"));
    EXPECT_EQ(w.cmdrgtBrowe->grab().toImage(), plainFace);

    // A Latin caption marks a letter of its own; one without it gets it after.
    EXPECT_EQ(window::withMnemonic("Picture...", u'P'), "&Picture...");
    EXPECT_EQ(window::withMnemonic("Output", u'p'), "Out&put");
    EXPECT_EQ(window::withMnemonic("Batch", u'X'), "Batch(&X)");
}

// The real picture chooser, in Chinese: it opens on every picture it can
// convert, lists a phone's upper-case names and folders, names the folders'
// type in Chinese and gives each column its header's room.
TEST_F(WindowTest, ThePictureChooserOpensOnEveryPictureInTheInterfacesLanguage)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const workflow::InterfaceLanguage language(chinese);
    dialogs::QtFileDialogs realDialogs(chinese);
    QDir(dir.path()).mkdir("album");
    for (const char *name : {"IMG_0001.HEIC", "b.JPG", "c.webp", "notes.txt"})
        writeFile(dir.file(name), "x");
    const QString savedFolder = QDir::currentPath();
    QDir::setCurrent(dir.path()); // where the chooser opens
    window::frmMain form({&notifier, &realDialogs, settings, 1, worker, presets, windowSettings, {}});
    form.show();

    bool looked = false;
    QElapsedTimer shownFor;
    QStringList listed, squeezed;
    QString filter, folderType;
    const Ticker look([&] {
        auto *chooser = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!chooser || looked)
            return;
        auto *details = chooser->findChild<QTreeView *>(QStringLiteral("treeView"));
        const QAbstractItemModel *model = details->model();
        const QModelIndex folder = details->rootIndex();
        if (!shownFor.isValid())
            shownFor.start();
        if ((model->rowCount(folder) < 4 || shownFor.elapsed() < 500) && shownFor.elapsed() < 5000)
            return; // still being listed
        looked = true;
        for (int row = 0; row < model->rowCount(folder); ++row) {
            listed << model->index(row, 0, folder).data().toString();
            if (listed.back() == QStringLiteral("album"))
                folderType = model->index(row, 2, folder).data().toString();
        }
        filter = chooser->selectedNameFilter();
        const QHeaderView *header = details->header();
        for (int column = 0; column < header->count(); ++column) {
            const QString caption = model->headerData(column, Qt::Horizontal).toString();
            if (header->fontMetrics().horizontalAdvance(caption) + 8 > header->sectionSize(column)
                || (column > 0 && static_cast<QAbstractItemView *>(details)->sizeHintForColumn(column) > header->sectionSize(column)))
                squeezed << caption;
        }
        chooser->reject();
    });
    QTest::mouseClick(form.findChild<controls::PhButton *>(QStringLiteral("cmdrgtBrowe")), Qt::LeftButton);
    QDir::setCurrent(savedFolder);

    ASSERT_TRUE(looked);
    listed.sort();
    EXPECT_EQ(listed, QStringList({"IMG_0001.HEIC", "album", "b.JPG", "c.webp"}));
    EXPECT_TRUE(filter.startsWith(QStringLiteral(u"所有图片"))) << filter.toStdString();
    EXPECT_EQ(folderType, QStringLiteral(u"文件夹"));
    EXPECT_EQ(squeezed, QStringList());
}
