// The window in the system's language: English desktops get English
// everywhere, Chinese ones the program's own Chinese.
#include "window_fixture.h"

#include "imaging/conversion_status.h"
#include "workflow/interface_language.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QXmlStreamReader>

namespace {

// Every text the window shows or names its controls by.
QStringList textsOf(Form &w)
{
    QStringList texts{w->windowTitle()};
    for (QWidget *widget : w->findChildren<QWidget *>()) {
        texts << widget->accessibleName();
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts << label->text();
        if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts << button->text();
    }
    texts.removeAll(QString());
    return texts;
}

// The captions too long for their controls, which would show them cut off.
QStringList clippedCaptions(Form &w)
{
    QStringList clipped;
    for (QWidget *widget : w->findChildren<QWidget *>()) {
        const bool captioned = qobject_cast<QLabel *>(widget) || qobject_cast<QAbstractButton *>(widget);
        if (captioned && widget->sizeHint().width() > widget->width())
            clipped << widget->property("text").toString();
    }
    return clipped;
}

QLabel *captionOf(Form &w, QWidget *control)
{
    for (QLabel *label : w->findChildren<QLabel *>())
        if (label->buddy() == control)
            return label;
    return nullptr;
}

bool hasChinese(const QString &text)
{
    static const QRegularExpression chinese(QStringLiteral("[\\x{3000}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));
    return text.contains(chinese);
}

} // namespace

TEST_F(WindowTest, AnEnglishDesktopGetsEnglishEverywhere)
{
    const workflow::InterfaceLanguage english(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_FALSE(english.isChinese());
    Form &w = window();
    const QStringList texts = textsOf(w);
    EXPECT_GT(texts.size(), 30);
    for (const QString &text : texts)
        EXPECT_FALSE(hasChinese(text)) << text.toStdString();
    EXPECT_EQ(w.Option1->text(), "Single picture");
    // Longer than the Chinese, the captions still show whole, side by side.
    EXPECT_EQ(clippedCaptions(w), QStringList());
    EXPECT_LT(w.Option1->geometry().right(), w.Option2->x());
    EXPECT_LT(w.Option2->geometry().right(), w.Check1->x());
    EXPECT_LT(w.Check1->geometry().right(), w->findChild<QLabel *>("Picture1")->x());
    EXPECT_LT(w.txtPathdz2->geometry().right(), captionOf(w, w.XPCombo1)->x());

    // The batch's format box is widened to show its first item whole.
    w.Option2->click();
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w.window()));
    EXPECT_EQ(w.XPCombo2->Text(), "Same as source");
    const QWidget *formatText = w.XPCombo2->textField();
    EXPECT_LE(formatText->fontMetrics().horizontalAdvance(w.XPCombo2->Text()), formatText->width() - 6);
    EXPECT_LT(w.XPCombo2->geometry().right(), 431);
    w->hide();

    // Notices, the folder browser's prompt, the open-file dialog, the reasons.
    w.cmdStartConvert_Click();
    w.cmdSelectFolder_Click();
    w.cmdrgtBrowe_Click();
    for (const Notice &notice : notices())
        EXPECT_FALSE(hasChinese(notice.text)) << notice.text.toStdString();
    EXPECT_EQ(notices().front().text, "Please choose the folder of pictures to convert.");
    EXPECT_EQ(dialogs.prompts.front(), "\r\nChoose a folder:");
    EXPECT_EQ(dialogs.lastRecord.title, "Open Picture");
    EXPECT_EQ(dialogs.lastRecord.filters.front().first, "All pictures");
    EXPECT_EQ(dialogs.lastRecord.filters[1].first, "BMP bitmap (*.bmp)");
    EXPECT_EQ(imaging::reasonText(imaging::ConversionStatus::OutOfMemory), "out of memory");

    // The count of a folder's pictures, one and more.
    QDir(dir.path()).mkdir("in");
    makePicture(dir.file("in/a.png"), 20, 10);
    w.dropOnFolderField(w.txtPath, {dir.file("in")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.lblFound->text() == "1 picture found"; }, 5000)) << w.lblFound->text().toStdString();
    makePicture(dir.file("in/b.png"), 20, 10);
    w.dropOnFolderField(w.txtPath, {dir.file("in")});
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.lblFound->text() == "2 pictures found"; }, 5000)) << w.lblFound->text().toStdString();
}

TEST(Translations, NoChineseIsLeftInTheEnglishOnes)
{
    QFile file(QStringLiteral(TARVEL_TS_FILE));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QXmlStreamReader ts(&file);
    int translations = 0;
    while (!ts.atEnd()) {
        if (ts.readNext() != QXmlStreamReader::StartElement || ts.name() != QLatin1String("translation"))
            continue;
        // A count's forms are elements of their own, read as one text.
        const QString text = ts.readElementText(QXmlStreamReader::IncludeChildElements);
        EXPECT_FALSE(text.isEmpty());
        EXPECT_FALSE(hasChinese(text)) << text.toStdString();
        ++translations;
    }
    EXPECT_FALSE(ts.hasError()) << ts.errorString().toStdString();
    EXPECT_GT(translations, 50);
}

TEST_F(WindowTest, AChineseDesktopKeepsTheChineseInterface)
{
    const workflow::InterfaceLanguage chinese(QLocale(QLocale::Chinese, QLocale::Taiwan));
    EXPECT_TRUE(chinese.isChinese());
    Form &w = window();
    EXPECT_EQ(w->windowTitle(), QStringLiteral(u"Tarvel图片尺寸批量修改工具_v1.0"));
    EXPECT_EQ(w.Option1->text(), QStringLiteral(u"单张转换"));
    // Laid out as it always was.
    EXPECT_EQ(w.Option2->geometry(), QRect(104, 10, 84, 20));
    EXPECT_EQ(w.Check1->geometry(), QRect(196, 10, 84, 20));
    EXPECT_EQ(captionOf(w, w.XPCombo1)->geometry(), QRect(292, 42, 34, 22));
    EXPECT_EQ(w.XPCombo2->geometry(), QRect(130, 136, 103, 21));
    EXPECT_EQ(imaging::reasonText(imaging::ConversionStatus::TimedOut), QStringLiteral(u"转换超时"));
}
