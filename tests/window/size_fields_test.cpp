// The four size-limit fields as real line edits, typed into headless.
#include "window/size_fields.h"

#include "support/qt_printers.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

class SizeFieldsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (QLineEdit *&field : fields)
            field = new QLineEdit(&window);
        binder = new window::SizeFields(Text1(), Text2(), Text3(), Text4(), &window);
    }

    QLineEdit *Text1() { return fields[0]; }
    QLineEdit *Text2() { return fields[1]; }
    QLineEdit *Text3() { return fields[2]; }
    QLineEdit *Text4() { return fields[3]; }

    // The texts of both fields of a pair after typing each character.
    std::vector<std::pair<QString, QString>> typeEach(QLineEdit *field, QLineEdit *twin, const QString &keys)
    {
        std::vector<std::pair<QString, QString>> shown;
        for (const QChar c : keys) {
            QTest::keyClick(field, c.toLatin1());
            shown.emplace_back(field->text(), twin->text());
        }
        return shown;
    }

    QWidget window;
    QLineEdit *fields[4] = {};
    window::SizeFields *binder = nullptr;
};

using Shown = std::vector<std::pair<QString, QString>>;

} // namespace

TEST_F(SizeFieldsTest, TypingIsMirroredAndEmptiedPastTheLimit)
{
    EXPECT_EQ(typeEach(Text1(), Text3(), "163830"),
              Shown({{"1", "1"}, {"16", "16"}, {"163", "163"}, {"1638", "1638"}, {"16383", "16383"}, {"", ""}}));
    EXPECT_EQ(typeEach(Text4(), Text2(), "16384"),
              Shown({{"1", "1"}, {"16", "16"}, {"163", "163"}, {"1638", "1638"}, {"", ""}}));
    EXPECT_EQ(typeEach(Text2(), Text4(), "0999"), Shown({{"0", "0"}, {"09", "09"}, {"099", "099"}, {"0999", "0999"}}));
    Text2()->clear();
    EXPECT_EQ(Text4()->text(), "");
    EXPECT_EQ(typeEach(Text3(), Text1(), "010240").back(), std::make_pair(QString(), QString()));
    EXPECT_EQ(Text3()->text(), "");
}

TEST_F(SizeFieldsTest, OtherCharactersAreDiscardedAndCtrlVPastesUnderTheBoundsRule)
{
    QApplication::clipboard()->setText("92");
    QTest::keyClicks(Text1(), "5a -.,x");
    QTest::keyClick(Text1(), Qt::Key_Return);
    EXPECT_EQ(Text1()->text(), "5");
    QTest::keyClick(Text1(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Text1()->text(), "592");
    EXPECT_EQ(Text3()->text(), "592");

    // X11 reports Ctrl+V with its control character as text: a paste all the
    // same, whose result (59292) is above 16383 and empties the field.
    QTest::sendKeyEvent(QTest::Click, Text1(), Qt::Key_V, QStringLiteral("\x16"), Qt::ControlModifier);
    EXPECT_EQ(Text1()->text(), "");
    // Ctrl with another letter types its control character, which is discarded.
    QTest::keyClicks(Text1(), "7");
    QTest::sendKeyEvent(QTest::Click, Text1(), Qt::Key_B, QStringLiteral("\x02"), Qt::ControlModifier);
    EXPECT_EQ(Text1()->text(), "7");
}

TEST_F(SizeFieldsTest, KeysThatTypeNothingStillWork)
{
    QTest::keyClicks(Text1(), "123");
    QTest::keyClick(Text1(), Qt::Key_Home);
    QTest::keyClick(Text1(), Qt::Key_Delete);
    EXPECT_EQ(Text1()->text(), "23");
    EXPECT_EQ(Text3()->text(), "23");
    // X11 gives Delete the text U+007F; it must still delete.
    QTest::sendKeyEvent(QTest::Click, Text1(), Qt::Key_Delete, QStringLiteral("\x7f"), Qt::NoModifier);
    EXPECT_EQ(Text3()->text(), "3");
}

TEST_F(SizeFieldsTest, MirroringLeavesTheCursorWhereTheUserTypes)
{
    QTest::keyClicks(Text2(), "12");
    QTest::keyClick(Text2(), Qt::Key_Home);
    QTest::keyClicks(Text2(), "09");
    EXPECT_EQ(Text2()->text(), "0912");
    EXPECT_EQ(Text4()->text(), "0912");
}

TEST_F(SizeFieldsTest, ContextMenuPasteBypassesTheFilter)
{
    QApplication::clipboard()->setText("abc");
    Text2()->paste(); // what the context menu's Paste does
    EXPECT_EQ(Text2()->text(), "abc");
    EXPECT_EQ(Text4()->text(), "abc");
    EXPECT_EQ(window::SizeFields::value(*Text4()), 0);

    QApplication::clipboard()->setText("123456");
    Text2()->selectAll();
    Text2()->paste();
    EXPECT_EQ(Text2()->text(), "");
    EXPECT_EQ(Text4()->text(), "");
}

TEST_F(SizeFieldsTest, BackspaceEmptyingOneFieldEmptiesItsTwin)
{
    QTest::keyClicks(Text4(), "32");
    QTest::keyClick(Text4(), Qt::Key_Backspace);
    EXPECT_EQ(Text2()->text(), "3");
    QTest::keyClick(Text4(), Qt::Key_Backspace);
    EXPECT_EQ(Text4()->text(), "");
    EXPECT_EQ(Text2()->text(), "");
}

TEST_F(SizeFieldsTest, ProgramSetTextRunsTheRuleToo)
{
    // As at start-up: the remembered limits go into Text1 and Text4.
    Text1()->setText("425");
    Text4()->setText("321");
    EXPECT_EQ(Text3()->text(), "425");
    EXPECT_EQ(Text2()->text(), "321");
    EXPECT_EQ(window::SizeFields::wholeValue(*Text3()), 425);

    Text1()->setText("20000");
    EXPECT_EQ(Text1()->text(), "");
    EXPECT_EQ(Text3()->text(), "");
}

TEST_F(SizeFieldsTest, EachChangeReachesTheTwinOnce)
{
    QSignalSpy twinChanges(Text3(), &QLineEdit::textChanged);
    QSignalSpy ownChanges(Text1(), &QLineEdit::textChanged);
    QTest::keyClick(Text1(), '7');
    EXPECT_EQ(twinChanges.count(), 1);
    EXPECT_EQ(ownChanges.count(), 1) << "the copy back into Text1 is no change";
    Text3()->setText("7");
    EXPECT_EQ(ownChanges.count(), 1);
}

TEST_F(SizeFieldsTest, InputMethodTextIsFilteredLikeTyping)
{
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("1a２3"));
    QApplication::sendEvent(Text1(), &commit);
    EXPECT_EQ(Text1()->text(), "13");
    EXPECT_EQ(Text3()->text(), "13");
}

TEST_F(SizeFieldsTest, FieldDestroyedBeforeTheBinderIsNoFault)
{
    delete Text3();
    QTest::keyClick(Text1(), '4');
    EXPECT_EQ(Text1()->text(), "4");
}
