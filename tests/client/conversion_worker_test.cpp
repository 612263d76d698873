// Whatever a picture does to its worker (a crash, a hang, a memory bomb), it
// costs that picture only: it fails with its own reason, nothing is written
// for it, and the next picture converts in a new worker.
#include "client/conversion_worker.h"
#include "client/save_scaled_picture.h"
#include "engine/codecs/tga_file.h"
#include "engine/codecs/vips_errors.h"
#include "protocol/worker_protocol.h"

#include "support/file_bytes.h"
#include "support/temp_dir.h"
#include "imaging/test_pictures.h"
#include "worker/user_namespaces.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

#include <vips/vips8>

#include <cerrno>
#include <csignal>

using imaging::ConversionStatus;
using imaging::ConversionWorker;

namespace {

constexpr platform::ColourValue kBackground = 0xEFEFEF;

class WorkerTest : public ::testing::Test {
protected:
    void SetUp() override { testpics::save(testpics::gradient(40, 30), dir.file("small.png"), ".png"); }

    ConversionStatus convert(ConversionWorker &worker, const QString &source, const QString &target,
                             QString *detail = nullptr)
    {
        const imaging::ConversionResult result
            = imaging::convertPicture(worker, dir.file(source), dir.file(target), 20, 15, kBackground);
        if (detail)
            *detail = result.detail;
        return result.status;
    }

    TempDir dir;
};

// A run-length TGA that declares width x height of one grey: a few bytes per
// 128 pixels, and width * height * 3 bytes once decoded.
QByteArray tgaBomb(int width, int height)
{
    QByteArray tga(18, '\0');
    tga[2] = 10;
    tga[12] = char(width & 0xFF);
    tga[13] = char(width >> 8);
    tga[14] = char(height & 0xFF);
    tga[15] = char(height >> 8);
    tga[16] = 24;
    const QByteArray packet("\xFF\x80\x80\x80", 4);
    tga.reserve(tga.size() + qsizetype(width) * height / 128 * 4 + 4);
    for (long long left = qint64(width) * height; left > 0; left -= 128)
        tga += packet;
    return tga;
}

} // namespace

TEST_F(WorkerTest, AWorkerKilledMidPictureCostsOnlyThatPicture)
{
    imaging::WorkerSettings settings;
    int sent = 0;
    // The first picture's worker is killed outright, the second's crashes.
    settings.pictureSent = [&](pid_t pid) {
        if (++sent <= 2)
            ::kill(pid, sent == 1 ? SIGKILL : SIGSEGV);
    };
    ConversionWorker worker(settings);
    QString detail;
    EXPECT_EQ(convert(worker, "small.png", "killed.png", &detail), ConversionStatus::Crashed);
    EXPECT_TRUE(detail.contains(QLatin1String("signal 9"))) << detail.toStdString();
    EXPECT_EQ(convert(worker, "small.png", "crashed.png"), ConversionStatus::Crashed);
    EXPECT_EQ(convert(worker, "small.png", "out.png"), ConversionStatus::Converted);
    EXPECT_EQ(testpics::load(dir.file("out.png")).width(), 20);
    EXPECT_EQ(dir.entries(), QStringList({"out.png", "small.png"}));
}

TEST_F(WorkerTest, APictureOverItsTimeBudgetTimesOut)
{
    // 64 megapixels of one colour: a small file that takes far longer than
    // a tenth of a second to decode.
    testpics::save(testpics::solid(8000, 8000, {90, 90, 90}), dir.file("large.png"), ".png[compression=1]");
    imaging::WorkerSettings settings;
    settings.budget.baseTime = std::chrono::milliseconds(100);
    settings.budget.timePerMegapixel = std::chrono::milliseconds(0);
    ConversionWorker worker(settings);
    EXPECT_EQ(convert(worker, "large.png", "large-out.png"), ConversionStatus::TimedOut);
    EXPECT_EQ(convert(worker, "small.png", "out.png"), ConversionStatus::Converted);
    EXPECT_FALSE(QFile::exists(dir.file("large-out.png")));
}

