// Interrupting tarvel-batch with real signals: the first lets the pictures
// under way finish, the second ends them at once; neither leaves a part.
#include "support/file_bytes.h"
#include "support/temp_dir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <map>

namespace {

QByteArray bigEndian(quint32 value)
{
    const char bytes[] = {char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
    return QByteArray(bytes, 4);
}

quint32 crc32(const QByteArray &data)
{
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : data) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

QByteArray pngChunk(const char *type, const QByteArray &data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    return bigEndian(quint32(data.size())) + body + bigEndian(crc32(body));
}

// A transparent black RGBA PNG, compressed by hand as runs of zeros: a few
// megabytes that take a worker seconds to decode at this size.
QByteArray slowPng(int width, int height)
{
    const qint64 raw = qint64(height) * (1 + 4 * qint64(width)); // a filter byte per row, then the pixels
    QByteArray deflate;
    quint64 pending = 0;
    int bits = 0;
    auto put = [&](quint32 code, int length) { // Huffman codes go most significant bit first
        for (int i = length - 1; i >= 0; --i) {
            pending |= quint64((code >> i) & 1) << bits++;
            if (bits == 8) {
                deflate += char(pending);
                pending = 0;
                bits = 0;
            }
        }
    };
    put(0b110, 3); // the last block (1), fixed codes (01, low bit first)
    put(0x30, 8);  // a literal 0
    qint64 left = raw - 1;
    for (; left >= 258; left -= 258) {
        put(0xC5, 8); // length 258
        put(0, 5);    // distance 1
    }
    for (; left > 0; --left)
        put(0x30, 8);
    put(0, 7); // end of block
    if (bits)
        deflate += char(pending);
    const QByteArray zlib = QByteArray("\x78\x01", 2) + deflate + bigEndian(quint32((raw % 65521) << 16 | 1));
    const QByteArray header = bigEndian(quint32(width)) + bigEndian(quint32(height)) + QByteArray("\x08\x06\0\0\0", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zlib)
           + pngChunk("IEND", {});
}

// The process ids of the children of `pid`, over all its threads.
QStringList childrenOf(qint64 pid)
{
    QStringList children;
    const QString tasks = QStringLiteral("/proc/%1/task").arg(pid);
    for (const QString &task : QDir(tasks).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile file(tasks + '/' + task + "/children");
        if (file.open(QIODevice::ReadOnly))
            children += QString::fromLatin1(file.readAll()).split(' ', Qt::SkipEmptyParts);
    }
    return children;
}

class BatchToolSignals : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir(dir.path()).mkdir("in");
        const QByteArray png = slowPng(14000, 14000);
        for (int i = 0; i < 6; ++i)
            writeFile(dir.file(QStringLiteral("in/slow%1.png").arg(i)), png);
        batch.setProgram(QStringLiteral(TARVEL_BATCH_EXECUTABLE));
    }

