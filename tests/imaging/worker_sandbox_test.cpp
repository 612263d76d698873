// The worker's cell, tried from the inside: a probe process shuts itself in
// the way tarvel-worker does, then attempts what a compromised decoder would.
#include "imaging/conversion_worker.h"
#include "imaging/save_scaled_picture.h"

#include "sandbox_escapes.h"
#include "support/temp_dir.h"
#include "test_pictures.h"

#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

TEST(WorkerSandbox, RefusesFilesNetworkProgramsAndOtherProcesses)
{
    TempDir dir;
    writeFile(dir.file("picture.jpg"), "not really a picture");
    QProcess probe;
    probe.start(QStringLiteral(SANDBOX_ESCAPE_PROBE), {dir.path(), dir.file("picture.jpg")});
    ASSERT_TRUE(probe.waitForFinished(10000));
    ASSERT_EQ(probe.exitStatus(), QProcess::NormalExit);
    ASSERT_NE(probe.exitCode(), 255) << "the sandbox could not be entered";
    const int landlock = probe.readAllStandardOutput().trimmed().toInt();
    int escapes = probe.exitCode();
    // Reading a file by its name is refused by Landlock alone.
    if (landlock == 0)
        escapes &= ~kReadUserFile;
    EXPECT_EQ(escapes, 0) << "what got out, one bit per attempt: " << escapes;
    EXPECT_FALSE(QFile::exists(dir.file("created.txt")));
    EXPECT_EQ(readFile(dir.file("picture.jpg")), QByteArray("not really a picture"));
}

TEST(WorkerSandbox, TheRealWorkerRunsConfined)
{
    TempDir dir;
    testpics::save(testpics::gradient(40, 30), dir.file("in.png"), ".png");
    QByteArray status;
    imaging::WorkerSettings settings;
    settings.pictureSent = [&](pid_t pid) {
        QFile file(QStringLiteral("/proc/%1/status").arg(pid));
        if (file.open(QIODevice::ReadOnly))
            status = file.readAll();
    };
    imaging::ConversionWorker worker(settings);
    ASSERT_EQ(imaging::convertPicture(worker, dir.file("in.png"), dir.file("out.png"), 20, 15, 0xFFFFFF).status,
              imaging::ConversionStatus::Converted);
    EXPECT_TRUE(status.contains("NoNewPrivs:\t1")) << status.constData();
    EXPECT_TRUE(status.contains("Seccomp:\t2")) << status.constData();
}
