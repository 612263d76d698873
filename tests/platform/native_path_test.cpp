// File names as bytes: every byte string comes back exactly, and only the
// bytes that are not UTF-8 are shown as replacement characters.
#include "platform/native_path.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using platform::displayPath;
using platform::nativePath;
using platform::pathFromNative;

TEST(NativePath, EveryByteStringComesBackExactly)
{
    QRandomGenerator random(7);
    for (int i = 0; i < 20000; ++i) {
        QByteArray bytes(qsizetype(random.bounded(1, 24)), '\0');
        for (char &c : bytes)
            c = char(random.bounded(1, 256));
        ASSERT_EQ(nativePath(pathFromNative(bytes)), bytes) << bytes.toHex().constData();
    }
}

TEST(NativePath, ValidUtf8IsTextAndTheRestIsShownAsReplacement)
{
    // "中文" in GBK, then in UTF-8, then U+10080, whose second UTF-16 half
    // falls among the units that stand for bytes.
    const QByteArray gbk("\xD6\xD0\xCE\xC4.jpg");
    EXPECT_EQ(displayPath(pathFromNative(gbk)), QStringLiteral(u"\uFFFD\uFFFD\uFFFD\uFFFD.jpg"));
    EXPECT_EQ(pathFromNative("/图片/中文.jpg"), QStringLiteral(u"/图片/中文.jpg"));
    const QByteArray outsideBmp("\xF0\x90\x82\x80 \xC3");
    const QString decoded = pathFromNative(outsideBmp);
    EXPECT_EQ(decoded.left(3), QString::fromUtf8("\xF0\x90\x82\x80 "));
    EXPECT_EQ(displayPath(decoded), QString::fromUtf8("\xF0\x90\x82\x80 \xEF\xBF\xBD"));
    EXPECT_EQ(nativePath(decoded), outsideBmp);
    // Overlong forms and encoded surrogates are not UTF-8 either.
    EXPECT_EQ(displayPath(pathFromNative("\xC0\xAF\xED\xA0\x80")), QString(5, QChar::ReplacementCharacter));
}