TEST_F(WorkerTest, ABombOverTheMemoryBudgetRunsOutOfMemory)
{
    // 12000 x 12000 decodes to 432 MB, more than the 384 MB the worker may
    // have; the file itself is 4.5 MB.
    writeFile(dir.file("bomb.tga"), tgaBomb(12000, 12000));
    imaging::WorkerSettings settings;
    settings.budget.memoryBytes = 384ull << 20;
    ConversionWorker worker(settings);
    EXPECT_EQ(convert(worker, "bomb.tga", "bomb.png"), ConversionStatus::OutOfMemory);
    EXPECT_EQ(convert(worker, "small.png", "out.png"), ConversionStatus::Converted);
    EXPECT_FALSE(QFile::exists(dir.file("bomb.png")));
}

TEST_F(WorkerTest, AFileLargerThanTheBudgetRunsOutOfMemory)
{
    // 1 GiB of nothing, stored sparse: a worker of 384 MB can neither map it
    // nor hold a copy of it.
    QFile huge(dir.file("huge.png"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(qint64(1) << 30));
    huge.close();
    imaging::WorkerSettings settings;
    settings.budget.memoryBytes = 384ull << 20;
    ConversionWorker worker(settings);
    EXPECT_EQ(convert(worker, "huge.png", "huge-out.png"), ConversionStatus::OutOfMemory);
    EXPECT_EQ(convert(worker, "small.png", "out.png"), ConversionStatus::Converted);
    EXPECT_FALSE(QFile::exists(dir.file("huge-out.png")));
}

TEST(VipsErrors, OutOfMemoryIsToldByErrnoAndOtherwiseByTheLibrarysWords)
{
    // A thread the budget could not give a stack: only errno says memory.
    const vips::VError noThread("glib: Error creating thread: Resource temporarily unavailable\n");
    EXPECT_EQ(imaging::failureOf(noThread, ENOMEM).status, ConversionStatus::OutOfMemory);
    EXPECT_EQ(imaging::failureOf(noThread, 0).status, ConversionStatus::Damaged);
    EXPECT_EQ(imaging::failureOf(noThread, EAGAIN).status, ConversionStatus::Damaged);
    EXPECT_EQ(imaging::failureOf(noThread, 0).detail, "glib: Error creating thread: Resource temporarily unavailable");
    // Running out on one of libvips' threads reaches this one as words only.
    const vips::VError tracked("vips_tracked: out of memory --- size == 4MB\n");
    EXPECT_EQ(imaging::failureOf(tracked, 0).status, ConversionStatus::OutOfMemory);
    const vips::VError truncated("VipsJpeg: Premature end of input file\n");
    EXPECT_EQ(imaging::failureOf(truncated, 0).status, ConversionStatus::Damaged);
}

TEST_F(WorkerTest, AMissingOrLyingWorkerConvertsNothing)
{
    imaging::WorkerSettings missing;
    missing.executable = dir.file("no-such-worker");
    ConversionWorker absent(missing);
    EXPECT_EQ(convert(absent, "small.png", "out.png"), ConversionStatus::WorkerUnavailable);

    // A worker that greets properly, then claims a terabyte of output: the
    // program believes none of it.
    const QString script = dir.file("liar.sh");
    writeFile(script, "#!/bin/sh\n"
                      "printf '\\061\\110\\127\\124\\000\\000\\000\\000' >&3\n"
                      "head -c 24 <&3 >/dev/null\n"
                      "printf '\\061\\122\\127\\124\\000\\000\\000\\000\\000\\000\\000\\000\\000\\001\\000\\000"
                      "\\000\\000\\000\\000\\000\\000\\000\\000' >&3\n"
                      "exec sleep 5\n");
    QFile(script).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    imaging::WorkerSettings lying;
    lying.executable = script;
    ConversionWorker liar(lying);
    EXPECT_EQ(convert(liar, "small.png", "lie.png"), ConversionStatus::Crashed);
    EXPECT_FALSE(QFile::exists(dir.file("out.png")));
    EXPECT_FALSE(QFile::exists(dir.file("lie.png")));
}

TEST_F(WorkerTest, AReplyIsBelievedOnlyForTheNumbersAWorkerMaySend)
{
    using imaging::OutputFormat;
    using imaging::worker::replyStatus;
    using imaging::worker::requestFormat;
    for (const ConversionStatus status : {ConversionStatus::Converted, ConversionStatus::Damaged,
                                          ConversionStatus::OutOfMemory, ConversionStatus::WorkerUnavailable})
        EXPECT_EQ(replyStatus(std::uint32_t(status)), status);
    // Stopped is the program's own word; past it, and far past, nothing.
    for (const std::uint32_t forged :
         {std::uint32_t(ConversionStatus::Stopped), std::uint32_t(ConversionStatus::Stopped) + 1, 0xFFFFFFFFu})
        EXPECT_FALSE(replyStatus(forged)) << forged;
    EXPECT_EQ(requestFormat(std::uint32_t(OutputFormat::JpegXl)), OutputFormat::JpegXl);
    EXPECT_FALSE(requestFormat(std::uint32_t(OutputFormat::JpegXl) + 1));
    EXPECT_FALSE(requestFormat(0xFFFFFFFFu));

    // A worker that answers "stopped" is not believed: that is a crash.
    const QString script = dir.file("stopped.sh");
    writeFile(script, "#!/bin/sh\n"
                                 "printf '\\061\\110\\127\\124\\000\\000\\000\\000' >&3\n"
                                 "head -c 24 <&3 >/dev/null\n"
                                 "printf '\\061\\122\\127\\124\\014\\000\\000\\000"
                                 "\\000\\000\\000\\000\\000\\000\\000\\000"
                                 "\\000\\000\\000\\000\\000\\000\\000\\000' >&3\n"
                                 "exec sleep 5\n");
    QFile(script).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    imaging::WorkerSettings forging;
    forging.executable = script;
    ConversionWorker forger(forging);
    QString detail;
    EXPECT_EQ(convert(forger, "small.png", "out.png", &detail), ConversionStatus::Crashed);
    EXPECT_TRUE(detail.contains(QLatin1String("made no sense"))) << detail.toStdString();
}

TEST_F(WorkerTest, AWorkerThatCannotStartSaysWhyOnOneLine)
{
    // Its standard error is a pipe the program reads once it has ended:
    // every line joined, control characters shown as "?".
    const QString script = dir.file("unconfined.sh");
    writeFile(script, "#!/bin/sh\n"
                                 "printf 'tarvel-worker: no sandbox\\n\\033[2Jcleared\\n' >&2\n"
                                 "exit 70\n");
    QFile(script).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    imaging::WorkerSettings settings;
    settings.executable = script;
    ConversionWorker worker(settings);
    QString detail;
    EXPECT_EQ(convert(worker, "small.png", "out.png", &detail), ConversionStatus::WorkerUnavailable);
    EXPECT_EQ(detail, QStringLiteral("the worker could not shut itself in its sandbox: the worker exited with status "
                                     "70: tarvel-worker: no sandbox; ?[2Jcleared"));
}

TEST_F(WorkerTest, NamespacesTheKernelMadeButWouldNotLetBeUsedAreLeftOutFromThenOn)
{
    // A kernel that makes the namespaces and then refuses the worker its
    // mounts (as AppArmor does to unprivileged user namespaces): the worker
    // says so, the program starts it again without, and says so once. In a
    // program of its own (worker_parent), since the program remembers it.
    if (!kernelMakesWorkerNamespaces())
        GTEST_SKIP() << "this kernel makes no namespaces to begin with";
    const QString script = dir.file("refused.sh");
    writeFile(script, "#!/bin/sh\n"
                                 "[ \"$PPID\" = 1 ] && { echo refused >>\"$0.log\"; exit 71; }\n"
                                 "exec \"$0.real\" \"$@\"\n");
    QFile(script).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ASSERT_TRUE(QFile::link(imaging::workerExecutable(), script + ".real"));
    QProcess parent;
    parent.start(QStringLiteral(WORKER_PARENT), {script, dir.file("small.png"), dir.file("result.txt"), "2"});
    ASSERT_TRUE(parent.waitForFinished(30'000));
    EXPECT_EQ(parent.exitCode(), 0);
    EXPECT_EQ(readFile(dir.file("result.txt")).count("detail converted\n"), 2);
    // Only the first of the two workers was started in namespaces.
    EXPECT_EQ(readFile(script + ".log"), QByteArray("refused\n"));
    const QString errors = QString::fromUtf8(parent.readAllStandardError());
    EXPECT_EQ(errors.count(QStringLiteral("命名空间")), 1) << errors.toStdString();
}