    // Starts the run and returns once its workers have pictures in hand.
    // The tool speaks the language of `locale`.
    void startAndWait(const QString &jobs, const QString &locale)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", locale);
        batch.setProcessEnvironment(environment);
        batch.setArguments({"--jobs", jobs, "--width", "100", "--height", "100", dir.file("in"), dir.file("out")});
        batch.start();
        ASSERT_TRUE(batch.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        while (childrenOf(batch.processId()).size() < jobs.toInt() && waited.elapsed() < 30'000)
            QThread::msleep(20);
        QThread::msleep(300);
    }

    QStringList outputs() const
    {
        return QDir(dir.file("out")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    TempDir dir;
    QProcess batch;
};

} // namespace

TEST_F(BatchToolSignals, TheFirstLetsThePictureUnderWayFinish)
{
    startAndWait("1", "C.UTF-8");
    ::kill(pid_t(batch.processId()), SIGTERM);
    ASSERT_TRUE(batch.waitForFinished(120'000));
    EXPECT_EQ(batch.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(batch.exitCode(), 143);
    EXPECT_EQ(QString::fromUtf8(batch.readAllStandardOutput()).count(u", 5 not started"_qs), 1);
    ASSERT_EQ(outputs().size(), 1) << outputs().join(' ').toStdString();
    EXPECT_EQ(QImage(dir.file("out/" + outputs().first())).size(), QSize(100, 100));
}

TEST_F(BatchToolSignals, TheSecondStopsAtOnceAndLeavesNothing)
{
    startAndWait("2", "zh_CN.UTF-8");
    ::kill(pid_t(batch.processId()), SIGINT);
    QThread::msleep(200);
    QElapsedTimer sinceSecond;
    sinceSecond.start();
    ::kill(pid_t(batch.processId()), SIGINT);
    ASSERT_TRUE(batch.waitForFinished(120'000));
    // Each picture takes its worker seconds; ended, they take none: under a
    // second on a quiet machine, twice that on a loaded one.
    EXPECT_LT(sinceSecond.elapsed(), 5'000);
    EXPECT_EQ(batch.exitCode(), 130);
    const QString out = QString::fromUtf8(batch.readAllStandardOutput());
    EXPECT_TRUE(out.contains(u"张转换中被中止"_qs) && out.contains(u"4 张未开始转换"_qs)) << out.toStdString();
    EXPECT_TRUE(outputs().isEmpty()) << outputs().join(' ').toStdString();
}

namespace {

// A process that has gone, or a zombie nobody has collected yet: dead either way.
bool processGone(const QString &pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

} // namespace

TEST_F(BatchToolSignals, AKilledRunTakesItsWorkersWithIt)
{
    startAndWait("2", "C.UTF-8");
    // The processes started for the workers (their guards), and the workers.
    QStringList workers = childrenOf(batch.processId());
    for (const QString &guard : QStringList(workers))
        workers += childrenOf(guard.toLongLong());
    ASSERT_EQ(workers.size(), 4) << workers.join(' ').toStdString();
    ::kill(pid_t(batch.processId()), SIGKILL);
    ASSERT_TRUE(batch.waitForFinished(10'000));
    QElapsedTimer sinceKill;
    sinceKill.start();
    auto left = [&] {
        QStringList alive;
        for (const QString &pid : workers) {
            if (!processGone(pid))
                alive << pid;
        }
        return alive;
    };
    while (!left().isEmpty() && sinceKill.elapsed() < 1000)
        QThread::msleep(10);
    EXPECT_TRUE(left().isEmpty()) << "still there a second later: " << left().join(' ').toStdString();
}

namespace {

// A folder of small pictures that convert quickly, one after another.
void makeQuickPictures(const QString &folder, int count)
{
    QDir().mkpath(folder);
    QImage image(300, 200, QImage::Format_RGB32);
    image.fill(QColor(30, 120, 200));
    for (int i = 0; i < count; ++i)
        ASSERT_TRUE(image.save(QStringLiteral("%1/p%2.png").arg(folder).arg(i, 3, 10, QLatin1Char('0'))));
}

// Every picture in `folder` whole at 60 × 40, and no hidden file beside them.
void expectOnlyWholePictures(const QString &folder)
{
    const QStringList hidden = QDir(folder)
                                   .entryList(QDir::Hidden | QDir::Files | QDir::System, QDir::Name)
                                   .filter(QRegularExpression("^\\."));
    EXPECT_TRUE(hidden.isEmpty()) << hidden.join(' ').toStdString();
    for (const QString &name : QDir(folder).entryList(QDir::Files))
        EXPECT_EQ(QImage(folder + '/' + name).size(), QSize(60, 40)) << name.toStdString();
}

} // namespace

TEST(BatchToolKilled, AKilledRunLeavesNoNameBehind)
{
    TempDir dir;
    makeQuickPictures(dir.file("in"), 120);
    // Half the outputs exist already, so both new files and replacements are
    // under way when the run is killed.
    for (int trial = 0; trial < 6; ++trial) {
        QProcess batch;
        batch.start(QStringLiteral(TARVEL_BATCH_EXECUTABLE),
                    {"--jobs", "2", "-w", "60", "-H", "40", dir.file("in"), dir.file("out")});
        ASSERT_TRUE(batch.waitForStarted());
        QThread::msleep(150 + 120 * trial);
        ::kill(pid_t(batch.processId()), SIGKILL);
        ASSERT_TRUE(batch.waitForFinished(10'000));
        expectOnlyWholePictures(dir.file("out"));
    }
}

TEST(BatchToolKilled, AReaderThatGoesAwayStopsTheRunLikeCtrlC)
{
    TempDir dir;
    makeQuickPictures(dir.file("in"), 60);
    QProcess shell;
    shell.start("bash",
                {"-c", "\"$0\" --jobs 1 -w 60 -H 40 \"$1\" \"$2\" | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}",
                 QStringLiteral(TARVEL_BATCH_EXECUTABLE), dir.file("in"), dir.file("out")});
    ASSERT_TRUE(shell.waitForFinished(60'000));
    EXPECT_EQ(shell.exitCode(), 141) << shell.readAllStandardError().toStdString();
    const qsizetype written = QDir(dir.file("out")).entryList(QDir::Files).size();
    EXPECT_GE(written, 1);
    EXPECT_LT(written, 60);
    expectOnlyWholePictures(dir.file("out"));
}

TEST(BatchToolWorkers, WithoutNamespacesTheRunSaysSoOnceAndConverts)
{
    TempDir dir;
    makeQuickPictures(dir.file("in"), 6);
    for (const bool namespaces : {true, false}) {
        QProcess batch;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C.UTF-8");
        // A kernel that refuses them, as far as the program can tell.
        if (!namespaces)
            environment.insert("TARVEL_WORKER_NAMESPACES", "off");
        batch.setProcessEnvironment(environment);
        const QString out = dir.file(namespaces ? "with" : "without");
        batch.start(QStringLiteral(TARVEL_BATCH_EXECUTABLE),
                    {"--jobs", "2", "-w", "60", "-H", "40", dir.file("in"), out});
        ASSERT_TRUE(batch.waitForFinished(60'000));
        EXPECT_EQ(batch.exitCode(), 0);
        const QString errors = QString::fromUtf8(batch.readAllStandardError());
        EXPECT_EQ(errors.count(QStringLiteral("namespaces of their own")), namespaces ? 0 : 1) << errors.toStdString();
        EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 6);
        expectOnlyWholePictures(out);
    }
}

// The output folder renamed away mid-run and a link to the source folder put
// in its place: the run goes on writing into the folder it started with, and
// no original is overwritten.
TEST(BatchToolFolderSwap, ALinkPutInPlaceOfTheOutputFolderMidRunReachesNoOriginal)
{
    TempDir dir;
    makeQuickPictures(dir.file("in"), 150);
    std::map<QString, QByteArray> originals;
    for (const QString &name : QDir(dir.file("in")).entryList(QDir::Files))
        originals[name] = readFile(dir.file("in/" + name));
    QProcess batch;
    batch.start(QStringLiteral(TARVEL_BATCH_EXECUTABLE),
                {"--jobs", "1", "-w", "60", "-H", "40", dir.file("in"), dir.file("out")});
    ASSERT_TRUE(batch.waitForStarted());
    // Once the first outputs are there, the swap.
    QElapsedTimer waited;
    waited.start();
    while (QDir(dir.file("out")).entryList(QDir::Files).size() < 3 && waited.elapsed() < 30'000)
        QThread::msleep(5);
    ASSERT_TRUE(QDir(dir.path()).rename("out", "away"));
    ASSERT_TRUE(QFile::link(dir.file("in"), dir.file("out")));
    ASSERT_TRUE(batch.waitForFinished(60'000));
    std::size_t unchanged = 0;
    for (const auto &[name, bytes] : originals)
        unchanged += readFile(dir.file("in/" + name)) == bytes ? 1 : 0;
    EXPECT_EQ(unchanged, originals.size()) << "originals overwritten through the link";
    // The pictures after the swap went into the folder the run started with.
    EXPECT_EQ(QDir(dir.file("away")).entryList(QDir::Files).size(), originals.size());
    EXPECT_EQ(QDir(dir.file("in")).entryList(QDir::Files | QDir::Hidden).size(), originals.size());
}
