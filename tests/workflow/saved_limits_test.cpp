#include "workflow/saved_limits.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace workflow;

TEST(SavedLimits, FileBytesAreExact)
{
    EXPECT_EQ(formatSavedLimits({425, 321}), QByteArray(" 425 \r\n 321 "));
    EXPECT_EQ(formatSavedLimits({640, 480}), QByteArray(" 640 \r\n 480 "));
    EXPECT_EQ(formatSavedLimits({-5, 0}), QByteArray("-5 \r\n 0 "));
}

TEST(SavedLimits, FirstAndLastNonEmptyLinesGiveTheLimits)
{
    EXPECT_EQ(parseSavedLimits(" 425 \r\n 321 "), (SavedLimits{425, 321}));
    EXPECT_EQ(parseSavedLimits("800\r\n\r\n600\r\n"), (SavedLimits{800, 600}));
    EXPECT_EQ(parseSavedLimits("100\n200\n300"), (SavedLimits{100, 300}));
    EXPECT_EQ(parseSavedLimits("700"), (SavedLimits{700, 700}));
    EXPECT_EQ(parseSavedLimits("2000\r600"), (SavedLimits{2000, 600}));
    EXPECT_EQ(parseSavedLimits("640.5\r\n 480.5 "), (SavedLimits{640, 480}));
    // A line of blanks has characters: it counts, with the value 0.
    EXPECT_EQ(parseSavedLimits("640\r\n   "), (SavedLimits{640, 0}));
}

TEST(SavedLimits, UnusableContentFallsBackToTheDefaults)
{
    EXPECT_EQ(parseSavedLimits(""), (SavedLimits{425, 321}));
    EXPECT_EQ(parseSavedLimits("\r\n\r\n"), (SavedLimits{425, 321}));
    EXPECT_EQ(parseSavedLimits("99999999999\r\n600"), (SavedLimits{425, 600}));
    EXPECT_EQ(parseSavedLimits("abc\r\nxyz"), (SavedLimits{0, 0}));
}

TEST(SavedLimits, FirstStartCreatesTheFileAndLaterStartsReadIt)
{
    TempDir dir;
    const QString path = dir.file("CULERT.txt");
    EXPECT_EQ(LoadSavedLimits(path), (SavedLimits{425, 321}));
    EXPECT_EQ(readFile(path), QByteArray(" 425 \r\n 321 "));

    ASSERT_TRUE(StoreSavedLimits(path, {640, 480}));
    EXPECT_EQ(readFile(path), QByteArray(" 640 \r\n 480 "));
    EXPECT_EQ(LoadSavedLimits(path), (SavedLimits{640, 480}));

    writeFile(path, "1500\r\n300");
    EXPECT_EQ(LoadSavedLimits(path), (SavedLimits{1500, 300})); // bounds are the fields' business
}

TEST(SavedLimits, UnwritableFolderIsReportedNotFatal)
{
    TempDir dir;
    writeFile(dir.file("plain"), "a file, not a folder");
    const QString path = dir.file("plain/CULERT.txt");
    EXPECT_FALSE(StoreSavedLimits(path, {640, 480}));
    EXPECT_EQ(LoadSavedLimits(path), (SavedLimits{425, 321}));
}

TEST(SavedLimits, ReadingAloneNeverWrites)
{
    TempDir dir;
    const QString path = dir.file("config/CULERT.txt");
    EXPECT_EQ(readSavedLimits(path), (SavedLimits{425, 321}));
    EXPECT_FALSE(QFileInfo::exists(dir.file("config")));

    QDir(dir.path()).mkpath("config");
    writeFile(path, "800\n600");
    const QDateTime written = QFileInfo(path).lastModified();
    EXPECT_EQ(readSavedLimits(path), (SavedLimits{800, 600}));
    EXPECT_EQ(readFile(path), QByteArray("800\n600")); // not rewritten in the file's own format
    EXPECT_EQ(QFileInfo(path).lastModified(), written);
}
